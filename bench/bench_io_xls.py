"""Loading and saving an XLS sheet of 200,000 cells with trelvo-xlstool next to
xlrd and xlwt on the same data. XLS holds at most 65,536 rows, so the
100,000 x 2 table is laid out as 50,000 rows x 4 columns. The tool's times
are whole-process times (start-up and JSON on stdin/stdout included)."""
import json
import os
import pathlib
import subprocess
import sys
import tempfile
import time

import xlrd
import xlwt

ROWS, COLS = 50_000, 4


def build_dir():
    if os.environ.get("TRELVO_BUILD_DIR"):
        return pathlib.Path(os.environ["TRELVO_BUILD_DIR"])
    for entry in os.environ.get("PYTHONPATH", "").split(os.pathsep):
        if entry.endswith("python"):
            return pathlib.Path(entry).parent
    return pathlib.Path("build")


def timed(fn):
    t0 = time.perf_counter()
    result = fn()
    return time.perf_counter() - t0, result


def main():
    tool = build_dir() / "bin" / "trelvo-xlstool"
    if not tool.exists():
        print("trelvo-xlstool not built (%s); skipped" % tool)
        return 0
    rows = [["%d.%d" % (r, c) if c % 2 else "text %d" % r for c in range(COLS)] for r in range(ROWS)]
    payload = json.dumps(rows)
    with tempfile.TemporaryDirectory() as tmp:
        ours = os.path.join(tmp, "ours.xls")
        theirs = os.path.join(tmp, "xlwt.xls")

        def save_ours():
            subprocess.run([str(tool), "write", ours], input=payload, text=True, check=True)

        def save_xlwt():
            wb = xlwt.Workbook(encoding="utf-8")
            ws = wb.add_sheet("Sheet1")
            for r, row in enumerate(rows):
                for c, text in enumerate(row):
                    ws.write(r, c, text)
            wb.save(theirs)

        def load_ours(path):
            out = subprocess.run([str(tool), "read", path], capture_output=True, text=True, check=True).stdout
            return json.loads(out)["rows"]

        def load_xlrd(path):
            sheet = xlrd.open_workbook(path).sheet_by_index(0)
            return [[repr(v) if isinstance(v, float) else str(v) for v in sheet.row_values(r)]
                    for r in range(sheet.nrows)]

        t_save_ours, _ = timed(save_ours)
        t_save_xlwt, _ = timed(save_xlwt)
        t_load_ours, got = timed(lambda: load_ours(theirs))
        t_load_xlrd, want = timed(lambda: load_xlrd(theirs))
        t_load_ours_own, _ = timed(lambda: load_ours(ours))
        if got != want:
            print("MISMATCH between trelvo-xlstool and xlrd")
            return 1
    print("XLS, %d rows x %d columns = %d text cells (100,000 x 2 cells split over 4 columns:"
          " XLS holds at most 65,536 rows)" % (ROWS, COLS, ROWS * COLS))
    print("  save  trelvo-xlstool %.3f s   xlwt %.3f s   ours/ref %.2fx" % (t_save_ours, t_save_xlwt,
                                                                     t_save_ours / t_save_xlwt))
    print("  load  trelvo-xlstool %.3f s   xlrd %.3f s   ours/ref %.2fx   (file written by xlwt)"
          % (t_load_ours, t_load_xlrd, t_load_ours / t_load_xlrd))
    print("  load  trelvo-xlstool %.3f s                 (file written by trelvo-xlstool)" % t_load_ours_own)
    return 0


if __name__ == "__main__":
    sys.exit(main())
