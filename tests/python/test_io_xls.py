"""Cross-checks of the XLS reader and writer (through trelvo-xlstool) with
xlrd and xlwt: files xlwt writes load with xlrd's texts, and files we write
load in xlrd with the same texts."""
import datetime
import json
import math
import os
import pathlib
import random
import subprocess

import pytest
import xlrd
import xlwt

BUILD = pathlib.Path(os.environ.get("TRELVO_BUILD_DIR", "build"))
SOURCE = pathlib.Path(os.environ.get("TRELVO_SOURCE_DIR", "."))
TOOL = BUILD / "bin" / "trelvo-xlstool"
FIXTURES = SOURCE / "tests" / "data" / "io" / "xls"
PROGRAMS = SOURCE / "tests" / "data" / "io" / "programs"
MALFORMED = SOURCE / "tests" / "data" / "malformed"

pytestmark = pytest.mark.skipif(not TOOL.exists(), reason="trelvo-xlstool not built")


def run(*args, stdin=None):
    return subprocess.run([str(TOOL), *map(str, args)], input=stdin, capture_output=True, text=True, timeout=120)


def our_sheets(path):
    p = run("sheets", path)
    assert p.returncode == 0, p.stderr
    return json.loads(p.stdout)


def our_table(path, index):
    """The table as xlrd shapes it: nrows rows of ncols texts, "" where nothing is."""
    p = run("read", path, index)
    assert p.returncode == 0, p.stderr
    t = json.loads(p.stdout)
    rows = [[v if v is not None else "" for v in row] + [""] * (t["width"] - len(row)) for row in t["rows"]]
    return t["sheet"], t["width"], rows


def xlrd_text(cell):
    """The text the grid makes of an xlrd cell: float repr, int digits, str as is; an
    error cell gives its error's text (#DIV/0!) where xlrd gives its code."""
    if cell.ctype == xlrd.XL_CELL_ERROR and cell.value in xlrd.error_text_from_code:
        return xlrd.error_text_from_code[cell.value]
    return repr(cell.value) if isinstance(cell.value, float) else str(cell.value)


def assert_same_as_xlrd(path):
    book = xlrd.open_workbook(str(path))
    assert our_sheets(path) == book.sheet_names()
    for i in range(book.nsheets):
        sheet = book.sheet_by_index(i)
        name, width, rows = our_table(path, i)
        assert name == sheet.name
        assert width == sheet.ncols
        assert len(rows) == sheet.nrows
        assert rows == [[xlrd_text(c) for c in sheet.row(r)] for r in range(sheet.nrows)]


@pytest.mark.parametrize("name", sorted(p.name for p in FIXTURES.glob("*.xls")))
def test_committed_fixtures_read_as_xlrd(name):
    assert_same_as_xlrd(FIXTURES / name)


@pytest.mark.parametrize("name", sorted(p.name for p in PROGRAMS.glob("*.xls")))
def test_files_made_by_spreadsheet_programs_read_as_xlrd(name):
    """LibreOffice's and Gnumeric's workbooks; their error formulas load as the errors' texts."""
    assert_same_as_xlrd(PROGRAMS / name)
    _, _, rows = our_table(PROGRAMS / name, 0)
    assert all(text.startswith("#") for text in rows[4][:7])


def build_numbers(ws, rng):
    specials = [0.0, -0.0, 3, 2.5, 1e-05, 1e16, 1e-300, 1.7976931348623157e308, 5e-324, 0.1 + 0.2,
                -123456789, 2 ** 29, 2 ** 40]
    for i, v in enumerate(specials):
        ws.write(i, 0, v)
    for i in range(300):
        ws.write(i, 1, rng.uniform(-1e6, 1e6))
        ws.write(i, 2, rng.randint(-10 ** 9, 10 ** 9))
        ws.write(i, 3, math.ldexp(rng.random(), rng.randint(-60, 60)))


def build_strings(ws, rng):
    alphabet = "abcXYZ éüß ЖДЯ 中文数据 ελλ 😀\t\n"
    for i in range(200):
        for j in range(3):
            ws.write(i, j, "".join(rng.choice(alphabet) for _ in range(rng.randint(1, 400))))


def build_mixed(ws, rng):
    ws.write(0, 0, True)
    ws.write(0, 1, False)
    ws.row(0).set_cell_error(2, "#REF!")
    ws.row(0).set_cell_error(3, "#NAME?")
    ws.write(1, 0, xlwt.Formula("2*3"))
    ws.write(1, 1, xlwt.Formula('"a"&"b"'))
    ws.write(2, 0, datetime.date(1999, 12, 31), xlwt.easyxf(num_format_str="D-MMM-YY"))
    ws.write(2, 1, datetime.datetime(2021, 6, 1, 12, 30), xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM"))
    ws.write(7, 200, "far", xlwt.easyxf("font: bold on"))
    ws.write(12, 3, "", xlwt.easyxf("pattern: pattern solid;"))


@pytest.mark.parametrize("builder", [build_numbers, build_strings, build_mixed], ids=lambda f: f.__name__)
def test_xlwt_files_read_as_xlrd(tmp_path, builder):
    rng = random.Random(7)
    wb = xlwt.Workbook(encoding="utf-8")
    builder(wb.add_sheet("First"), rng)
    wb.add_sheet("Zweite Seite").write(3, 2, "x")
    wb.add_sheet("空")
    path = tmp_path / "book.xls"
    wb.save(str(path))
    assert_same_as_xlrd(path)


def write_ours(path, rows):
    p = run("write", path, stdin=json.dumps(rows))
    assert p.returncode == 0, p.stderr


CASES = {
    "text_cells": [["a", "3", "2.5"], ["=1+2", "中文", "Ελληνικά 😀"]],
    "empty_cells_absent": [["x", "", " ", "y"], [], ["", " "], [" ", "z"]],
    "cell_two_one": [["", ""], ["", ""], ["", "B3"]],
    "repeated_strings": [["dup"] * 5 for _ in range(5)],
    "many_long_strings": [["%d " % i + "数据ab" * (i % 200), "k%d" % i] for i in range(2000)],
    "longest_text": [["q" * 32767, "長" * 32767]],
    "surrogate_pairs_across_continue": [["x" * i + "😀" * 300] for i in range(60)],
    "all_empty": [[""]],
}


@pytest.mark.parametrize("case", sorted(CASES))
def test_our_files_read_in_xlrd(tmp_path, case):
    rows = CASES[case]
    path = tmp_path / "ours.xls"
    write_ours(path, rows)
    book = xlrd.open_workbook(str(path))
    assert book.sheet_names() == ["Sheet1"]
    sheet = book.sheet_by_index(0)
    kept = {(r, c): t for r, row in enumerate(rows) for c, t in enumerate(row) if t not in ("", " ")}
    assert sheet.nrows == (max(r for r, _ in kept) + 1 if kept else 0)
    assert sheet.ncols == (max(c for _, c in kept) + 1 if kept else 0)
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            if (r, c) in kept:
                assert sheet.cell_type(r, c) == xlrd.XL_CELL_TEXT
                assert sheet.cell_value(r, c) == kept[(r, c)]
            else:
                assert sheet.cell_type(r, c) == xlrd.XL_CELL_EMPTY
    # Our reader gives the same texts back.
    assert_same_as_xlrd(path)


def test_cell_two_one_lands_at_row_two_column_one(tmp_path):
    path = tmp_path / "b3.xls"
    write_ours(path, CASES["cell_two_one"])
    sheet = xlrd.open_workbook(str(path)).sheet_by_index(0)
    assert (sheet.nrows, sheet.ncols) == (3, 2)
    assert sheet.cell_value(2, 1) == "B3"


@pytest.mark.parametrize("rows", [
    [["x"]] * 65537,
    [["x"] * 257],
    [["a" * 32768]],
], ids=["rows", "columns", "text"])
def test_writer_refuses_beyond_format_limits(tmp_path, rows):
    path = tmp_path / "refused.xls"
    p = run("write", path, stdin=json.dumps(rows))
    assert p.returncode == 1
    assert p.stderr.startswith("error: ")
    assert list(tmp_path.iterdir()) == []


@pytest.mark.parametrize("name", sorted(p.name for p in MALFORMED.glob("*.xls")))
def test_malformed_samples_fail_cleanly(name):
    p = run("sheets", MALFORMED / name)
    assert p.returncode == 1, (p.returncode, p.stdout, p.stderr)
    assert "error: " in p.stderr
