"""NumPy's and SciPy's time for the fits that bench_fitflow times in the window.

Usage: fitflow_scipy.py N. Builds the same data as bench_fitflow and prints
one line per fit: "<name> <milliseconds>", the best of three runs. Each does
what the window's fit button does (window_reference.py): the polynomial with
its R², and a + b*e^(c*x) from both of the window's starts with its R².
"""
import os
import sys
import time

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_reference import exponential_fit, polynomial_fit  # noqa: E402

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
print("polynomial3", best(lambda: polynomial_fit(x, y3, 3)))

ye = 1 + 2 * np.exp(0.5 * x) + noise
print("exponential", best(lambda: exponential_fit(x, ye)))
