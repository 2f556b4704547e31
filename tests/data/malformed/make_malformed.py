#!/usr/bin/python3
"""Writes the malformed CSV and XLSX samples of this folder (run from anywhere).

Every file here must make the readers throw IoError; the tests load them one
by one with the decompression cap lowered to 1 MiB.
"""
import io
import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"

CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8"?>'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/xl/workbook.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
    '<Override PartName="/xl/sharedStrings.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
    '</Types>')
ROOT_RELS = (
    '<?xml version="1.0" encoding="UTF-8"?>'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
    'Target="xl/workbook.xml"/></Relationships>')
WORKBOOK = (
    f'<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="{MAIN}" xmlns:r="{REL}">'
    '<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>')
WORKBOOK_RELS = (
    '<?xml version="1.0" encoding="UTF-8"?>'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" '
    'Target="worksheets/sheet1.xml"/></Relationships>')
STRINGS = f'<?xml version="1.0" encoding="UTF-8"?><sst xmlns="{MAIN}"><si><t>a</t></si></sst>'


def sheet(rows_xml, prolog='<?xml version="1.0" encoding="UTF-8"?>'):
    return f'{prolog}<worksheet xmlns="{MAIN}"><sheetData>{rows_xml}</sheetData></worksheet>'


GOOD_SHEET = sheet('<row r="1"><c r="A1"><v>1</v></c><c r="B1" t="s"><v>0</v></c></row>')


def workbook(sheet_xml=GOOD_SHEET, drop=(), extra=None, strings=STRINGS):
    parts = {
        "[Content_Types].xml": CONTENT_TYPES,
        "_rels/.rels": ROOT_RELS,
        "xl/workbook.xml": WORKBOOK,
        "xl/_rels/workbook.xml.rels": WORKBOOK_RELS,
        "xl/sharedStrings.xml": strings,
        "xl/worksheets/sheet1.xml": sheet_xml,
    }
    parts.update(extra or {})
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            if name not in drop:
                z.writestr(name, text.encode("utf-8") if isinstance(text, str) else text)
    return buf.getvalue()


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def bad_crc():
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_STORED) as z:
        for name, text in [("[Content_Types].xml", CONTENT_TYPES), ("_rels/.rels", ROOT_RELS),
                           ("xl/workbook.xml", WORKBOOK), ("xl/_rels/workbook.xml.rels", WORKBOOK_RELS),
                           ("xl/sharedStrings.xml", STRINGS), ("xl/worksheets/sheet1.xml", GOOD_SHEET)]:
            z.writestr(name, text)
    data = bytearray(buf.getvalue())
    at = data.find(b"<sheetData><row")
    data[at + 12] ^= 0x01  # the stored bytes no longer match their CRC-32
    return bytes(data)


LAUGHS = ('<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol">'
          + "".join(f'<!ENTITY lol{i} "{("&lol%s;" % (i - 1 if i > 1 else "")) * 10}">' for i in range(1, 10))
          + ']>')


def styles_with_format(code):
    return (f'<styleSheet xmlns="{MAIN}"><numFmts><numFmt numFmtId="164" formatCode="{code}"/></numFmts>'
            '<cellXfs><xf numFmtId="0"/><xf numFmtId="164"/></cellXfs></styleSheet>')


def hostile():
    """Files that once cost minutes or gigabytes: each must now be refused."""
    one_cell = '<row r="1"><c r="A1" s="1"><v>1</v></c></row>'
    write("xlsx_bracket_format.xlsx", workbook(extra={"xl/styles.xml": styles_with_format("[" * 1_000_000)}))
    attributes = "".join(f' a{i}="1"' for i in range(2_000))
    write("xlsx_many_attributes.xlsx", workbook(sheet(f'<row r="1"><c r="A1"{attributes}><v>1</v></c></row>')))
    declarations = "".join(f' xmlns:n{i}="urn:n{i}"' for i in range(2_000))
    write("xlsx_many_namespaces.xlsx", workbook(
        f'<worksheet xmlns="{MAIN}"{declarations}><sheetData>{one_cell}</sheetData></worksheet>'))
    write("xlsx_deep_nesting.xlsx", workbook(sheet(one_cell + "<x>" * 100_000 + "</x>" * 100_000)))
    write("xlsx_long_blank_run.xlsx", workbook(sheet(one_cell + " " * (3 << 20))))
    write("xlsx_long_text.xlsx", workbook(sheet(f'<row r="1"><c r="A1" t="str"><v>{"x" * 200_000}</v></c></row>')))


def main():
    hostile()
    good = workbook()
    write("xlsx_truncated.xlsx", good[: len(good) // 2])
    write("xlsx_not_a_zip.xlsx", b"this is plain text, not a workbook\n")
    write("xlsx_empty_file.xlsx", b"")
    write("xlsx_bad_crc.xlsx", bad_crc())
    # 8 MiB of blanks inside the sheet: a few KiB compressed, far over the test's 1 MiB cap.
    write("xlsx_zip_bomb.xlsx", workbook(sheet(" " * (8 << 20))))
    write("xlsx_bad_xml.xlsx", workbook(sheet('<row r="1"><c r="A1"><v>1</v></row>')))
    write("xlsx_entity_bomb.xlsx", workbook(sheet('<row r="1"><c r="A1" t="str"><v>&lol9;</v></c></row>', LAUGHS)))
    write("xlsx_external_entity.xlsx", workbook(sheet(
        '<row r="1"><c r="A1" t="str"><v>&x;</v></c></row>',
        '<?xml version="1.0"?><!DOCTYPE w [<!ENTITY x SYSTEM "file:///etc/passwd">]>')))
    write("xlsx_undeclared_entity.xlsx", workbook(sheet('<row r="1"><c r="A1" t="str"><v>&nope;</v></c></row>')))
    write("xlsx_ref_beyond_rows.xlsx", workbook(sheet('<row r="1"><c r="A1048577"><v>1</v></c></row>')))
    write("xlsx_ref_beyond_columns.xlsx", workbook(sheet('<row r="1"><c r="XFE1"><v>1</v></c></row>')))
    write("xlsx_huge_extent.xlsx", workbook(sheet(
        '<row r="1"><c r="A1"><v>1</v></c></row><row r="1048576"><c r="XFD1048576"><v>1</v></c></row>')))
    write("xlsx_bad_ref.xlsx", workbook(sheet('<row r="1"><c r="1A"><v>1</v></c></row>')))
    write("xlsx_bad_number.xlsx", workbook(sheet('<row r="1"><c r="A1"><v>12abc</v></c></row>')))
    write("xlsx_bad_shared_index.xlsx", workbook(sheet('<row r="1"><c r="A1" t="s"><v>7</v></c></row>')))
    write("xlsx_missing_workbook.xlsx", workbook(drop=("xl/workbook.xml",)))
    write("xlsx_missing_content_types.xlsx", workbook(drop=("[Content_Types].xml",)))
    write("xlsx_bad_strings_xml.xlsx", workbook(strings=f'<sst xmlns="{MAIN}"><si><t>a</si></sst>'))
    write("csv_invalid_start_byte.csv", b"x,y\r\n1,\xff\r\n")
    write("csv_truncated_sequence.csv", b"x,y\r\n1,\xe2\x82")
    write("csv_encoded_surrogate.csv", b"x,\xed\xa0\x80\r\n")
    write("csv_latin1.csv", "caf\u00e9,1\r\n".encode("latin-1"))
    write("csv_field_over_limit.csv", b"\"" + b"a" * 131073 + b"\"\r\n")


if __name__ == "__main__":
    main()
