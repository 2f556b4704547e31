"""Builds the workbooks of the grid's file tests with openpyxl and xlwt.

Run with /usr/bin/python3 from this folder; the files are kept in the tree.
"""
import datetime

import openpyxl
import xlwt


def xlsx_two_sheets():
    wb = openpyxl.Workbook()
    alpha = wb.active
    alpha.title = "Alpha"
    alpha["A1"] = "alpha"
    beta = wb.create_sheet("Beta")
    beta["A1"] = 3
    beta["B1"] = 2.5
    beta["A2"] = True
    beta["B2"] = datetime.datetime(2024, 1, 2, 3, 4, 5)
    beta["A3"] = "text"
    beta["C3"] = "=A1*2"  # stored without a result
    gamma = wb.create_sheet("Gamma")
    gamma["A1"] = "gamma"
    wb.active = 1
    wb.save("two_sheets.xlsx")


def xlsx_one_sheet():
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Only"
    ws["A1"] = "x"
    ws["A2"] = 1
    ws["B2"] = 2
    wb.save("one_sheet.xlsx")


def xlsx_empty_sheet():
    wb = openpyxl.Workbook()
    wb.active.title = "Empty"
    wb.save("empty_sheet.xlsx")


def xls_two_sheets():
    wb = xlwt.Workbook(encoding="utf-8")
    first = wb.add_sheet("First")
    first.write(0, 0, 3)
    first.write(0, 1, "a")
    second = wb.add_sheet("Second")
    second.write(0, 0, "second")
    second.write(1, 1, 2.5)
    second.write(2, 0, True)
    wb.save("two_sheets.xls")


def xls_one_sheet():
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Only")
    ws.write(0, 0, "x")
    ws.write(1, 0, 1)
    ws.write(1, 1, 2)
    wb.save("one_sheet.xls")


def xls_only_empty_text():
    wb = xlwt.Workbook(encoding="utf-8")
    wb.add_sheet("Blank").write(0, 0, "")
    wb.save("only_empty_text.xls")


def xls_text_then_empty():
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Row")
    ws.write(0, 0, "a")
    ws.write(0, 1, "")
    wb.save("text_then_empty.xls")


if __name__ == "__main__":
    xlsx_two_sheets()
    xlsx_one_sheet()
    xlsx_empty_sheet()
    xls_two_sheets()
    xls_one_sheet()
    xls_only_empty_text()
    xls_text_then_empty()
