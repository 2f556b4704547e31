"""The expression gate as the host sees it: names, keywords, argument types, results."""
import numpy as np
import pytest

import trelvo.fitcore as fitcore

MODULE_ORDER = ["Callable", "np", "sopt", "inspect", "warnings", "re", "keyword",
                "pi", "e", "parse_expression", "fequal", "LinearFit", "NonLinearFit"]


def test_module_binds_its_names_in_order():
    bound = [n for n in vars(fitcore) if not n.startswith("__")]
    present = [n for n in MODULE_ORDER if n in bound]
    assert present[:11] == MODULE_ORDER[:11]
    assert [n for n in bound if n in MODULE_ORDER] == present
    assert fitcore.np is np


@pytest.mark.parametrize("args, kwargs, expected", [
    (("a * x^2 + 66e-6 * x + c",), {}, ("a * x**2 + 66e-6 * x + c", ["x", "a", "c"])),
    ((), {"expression": "a*x + B + _c"}, ("a*x + B + _c", ["x", "B", "_c", "a"])),
    (("A1 + B2*2", False), {}, ("A1 + B2*2", ["A1", "B2"])),
    (("X1 + 2",), {"have_x": False}, ("x1 + 2", ["x1"])),
    ((), {"expression": "x^2", "have_x": 0}, ("x**2", [])),
    (("a + b", []), {}, ("a + b", ["a", "b"])),
    (("exp(a)", "yes"), {}, ("np.exp(a)", ["x", "a"])),
    (("sin (x) + pi() * e()",), {}, ("np.sin(x) + pi() * e()", ["x"])),
])
def test_parse_expression_results(args, kwargs, expected):
    result = fitcore.parse_expression(*args, **kwargs)
    assert type(result) is tuple
    assert result == expected
    assert type(result[0]) is str and type(result[1]) is list


class StrSub(str):
    pass


@pytest.mark.parametrize("value, type_name", [
    (None, "NoneType"), (b"x", "bytes"), (1, "int"), (StrSub("x"), "StrSub"), (["x"], "list"),
])
def test_expression_must_be_exactly_str(value, type_name):
    with pytest.raises(TypeError) as info:
        fitcore.parse_expression(value)
    assert str(info.value) == (
        f"Argument 'expression' has incorrect type (expected str, got {type_name})")


def test_have_x_truth_errors_propagate():
    class Bad:
        def __bool__(self):
            raise RuntimeError("no truth")
    with pytest.raises(RuntimeError, match="no truth"):
        fitcore.parse_expression("x", Bad())


@pytest.mark.parametrize("call", [
    lambda: fitcore.parse_expression(),
    lambda: fitcore.parse_expression("x", True, 3),
    lambda: fitcore.parse_expression(text="x"),
    lambda: fitcore.pi(1),
    lambda: fitcore.fequal(1.0),
])
def test_wrong_argument_count_is_type_error(call):
    with pytest.raises(TypeError):
        call()


@pytest.mark.parametrize("text, have_x, message", [
    ("a; b + x", True, "Illegal character or keyword: ';'"),
    ("true + x", True, "Illegal character or keyword: 'True'"),
    ("a*b", True, "The expression must contain the independent variable x"),
    ("2a*x", True, "Invalid variable name: ['2a'] - Variable names must start with a letter"),
    ("a*x^-2", True, "Negative numbers must be enclosed in parentheses, e.g., (-a) instead of *-a"),
    ("sin x", True, "Missing operator between variables"),
])
def test_rejections_are_value_errors(text, have_x, message):
    with pytest.raises(ValueError) as info:
        fitcore.parse_expression(text, have_x)
    assert str(info.value) == message


def test_non_ascii_text_round_trips():
    assert fitcore.parse_expression("x + \u00e9os") == ("x + \u00e9os", ["x"])
    assert fitcore.parse_expression("\ud800 + x") == ("\ud800 + x", ["x"])


def test_constants_are_numpys():
    assert fitcore.pi() == np.pi and type(fitcore.pi()) is float
    assert fitcore.e() == np.e and type(fitcore.e()) is float


@pytest.mark.parametrize("args, kwargs, expected", [
    ((1.0, 1.0 + 5e-11), {}, True),
    ((0.0, 1e-10), {}, False),
    ((), {"a": 1.0, "b": 1.05, "epsilon": 0.1}, True),
    ((1, 1), {}, True),
    ((np.float64(2), 2), {"epsilon": 1}, True),
    ((float("nan"), 1.0), {}, False),
])
def test_fequal(args, kwargs, expected):
    assert fitcore.fequal(*args, **kwargs) is expected


def test_fequal_uses_float_conversion():
    class Half:
        def __float__(self):
            return 0.5
    assert fitcore.fequal(Half(), 0.5)
    with pytest.raises(TypeError, match="must be real number, not str"):
        fitcore.fequal("1", 1.0)
    with pytest.raises(TypeError):
        fitcore.fequal(1.0, 1.0, None)
