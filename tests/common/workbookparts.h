#pragma once
// One-sheet XLSX workbooks built in memory for the grid's file tests: the
// parts every such workbook holds, around the sheet and parts a test gives.
#include <QByteArray>

#include <vector>

#include "common/zipwriter.h"

namespace trelvo::test {

inline const QByteArray kSpreadsheetNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// A worksheet part whose <sheetData> holds `rows`.
inline QByteArray worksheet_part(const QByteArray& rows) {
  return "<worksheet xmlns=\"" + kSpreadsheetNs + "\"><sheetData>" + rows + "</sheetData></worksheet>";
}

// A deflated workbook of one sheet named `name`, whose part is `sheet`;
// `shared_strings` (the <si> elements of a shared-strings part, none when
// empty) and `styles` (a whole styles part, none when empty) are added.
inline QByteArray one_sheet_workbook(const QByteArray& sheet, const QByteArray& shared_strings = {},
                                     const QByteArray& styles = {}, const QByteArray& name = "S") {
  QByteArray types =
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>";
  if (!shared_strings.isEmpty()) {
    types +=
        "<Override PartName=\"/xl/sharedStrings.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>";
  }
  std::vector<ZipMember> members = {
      {"[Content_Types].xml", types + "</Types>", true},
      {"xl/workbook.xml",
       "<workbook xmlns=\"" + kSpreadsheetNs +
           "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
           "<sheets><sheet name=\"" + name + "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>",
       true},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
       "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>",
       true},
      {"xl/worksheets/sheet1.xml", sheet, true}};
  if (!shared_strings.isEmpty())
    members.push_back({"xl/sharedStrings.xml", "<sst xmlns=\"" + kSpreadsheetNs + "\">" + shared_strings + "</sst>", true});
  if (!styles.isEmpty()) members.push_back({"xl/styles.xml", styles, true});
  return zip_archive(members);
}

}  // namespace trelvo::test
