"""Loading and saving 100,000 x 2 cells as CSV and XLSX: trelvo's readers and
writers (through trelvo-iotool, process start included) next to openpyxl and
Python's csv module on the same data. Prints seconds."""
import csv
import os
import subprocess
import sys
import tempfile
import time

import openpyxl

ROWS = 100_000
BUILD = os.environ.get("TRELVO_BUILD_DIR") or os.path.dirname(os.environ.get("PYTHONPATH", "build/python").split(":")[0])
TOOL = os.path.join(BUILD or "build", "bin", "trelvo-iotool")


def timed(fn):
    start = time.perf_counter()
    fn()
    return time.perf_counter() - start


def run_tool(*args):
    subprocess.run([TOOL, *args], check=True, stdout=subprocess.DEVNULL)


def main():
    if not os.access(TOOL, os.X_OK):
        print(f"trelvo-iotool not found at {TOOL}; build the tests first", file=sys.stderr)
        return 1
    rows = [[str(i), repr(i * 0.5)] for i in range(ROWS)]
    with tempfile.TemporaryDirectory() as tmp:
        ours_csv = os.path.join(tmp, "ours.csv")
        ours_xlsx = os.path.join(tmp, "ours.xlsx")
        py_csv = os.path.join(tmp, "py.csv")
        py_xlsx = os.path.join(tmp, "py.xlsx")

        def py_csv_write():
            with open(py_csv, "w", encoding="utf-8", newline="") as f:
                csv.writer(f).writerows(rows)

        def py_csv_read():
            with open(py_csv, encoding="utf-8", newline="") as f:
                return [r for r in csv.reader(f) if r]

        def py_xlsx_write():
            wb = openpyxl.Workbook()
            ws = wb.active
            ws.title = "Sheet1"
            for r, row in enumerate(rows, 1):
                for c, text in enumerate(row, 1):
                    ws.cell(row=r, column=c, value=text)
            wb.save(py_xlsx)

        def py_xlsx_read():
            wb = openpyxl.load_workbook(py_xlsx, data_only=True)
            return list(wb.active.iter_rows(values_only=True))

        results = [
            ("CSV write", timed(lambda: run_tool("fill", ours_csv, str(ROWS))), "python csv", timed(py_csv_write)),
            ("CSV read", timed(lambda: run_tool("count", ours_csv)), "python csv", timed(py_csv_read)),
            ("XLSX write", timed(lambda: run_tool("fill", ours_xlsx, str(ROWS))), "openpyxl", timed(py_xlsx_write)),
            ("XLSX read", timed(lambda: run_tool("count", ours_xlsx)), "openpyxl", timed(py_xlsx_read)),
        ]
    print(f"{ROWS:,} x 2 cells")
    print(f"{'':12}{'trelvo [s]':>12}{'':>14}{'reference [s]':>14}")
    for name, ours, ref_name, ref in results:
        print(f"{name:12}{ours:12.3f}{ref_name:>14}{ref:14.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
