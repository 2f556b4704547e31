"""LinearFit against numpy.polyfit on the same lists, degree 3."""
import time

import numpy as np

from trelvo.fitcore import LinearFit


def best_of(fn, repeat):
    best = float("inf")
    for _ in range(repeat):
        t0 = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - t0)
    return best


def main():
    rng = np.random.default_rng(3)
    for n in (10**3, 10**5, 10**6):
        x = np.linspace(-5.0, 5.0, n)
        y = 0.5 * x**3 - 2.0 * x + 1.0 + rng.normal(0.0, 0.3, n)
        xl, yl = x.tolist(), y.tolist()
        repeat = 20 if n <= 10**5 else 5
        ours = best_of(lambda: LinearFit(xl, yl, degree=3).fit(), repeat)
        ref = best_of(lambda: np.polyfit(xl, yl, 3), repeat)
        c_ours = LinearFit(xl, yl, degree=3).fit()
        c_ref = np.polyfit(xl, yl, 3)
        err = float(np.max(np.abs(np.array(c_ours) - c_ref)) / np.max(np.abs(c_ref)))
        print(f"N={n:>8}: LinearFit {ours * 1e3:9.3f} ms  numpy.polyfit {ref * 1e3:9.3f} ms  "
              f"ratio {ours / ref:5.2f}  max rel coef diff {err:.1e}")


if __name__ == "__main__":
    main()
