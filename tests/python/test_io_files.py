"""Cross-checks of the table file readers and writers against openpyxl and
Python's csv module, through the trelvo-iotool driver."""
import csv
import datetime
import io
import json
import os
import random
import subprocess
import zipfile

import openpyxl
import pytest

TOOL = os.path.join(os.environ.get("TRELVO_BUILD_DIR", "build"), "bin", "trelvo-iotool")
PROGRAMS = os.path.join(os.environ.get("TRELVO_SOURCE_DIR", "."), "tests", "data", "io", "programs")


def tool_read(path, sheet=None):
    args = [TOOL, "read", str(path)] + ([] if sheet is None else [str(sheet)])
    done = subprocess.run(args, capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    return json.loads(done.stdout)


def tool_write(path, rows):
    return subprocess.run([TOOL, "write", str(path)], input=json.dumps({"rows": rows}),
                          capture_output=True, text=True, timeout=60)


def openpyxl_table(path, sheet=None):
    """What the grid's loader takes from openpyxl: str() of each value, None kept,
    as far as the values reach (openpyxl's rows also run over cells that only
    hold a format)."""
    wb = openpyxl.load_workbook(path, data_only=True)
    ws = wb[sheet] if sheet else wb.active
    rows = [[None if v is None else str(v) for v in row] for row in ws.iter_rows(values_only=True)]
    width = max((i + 1 for row in rows for i, v in enumerate(row) if v is not None), default=0)
    rows = [row[:width] for row in rows]
    while rows and all(v is None for v in rows[-1]):
        rows.pop()
    return rows


def values_workbook(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Values"
    cells = {
        "A1": 3, "B1": -7, "C1": 2.5, "D1": 1e-05, "E1": 1e16, "F1": 0.1 + 0.2, "G1": 123456789012,
        "A2": "text", "B2": "  blanks  ", "C2": "multi\nline", "D2": "\u4e2d\u6587", "E2": "1,5",
        "A3": True, "B3": False, "C3": "#DIV/0!", "D3": "#N/A",
        "A4": datetime.datetime(2024, 3, 1, 12, 30, 15), "B4": datetime.date(1999, 12, 31),
        "C4": datetime.time(6, 7, 8), "D4": datetime.datetime(2020, 1, 1, 0, 0, 0, 500000),
        "E4": datetime.timedelta(hours=30, minutes=1),
        "H9": "far corner",
    }
    for ref, value in cells.items():
        ws[ref] = value
    ws["A5"] = 45000.25
    ws["A5"].number_format = "yyyy-mm-dd hh:mm"
    ws["B5"] = 0.5
    ws["B5"].number_format = "h:mm:ss"
    ws["C5"] = 7
    ws["C5"].number_format = '"day" 0'
    ws["D5"].number_format = "0.00"  # styled cells without a value widen and lengthen nothing
    ws["J12"].number_format = "0.00"
    wb.save(path)


def two_sheet_workbook(path):
    wb = openpyxl.Workbook()
    wb.active.title = "First"
    wb.active["A1"] = "one"
    second = wb.create_sheet("Second")
    second["C3"] = 9
    wb.create_sheet("Third")
    wb.active = 1
    wb.save(path)


def mac_workbook(path):
    wb = openpyxl.Workbook()
    wb.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904
    wb.active["A1"] = datetime.datetime(1910, 5, 6, 7, 8, 9)
    wb.active["A2"] = 1.5
    wb.save(path)


def patched_workbook(path):
    """Formula cells with and without stored results, inline and rich strings, odd numbers."""
    base = str(path) + ".base.xlsx"
    openpyxl.Workbook().save(base)
    sheet = ('<?xml version="1.0" encoding="UTF-8"?>'
             '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
             '<row r="1"><c r="A1"><f>1+2</f><v>3</v></c><c r="B1"><f>A1*2</f></c>'
             '<c r="C1" t="str"><f>"a"&amp;"b"</f><v>ab</v></c><c r="D1" t="e"><f>1/0</f><v>#DIV/0!</v></c></row>'
             '<row r="2"><c r="A2" t="inlineStr"><is><t xml:space="preserve"> in line </t></is></c>'
             '<c r="B2" t="inlineStr"><is><r><t>ri</t></r><r><rPr><b/></rPr><t>ch</t></r><rPh sb="0" eb="1"><t>x</t></rPh></is></c>'
             '<c t="n"><v>007</v></c><c><v>1E3</v></c><c t="b"><v>1</v></c></row>'
             '<row><c><v>-0</v></c><c t="d"><v>2021-02-03T04:05:06</v></c><c t="d"><v>2021-02-03</v></c></row>'
             '</sheetData></worksheet>')
    with zipfile.ZipFile(base) as src, zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as dst:
        for name in src.namelist():
            data = src.read(name)
            if name == "xl/worksheets/sheet1.xml":
                data = sheet.encode()
            dst.writestr(name, data)
    os.remove(base)


def two_views_workbook(path):
    """Two sheets and two views: the first view, without activeTab, decides."""
    base = str(path) + ".base.xlsx"
    wb = openpyxl.Workbook()
    wb.active["A1"] = "first"
    wb.create_sheet("Second")["A1"] = "second"
    wb.save(base)
    views = '<bookViews><workbookView/><workbookView activeTab="1"/></bookViews>'
    with zipfile.ZipFile(base) as src, zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as dst:
        for name in src.namelist():
            data = src.read(name)
            if name == "xl/workbook.xml":
                text = data.decode()
                start, end = text.index("<bookViews>"), text.index("</bookViews>") + len("</bookViews>")
                data = (text[:start] + views + text[end:]).encode()
            dst.writestr(name, data)
    os.remove(base)


@pytest.mark.parametrize("make", [values_workbook, two_sheet_workbook, mac_workbook, patched_workbook,
                                  two_views_workbook],
                         ids=lambda f: f.__name__)
def test_xlsx_reads_as_openpyxl(tmp_path, make):
    path = tmp_path / "book.xlsx"
    make(path)
    wb = openpyxl.load_workbook(path, data_only=True)
    got = tool_read(path)
    assert got["sheets"] == wb.sheetnames
    assert got["active"] == wb.sheetnames.index(wb.active.title)
    for index, name in enumerate(wb.sheetnames):
        got = tool_read(path, index)
        assert got["sheet"] == name
        assert got["rows"] == openpyxl_table(path, name)


def test_written_xlsx_reads_back_in_openpyxl(tmp_path):
    rows = [["x", "", "3", "2.50"], [" ", "=A1*2", "\u4e2d", "multi\nline"], ["", "", "", "last"],
            ["True", "1e-05", "  two  ", ""], ["under_score", "_x", "_x12_", "tab\t_"]]
    path = tmp_path / "out.xlsx"
    done = tool_write(path, rows)
    assert done.returncode == 0, done.stderr
    wb = openpyxl.load_workbook(path)
    assert wb.sheetnames == ["Sheet1"]
    expected = [[None if v in ("", " ") else v for v in row] for row in rows]
    assert openpyxl_table(path) == expected
    assert all(c.data_type == "s" for row in wb.active.iter_rows() for c in row if c.value is not None)
    assert tool_read(path)["rows"] == expected


def test_written_xlsx_of_empty_cells_has_no_cells(tmp_path):
    path = tmp_path / "out.xlsx"
    assert tool_write(path, [[""]]).returncode == 0
    assert openpyxl_table(path) == []
    assert tool_read(path)["rows"] == []


ESCAPE_TEXTS = ["a\rb", "a_x000D_b", "_x005F_", "a_x005F_x000D_b", "_x0041\r", "_x0000_", "_xD800_", "\r\n",
                "_x0041__x0042_", "_X000D_", "_x000d_"]


def test_escapes_and_carriage_returns_survive_our_round_trip(tmp_path):
    """openpyxl decodes none of these (only _x005F_), so only our own reader checks them."""
    path = tmp_path / "escapes.xlsx"
    assert tool_write(path, [ESCAPE_TEXTS]).returncode == 0
    assert tool_read(path)["rows"] == [ESCAPE_TEXTS]


def test_openpyxl_texts_without_escapes_read_as_written(tmp_path):
    texts = ["under_score", "_x", "x000D_", "_x12_", "tab\there", "multi\nline", "\u4e2d_\u6587"]
    wb = openpyxl.Workbook()
    wb.active.append(texts)
    path = tmp_path / "book.xlsx"
    wb.save(path)
    assert tool_read(path)["rows"] == [texts] == openpyxl_table(path)


# Cells whose texts hold _xHHHH_ escapes, where openpyxl differs (it decodes
# only _x005F_, and only in shared strings): the text every escape decoded once.
PROGRAM_ESCAPED = {("gnumeric.xlsx", "Values", 1, 5): "a_x000D_b"}


def program_files(ending):
    return sorted(name for name in os.listdir(PROGRAMS) if name.endswith(ending))


@pytest.mark.parametrize("name", program_files(".xlsx"))
def test_xlsx_made_by_spreadsheet_programs_reads_as_openpyxl(name):
    path = os.path.join(PROGRAMS, name)
    wb = openpyxl.load_workbook(path, data_only=True)
    got = tool_read(path)
    assert got["sheets"] == wb.sheetnames == ["Values", "Second"]
    assert got["active"] == 1 == wb.sheetnames.index(wb.active.title)
    for index, sheet in enumerate(wb.sheetnames):
        expected = openpyxl_table(path, sheet)
        for (file, escaped_sheet, row, col), text in PROGRAM_ESCAPED.items():
            if (file, escaped_sheet) == (name, sheet):
                expected[row][col] = text
        assert tool_read(path, index)["rows"] == expected
    # Error formulas load as their texts, as openpyxl gives them.
    errors = tool_read(path, 0)["rows"][4]
    assert all(e.startswith("#") for e in errors[:7])


@pytest.mark.parametrize("name", program_files(".csv"))
def test_csv_made_by_spreadsheet_programs_reads_as_python(name):
    with open(os.path.join(PROGRAMS, name), "rb") as f:
        expected = python_csv_rows(f.read())
    width = max(len(r) for r in expected)
    assert tool_read(os.path.join(PROGRAMS, name))["rows"] == [r + [None] * (width - len(r)) for r in expected]


def python_csv_rows(data: bytes):
    """The rows the grid's CSV loader takes, by Python's csv module (BOM removed)."""
    text = data.decode("utf-8")
    if text.startswith("\ufeff"):
        text = text[1:]
    return [row for row in csv.reader(io.StringIO(text, newline="")) if row]


CSV_ALPHABET = ['a', 'b', ',', '"', '\r', '\n', ' ', '\u00e9', '""', '\ufeff']


def random_text(rng, count):
    return "".join(rng.choice(CSV_ALPHABET) for _ in range(count))


@pytest.mark.parametrize("seed", range(300))
def test_csv_reader_agrees_with_python(tmp_path, seed):
    rng = random.Random(seed)
    data = random_text(rng, rng.randint(0, 40)).encode("utf-8")
    path = tmp_path / "in.csv"
    path.write_bytes(data)
    got = tool_read(path)
    expected = python_csv_rows(data)
    width = max((len(r) for r in expected), default=0)
    assert got["width"] == width
    assert got["rows"] == [r + [None] * (width - len(r)) for r in expected]


@pytest.mark.parametrize("seed", range(100))
def test_csv_writer_agrees_with_python(tmp_path, seed):
    rng = random.Random(seed)
    rows = [[random_text(rng, rng.randint(0, 5)) for _ in range(4)] for _ in range(rng.randint(1, 4))]
    path = tmp_path / "out.csv"
    assert tool_write(path, rows).returncode == 0
    out = io.StringIO(newline="")
    csv.writer(out).writerows([[" " if v in ("", " ") else v for v in row] for row in rows])
    assert path.read_bytes() == out.getvalue().encode("utf-8")


def test_invalid_utf8_csv_is_an_error_worded_as_python(tmp_path):
    path = tmp_path / "bad.csv"
    path.write_bytes(b"a,\xff\r\n")
    done = subprocess.run([TOOL, "read", str(path)], capture_output=True, text=True)
    assert done.returncode == 1
    with pytest.raises(UnicodeDecodeError) as err:
        path.read_bytes().decode("utf-8")
    assert done.stderr.strip() == str(err.value)
