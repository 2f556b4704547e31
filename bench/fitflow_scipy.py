"""SciPy's time for the fits that bench_fitflow times in the window.

Usage: fitflow_scipy.py N. Builds the same data as bench_fitflow and prints
one line per fit: "<name> <milliseconds>", the best of three runs.
"""
import sys
import time

import numpy as np
from scipy.optimize import curve_fit

n = int(sys.argv[1])
i = np.arange(n)
x = i * (3.0 / (n - 1))
noise = 0.01 * np.sin(7.3 * i + 0.4)


def best(f):
    times = []
    for _ in range(3):
        t = time.perf_counter()
        f()
        times.append((time.perf_counter() - t) * 1000)
    return min(times)


y3 = 1 - 2 * x + 0.5 * x ** 2 + 0.1 * x ** 3 + noise
print("polynomial3", best(lambda: (np.polyfit(x, y3, 3), np.polyval(np.polyfit(x, y3, 3), x))))

ye = 1 + 2 * np.exp(0.5 * x) + noise
model = lambda x, a, b, c: a + b * np.exp(c * x)
print("exponential", best(lambda: model(x, *curve_fit(model, x, ye, maxfev=10 ** 4)[0])))
