"""trelvo.viewdesign: loading the form's module loads the grid module and adds no names."""
import glob
import importlib
import os
import sys

import pytest

PKG = os.path.join(os.environ.get("TRELVO_BUILD_DIR", "build"), "python", "trelvo")


def built(name):
    return bool(glob.glob(os.path.join(PKG, name + ".*.so")))


pytestmark = pytest.mark.skipif(not built("viewdesign"), reason="viewdesign module not built")


@pytest.mark.skipif(not built("sheetgrid"), reason="grid module not built yet")
def test_loading_imports_the_grid_module_and_offers_nothing_else():
    for name in ("trelvo.viewdesign", "trelvo.sheetgrid"):
        sys.modules.pop(name, None)
    module = importlib.import_module("trelvo.viewdesign")
    assert "trelvo.sheetgrid" in sys.modules
    assert [n for n in dir(module) if not n.startswith("__")] == []


@pytest.mark.skipif(built("sheetgrid"), reason="grid module present")
def test_loading_fails_without_the_grid_module():
    sys.modules.pop("trelvo.viewdesign", None)
    with pytest.raises(ImportError) as info:
        importlib.import_module("trelvo.viewdesign")
    assert isinstance(info.value.__cause__, ModuleNotFoundError)
    assert "trelvo.sheetgrid" in str(info.value.__cause__)
