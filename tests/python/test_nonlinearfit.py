"""NonLinearFit from Python: cross-checks against SciPy, callables, texts."""
import functools
import warnings

import numpy as np
import pytest
import scipy.optimize as sopt

from trelvo.fitcore import NonLinearFit


def data(model, params, x, noise=0.05, seed=7):
    rng = np.random.default_rng(seed)
    xs = np.asarray(x, float)
    y = model(xs, *params) + rng.normal(0.0, noise, xs.size)
    return [float(v) for v in xs], [float(v) for v in y]


def scipy_fit(model, x, y, nparams, p0=None):
    popt, _ = sopt.curve_fit(model, x, y, p0=p0, maxfev=10 ** (nparams + 2), epsfcn=-2)
    return popt


def r2(y, pred):
    y = np.array(y)
    pred = np.array(pred)
    ss_tot = np.sum((y - np.mean(y)) ** 2)
    ss_res = np.sum((y - pred) ** 2)
    return 1 - ss_res / ss_tot if ss_tot != 0 else 1.0


# (name, numpy model, model expression, true parameters, x values)
MODELS = [
    ("a_plus_b_exp_cx", lambda x, a, b, c: a + b * np.exp(c * x), "a + b*exp(c*x)", (1.5, 2.0, 0.7),
     np.linspace(0, 4, 25)),
    ("a_exp_bx", lambda x, a, b: a * np.exp(b * x), "a*exp(b*x)", (3.0, -0.4), np.linspace(0, 6, 30)),
    ("a_plus_b_log_x", lambda x, a, b: a + b * np.log(x), "a + b*log(x)", (0.5, 2.5), np.linspace(0.5, 9, 18)),
    ("a_x_pow_b", lambda x, a, b: a * x ** b, "a*x^b", (1.2, 1.7), np.linspace(0.2, 5, 22)),
    ("custom_logistic", lambda x, a, b, c: a / (1 + np.exp(-b * (x - c))), "a/(1+exp(-b*(x-c)))",
     (4.0, 1.3, 2.0), np.linspace(-2, 6, 40)),
]


def assert_params_close(got, want):
    assert len(got) == len(want)
    for g, w in zip(got, want):
        assert g == pytest.approx(w, rel=1e-6, abs=1e-12)


@pytest.mark.parametrize("name,model,expr,true,xs", MODELS, ids=[m[0] for m in MODELS])
def test_callable_model_matches_curve_fit(name, model, expr, true, xs):
    x, y = data(model, true, xs)
    fit = NonLinearFit(x, y, model)
    params = fit.fit()
    want = scipy_fit(model, x, y, len(true))
    assert_params_close(params, want)
    assert abs(fit.r_squared() - r2(y, model(np.array(x), *want))) <= 1e-12
    assert fit.args()[1:] == list(model.__code__.co_varnames[1:])


@pytest.mark.parametrize("name,model,expr,true,xs", MODELS, ids=[m[0] for m in MODELS])
def test_expression_model_matches_curve_fit(name, model, expr, true, xs):
    x, y = data(model, true, xs)
    fit = NonLinearFit.from_expr(x, y, expr)
    params = fit.fit()
    want = scipy_fit(model, x, y, len(true))
    assert_params_close(params, want)
    assert abs(fit.r_squared() - r2(y, model(np.array(x), *want))) <= 1e-12
    assert fit.args()[0] == "x"
    assert len(fit.args()) == len(true) + 1


@pytest.mark.parametrize("name,model,expr,true,xs", MODELS, ids=[m[0] for m in MODELS])
def test_solveval_matches_root_scalar(name, model, expr, true, xs):
    x, y = data(model, true, xs)
    fit = NonLinearFit(x, y, model)
    p = fit.fit()
    lo, hi = min(y), max(y)
    solved = []
    for target in (lo + 0.25 * (hi - lo), 0.5 * (lo + hi), hi - 0.1 * (hi - lo)):
        with warnings.catch_warnings(record=True) as seen:
            warnings.simplefilter("always")
            want = sopt.root_scalar(lambda X: model(X, *p) - target, x0=x[0], x1=x[-1], xtol=1e-12,
                                    maxiter=10 ** (len(p) + 2))
        stalled = [w for w in seen if "Tolerance of" in str(w.message)]
        missed = abs(model(want.root, *p) - target) > 1e-6 * max(1.0, abs(target))
        if stalled or not want.converged or missed:
            # SciPy hands back an unconverged x here (flagged converged when
            # stalled), or one where the model misses the target.
            with pytest.raises(ValueError, match="^Solution failed: "):
                fit.solveval(target)
            continue
        assert fit.solveval(target) == pytest.approx(want.root, rel=1e-9, abs=1e-12)
        assert fit.solveval(target, limit=False) == fit.solveval(target)
        solved.append(target)
    assert solved
    assert fit.solve([]) == []
    got = fit.solve(solved[::-1])
    assert got == [fit.solveval(v) for v in solved[::-1]] and all(isinstance(v, float) for v in got)


@pytest.mark.parametrize("start", [0, 1])
def test_nist_chwirut1_as_scipy_reaches_it(start):
    names = ("b1", "b2", "b3")
    lines = open(__file__.rsplit("/tests/", 1)[0] + "/tests/data/fitcore/nist/Chwirut1.dat").read().splitlines()
    starts = [float(l.split()[2 + start]) for l in lines if l.strip().split(" ")[0] in names and "=" in l]
    i = next(k for k, l in enumerate(lines) if l.startswith("Data:") and "y" in l and "x" in l)
    pts = sorted((float(l.split()[1]), float(l.split()[0])) for l in lines[i + 1:] if l.strip())
    x = [p[0] for p in pts]
    y = [p[1] for p in pts]

    def model(x, b1, b2, b3):
        return np.exp(-b1 * x) / (b2 + b3 * x)

    fit = NonLinearFit(x, y, model, starts)
    assert_params_close(fit.fit(), scipy_fit(model, x, y, 3, p0=starts))


# ---- callables -------------------------------------------------------------

class Line:
    def __call__(self, x, a, b):
        return a * x + b

    def method(self, x, a, b):
        return a * x + b


def line(x, a, b):
    return a * x + b


@pytest.mark.parametrize("func,names", [
    (Line(), ["x", "a", "b"]),
    (Line().method, ["x", "a", "b"]),
    (functools.partial(lambda k, x, a, b: k * (a * x + b), 1.0), ["x", "a", "b"]),
    (line, ["x", "a", "b"]),
], ids=["callable_object", "bound_method", "partial", "function"])
def test_any_callable_is_a_model(func, names):
    fit = NonLinearFit([0.0, 1.0, 2.0, 3.0], [1.0, 3.0, 5.0, 7.5], func)
    assert fit.args() == names
    want = np.polyfit(fit.x_data, fit.y_data, 1)
    assert_params_close(fit.fit(), want)


def test_model_error_passes_unchanged_and_stops_fit():
    calls = []

    def model(x, a):
        calls.append(a)
        if len(calls) == 5:
            raise KeyError("boom")
        return a * x

    fit = NonLinearFit([1.0, 2.0, 3.0], [2.0, 4.1, 6.0], model)
    with pytest.raises(KeyError, match="boom"):
        fit.fit()
    assert len(calls) == 5
    assert fit.params is None


@pytest.mark.parametrize("call,prefix", [(lambda f: f.fit(), "Model fit failed: "),
                                         (lambda f: f.solveval(4.0), "Solution failed: "),
                                         (lambda f: f.solve([4.0]), "Solution failed: ")],
                         ids=["fit", "solveval", "solve"])
def test_runtime_error_of_the_model_is_the_failure_value_error(call, prefix):
    broken = []

    def model(x, a):
        if broken:
            raise RuntimeError("model broke")
        return a * x

    fit = NonLinearFit([1.0, 2.0, 3.0], [2.0, 4.1, 6.0], model)
    fit.fit()
    params = fit.params
    broken.append(True)
    with pytest.raises(ValueError) as err:
        call(fit)
    assert str(err.value) == prefix + "model broke"
    assert type(err.value.__cause__) is RuntimeError and str(err.value.__cause__) == "model broke"
    assert fit.params is params


def test_fields_and_params_identity():
    x, y = [0.0, 1.0, 2.0], [1.0, 3.0, 5.0]
    fit = NonLinearFit(x, y, line)
    assert fit.x_data is x and fit.y_data is y and fit.func is line and fit.p0 is None and fit.params is None
    params = fit.fit()
    assert params is fit.params and type(params) is list
    guess = [2.0, 1.0]
    fit.fit(guess)
    assert fit.p0 is guess
    fit.set_p0([1.0, 1.0])
    assert fit.p0 == [1.0, 1.0]


def test_changing_the_returned_params_changes_the_model():
    fit = NonLinearFit([0.0, 1.0, 2.0], [1.0, 3.0, 5.0], line)
    params = fit.fit()
    params[0], params[1] = 10.0, -1.0
    assert fit.yval(2.0) == 19.0
    assert fit.ylist([0.0, 1.0]) == [-1.0, 9.0]
    assert fit.solveval(19.0) == pytest.approx(2.0)
    with pytest.raises(ValueError, match=r"^predicted values length \[2\]"):
        fit.r_squared([1.0, 2.0])
    fit.params = np.array([1.0, 0.0])
    assert fit.yval(3.0) == 3.0


def test_yval_returns_model_result_unconverted():
    fit = NonLinearFit([0.0, 1.0, 2.0], [1.0, 3.0, 5.0], lambda x, a, b: np.float64(a * x + b))
    fit.fit()
    assert type(fit.yval(1)) is np.float64
    expr = NonLinearFit.from_expr([0.0, 1.0, 2.0], [1.0, 3.0, 5.0], "a*x + b")
    expr.fit()
    assert isinstance(expr.yval(3), float)
    assert expr.yval(3) == pytest.approx(7.0)


def test_source_of_function_and_of_expression(capsys):
    fit = NonLinearFit([0.0, 1.0, 2.0], [1.0, 3.0, 5.0], line)
    with pytest.warns(DeprecationWarning, match="Unable to capture the source code of lambda expression wrapped in eval"):
        with pytest.raises(ValueError, match="Model has not been fitted yet."):
            fit.source()
    fit.fit()
    with pytest.warns(DeprecationWarning):
        assert fit.source().startswith("def line(x, a, b):")
    expr = NonLinearFit.from_expr([0.0, 1.0, 2.0], [1.0, 3.0, 5.0], "a*x + b")
    expr.fit()
    with pytest.warns(DeprecationWarning):
        assert expr.source() is None
    assert capsys.readouterr().out == "An error occurred while capturing the source code : could not get source code\n"


# ---- errors and warnings -----------------------------------------------------

NUMBERS = [0.0, 1.0, 2.0]


@pytest.mark.parametrize("call,message", [
    (lambda: NonLinearFit((0.0, 1.0), [1.0, 2.0], line), "Argument 'x_data' has incorrect type (expected list, got tuple)"),
    (lambda: NonLinearFit([0.0], np.array([1.0]), line), "Argument 'y_data' has incorrect type (expected list, got numpy.ndarray)"),
    (lambda: NonLinearFit([0.0], [1.0], line, (1, 2)), "Argument 'p0' has incorrect type (expected list, got tuple)"),
    (lambda: NonLinearFit.from_expr([0.0], [1.0], b"a*x"), "Argument 'expr' has incorrect type (expected str, got bytes)"),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).fit(p0=(1, 1)), "Argument 'p0' has incorrect type (expected list, got tuple)"),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).set_p0(p=None), "Argument 'p' has incorrect type (expected list, got NoneType)"),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).ylist(x=(1.0,)), "Argument 'x' has incorrect type (expected list, got tuple)"),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).r_squared((1.0,)), "Argument 'y_pred' has incorrect type (expected list, got tuple)"),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).solve(y=(1.0,)), "Argument 'y' has incorrect type (expected list, got tuple)"),
], ids=["x_data", "y_data", "p0", "expr", "fit_p0", "set_p0", "ylist", "r_squared", "solve"])
def test_argument_types(call, message):
    with pytest.raises(TypeError) as err:
        call()
    assert str(err.value) == message


@pytest.mark.parametrize("call,kind,message", [
    (lambda: NonLinearFit([1.0, 2.0, 3.0], [1.0, 2.0], lambda x: x), ValueError,
     "Function must have at least two arguments (x, *params)"),
    (lambda: NonLinearFit([1.0, 2.0], [1.0, 2.0], line, [1.0]), ValueError, "p0 length must match function parameters count"),
    (lambda: NonLinearFit([1.0, 2.0], [1.0], line), ValueError, "x_data and y_data must have the same length."),
    (lambda: NonLinearFit([1.0, 3.0, 2.0], [1.0, 2.0, 3.0], line), ValueError,
     "x_data must be sorted in ascending or descending order."),
    (lambda: NonLinearFit.from_expr([1.0, 2.0], [1.0, 2.0], "2 * x"), ValueError,
     "Function must have at least two arguments (x, *params)"),
    (lambda: NonLinearFit([1.0, 2.0, 3.0], [1.0, float("nan"), 3.0], line).fit(), ValueError,
     "array must not contain infs or NaNs"),
    (lambda: NonLinearFit([1.0, 2.0, float("inf")], [1.0, 2.0, 3.0], line).fit(), ValueError,
     "array must not contain infs or NaNs"),
    (lambda: NonLinearFit([], [], line).fit(), ValueError, "`ydata` must not be empty!"),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).yval(1.0), ValueError, "Model has not been fitted yet."),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).ylist(), ValueError, "Model has not been fitted yet."),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).r_squared(), ValueError, "Model has not been fitted yet."),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).solveval(100.0), ValueError, "Model has not been fitted yet."),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).solve([]), ValueError, "Model has not been fitted yet."),
    (lambda: NonLinearFit(NUMBERS, NUMBERS, line).yval("a"), TypeError, "must be real number, not str"),
], ids=["one_argument_first", "p0_length", "lengths", "order", "expression_without_parameters", "nan_y", "inf_x",
        "empty", "unfitted_yval", "unfitted_ylist", "unfitted_r_squared", "unfitted_solveval", "unfitted_solve",
        "yval_not_a_number"])
def test_errors(call, kind, message):
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(kind) as err:
            call()
    assert str(err.value) == message


def test_failed_fit_is_value_error_with_runtime_cause():
    fit = NonLinearFit([1.0, 2.0, 3.0, 4.0, 5.0], [0.0] * 5, lambda x, a: np.exp(-a) * x)
    with pytest.raises(ValueError) as err:
        fit.fit()
    text = "Optimal parameters not found: Number of calls to function has reached maxfev = 1000."
    assert str(err.value) == "Model fit failed: " + text
    assert type(err.value.__cause__) is RuntimeError and str(err.value.__cause__) == text
    with pytest.raises(RuntimeError, match="maxfev = 1000"):
        sopt.curve_fit(lambda x, a: np.exp(-a) * x, fit.x_data, fit.y_data, maxfev=1000, epsfcn=-2)


def test_guess_of_wrong_length_fails_inside_the_fit():
    fit = NonLinearFit.from_expr([0.0, 1.0, 2.0, 3.0], [1.0, 3.0, 5.0, 7.0], "a*x + b")
    with pytest.raises(TypeError, match=r"<lambda>\(\) takes 3 positional arguments but 4 were given"):
        fit.fit([1.0, 1.0, 1.0])
    assert fit.p0 == [1.0, 1.0, 1.0]
    assert fit.params is None


def test_expression_edge_cases():
    with pytest.raises(SyntaxError):
        NonLinearFit.from_expr([1.0, 2.0], [1.0, 2.0], "2 x")
    fit = NonLinearFit.from_expr([1.0, 2.0, 3.0], [1.0, 2.0, 3.0], "a * foo(x)")
    assert fit.args() == ["x", "a"]
    with pytest.raises(NameError, match="name 'foo' is not defined"):
        fit.fit()
    assert NonLinearFit.from_expr([1.0], [1.0], "a * x**2 + b * x + c").args() == ["x", "a", "b", "c"]


def test_scalar_model_fits_but_ylist_fails():
    fit = NonLinearFit.from_expr([0.0, 1.0, 2.0], [2.0, 3.0, 4.0], "exp(a)")
    fit.fit()
    with pytest.raises(TypeError):
        fit.ylist()
    with pytest.raises(TypeError):
        fit.r_squared()


def test_r_squared_cases():
    fit = NonLinearFit([0.0, 1.0, 2.0, 3.0, 4.0], [4.0] * 5, line)
    fit.fit()
    assert fit.r_squared() == 1.0
    with pytest.raises(ValueError) as err:
        fit.r_squared([1.0, 2.0, 3.0])
    assert str(err.value) == "predicted values length [3] must match actual values length [5]."


def test_range_warning_and_unreachable_y():
    x = [0.0, 0.25, 0.5, 0.75, 1.0]
    fit = NonLinearFit(x, [2 * np.exp(0.5 * v) for v in x], lambda x, a, b: a * np.exp(b * x))
    fit.fit()
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        fit.solveval(fit.y_data[0])
        fit.solveval(fit.y_data[-1])
    with pytest.warns(UserWarning, match=r"^y value 5\.0 is out of range\.$"):
        assert fit.solveval(5) == pytest.approx(2 * np.log(2.5), rel=1e-9)
    with pytest.warns(UserWarning, match=r"^y value 1e-05 is out of range\.$"):
        fit.solveval(1e-5)
    # a e^(b x) never reaches -1; SciPy would hand back a far-away unconverged x.
    with pytest.warns(UserWarning, match="y value -1.0 is out of range."):
        with pytest.raises(ValueError, match="^Solution failed: ") as err:
            fit.solveval(-1)
    assert type(err.value.__cause__) is RuntimeError
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        far = sopt.root_scalar(lambda X: 2 * np.exp(0.5 * X) + 1, x0=0.0, x1=1.0, xtol=1e-12, maxiter=1000).root
    assert abs(far) > 1e6


def test_equal_ends_cannot_be_solved():
    fit = NonLinearFit([2.0], [4.0], lambda x, a: a * x)
    fit.fit()
    with pytest.raises(ValueError) as err:
        fit.solveval(4.0)
    assert str(err.value) == "x1 and x0 must be different"
    with pytest.raises(ValueError, match="x1 and x0 must be different"):
        sopt.root_scalar(lambda X: X, x0=2.0, x1=2.0, xtol=1e-12, maxiter=10)
