#!/usr/bin/python3
"""Writes the XLS test workbooks of tests/data/io/xls/ and the malformed XLS
samples of tests/data/malformed/ (xls_*.xls).

The workbooks come from xlwt; records xlwt cannot write (formulas with cached
string, boolean and error results, MULRK, LABEL, RSTRING, MULBLANK, embedded
substreams, chart sheets) are added to its BIFF stream here, and the stream is
wrapped again in an OLE2 container with xlwt's CompoundDoc.

Run: /usr/bin/python3 tests/data/io/xls/make_xls_samples.py
"""
import datetime
import io
import os
import struct
import zipfile

import xlwt
from xlwt.CompoundDoc import XlsDoc

HERE = os.path.dirname(os.path.abspath(__file__))
MALFORMED = os.path.normpath(os.path.join(HERE, "..", "..", "malformed"))

BOF, EOF, BOUNDSHEET, WINDOW2, SST, CONTINUE = 0x0809, 0x000A, 0x0085, 0x023E, 0x00FC, 0x003C


def records(stream):
    out, pos = [], 0
    while pos + 4 <= len(stream):
        code, length = struct.unpack_from("<HH", stream, pos)
        out.append([code, stream[pos + 4:pos + 4 + length]])
        pos += 4 + length
        if code == EOF and pos >= len(stream) - 4:
            break
    return out


def serialize(recs):
    """Joins records, pointing each BOUNDSHEET at the matching sheet BOF."""
    offsets, pos, depth, sheet_bofs = [], 0, 0, []
    for code, data in recs:
        offsets.append(pos)
        pos += 4 + len(data)
    seen_globals_eof = False
    for i, (code, data) in enumerate(recs):
        if not seen_globals_eof:
            if code == EOF:
                seen_globals_eof = True
            continue
        if code == BOF:
            if depth == 0:
                sheet_bofs.append(offsets[i])
            depth += 1
        elif code == EOF:
            depth -= 1
    n = 0
    for rec in recs:
        if rec[0] == BOUNDSHEET and rec[1][5] == 0 and n < len(sheet_bofs):
            rec[1] = struct.pack("<I", sheet_bofs[n]) + rec[1][4:]
            n += 1
    return b"".join(struct.pack("<HH", c, len(d)) + d for c, d in recs)


def save_stream(path, stream):
    XlsDoc().save(path, stream)


def rec(code, data):
    return [code, data]


def u16str(s, lenlen=2):
    """BIFF8 unicode string: count, option byte, characters."""
    wide = any(ord(ch) > 0xFF for ch in s)
    raw = s.encode("utf-16-le") if wide else s.encode("latin-1")
    n = len(raw) // 2 if wide else len(raw)
    return struct.pack("<B" if lenlen == 1 else "<H", n) + bytes([1 if wide else 0]) + raw


def formula(row, col, result8):
    # result (8 bytes), flags, chn, then a one-token formula (tInt 0).
    return rec(0x0006, struct.pack("<HHH", row, col, 0x11) + result8 + struct.pack("<HIH", 0, 0, 3) + b"\x1e\x00\x00")


def special(kind, value=0):
    return bytes([kind, 0, value, 0, 0, 0, 0xFF, 0xFF])


def rk_int(i, div100=False):
    return ((i << 2) | 2 | (1 if div100 else 0)) & 0xFFFFFFFF


def rk_float(d):
    return struct.unpack("<Q", struct.pack("<d", d))[0] >> 32 & 0xFFFFFFFC


def insert_before_window2(recs, sheet_no, new):
    count = -1
    depth = 0
    seen = False
    for i, (code, _) in enumerate(recs):
        if not seen:
            seen = code == EOF
            continue
        if code == BOF:
            depth += 1
            if depth == 1:
                count += 1
        elif code == EOF:
            depth -= 1
        elif code == WINDOW2 and depth == 1 and count == sheet_no:
            recs[i:i] = new
            return recs
    raise RuntimeError("no WINDOW2")


def make_values():
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Values")
    for c, v in enumerate([3, 2.5, 1e-05, 1e16, -7, 0.1, 123456789, 1.0 / 3]):
        ws.write(0, c, v)
    for c, v in enumerate(["abc", "中文", "Ελληνικά", "emoji 😀", "  two blanks"]):
        ws.write(1, c, v)
    ws.write(2, 0, True)
    ws.write(2, 1, False)
    ws.row(2).set_cell_error(2, "#DIV/0!")
    ws.row(2).set_cell_error(3, 0x2A)
    ws.write(3, 0, datetime.datetime(2020, 1, 2), xlwt.easyxf(num_format_str="YYYY-MM-DD"))
    ws.write(3, 1, xlwt.Formula("1+2"))
    # A formatted blank far out: xlrd does not count BLANK cells.
    ws.write(9, 7, "", xlwt.easyxf("pattern: pattern solid;"))
    wb.add_sheet("第二页").write(0, 0, "second")
    wb.add_sheet("Empty")
    wb.save(os.path.join(HERE, "values.xls"))


def long_strings():
    out = []
    for i in range(120):
        if i % 3 == 0:
            out.append(("row %d " % i) + "x" * (150 + i % 97))
        elif i % 3 == 1:
            out.append(("行%d " % i) + "数据" * (60 + i % 41))
        else:
            out.append(("mixed %d " % i) + "aé" * 50 + "Ж" * (i % 13))
    out.append("L" * 10000)
    out.append("长" * 9000)
    return out


def make_sst_continue():
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Long")
    for i, s in enumerate(long_strings()):
        ws.write(i, 0, s)
        ws.write(i, 1, s[::-1])
    wb.save(os.path.join(HERE, "sst_continue.xls"))


def crafted_records():
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Crafted")
    ws.write(0, 0, "seed")
    wb.add_sheet("OnlyEmpty")
    recs = records(wb.get_biff_data())
    cells = [
        formula(1, 0, struct.pack("<d", 2.5)),
        formula(1, 1, special(0)), rec(0x0207, u16str("text result")),
        formula(1, 2, special(0)), rec(0x0221, b"\x00" * 14), rec(0x0207, u16str("after ARRAY")),
        formula(1, 3, special(1, 1)),
        formula(1, 4, special(1, 0)),
        formula(1, 5, special(2, 0x07)),
        formula(1, 6, special(3)),
        # A STRING result split across CONTINUE, the second part in UTF-16.
        formula(1, 7, special(0)),
        rec(0x0207, struct.pack("<HB", 6, 0) + b"abc"), rec(CONTINUE, b"\x01" + "дёж".encode("utf-16-le")),
        rec(0x00BD, struct.pack("<HH", 2, 0) + struct.pack("<HI", 0x11, rk_int(5)) +
            struct.pack("<HI", 0x11, rk_int(150, True)) + struct.pack("<HI", 0x11, rk_float(-2.0)) +
            struct.pack("<H", 2)),
        rec(0x027E, struct.pack("<HHHI", 2, 3, 0x11, rk_int(-1234, True))),
        rec(0x0204, struct.pack("<HHH", 3, 0, 0x11) + u16str("label 標籤")),
        rec(0x00D6, struct.pack("<HHH", 3, 1, 0x11) + u16str("rich") + struct.pack("<HHH", 1, 0, 0)),
        rec(0x0203, struct.pack("<HHHd", 3, 2, 0x11, float("nan"))),
        rec(0x0203, struct.pack("<HHHd", 3, 3, 0x11, float("-inf"))),
        rec(0x00BE, struct.pack("<HH", 40, 2) + struct.pack("<HH", 0x11, 0x11) + struct.pack("<H", 3)),
        rec(0x0201, struct.pack("<HHH", 50, 9, 0x11)),
        # An embedded chart substream: skipped to its EOF.
        rec(BOF, struct.pack("<HHHHII", 0x0600, 0x0020, 0x0DBB, 0x07CC, 0, 6)),
        rec(0x0203, struct.pack("<HHHd", 60, 60, 0x11, 9.0)),
        rec(EOF, b""),
    ]
    insert_before_window2(recs, 0, cells)
    insert_before_window2(recs, 1, [formula(0, 0, special(3))])
    # A chart sheet in the sheet list: not a worksheet, left out.
    first_bs = next(i for i, r in enumerate(recs) if r[0] == BOUNDSHEET)
    recs.insert(first_bs + 1, rec(BOUNDSHEET, struct.pack("<IBB", 0, 0, 2) + u16str("Chart1", 1)))
    return recs


def make_crafted():
    save_stream(os.path.join(HERE, "crafted.xls"), serialize(crafted_records()))


def valid_small():
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("S")
    ws.write(0, 0, "a")
    ws.write(0, 1, "bb")
    ws.write(1, 0, 1.5)
    return records(wb.get_biff_data())


def sheet_index(recs, code, nth=0):
    n = 0
    for i, (c, _) in enumerate(recs):
        if c == code:
            if n == nth:
                return i
            n += 1
    raise RuntimeError(hex(code))


def make_malformed():
    def out(name, stream, ole=True):
        path = os.path.join(MALFORMED, "xls_" + name + ".xls")
        if ole:
            save_stream(path, stream)
        else:
            with open(path, "wb") as f:
                f.write(stream)

    good = serialize(valid_small())
    out("truncated_stream", good[: len(good) // 2])
    # Record length past the end of the stream.
    out("length_past_end", good[:-4] + struct.pack("<HH", 0x0203, 0x4000) + b"\x00" * 8)
    recs = valid_small()
    i = sheet_index(recs, SST)
    recs[i][1] = struct.pack("<ii", 3, 50) + recs[i][1][8:]
    out("sst_count_lies", serialize(recs))
    recs = valid_small()
    i = sheet_index(recs, SST)
    recs[i][1] = recs[i][1][:8] + struct.pack("<H", 5000) + recs[i][1][10:]
    out("sst_string_past_end", serialize(recs))
    recs = valid_small()
    insert_before_window2(recs, 0, [rec(0x0204, struct.pack("<HHH", 0, 3, 0x11) + struct.pack("<HB", 300, 0) + b"ab")])
    out("label_past_end", serialize(recs))
    recs = valid_small()
    insert_before_window2(recs, 0, [rec(0x00FD, struct.pack("<HHHi", 2, 0, 0x11, 99))])
    out("labelsst_index", serialize(recs))
    recs = valid_small()
    insert_before_window2(recs, 0, [rec(0x0203, struct.pack("<HHHd", 0, 300, 0x11, 1.0))])
    out("column_300", serialize(recs))
    recs = valid_small()
    insert_before_window2(recs, 0, [rec(0x00BD, struct.pack("<HHHIH", 0, 250, 0x11, 2, 0xFFFF))])
    out("mulrk_range", serialize(recs))
    recs = valid_small()
    insert_before_window2(recs, 0, [formula(4, 0, special(0)), rec(0x0203, struct.pack("<HHHd", 4, 1, 0x11, 1.0))])
    out("formula_without_string", serialize(recs))
    recs = valid_small()
    insert_before_window2(recs, 0, [formula(4, 0, special(9))])
    out("formula_bad_result", serialize(recs))
    recs = valid_small()
    insert_before_window2(recs, 0, [formula(4, 0, special(0)), rec(0x0207, struct.pack("<HB", 50, 0) + b"abc")])
    out("string_without_continue", serialize(recs))
    stream = serialize(valid_small())
    bs = stream.find(struct.pack("<HH", BOUNDSHEET, 9))
    assert bs > 0
    stream = stream[: bs + 4] + struct.pack("<I", 0x7FFFFFF0) + stream[bs + 8:]
    out("boundsheet_past_end", stream)
    recs = valid_small()
    i = sheet_index(recs, BOF, 1)
    recs[i][1] = struct.pack("<HH", 0x0600, 0x0040) + recs[i][1][4:]
    out("sheet_bof_macro", serialize(recs))
    recs = valid_small()
    del recs[-1]
    out("sheet_without_eof", serialize(recs))
    recs = valid_small()
    recs.insert(1, rec(0x002F, struct.pack("<HHH", 0, 0x1234, 0x5678)))
    out("encrypted", serialize(recs))
    recs = valid_small()
    recs[0][1] = struct.pack("<HH", 0x0500, 0x0005) + recs[0][1][4:]
    out("biff5_version", serialize(recs))
    # Forty sheets listed at nested worksheet BOFs inside one another: reading
    # each in turn would pass over the same records again and again.
    recs = valid_small()
    g_end = sheet_index(recs, EOF) + 1
    bs = sheet_index(recs, BOUNDSHEET)
    inner_bof = rec(BOF, struct.pack("<HHHHII", 0x0600, 0x0010, 0x0DBB, 0x07CC, 0, 6))
    body = [inner_bof]
    for k in range(40):
        body.append(inner_bof)
        body.extend(rec(0x0203, struct.pack("<HHHd", r, k % 200, 0x11, 1.0)) for r in range(50))
    body.extend([rec(EOF, b"")] * 42)
    sheets = [rec(BOUNDSHEET, struct.pack("<IBB", 0, 0, 0) + u16str("S%d" % k, 1)) for k in range(41)]
    globals_ = recs[:bs] + sheets + recs[bs + 1:g_end]
    pos = sum(4 + len(d) for _, d in globals_)
    starts = []
    for code, data in body:
        if code == BOF:
            starts.append(pos)
        pos += 4 + len(data)
    for sheet, start in zip(sheets, starts):
        sheet[1] = struct.pack("<I", start) + sheet[1][4:]
    out("sheets_overlap", b"".join(struct.pack("<HH", c, len(d)) + d for c, d in globals_ + body))
    out("not_a_workbook", b"x,y\n1,2\n", ole=False)
    out("empty_file", b"", ole=False)
    zipped = io.BytesIO()
    with zipfile.ZipFile(zipped, "w") as z:
        z.writestr("[Content_Types].xml", "<Types/>")
    out("zip_workbook", zipped.getvalue(), ole=False)
    # A compound document whose sector allocation table points into nowhere.
    path = os.path.join(MALFORMED, "xls_ole_bad_fat.xls")
    save_stream(path, serialize(valid_small()))
    with open(path, "r+b") as f:
        data = bytearray(f.read())
        first_fat = struct.unpack_from("<I", data, 0x4C)[0]
        fat_off = 512 * (first_fat + 1)
        for k in range(fat_off, fat_off + 512, 4):
            struct.pack_into("<I", data, k, 0x00FFFFF0)
        f.seek(0)
        f.write(data)
    # A compound document without a workbook stream.
    path = os.path.join(MALFORMED, "xls_ole_no_workbook.xls")
    save_stream(path, serialize(valid_small()))
    with open(path, "r+b") as f:
        data = bytearray(f.read())
        k = data.find("Workbook".encode("utf-16-le"))
        data[k:k + 16] = "Wxrkbxxk".encode("utf-16-le")
        f.seek(0)
        f.write(data)


if __name__ == "__main__":
    make_values()
    make_sst_continue()
    make_crafted()
    make_malformed()
