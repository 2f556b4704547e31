"""trelvo.sheetgrid: loading it loads its two sibling modules and defines nothing else."""
import subprocess
import sys

import pytest


def _run(code):
    return subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120)


def test_loading_loads_the_cell_and_engine_modules():
    out = _run(
        "import sys\n"
        "assert 'trelvo.sheetgriditem' not in sys.modules\n"
        "import trelvo.sheetgrid\n"
        "print('trelvo.sheetgriditem' in sys.modules, 'trelvo.fitcore' in sys.modules)\n"
    )
    assert out.returncode == 0, out.stderr
    assert out.stdout.split() == ["True", "True"]


def test_offers_no_names_of_its_own():
    import trelvo.sheetgrid as sheetgrid

    assert [n for n in dir(sheetgrid) if not n.startswith("__")] == []


@pytest.mark.parametrize("module", ["trelvo.sheetgriditem", "trelvo.fitcore"])
def test_a_failing_sibling_fails_the_load(module):
    out = _run(
        "import sys\n"
        f"sys.modules[{module!r}] = None\n"
        "import trelvo.sheetgrid\n"
    )
    assert out.returncode != 0
    assert "ImportError" in out.stderr or "ModuleNotFoundError" in out.stderr
