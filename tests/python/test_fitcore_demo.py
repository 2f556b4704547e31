"""The engine's demonstration program prints its lines exactly and closes its plots."""
import os
import subprocess

import numpy as np
import pytest
import scipy.optimize as sopt

DEMO = os.path.join(os.environ.get("TRELVO_BUILD_DIR", "build"), "bin", "trelvo-fitcore-demo")
X = [2, 4, 6, 8, 10]
Y = [0.1, 0.6, 1.5, 2.5, 3.5]


@pytest.fixture(scope="module")
def lines():
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TRELVO_DEMO_CLOSE_MS="50")
    done = subprocess.run([DEMO], env=env, capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    return done.stdout.splitlines()


def section(lines, name):
    start = lines.index(f"----- {name} Test -----")
    end = lines.index(f"----- End of {name} Test -----")
    return lines[start + 1:end]


def test_structure(lines):
    assert lines[0] == "Original x_data :  [2, 4, 6, 8, 10]"
    assert lines[1] == "Original y_data :  [0.1, 0.6, 1.5, 2.5, 3.5]"
    assert lines[-1] == "----- End of Parse Expression Test -----"


def test_linear_fit_lines_match_numpy(lines):
    body = section(lines, "Linear Fit")
    p = np.polyfit(X, Y, 2)
    assert body[0] == "Fitted parameters :  " + repr([float(v) for v in p])
    assert body[1].startswith("Formula : [y = ") and body[1].endswith("].")
    assert body[2] == "Predicted y values :  " + repr(np.poly1d(p)(np.array(X, float)).tolist())
    assert body[5] == "Solve x %s value for y = 0.35." % float(np.roots(p - [0, 0, 0.35])[1])
    assert body[6] == "Y = %r at given X = 3 " % float(np.polyval(p, 3))
    # Several roots for each y: the records, in the root finder's order.
    expected = [{"x": [float(r) for r in np.roots(p - [0, 0, y])], "y": y} for y in [0.2, 1.3, 2.4, 3.6]]
    assert body[4] == "Predicted x %s values for given y data [0.2, 1.3, 2.4, 3.6] ." % expected


def test_non_linear_fit_lines(lines):
    body = section(lines, "Non-Linear Fit")
    assert body[0] == "initial p0 :  None"
    fitted = eval(body[1].split(" :  ")[1])
    ref = sopt.curve_fit(lambda x, a, b, c: a * x**2 + b * x + c, X, Y, maxfev=100000, epsfcn=-2)[0]
    assert np.allclose(fitted, ref, rtol=1e-9)
    assert body[2] == "An error occurred while capturing the source code : could not get source code"
    assert body[3] == "Source Code : None"
    assert body[4] == "Arguments : ['x', 'a', 'b', 'c']"
    assert body[7].endswith(" values for given y data [0.2, 1.3, 2.4, 3.6] . ")


def test_parse_lines(lines):
    assert section(lines, "Parse Expression") == [
        "a * x**2 + 66e-6 * x + c ['x', 'a', 'c']",
        "a * np.sin(x**2) + 1.73e+6 * x + c ['x', 'a', 'c']",
        "aa + ba * x ['x', 'aa', 'ba']",
        "aa + ba * x + (-27e+6) * x**2 ['x', 'aa', 'ba']",
    ]
