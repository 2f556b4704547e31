"""The start-up module and the package's entry point."""
import os
import subprocess
import sys

import pytest

PY = "/usr/bin/python3"


def run(*args):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", COLUMNS="80")
    return subprocess.run([PY, "-m", "trelvo", *args], env=env, capture_output=True, text=True, timeout=60)


def test_loading_imports_what_it_depends_on():
    import trelvo.application as application

    assert callable(application.run_app)
    for name in ("trelvo.widget", "trelvo.viewdesign", "trelvo.sheetgrid", "trelvo.sheetgriditem", "trelvo.fitcore"):
        assert name in sys.modules
    assert [n for n in vars(application) if not n.startswith("__")] == ["run_app"]


def test_help_exits_zero():
    done = run("--help")
    assert done.returncode == 0
    assert done.stdout.startswith("usage: __main__.py [-h] [-l LOCALE]\n\nTrelvo Application\n")
    assert "set locale (e.g. zh_CN for Simplified Chinese, en for" in done.stdout
    assert done.stderr == ""


@pytest.mark.parametrize("args, error", [
    (["-style"], "unrecognized arguments: -style"),
    (["--locale"], "argument -l/--locale: expected one argument"),
])
def test_errors_exit_two_before_any_window(args, error):
    done = run(*args)
    assert done.returncode == 2
    assert done.stdout == ""
    assert done.stderr == "usage: __main__.py [-h] [-l LOCALE]\n__main__.py: error: %s\n" % error
