"""Each library includes only its own headers and those of the libraries
below it. Every library's include root is src/, so the compiler would accept
any header of the tree: this check is what holds the order."""
import pathlib
import re

import pytest

SRC = pathlib.Path(__file__).resolve().parents[2] / "src"

# Lowest first: each library may include itself and everything before it.
ORDER = ["fitcore", "sheetgriditem", "sheetgrid", "viewdesign", "widget", "application"]
ALLOWED = {lib: set(ORDER[: i + 1]) for i, lib in enumerate(ORDER)}
ALLOWED["python"] = set(ORDER) | {"python"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z_]+)/', re.M)


def sources(lib):
    return sorted(p for p in (SRC / lib).rglob("*") if p.suffix in {".h", ".cpp"})


def wrong_includes(lib):
    wrong = []
    for path in sources(lib):
        for top in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if (SRC / top).is_dir() and top not in ALLOWED[lib]:
                wrong.append(f"{path.relative_to(SRC)} includes {top}/")
    return wrong


@pytest.mark.parametrize("lib", sorted(ALLOWED))
def test_library_includes_only_itself_and_lower_libraries(lib):
    assert sources(lib), f"no sources found for {lib}"
    assert wrong_includes(lib) == []


def test_the_check_sees_a_higher_include(tmp_path, monkeypatch):
    # A cell header that reached into the grid would be reported.
    fake = tmp_path / "src"
    for lib in ORDER:
        (fake / lib).mkdir(parents=True)
    (fake / "sheetgriditem" / "cell.h").write_text('#include "sheetgrid/slotguard.h"\n', encoding="utf-8")
    monkeypatch.setattr(__import__(__name__), "SRC", fake)
    assert wrong_includes("sheetgriditem") == ["sheetgriditem/cell.h includes sheetgrid/"]
