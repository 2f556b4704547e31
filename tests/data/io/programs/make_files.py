#!/usr/bin/python3
"""Makes the workbooks and CSV files of this folder with the spreadsheet
programs themselves (Debian's libreoffice-calc-nogui and gnumeric).

openpyxl writes the source workbook (formulas without results, second sheet
active); LibreOffice Calc opens it, computes the formulas and saves it as
XLSX, XLS and CSV (its CSV holds the first sheet); Gnumeric's ssconvert then
converts LibreOffice's XLSX into its own XLSX, XLS and CSV (the active sheet),
computing the formulas again (Gnumeric gives #NUM! and #NULL! where
LibreOffice gives #VALUE! and #REF!).

Run from anywhere; needs /usr/bin/soffice and /usr/bin/ssconvert.
"""
import datetime
import os
import shutil
import subprocess
import tempfile

import openpyxl
from openpyxl.formatting.rule import CellIsRule
from openpyxl.styles.differential import DifferentialStyle

HERE = os.path.dirname(os.path.abspath(__file__))


def source(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Values"
    ws.append([3, -7, 2.5, 0.1, 1e-05, 1e16, 123456789012, 0.25, 1234.5, 6.02e23])
    ws["H1"].number_format = "0%"
    ws["I1"].number_format = "#,##0.00"
    ws["J1"].number_format = "0.000E+00"
    # Stored texts: F2 holds the literal text "a_x000D_b", H2 holds "a", CR, "b".
    ws.append(["text", "  two blanks  ", "\u4e2d\u6587\u6570\u636e", "multi\nline", "1,5", "a_x005F_x000D_b",
               "under_score", "a_x000D_b"])
    ws.append([True, False, "=1>2"])
    ws.append([datetime.datetime(2024, 3, 1), datetime.datetime(2024, 3, 1, 12, 30, 15), datetime.time(6, 7, 8),
               datetime.date(1999, 12, 31)])
    ws["A4"].number_format = "yyyy-mm-dd"
    ws["D4"].number_format = "yyyy-mm-dd"
    ws.append(["=1/0", "=NA()", "=SQRT(-1)", '="a"+1', "=NOSUCHNAME", "=#REF!", "=A1:A2 C1:C2"])
    ws.append([])
    ws.append(["=1+2", "=2/3", '="a"&"b"', "=A1*2", None, "last"])
    ws.append([])
    # 2.5 shown with two decimals; the conditional format shows numbers above 100 as dates.
    ws.append([2.5, 45000])
    ws["A9"].number_format = "0.00"
    ws["B9"].number_format = "0.00"
    rule = CellIsRule(operator="greaterThan", formula=["100"])
    rule.dxf = DifferentialStyle(numFmt=openpyxl.styles.numbers.NumberFormat(164, "dd.mm.yyyy"))
    ws.conditional_formatting.add("A9:B9", rule)
    second = wb.create_sheet("Second")
    second["A1"] = "second"
    second["B2"] = 42
    second["C2"] = "=1/0"
    wb.active = 1
    wb.save(path)


def libreoffice(workbook):
    profile = tempfile.mkdtemp(prefix="lo-profile-")
    try:
        for ending, filter_name in [("xlsx", "xlsx"), ("xls", "xls"), ("csv", "csv:Text - txt - csv (StarCalc):44,34,76,1")]:
            subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless", "--convert-to",
                            filter_name, "--outdir", profile, workbook], check=True)
            shutil.move(os.path.join(profile, "source." + ending), os.path.join(HERE, "libreoffice." + ending))
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def gnumeric():
    made = os.path.join(HERE, "libreoffice.xlsx")
    for name, exporter in [("gnumeric.xlsx", "Gnumeric_Excel:xlsx2"), ("gnumeric.xls", "Gnumeric_Excel:excel_biff8"),
                           ("gnumeric.csv", "Gnumeric_stf:stf_csv")]:
        subprocess.run(["ssconvert", "--recalc", "-T", exporter, made, os.path.join(HERE, name)], check=True)


if __name__ == "__main__":
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "source.xlsx")
        source(path)
        libreoffice(path)
    gnumeric()
