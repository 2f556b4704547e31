"""Loading and saving 100,000 x 2 cells as CSV and XLSX: trelvo's readers and
writers (trelvo-iotool) next to Python's csv module and openpyxl on the same
data. Each side runs as a process of its own, timed from its start to its end
(start-up, imports and building the rows included on both). Prints seconds and
ours / reference (below 1: faster)."""
import csv
import os
import subprocess
import sys
import tempfile
import time

ROWS = 100_000
BUILD = os.environ.get("TRELVO_BUILD_DIR") or os.path.dirname(os.environ.get("PYTHONPATH", "build/python").split(":")[0])
TOOL = os.path.join(BUILD or "build", "bin", "trelvo-iotool")


def timed(*command):
    start = time.perf_counter()
    subprocess.run(list(command), check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def rows_of(count):
    """The rows trelvo-iotool's "fill" writes: i and i * 0.5 as texts."""
    return [[str(i), repr(i * 0.5)] for i in range(count)]


def peer(op, path, count):
    """The reference's side of one step, run in its own process."""
    if op == "csv-write":
        rows = rows_of(count)
        with open(path, "w", encoding="utf-8", newline="") as f:
            csv.writer(f).writerows(rows)
    elif op == "csv-read":
        with open(path, encoding="utf-8", newline="") as f:
            print(len([r for r in csv.reader(f) if r]))
    elif op == "xlsx-write":
        import openpyxl

        rows = rows_of(count)
        wb = openpyxl.Workbook()
        ws = wb.active
        ws.title = "Sheet1"
        for r, row in enumerate(rows, 1):
            for c, text in enumerate(row, 1):
                ws.cell(row=r, column=c, value=text)
        wb.save(path)
    elif op == "xlsx-read":
        import openpyxl

        wb = openpyxl.load_workbook(path, data_only=True)
        print(len(list(wb.active.iter_rows(values_only=True))))
    else:
        raise SystemExit(f"unknown step {op}")
    return 0


def main():
    if not os.access(TOOL, os.X_OK):
        print(f"trelvo-iotool not found at {TOOL}; build the tests first", file=sys.stderr)
        return 1

    def reference(op, path):
        return timed(sys.executable, os.path.abspath(__file__), "--peer", op, path, str(ROWS))

    with tempfile.TemporaryDirectory() as tmp:
        ours_csv = os.path.join(tmp, "ours.csv")
        ours_xlsx = os.path.join(tmp, "ours.xlsx")
        py_csv = os.path.join(tmp, "py.csv")
        py_xlsx = os.path.join(tmp, "py.xlsx")
        results = [
            ("CSV write", timed(TOOL, "fill", ours_csv, str(ROWS)), "python csv", reference("csv-write", py_csv)),
            ("CSV read", timed(TOOL, "count", ours_csv), "python csv", reference("csv-read", py_csv)),
            ("XLSX write", timed(TOOL, "fill", ours_xlsx, str(ROWS)), "openpyxl", reference("xlsx-write", py_xlsx)),
            ("XLSX read", timed(TOOL, "count", ours_xlsx), "openpyxl", reference("xlsx-read", py_xlsx)),
        ]
    print(f"{ROWS:,} x 2 cells, each side a process of its own")
    print(f"{'':12}{'trelvo [s]':>12}{'':>14}{'reference [s]':>14}{'ours/ref':>10}")
    for name, ours, ref_name, ref in results:
        print(f"{name:12}{ours:12.3f}{ref_name:>14}{ref:14.3f}{ours / ref:9.2f}x")
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "--peer":
        sys.exit(peer(sys.argv[2], sys.argv[3], int(sys.argv[4])))
    sys.exit(main())
