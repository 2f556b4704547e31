"""The formula cell module as the host sees it: cells outside any grid."""
import sys

import pytest

from trelvo import sheetgriditem
from trelvo.sheetgriditem import CleverTableWidgetItem as Cell


def reference_label(row, col):
    if row < 0 or col < 0:
        return None
    letters = ""
    while col >= 0:
        letters = chr(col % 26 + 65) + letters
        col = col // 26 - 1
    return letters + str(row + 1)


def test_loading_brings_the_engine_and_the_evaluation_names():
    assert "trelvo.fitcore" in sys.modules
    assert sheetgriditem.np is sys.modules["numpy"]
    assert sheetgriditem.re is sys.modules["re"]


def test_default_cell_is_empty_and_plain():
    cell = Cell()
    assert cell.rawText() == ""
    assert cell.text() == ""
    assert cell.displayText() == ""
    assert cell.is_formula is False
    assert cell.formulaResult() is None
    assert cell.formulaText() is None
    assert (cell.sci, cell.dec) == (False, None)


def test_formula_outside_grid():
    cell = Cell("=1+2")
    assert cell.is_formula is True
    assert cell.text() == "3"
    assert cell.rawText() == "=1+2"
    assert cell.displayText() == "3"
    result = cell.formulaResult()
    assert result == ("3", 3) and type(result[1]) is int
    assert cell.formulaText() == "1+2"


@pytest.mark.parametrize(
    "formula, shown, value",
    [
        ("=7/2", "3.5", 3.5),
        ("=2*pi()", "6.283185307179586", 6.283185307179586),
        ("=A1", "#ERR: A1 is empty", None),
        ("=foo+1", "#ERR: FOO is invalid", None),
        ("=1;2", "#ERR: Illegal character or keyword: ';'", None),
        ("=x", "#ERR: name 'x' is not defined", None),
    ],
)
def test_formula_texts(formula, shown, value):
    cell = Cell(text=formula)
    assert cell.text() == shown
    assert cell.formulaResult() == (shown, value)


def test_numpy_results_keep_numpy_kinds():
    shown, value = Cell("=sqrt(4)").formulaResult()
    assert shown == "2.0" and type(value) is sheetgriditem.np.float64 and value == 2.0


def test_diagnostic_line_on_the_debug_log(capfd):
    Cell("=2*a1")
    err = capfd.readouterr().err
    assert "Parsed formula: 2*a1, args: ['a1']" in err.splitlines()


def test_role_texts_share_one_value():
    cell = Cell("=1+2")
    assert (cell.editText(), cell.displayText()) == ("3", "3")
    cell.setEditText(edit_text="e")
    assert (cell.editText(), cell.displayText()) == ("e", "e")
    cell.setDisplayText(display_text="d")
    assert (cell.editText(), cell.displayText()) == ("d", "d")
    assert cell.rawText() == "=1+2" and cell.text() == "3"


def test_plain_texts_and_raw_text():
    cell = Cell("  =2*3")
    assert cell.is_formula and cell.rawText() == "  =2*3" and cell.text() == "6"
    cell.setText("a=b")
    assert not cell.is_formula and cell.text() == "a=b" and cell.formulaResult() is None
    cell.setText("5")
    cell.setRawText(raw_text="x")
    assert cell.displayText() == "5" and cell.text() == "x"


@pytest.mark.parametrize(
    "text, dec, sci, shown",
    [
        ("3.14159", 2, False, "3.14"),
        ("3.14159", 2, True, "3.14e+00"),
        ("1234", 0, True, "1e+03"),
        ("-nan", 3, False, "nan"),
        ("abc", 2, False, "abc"),
        ("=1+2", 2, False, "3.00"),
        ("=A1", 2, False, "#ERR: A1 is empty"),
    ],
)
def test_formats(text, dec, sci, shown):
    cell = Cell(text)
    cell.setFormat(dec, sci)
    assert cell.displayText() == shown
    assert (cell.sci, cell.dec) == (sci, dec)
    assert cell.rawText() == text


def test_format_follows_later_texts_and_clears():
    cell = Cell("3.14159")
    cell.setFormat(dec=2, sci=True)
    cell.setText("2.5")
    assert cell.displayText() == "2.50e+00" and cell.text() == "2.5"
    cell.clearFormat()
    assert cell.displayText() == "2.5" and (cell.sci, cell.dec) == (False, None)


@pytest.mark.parametrize(
    "label, pos",
    [("A1", (0, 0)), ("a1", (0, 0)), ("Z9", (8, 25)), ("AA10", (9, 26)), ("ab12cd", (11, 27)),
     ("A0", (-1, 0)), ("1A", None), ("A", None), ("", None), (" A1", None), ("A2147483649", None)],
)
def test_label2index(label, pos):
    assert Cell().label2index(label) == pos


@pytest.mark.parametrize(
    "row, col",
    [(0, 0), (0, 25), (0, 26), (4, 701), (0, 702), (-1, 0), (0, -1), (2**40, 2**40), (2**70, 2**80),
     (-(2**70), 0)],
)
def test_index2label(row, col):
    assert Cell().index2label(row=row, col=col) == reference_label(row, col)


@pytest.mark.parametrize(
    "formula, row, col, moved",
    [("=A1+B2", 1, 1, "=B2+C3"), ("=A1+B2", 0, 0, "=A1+B2"), ("=B1+A2", 1, -1, "=A2+A2"),
     ("=log10(g1)", 1, 0, "=log10(G2)"), ("=a1+A1", 1, 0, "=A2+A2"), ("A1", 1, 0, None),
     ("=A1;", 1, 0, None)],
)
def test_formula_offset(formula, row, col, moved):
    assert Cell(formula).formulaOffset(row, col) == moved


class Text(str):
    pass


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: Cell(1), "Argument 'text' has incorrect type (expected str, got int)"),
        (lambda: Cell(Text("1")), "Argument 'text' has incorrect type (expected str, got Text)"),
        (lambda: Cell().setText(None), "Argument 'text' has incorrect type (expected str, got NoneType)"),
        (lambda: Cell().setRawText(b"x"), "Argument 'raw_text' has incorrect type (expected str, got bytes)"),
        (lambda: Cell().setDisplayText(1), "Argument 'display_text' has incorrect type (expected str, got int)"),
        (lambda: Cell().setEditText(None), "Argument 'edit_text' has incorrect type (expected str, got NoneType)"),
        (lambda: Cell().setFormat(2.0), "Argument 'dec' has incorrect type (expected int, got float)"),
        (lambda: Cell().setFormat(True), "Argument 'dec' has incorrect type (expected int, got bool)"),
        (lambda: Cell().label2index(None), "Argument 'label' has incorrect type (expected str, got NoneType)"),
        (lambda: Cell().index2label(True, 0), "Argument 'row' has incorrect type (expected int, got bool)"),
        (lambda: Cell().index2label(0, 1.0), "Argument 'col' has incorrect type (expected int, got float)"),
        (lambda: Cell("=A1").formulaOffset(0, "1"), "Argument 'col' has incorrect type (expected int, got str)"),
    ],
)
def test_argument_types(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message
