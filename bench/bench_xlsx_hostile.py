"""Hostile XLSX files: small files whose XML, styles or strings would cost a
naive reader minutes or gigabytes. Each is read by trelvo-iotool in a child
process; prints the file's size, the outcome, the time, the child's peak
memory (maximum resident set) and, for a file that loads, the XML read per
second (the members' inflated size over the time). Goals: every peak below 256 MB, every file
under 1 MB loaded or refused within 3 s, and the valid sheets read at
50 MB/s or more.

TRELVO_BENCH_TIMEOUT (seconds, default 300) stops a child that runs longer;
TRELVO_BENCH_ONLY=<text> runs only the files whose name holds the text."""
import base64
import itertools
import os
import resource
import subprocess
import sys
import tempfile
import threading
import time
import zipfile

BUILD = os.environ.get("TRELVO_BUILD_DIR") or os.path.dirname(os.environ.get("PYTHONPATH", "build/python").split(":")[0])
TOOL = os.environ.get("TRELVO_IOTOOL") or os.path.join(BUILD or "build", "bin", "trelvo-iotool")
TIMEOUT = float(os.environ.get("TRELVO_BENCH_TIMEOUT", "300"))
ONLY = os.environ.get("TRELVO_BENCH_ONLY", "")
GOAL_MB = 256

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
CONTENT_TYPES = (
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Override PartName="/xl/workbook.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
    '<Override PartName="/xl/sharedStrings.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
WORKBOOK = (
    f'<workbook xmlns="{MAIN}" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
    '<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>')
WORKBOOK_RELS = (
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" '
    'Target="worksheets/sheet1.xml"/></Relationships>')
SHEET_HEAD = f'<worksheet xmlns="{MAIN}"><sheetData>'
SHEET_TAIL = '</sheetData></worksheet>'
ONE_CELL = SHEET_HEAD + '<row r="1"><c r="A1" s="0"><v>1</v></c></row>' + SHEET_TAIL
MiB = 1 << 20


def repeat(piece, count):
    """Yields `piece` `count` times, in blocks of about 1 MiB."""
    per_block = max(1, MiB // max(1, len(piece)))
    block = piece * per_block
    while count >= per_block:
        yield block
        count -= per_block
    if count:
        yield piece * count


def write_workbook(path, parts):
    """parts: member name -> text, or a list of text pieces written one by one."""
    members = {"[Content_Types].xml": CONTENT_TYPES, "xl/workbook.xml": WORKBOOK,
               "xl/_rels/workbook.xml.rels": WORKBOOK_RELS, "xl/worksheets/sheet1.xml": ONE_CELL,
               "xl/sharedStrings.xml": f'<sst xmlns="{MAIN}"/>'}
    members.update(parts)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, content in members.items():
            with z.open(name, "w", force_zip64=False) as f:
                for piece in ([content] if isinstance(content, (str, bytes)) else content):
                    f.write(piece.encode() if isinstance(piece, str) else piece)


def styles(fmt, xf_count):
    yield f'<styleSheet xmlns="{MAIN}"><numFmts><numFmt numFmtId="164" formatCode="{fmt}"/></numFmts><cellXfs>'
    yield from repeat('<xf numFmtId="164"/>', xf_count)
    yield '</cellXfs></styleSheet>'


def attributes_sheet():
    attrs = "".join(f' a{i}="1"' for i in range(20_000))
    yield SHEET_HEAD + '<row r="1">'
    for _ in range(300):
        yield f'<c r="A1"{attrs}><v>1</v></c>'
    yield '</row>' + SHEET_TAIL


def namespaces_sheet():
    decls = "".join(f' xmlns:n{i}="urn:n{i}"' for i in range(100_000))
    yield f'<worksheet xmlns="{MAIN}"{decls}><sheetData><row r="1"><c r="A1"><v>1</v></c></row>' + SHEET_TAIL


def sheet_around(middle_pieces):
    yield SHEET_HEAD + '<row r="1"><c r="A1" t="str"><v>'
    yield from middle_pieces
    yield '</v></c></row>' + SHEET_TAIL


def blanks_sheet():
    yield SHEET_HEAD
    yield from repeat(" ", 500 * MiB)
    yield '<row r="1"><c r="A1"><v>1</v></c></row>' + SHEET_TAIL


def sparse_sheet(rows):
    yield SHEET_HEAD
    for r in range(1, rows + 1):
        yield f'<row r="{r}"><c r="A{r}"><v>1</v></c><c r="XFD{r}"><v>1</v></c></row>'
    yield SHEET_TAIL


def utf7(pieces):
    """The text of `pieces` as a UTF-7 part whose markup is one base64 run,
    without a single "<" byte; written piece by piece."""
    yield '<?xml version="1.0" encoding="UTF-7"?>+'
    held = b""
    for piece in pieces:
        held += piece.encode("utf-16-be")
        whole = len(held) - len(held) % 3
        yield base64.b64encode(held[:whole]).decode()
        held = held[whole:]
    yield base64.b64encode(held).decode().rstrip("=") + "-"


def utf7_attributes_sheet(count):
    return utf7([SHEET_HEAD, '<row r="1"><c r="A1"', "".join(f' a{i}="1"' for i in range(count)),
                 '><v>1</v></c></row>', SHEET_TAIL])


def utf7_namespaces_sheet(count, rows):
    decls = "".join(f' xmlns:n{i}="urn:n{i}"' for i in range(count))
    return utf7([f'<worksheet xmlns="{MAIN}"{decls}><sheetData>', *repeat("<row/>", rows), SHEET_TAIL])


def empty_rows_sheet(count):
    yield SHEET_HEAD + '<row r="1"><c r="A1"><v>1</v></c></row>'
    yield from repeat("<row/>", count)
    yield SHEET_TAIL


def unknown_elements_sheet(count):
    yield SHEET_HEAD + '<row r="1"><c r="A1"><v>1</v></c></row>'
    yield from repeat("<a/>", count)
    yield SHEET_TAIL


def blanks_and_comments_sheet(runs):
    yield SHEET_HEAD + '<row r="1"><c r="A1"><v>1</v></c></row>'
    yield from repeat(" " * 2_000_000 + "<!---->", runs)
    yield SHEET_TAIL


def filler(elements, blank_runs):
    """Elements the reader does not know, then runs of 1,000,000 blanks each cut
    from the next by a comment."""
    yield from repeat("<a/>", elements)
    yield from repeat(" " * 1_000_000 + "<!---->", blank_runs)


def filled_parts(fillers):
    """Parts of a one-cell workbook holding filler: (elements, runs of blanks)
    by part name, for the content types, workbook, styles, shared strings and
    sheet."""
    texts = {"[Content_Types].xml": (CONTENT_TYPES, "</Types>"),
             "xl/workbook.xml": (WORKBOOK, "</workbook>"),
             "xl/styles.xml": (f'<styleSheet xmlns="{MAIN}"><cellXfs><xf numFmtId="0"/></cellXfs></styleSheet>',
                               "<cellXfs>"),
             "xl/sharedStrings.xml": (f'<sst xmlns="{MAIN}"><si><t>x</t></si></sst>', "</sst>"),
             "xl/worksheets/sheet1.xml": (ONE_CELL, "</worksheet>")}
    parts = {}
    for name, (elements, runs) in fillers.items():
        text, before = texts[name]
        at = text.index(before)
        parts[name] = itertools.chain([text[:at]], filler(elements, runs), [text[at:]])
    return parts


FIVE_PARTS = ["[Content_Types].xml", "xl/workbook.xml", "xl/styles.xml", "xl/sharedStrings.xml",
              "xl/worksheets/sheet1.xml"]


def number_formats(count, length):
    yield f'<styleSheet xmlns="{MAIN}"><numFmts>'
    for i in range(count):
        yield f'<numFmt numFmtId="{164 + i}" formatCode="{i:06d}{"0" * (length - 6)}"/>'
    yield '</numFmts><cellXfs><xf numFmtId="164"/></cellXfs></styleSheet>'


def cells_sheet(cells, per_row=100):
    """`cells` one-character cells without references, `per_row` to a row."""
    yield SHEET_HEAD
    full, rest = divmod(cells, per_row)
    yield from repeat("<row>" + "<c><v>1</v></c>" * per_row + "</row>", full)
    if rest:
        yield "<row>" + "<c><v>1</v></c>" * rest + "</row>"
    yield SHEET_TAIL


def valid_sheet(rows):
    """A sheet as a spreadsheet program writes it: numbers, shared texts and
    truth values, every cell with its reference."""
    yield SHEET_HEAD
    for r in range(1, rows + 1):
        yield (f'<row r="{r}" spans="1:4"><c r="A{r}" s="0"><v>{r}</v></c><c r="B{r}"><v>{r * 0.5}</v></c>'
               f'<c r="C{r}" t="s"><v>0</v></c><c r="D{r}" t="b"><v>1</v></c></row>')
    yield SHEET_TAIL


def shared_strings(count):
    yield f'<sst xmlns="{MAIN}">'
    yield from repeat("<si><t>x</t></si>", count)
    yield '</sst>'


def empty_strings_then(count, elements, blank_runs):
    """`count` empty shared strings <si/>, then filler in the same part."""
    yield f'<sst xmlns="{MAIN}">'
    yield from repeat("<si/>", count)
    yield from filler(elements, blank_runs)
    yield '</sst>'


def long_attributes_sheet(elements, length):
    """Unknown elements after A1, each with one attribute of `length` characters."""
    value = "x" * length
    yield SHEET_HEAD + '<row r="1"><c r="A1"><v>1</v></c></row>'
    for _ in range(elements):
        yield f'<a b="{value}"/>'
    yield SHEET_TAIL


CASES = [
    ("bracket format, 1,000,000 '['", lambda p: write_workbook(p, {"xl/styles.xml": styles("[" * 1_000_000, 1)})),
    ("bracket format on 2,000 styles", lambda p: write_workbook(p, {"xl/styles.xml": styles("[" * 4_000, 2_000)})),
    ("20,000 attributes on 300 cells", lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": attributes_sheet()})),
    ("100,000 namespace declarations", lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": namespaces_sheet()})),
    ("500 MiB of blanks", lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": blanks_sheet()})),
    ("one 400 MiB text cell",
     lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": sheet_around(repeat("x", 400 * MiB))})),
    ("20 million shared strings", lambda p: write_workbook(p, {"xl/sharedStrings.xml": shared_strings(20_000_000)})),
    ("20 million styles", lambda p: write_workbook(p, {"xl/styles.xml": styles("0.00", 20_000_000)})),
    ("sparse: A and XFD in 1,219 rows",
     lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": sparse_sheet(1_219)})),
    ("zip bomb: 600 MiB of zero bytes",
     lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": repeat(b"\0", 600 * MiB)})),
    ("UTF-7: 100 attributes on a cell", lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": utf7_attributes_sheet(100)})),
    ("UTF-7: 60,000 attributes", lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": utf7_attributes_sheet(60_000)})),
    ("UTF-7: 80,000 namespaces, 10^6 rows",
     lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": utf7_namespaces_sheet(80_000, 1_000_000)})),
    ("80 million empty <row/>", lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": empty_rows_sheet(80_000_000)})),
    ("120 million empty <a/>",
     lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": unknown_elements_sheet(120_000_000)})),
    ("500 MB of blanks cut by comments",
     lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": blanks_and_comments_sheet(250)})),
    ("five parts of 9.9 M elements, 63 M blanks",
     lambda p: write_workbook(p, filled_parts({name: (9_900_000, 63) for name in FIVE_PARTS}))),
    ("five parts filled to the load's budget",
     lambda p: write_workbook(p, filled_parts({name: (1_300_000, 10) for name in FIVE_PARTS[:3]} |
                                              {name: (3_000_000, 16) for name in FIVE_PARTS[3:]}))),
    ("4 M <si/>, 22.4 M <a/>, 400 MiB blanks",
     lambda p: write_workbook(p, {"xl/sharedStrings.xml": empty_strings_then(4_000_000, 22_400_000, 400)})),
    ("1 M <si/>, 500 MiB blanks",
     lambda p: write_workbook(p, {"xl/sharedStrings.xml": empty_strings_then(1_000_000, 0, 500)})),
    ("500 elements with a 1 MiB attribute",
     lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": long_attributes_sheet(500, MiB - 64)})),
    ("100,000 number formats of 4,096",
     lambda p: write_workbook(p, {"xl/styles.xml": number_formats(100_000, 4_096)})),
    ("2,000,001 filled cells", lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": cells_sheet(2_000_001)})),
    ("valid: 500,000 rows x 4", lambda p: write_workbook(p, {"xl/worksheets/sheet1.xml": valid_sheet(500_000),
                                                             "xl/sharedStrings.xml": f'<sst xmlns="{MAIN}"><si><t>x</t></si></sst>'})),
]


def inflated_mb(path):
    with zipfile.ZipFile(path) as z:
        return sum(i.file_size for i in z.infolist()) / 1e6


def run_child(path):
    """Runs the reader on `path`; returns (outcome, seconds, peak MB)."""
    start = time.perf_counter()
    child = subprocess.Popen([TOOL, "count", path], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    timed_out = []

    def stop():
        timed_out.append(True)
        child.kill()

    timer = threading.Timer(TIMEOUT, stop)
    timer.start()
    out = child.stdout.read()
    err = child.stderr.read()
    _, status, usage = os.wait4(child.pid, 0)
    timer.cancel()
    child.returncode = status
    seconds = time.perf_counter() - start
    peak_mb = usage.ru_maxrss / 1024
    if timed_out:
        outcome = f"stopped after {TIMEOUT:.0f} s"
    elif os.WIFEXITED(status) and os.WEXITSTATUS(status) == 0:
        rows, width = out.split()
        outcome = f"loaded {int(rows)} x {int(width)}"
    elif os.WIFEXITED(status) and os.WEXITSTATUS(status) == 1:
        outcome = "refused: " + err.decode(errors="replace").strip()[:70]
    else:
        outcome = f"crashed (status {status})"
    return outcome, seconds, peak_mb


def main():
    if not os.access(TOOL, os.X_OK):
        print(f"trelvo-iotool not found at {TOOL}; build the tests first", file=sys.stderr)
        return 1
    over = slow = 0
    print(f"{'file':38}{'size':>9}{'time [s]':>10}{'peak [MB]':>11}{'MB/s':>8}  outcome")
    with tempfile.TemporaryDirectory() as tmp:
        for i, (name, make) in enumerate(CASES):
            if ONLY and ONLY not in name:
                continue
            path = os.path.join(tmp, f"hostile{i}.xlsx")
            make(path)
            size = os.path.getsize(path)
            xml_mb = inflated_mb(path)
            outcome, seconds, peak = run_child(path)
            os.remove(path)
            over += peak > GOAL_MB
            slow += size < 1e6 and seconds > 3
            rate = f"{xml_mb / seconds:8.1f}" if outcome.startswith("loaded") else f"{'-':>8}"
            print(f"{name:38}{size / 1024:8.0f}K{seconds:10.2f}{peak:11.1f}{rate}  {outcome}", flush=True)
    print(f"goal: every peak below {GOAL_MB} MB: {'met' if not over else f'missed by {over} file(s)'}")
    print(f"goal: every file under 1 MB within 3 s: {'met' if not slow else f'missed by {slow} file(s)'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
