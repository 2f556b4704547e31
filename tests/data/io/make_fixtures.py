#!/usr/bin/python3
"""Writes the openpyxl-made workbooks that test_xlsx.cpp reads (run from anywhere)."""
import datetime
import os

import openpyxl

HERE = os.path.dirname(os.path.abspath(__file__))


def values():
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Data"
    ws["A1"] = 3
    ws["B1"] = 2.5
    ws["C1"] = 1e-05
    ws["A2"] = "text"
    ws["B2"] = True
    ws["C2"] = False
    ws["A3"] = datetime.datetime(2024, 3, 1, 12, 30)
    ws["B3"] = datetime.date(2020, 1, 2)
    ws["C3"] = datetime.time(13, 14, 15)
    ws["A4"] = "=1+2"          # a formula saved without a result
    ws["D5"] = 1e16
    ws["B6"] = datetime.timedelta(days=1, hours=2, seconds=4)
    ws["A7"] = -12
    ws["B7"] = "  two blanks  "
    other = wb.create_sheet("Other")
    other["B2"] = "x"
    wb.active = 1
    wb.save(os.path.join(HERE, "openpyxl_values.xlsx"))


def mac_dates():
    wb = openpyxl.Workbook()
    wb.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904
    wb.active["A1"] = datetime.datetime(2001, 2, 3, 4, 5, 6)
    wb.save(os.path.join(HERE, "openpyxl_1904.xlsx"))


def conditional_number_formats():
    """Conditional formats whose number formats reuse the ids of the cells' formats."""
    from openpyxl.formatting.rule import CellIsRule
    from openpyxl.styles.differential import DifferentialStyle
    from openpyxl.styles.numbers import NumberFormat

    wb = openpyxl.Workbook()
    ws = wb.active
    ws["A1"] = 2.5
    ws["A1"].number_format = "0.000"  # the workbook's first own format: id 164
    ws["B1"] = 2.5
    ws["B1"].number_format = "0.00"  # built-in id 2
    for cells, fmt in [("A1", NumberFormat(164, "yyyy-mm-dd")), ("B1", NumberFormat(2, "hh:mm"))]:
        rule = CellIsRule(operator="greaterThan", formula=["100"])
        rule.dxf = DifferentialStyle(numFmt=fmt)
        ws.conditional_formatting.add(cells, rule)
    wb.save(os.path.join(HERE, "openpyxl_dxf_formats.xlsx"))


if __name__ == "__main__":
    values()
    mac_dates()
    conditional_number_formats()
