"""Builds the workbooks of the grid's file tests with openpyxl and xlwt.

Run with /usr/bin/python3 from this folder; the files are kept in the tree.
"""
import datetime
import io
import zipfile

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


def xlsx_same_named_sheets():
    """Two sheets named "Twin" (not possible in a valid workbook): written as
    "Twin" and "Twin2", then the second renamed in workbook.xml."""
    wb = openpyxl.Workbook()
    wb.active.title = "Twin"
    wb.active["A1"] = "first"
    wb.create_sheet("Twin2")["A1"] = "second"
    buf = io.BytesIO()
    wb.save(buf)
    with zipfile.ZipFile(buf) as src, zipfile.ZipFile("same_named_sheets.xlsx", "w", zipfile.ZIP_DEFLATED) as out:
        for info in src.infolist():
            data = src.read(info.filename)
            if info.filename == "xl/workbook.xml":
                assert data.count(b'name="Twin2"') == 1
                data = data.replace(b'name="Twin2"', b'name="Twin"')
            out.writestr(info, data)


def xls_same_named_sheets():
    """Two sheets named "TwinA": written as "TwinA" and "TwinB", then the
    second's BOUNDSHEET name patched (same length)."""
    wb = xlwt.Workbook(encoding="utf-8")
    wb.add_sheet("TwinA").write(0, 0, "first")
    wb.add_sheet("TwinB").write(0, 0, "second")
    buf = io.BytesIO()
    wb.save(buf)
    data = buf.getvalue()
    assert data.count(b"TwinB") == 1
    with open("same_named_sheets.xls", "wb") as f:
        f.write(data.replace(b"TwinB", b"TwinA"))


def xlsx_filled_beyond_limit():
    """2,100,001 cells holding 1 (one more than a load may place), in rows of
    250, written by hand so that the file stays small."""
    main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
    rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
    pkg = "http://schemas.openxmlformats.org/package/2006"
    filled = 2_100_001
    full_row = "<row>" + "<c><v>1</v></c>" * 250 + "</row>"
    rows = full_row * (filled // 250) + "<row>" + "<c><v>1</v></c>" * (filled % 250) + "</row>"
    parts = {
        "[Content_Types].xml":
            f'<?xml version="1.0" encoding="UTF-8"?><Types xmlns="{pkg}/content-types">'
            '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
            '<Default Extension="xml" ContentType="application/xml"/>'
            '<Override PartName="/xl/workbook.xml" '
            'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/></Types>',
        "_rels/.rels":
            f'<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="{pkg}/relationships">'
            f'<Relationship Id="rId1" Type="{rel}/officeDocument" Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml":
            f'<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="{main}" xmlns:r="{rel}">'
            '<sheets><sheet name="Full" sheetId="1" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels":
            f'<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="{pkg}/relationships">'
            f'<Relationship Id="rId1" Type="{rel}/worksheet" Target="worksheets/sheet1.xml"/></Relationships>',
        "xl/worksheets/sheet1.xml":
            f'<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="{main}"><sheetData>{rows}</sheetData></worksheet>',
    }
    with zipfile.ZipFile("filled_beyond_limit.xlsx", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, text in parts.items():
            z.writestr(name, text.encode("utf-8"))


if __name__ == "__main__":
    xlsx_two_sheets()
    xlsx_one_sheet()
    xlsx_empty_sheet()
    xls_two_sheets()
    xls_one_sheet()
    xls_only_empty_text()
    xls_text_then_empty()
    xlsx_same_named_sheets()
    xls_same_named_sheets()
    xlsx_filled_beyond_limit()
