"""NonLinearFit.from_expr on an expression against scipy.optimize.curve_fit
with the same model as a NumPy lambda, on the same data and options, at
several sizes. Prints ours / SciPy's time (below 1: faster than SciPy)."""
import time

import numpy as np
import scipy.optimize as sopt

from trelvo.fitcore import NonLinearFit

# The engine's goal for these fits at 10^4 points and more.
GOAL = 1.2
GOAL_FROM = 10_000


def best_of(fn, repeat):
    best = float("inf")
    for _ in range(repeat):
        t = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - t)
    return best


# (expression, the same model in NumPy, x range, data)
CASES = [
    ("a + b*exp(c*x)", lambda x, a, b, c: a + b * np.exp(c * x), (0.0, 3.0),
     lambda x: 1.5 + 2.0 * np.exp(0.8 * x)),
    ("a*x**b", lambda x, a, b: a * x**b, (0.5, 3.5), lambda x: 2.0 * x**1.5),
]


def main():
    rng = np.random.default_rng(3)
    print(f"{'expression':>16} {'N':>8} {'trelvo [ms]':>12} {'scipy [ms]':>12} {'ours/scipy':>11}")
    worst = 0.0
    for expr, model, (lo, hi), truth in CASES:
        for n in (100, 10_000, 100_000, 1_000_000):
            x = np.linspace(lo, hi, n)
            y = truth(x) + rng.normal(0.0, 0.05, n)
            xl, yl = x.tolist(), y.tolist()
            repeat = 20 if n <= 10_000 else (5 if n <= 100_000 else 2)

            def ours():
                return NonLinearFit.from_expr(xl, yl, expr).fit()

            def theirs():
                return sopt.curve_fit(model, xl, yl, maxfev=100_000, epsfcn=-2)[0]

            p_ours, p_theirs = ours(), theirs()
            assert np.allclose(p_ours, p_theirs, rtol=1e-6), (expr, n, p_ours, p_theirs)
            t_ours = best_of(ours, repeat)
            t_theirs = best_of(theirs, repeat)
            ratio = t_ours / t_theirs
            if n >= GOAL_FROM:
                worst = max(worst, ratio)
            print(f"{expr:>16} {n:>8} {t_ours * 1e3:>12.3f} {t_theirs * 1e3:>12.3f} {ratio:>10.2f}x", flush=True)
    print(f"slowest at {GOAL_FROM:,} points and more: {worst:.2f}x SciPy's time (goal: at most {GOAL}x)")


if __name__ == "__main__":
    main()
