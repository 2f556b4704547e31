"""The polynomial fit as the host sees it, cross-checked against NumPy."""
import math
import warnings

import numpy as np
import pytest

from trelvo.fitcore import LinearFit


def rel_close(a, b, tol=1e-9):
    a = np.asarray(a, dtype=float)
    b = np.asarray(b, dtype=float)
    scale = np.maximum(np.abs(b).max(), 1e-300)
    return np.all(np.abs(a - b) <= tol * scale)


RNG = np.random.default_rng(20261210)


def data_sets():
    x = np.linspace(0.0, 10.0, 50)
    yield "quadratic_noisy", x, 3 * x**2 - 2 * x + 1 + RNG.normal(0, 0.5, x.size), 2
    yield "cubic", x, 0.5 * x**3 - x + RNG.normal(0, 1.0, x.size), 3
    yield "line_negative_x", -x[::-1], 2 * x[::-1] + 1, 1
    xb = np.linspace(1e5, 1e5 + 50, 40)
    yield "badly_scaled_x", xb, 1e-3 * (xb - 1e5) ** 2 + RNG.normal(0, 0.1, xb.size), 2
    xs = np.linspace(1e-6, 5e-6, 30)
    yield "tiny_x", xs, 4e6 * xs + 1 + RNG.normal(0, 1e-3, xs.size), 1
    xd = np.linspace(-1.0, 1.0, 25)
    yield "degree_six", xd, np.cos(3 * xd), 6
    xm = np.arange(10.0)
    yield "descending", xm[::-1], np.sqrt(xm[::-1] + 1), 3


@pytest.mark.parametrize("name,x,y,deg", list(data_sets()), ids=lambda v: v if isinstance(v, str) else "")
def test_coefficients_match_polyfit(name, x, y, deg):
    f = LinearFit(x.tolist(), y.tolist(), degree=deg)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        got = f.fit()
        want = np.polyfit(x, y, deg)
    assert len(got) == deg + 1
    assert rel_close(got, want), (got, want.tolist())
    assert f.r_squared() == pytest.approx(
        1 - np.sum((y - np.polyval(want, x)) ** 2) / np.sum((y - np.mean(y)) ** 2), rel=1e-9)
    assert rel_close(f.ylist(), np.poly1d(want)(x))


def test_rank_warning_like_numpy():
    x, y = [1.0, 2.0], [1.0, 2.0]
    with pytest.warns(np.RankWarning, match="Polyfit may be poorly conditioned"):
        np.polyfit(x, y, 3)
    with pytest.warns(np.RankWarning, match="Polyfit may be poorly conditioned"):
        LinearFit(x, y, degree=3).fit()


@pytest.mark.parametrize("coef", [[1.0, -4.0, 3.0], [1.0, 0.0, -2.0, 0.5], [2.0, -1.0, -7.0, 4.0, 1.5],
                                  [1.0, -6.0, 11.0, -6.0], [-0.5, 0.0, 3.0]],
                         ids=["two_roots", "cubic", "quartic", "three_integer_roots", "negative_lead"])
def test_solutions_follow_numpy_root_order(coef):
    x = np.linspace(-4.0, 6.0, 60)
    y = np.polyval(coef, x)
    f = LinearFit(x.tolist(), y.tolist(), degree=len(coef) - 1)
    f.fit()
    target = 0.25
    c = list(f.params)
    c[-1] -= target
    r = np.roots(c)
    real = [float(v.real) for v in np.atleast_1d(r) if abs(v.imag) <= 1e-6 * max(1.0, abs(v.real))]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        rec = f.solveval(target, limit=False)
    if len(real) > 1:
        assert list(rec) == ["x", "y"]
        assert rec["y"] == target
        np.testing.assert_allclose(rec["x"], real, rtol=1e-9, atol=1e-12)
    else:
        assert rec == pytest.approx(real[0])


def fixed_intercept_reference(x, y, deg, y0):
    cols = np.vstack([x**k for k in range(deg, 0, -1)]).T
    sol = np.linalg.lstsq(cols, y - y0, rcond=None)[0]
    return list(sol) + [y0]


@pytest.mark.parametrize("x,deg,y0", [
    (np.linspace(1.0, 5.0, 20), 2, 0.5),
    (np.linspace(-3.0, 3.0, 21)[np.abs(np.linspace(-3.0, 3.0, 21) - 0.7) > 1e-9], 3, 0.7),
    (np.linspace(-5.0, -1.0, 15)[::-1], 1, -2.5),
], ids=["positive_x", "straddling_zero", "negative_descending"])
def test_fixed_intercept_is_constrained_least_squares(x, deg, y0, capsys):
    y = np.sin(x) + 0.3 * x**2
    f = LinearFit(x.tolist(), y.tolist(), degree=deg, y_intercept=y0)
    got = f.fit()
    assert got[-1] == y0
    assert rel_close(got, fixed_intercept_reference(x, y, deg, y0))
    out = capsys.readouterr().out
    xi, yi = f.insert_y_intercept()
    assert out == "Fitting x list: " + str(xi) + "\nFitting y list: " + str(yi) + "\n"


@pytest.mark.parametrize("x,expected", [
    ([1, 2, 3], [0, 1, 2, 3]), ([3, 2, 1], [0, 3, 2, 1]), ([-3, -2, -1], [-3, -2, -1, 0]),
    ([-1, -2, -3], [-1, -2, -3, 0]), ([-2, -1, 1, 2], [-2, -1, 0, 1, 2]),
    ([2, 1, -1, -2], [2, 1, 0, -1, -2]), ([0, 1, 2], [0, 0, 1, 2]), ([-2, -1, 0], [-2, -1, 0]),
    ([2, 1, 0], [2, 1, 0]),
], ids=["ascending_positive", "descending_positive", "ascending_negative", "descending_negative",
        "straddle_ascending", "straddle_descending", "own_zero", "ends_at_zero", "descends_to_zero"])
def test_intercept_point_placement(x, expected, capsys):
    y = [float(v * v) for v in x]
    f = LinearFit(x, y, degree=1, y_intercept=5.0)
    xi, yi = f.insert_y_intercept()
    assert xi.tolist() == expected
    assert len(yi) == len(expected)
    assert f.fit()[-1] == 5.0
    assert capsys.readouterr().out.splitlines()[0] == "Fitting x list: " + str(np.array(expected))


def test_insert_intercept_without_value_and_with_value(capsys):
    f = LinearFit([1.0, 2.0, 3.0], [2.0, 4.0, 7.0], degree=1)
    assert f.insert_y_intercept() == (None, None)
    assert capsys.readouterr().out == ""
    xi, yi = f.insert_y_intercept(1.5)
    assert xi.tolist() == [0, 1.0, 2.0, 3.0] and yi.tolist() == [1.5, 2.0, 4.0, 7.0]
    assert f.y_intercept == 1.5
    assert f.fit()[-1] == 1.5


@pytest.mark.parametrize("args,kwargs,message", [
    (([1, 2], [1]), {"degree": 0}, "x_data and y_data must have the same length."),
    (([1, 2], [1, 2]), {"degree": 0}, "Degree must be at least 1."),
    (([1, 3, 2], [1, 2, 3]), {}, "x_data must be sorted in ascending or descending order."),
    (([1.0, 2.0, 3.0], [1, 2, 3]), {"y_intercept": 2.0}, "x_data cannot contain 2.0 if 2.0 is provided."),
    (([1, 2, 3], [1, 2, 3]), {"y_intercept": 2.0}, "x_data cannot contain 2 if 2.0 is provided."),
], ids=["length_before_degree", "degree", "unsorted", "clash_float", "clash_int"])
def test_constructor_value_errors(args, kwargs, message):
    with pytest.raises(ValueError) as e:
        LinearFit(*args, **kwargs)
    assert str(e.value) == message


@pytest.mark.parametrize("x", [[1, 1, 2], [2, 2, 2], [3, 2, 2], [5], []], ids=["ties", "constant", "desc_ties",
                                                                           "single", "empty"])
def test_constructor_accepts_monotone_data(x):
    LinearFit(x, [1.0] * len(x))


@pytest.mark.parametrize("kwargs,message", [
    ({"x_data": (1, 2), "y_data": [1, 2]}, "Argument 'x_data' has incorrect type (expected list, got tuple)"),
    ({"x_data": [1, 2], "y_data": np.array([1, 2])},
     "Argument 'y_data' has incorrect type (expected list, got numpy.ndarray)"),
    ({"x_data": [1, 2], "y_data": [1, 2], "degree": True},
     "Argument 'degree' has incorrect type (expected int, got bool)"),
    ({"x_data": [1, 2], "y_data": [1, 2], "degree": 2.0},
     "Argument 'degree' has incorrect type (expected int, got float)"),
    ({"x_data": [1, 2], "y_data": [1, 2], "y_intercept": 5},
     "Argument 'y_intercept' has incorrect type (expected float, got int)"),
], ids=["tuple_x", "array_y", "bool_degree", "float_degree", "int_intercept"])
def test_constructor_type_errors(kwargs, message):
    with pytest.raises(TypeError) as e:
        LinearFit(**kwargs)
    assert str(e.value) == message


def test_list_subclass_refused():
    class L(list):
        pass
    with pytest.raises(TypeError, match="expected list, got L"):
        LinearFit(L([1, 2]), [1, 2])


@pytest.fixture
def line():
    f = LinearFit([0, 1, 2], [1, 3, 5], degree=1)
    f.fit()
    return f


def test_line_evaluation(line):
    assert line.yval(3) == pytest.approx(7.0)
    assert line.ylist() == pytest.approx([1.0, 3.0, 5.0])
    assert line.ylist([]) == []
    assert line.r_squared() == pytest.approx(1.0)
    assert isinstance(line.x_data, np.ndarray) and line.x_data.tolist() == [0, 1, 2]
    assert isinstance(line.y_data, np.ndarray)
    with pytest.raises(ValueError, match=r"^predicted values length \[1\] must match actual values length \[3\]\.$"):
        line.r_squared([1.0])


def test_equal_y_gives_exactly_one():
    f = LinearFit([1.0, 2.0, 3.0], [0.1, 0.1, 0.1], degree=1)
    f.fit()
    assert f.r_squared() == 1.0


def test_params_is_the_returned_list(line):
    p = line.fit()
    assert line.params is p
    p[0] = 0.0
    p[1] = 4.0
    assert line.yval(10.0) == 4.0
    p.append(1.0)
    assert line.params == [0.0, 4.0, 1.0]
    assert line.fit() is line.params


@pytest.mark.parametrize("call", [
    lambda f: f.yval(1.0), lambda f: f.ylist(), lambda f: f.r_squared(), lambda f: f.solveval(1.0),
    lambda f: f.solve([]), lambda f: f.formula(),
], ids=["yval", "ylist", "r_squared", "solveval", "solve_empty", "formula"])
def test_unfitted_model_refuses(call):
    f = LinearFit([0.0, 1.0, 2.0], [1.0, 2.0, 4.0])
    assert f.params is None
    with pytest.raises(ValueError, match=r"^Model has not been fitted yet\.$"):
        call(f)


@pytest.mark.parametrize("ys", [[1.0], ["a"]], ids=["number", "non_number"])
def test_predict_warns_even_when_unfitted(ys):
    # The notice and the not-fitted check come before the list's values are read.
    f = LinearFit([0.0, 1.0], [0.0, 1.0], degree=1)
    with pytest.warns(DeprecationWarning, match="function predict is deprecated, use function solve instead"):
        with pytest.raises(ValueError, match="Model has not been fitted yet."):
            f.predict(ys)


def test_predict_newton(line):
    with pytest.warns(DeprecationWarning):
        xs, ns = line.predict([7.0])
    assert xs == pytest.approx([3.0]) and len(ns) == 1 and isinstance(ns[0], int)


@pytest.fixture
def quad():
    # (x - 1)(x - 3) on x in [0, 2]
    x = [0.0, 0.5, 1.0, 1.5, 2.0]
    f = LinearFit(x, [(v - 1) * (v - 3) for v in x], degree=2)
    f.fit()
    return f


def test_two_roots_limited_and_unlimited(quad):
    with pytest.warns(UserWarning, match=r"^Multiple solutions found \[3\. 1\.\] for y value 0\.0$"):
        assert quad.solveval(0.0) == pytest.approx(1.0)
    with pytest.warns(UserWarning, match="Multiple solutions found"):
        rec = quad.solveval(0.0, limit=False)
    assert isinstance(rec, dict) and list(rec) == ["x", "y"]
    assert rec["x"] == pytest.approx([3.0, 1.0]) and rec["y"] == 0.0
    for other in (None, 0, True):
        with pytest.warns(UserWarning):
            assert isinstance(quad.solveval(0.0, limit=other), float)


@pytest.mark.parametrize("x", [[1.5, 2.0, 2.5], [0.0, 0.25, 0.5]], ids=["roots_outside", "root_on_range_end"])
def test_limited_search_without_root_inside_range(x):
    f = LinearFit(x, [0.0] * len(x), degree=2)
    f.params = [1.0, -1.0, 0.0] if x[0] == 0.0 else [1.0, -4.0, 3.0]  # roots 1, 0 / 3, 1
    with pytest.warns(UserWarning, match="Multiple solutions found"):
        assert f.solveval(0.0) is None


def test_line_root_outside_range_and_out_of_range_warning(line):
    with warnings.catch_warnings(record=True) as w:
        warnings.simplefilter("always")
        assert line.solveval(21) == pytest.approx(10.0)
    assert [str(m.message) for m in w] == ["y value 21.0 is out of range."]
    assert all(m.category is UserWarning for m in w)


@pytest.mark.parametrize("params,y", [([0.0, 0.0, 4.0], 1.0), ([1.0, 0.0, 1.0], 0.0)],
                         ids=["constant", "complex_roots_only"])
def test_no_real_root_is_value_error(line, params, y):
    line.params = params
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        with pytest.raises(ValueError) as e:
            line.solveval(y)
    assert str(e.value) == "No solution found for y value %r." % float(y)


def test_solve_maps_solveval(quad):
    assert quad.solve([]) == []
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        got = quad.solve([0.0, 3.0], limit=False)
        limited = quad.solve([0.0, 0.0])
    assert [g["y"] for g in got] == [0.0, 3.0]
    assert got[1]["x"] == pytest.approx([4.0, 0.0], abs=1e-12)
    assert limited == pytest.approx([1.0, 1.0])


@pytest.mark.parametrize("params,kwargs,text", [
    ([2.0, -3.0, 1.0], {}, "2.000 * x**2 - 3.000 * x + 1.000"),
    ([2.0, -3.0, 0.0], {}, "2.000 * x**2 - 3.000 * x"),
    ([2.0, -3.0, 1.0], {"scientific": True}, "2.000e+00 * x**2 - 3.000e+00 * x + 1.000e+00"),
    ([1.0, 2.0], {"x": "t"}, "1.000 * t**1 + 2.000"),
    ([1.5, 0.0, 0.0], {}, "1.500 * x**2 + 0.000 * x"),
    ([1.0] + [0.0] * 9 + [2.0], {"decimal": 1}, "1.0 * x**10 + " + "".join(
        "0.0 * x**%d + " % k for k in range(9, 1, -1)) + "0.0 * x + 2.0"),
    ([-0.0], {}, ""),
], ids=["quadratic", "zero_constant", "scientific", "other_name", "zero_terms", "tenth_power", "only_zero"])
def test_formula(line, params, kwargs, text):
    line.params = params
    assert line.formula(**kwargs) == text


def test_formula_argument_rules(line):
    with pytest.raises(TypeError, match=r"Argument 'decimal' has incorrect type \(expected int, got bool\)"):
        line.formula(decimal=True)
    with pytest.raises(TypeError, match=r"Argument 'x' has incorrect type \(expected str, got int\)"):
        line.formula(x=1)
    with pytest.raises(ValueError):
        line.formula(decimal=-1)
    # `scientific` is only truth-tested once the model is known to be fitted.
    unfitted = LinearFit([0.0, 1.0], [0.0, 1.0], degree=1)
    with pytest.raises(ValueError, match=r"^Model has not been fitted yet\.$"):
        unfitted.formula(scientific=np.array([1, 2]))


@pytest.mark.parametrize("x,y", [([0.0, 1.0, 2.0], [1.0, float("nan"), 2.0]),
                                 ([0.0, 1.0, float("inf")], [1.0, 2.0, 3.0])], ids=["nan_y", "inf_x"])
def test_non_finite_data_refused(x, y):
    f = LinearFit(x, y, degree=1)
    with pytest.raises(ValueError, match="must not contain NaN or infinite values"):
        f.fit()
    assert f.params is None


def test_empty_data_fails_like_numpy():
    f = LinearFit([], [], degree=1)
    with pytest.raises(TypeError, match="expected non-empty vector for x"):
        f.fit(degree=3)
    assert f.degree == 3 and f.params is None
    g = LinearFit([], [], degree=1, y_intercept=1.0)
    with pytest.raises(IndexError):
        g.fit()


def test_fit_degree_argument(line):
    with pytest.raises(ValueError, match="Degree must be at least 1."):
        line.fit(0)
    assert line.degree == 1
    with pytest.raises(TypeError, match="expected int, got float"):
        line.fit(degree=2.0)
    assert len(line.fit(2)) == 3 and line.degree == 2


def test_x_data_order():
    assert LinearFit([1, 2, 2], [1, 2, 3]).x_data_order() is True
    assert LinearFit([2, 2, 2], [1, 2, 3]).x_data_order() is True
    assert LinearFit([3, 2, 1], [1, 2, 3]).x_data_order() is False


def test_all_zero_x_gives_fit_with_rank_warning():
    f = LinearFit([0.0, 0.0, 0.0], [1.0, 2.0, 3.0], degree=1)
    with pytest.warns(np.RankWarning):
        p = f.fit()
    assert p == pytest.approx([0.0, 2.0]) and all(math.isfinite(v) for v in p)
