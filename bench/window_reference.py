"""NumPy, SciPy and Matplotlib (Agg) doing what bench_window times in the window.

Usage:
  window_reference.py window CSV   the window's steps on a two-column CSV; one
                                   line "<step> <milliseconds>" per step, then
                                   "rss <peak resident KiB>"
  window_reference.py kinds N      curve_fit of each built-in model kind from
                                   the window's start (all ones) on N points;
                                   one line "<kind> <milliseconds>" (best of 3)
"""
import resource
import sys
import time

import numpy as np
from scipy.optimize import curve_fit


def exponential(x, a, b, c):
    return a + b * np.exp(c * x)


def exponential2(x, a, b):
    return a * np.exp(b * x)


def logarithmic(x, a, b):
    return a + b * np.log(x)


def power(x, a, b):
    return a * x**b


def budget(f):
    return 10 ** (f.__code__.co_argcount + 1)


def r_squared(y, y_pred):
    ss_res = np.sum((y - y_pred) ** 2)
    ss_tot = np.sum((y - np.mean(y)) ** 2)
    return 1.0 if ss_tot == 0 else 1 - ss_res / ss_tot


def exponential_start(x_all, y_all, max_points=2000, rates=61):
    """The window's start for a + b*e^(c*x): the best of a grid of rates c,
    each with a and b by linear least squares on a strided subset."""
    stride = -(-len(x_all) // max_points)
    x, y = x_all[::stride], y_all[::stride]
    span = x_all.max() - x_all.min()
    if not span > 0:
        return None
    best = None
    for sign in (-1.0, 1.0):
        ref = x_all.max() if sign > 0 else x_all.min()
        for k in range(rates):
            c = sign * 10.0 ** (-2.0 + 4.0 * k / (rates - 1)) / span
            u = np.exp(c * (x - ref))
            A = np.column_stack([np.ones_like(u), u])
            coef, *_ = np.linalg.lstsq(A, y, rcond=None)
            ssr = np.sum((y - A @ coef) ** 2)
            if best is None or ssr < best[0]:
                best = (ssr, [coef[0], coef[1] * np.exp(-c * ref), c])
    return None if best is None else np.array(best[1])


def polynomial_fit(x, y, degree):
    """What the window's fit button does for a polynomial: the coefficients
    and R²."""
    c = np.polyfit(x, y, degree)
    return c, r_squared(y, np.polyval(c, x))


def exponential_fit(x, y):
    """What the window's fit button does for a + b*e^(c*x): a fit from all
    ones and one from a start taken from the data, keeping the smaller sum of
    squared residuals; the parameters and R²."""
    best = None
    for p0 in (np.ones(3), exponential_start(x, y)):
        if p0 is None:
            continue
        try:
            p, _ = curve_fit(exponential, x, y, p0=p0, maxfev=budget(exponential))
        except RuntimeError:
            continue
        ssr = np.sum((y - exponential(x, *p)) ** 2)
        if best is None or ssr < best[1] * (1 - 1e-9):
            best = (p, ssr)
    p = best[0]
    return p, r_squared(y, exponential(x, *p))


def window(path):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    steps = []

    def step(name, f):
        t = time.perf_counter()
        out = f()
        steps.append((name, (time.perf_counter() - t) * 1000))
        return out

    data = step("load", lambda: np.loadtxt(path, delimiter=",", dtype=float))
    x, y = step("refresh", lambda: (data[:, 0].copy(), data[:, 1].copy()))
    fig, ax = plt.subplots(figsize=(7.2, 3.85), dpi=100)

    def plot():
        ax.clear()
        ax.plot(x, y, "r-", linewidth=2, label="Data Series")
        ax.set_xlim(x.min(), x.max())
        ax.set_ylim(y.min(), y.max())
        fig.canvas.draw()

    step("plot", plot)

    step("polynomial", lambda: polynomial_fit(x, y, 3))
    p, _ = step("nonlinear", lambda: exponential_fit(x, y))

    def curve():
        ys = exponential(x, *p)
        plot()
        ax.plot(x, ys, "k--", linewidth=2, label="Fitted Curve")
        both = np.concatenate([ys, y])
        ax.set_ylim(both.min(), both.max())
        fig.canvas.draw()

    step("curve", curve)
    for name, ms in steps:
        print(name, ms)
    print("rss", resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)


def kind_data(kind, n):
    i = np.arange(n)
    noise = 0.01 * np.sin(7.3 * i + 0.4)
    if kind in ("exponential", "exponential2"):
        x = i * (3.0 / (n - 1))
    else:
        x = 0.5 + i * (3.0 / (n - 1))
    truth = {
        "exponential": lambda: exponential(x, 1.0, 2.0, 0.5),
        "exponential2": lambda: exponential2(x, 2.0, 0.5),
        "logarithmic": lambda: logarithmic(x, 1.0, 2.0),
        "power": lambda: power(x, 2.0, 1.5),
    }[kind]()
    return x, truth + noise


def kinds(n):
    for kind, f in (("exponential", exponential), ("exponential2", exponential2),
                    ("logarithmic", logarithmic), ("power", power)):
        x, y = kind_data(kind, n)
        p0 = np.ones(f.__code__.co_argcount - 1)
        best = None
        for _ in range(3):
            t = time.perf_counter()
            curve_fit(f, x, y, p0=p0, maxfev=budget(f))
            ms = (time.perf_counter() - t) * 1000
            best = ms if best is None else min(best, ms)
        print(kind, best)


if __name__ == "__main__":
    if sys.argv[1] == "window":
        window(sys.argv[2])
    else:
        kinds(int(sys.argv[2]))
