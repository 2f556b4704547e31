// Workbooks written by LibreOffice Calc and Gnumeric (tests/data/io/programs,
// made by its make_files.py): the texts of their cells, error formulas
// included, as the readers give them; and sheets of many formula rows shaped
// as those programs write them.
#include <gtest/gtest.h>

#include <functional>

#include "common/zipwriter.h"
#include "sheetgrid/io/xls.h"
#include "sheetgrid/io/xlsx.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using trelvo::io::Table;

namespace {

QString program_file(const char* name) {
  return QString::fromLocal8Bit(qgetenv("TRELVO_SOURCE_DIR")) + QStringLiteral("/tests/data/io/programs/") +
         QLatin1String(name);
}

Table read_table(const char* file, int sheet) {
  const QString path = program_file(file);
  if (path.endsWith(QLatin1String(".xls"))) return trelvo::io::XlsReader(path).readSheet(sheet);
  return trelvo::io::XlsxReader(path).readSheet(sheet);
}

struct ProgramCell {
  const char* name;
  const char* file;
  int sheet;
  int row;
  int col;
  QString text;
};
void PrintTo(const ProgramCell& c, std::ostream* os) { *os << c.name; }

class ProgramFiles : public testing::TestWithParam<ProgramCell> {};

TEST_P(ProgramFiles, CellGivesItsText) {
  const ProgramCell& c = GetParam();
  const Table t = read_table(c.file, c.sheet);
  ASSERT_LT(c.row, static_cast<int>(t.dense_rows().size()));
  const auto row = t.dense_rows()[static_cast<std::size_t>(c.row)];
  ASSERT_LT(c.col, static_cast<int>(row.size()));
  ASSERT_TRUE(row[static_cast<std::size_t>(c.col)].has_value());
  EXPECT_EQ(*row[static_cast<std::size_t>(c.col)], c.text);
}

const ProgramCell kCells[] = {
    {"LibreOfficeXlsxInteger", "libreoffice.xlsx", 0, 0, 0, "3"},
    {"LibreOfficeXlsxFraction", "libreoffice.xlsx", 0, 0, 2, "2.5"},
    {"LibreOfficeXlsxSmall", "libreoffice.xlsx", 0, 0, 4, "1e-05"},
    {"LibreOfficeXlsxPercent", "libreoffice.xlsx", 0, 0, 7, "0.25"},
    {"LibreOfficeXlsxTrue", "libreoffice.xlsx", 0, 2, 0, "True"},
    {"LibreOfficeXlsxDate", "libreoffice.xlsx", 0, 3, 0, "2024-03-01 00:00:00"},
    {"LibreOfficeXlsxTime", "libreoffice.xlsx", 0, 3, 2, "06:07:08"},
    {"LibreOfficeXlsxDivZero", "libreoffice.xlsx", 0, 4, 0, "#DIV/0!"},
    {"LibreOfficeXlsxNotAvailable", "libreoffice.xlsx", 0, 4, 1, "#N/A"},
    {"LibreOfficeXlsxLiteralEscape", "libreoffice.xlsx", 0, 1, 5, "a_x000D_b"},
    {"LibreOfficeXlsxCarriageReturn", "libreoffice.xlsx", 0, 1, 7, "a\rb"},
    {"LibreOfficeXlsxStringResult", "libreoffice.xlsx", 0, 6, 2, "ab"},
    {"LibreOfficeXlsxConditionalFormatKeepsNumber", "libreoffice.xlsx", 0, 8, 0, "2.5"},
    {"LibreOfficeXlsxSecondSheet", "libreoffice.xlsx", 1, 1, 2, "#DIV/0!"},
    {"LibreOfficeXlsFloat", "libreoffice.xls", 0, 0, 0, "3.0"},
    {"LibreOfficeXlsTrue", "libreoffice.xls", 0, 2, 0, "1"},
    {"LibreOfficeXlsDateIsDayNumber", "libreoffice.xls", 0, 3, 0, "45352.0"},
    {"LibreOfficeXlsDivZero", "libreoffice.xls", 0, 4, 0, "#DIV/0!"},
    {"LibreOfficeXlsNotAvailable", "libreoffice.xls", 0, 4, 1, "#N/A"},
    {"LibreOfficeXlsValue", "libreoffice.xls", 0, 4, 2, "#VALUE!"},
    {"LibreOfficeXlsName", "libreoffice.xls", 0, 4, 4, "#NAME?"},
    {"LibreOfficeXlsRef", "libreoffice.xls", 0, 4, 5, "#REF!"},
    {"LibreOfficeXlsLiteralEscape", "libreoffice.xls", 0, 1, 5, "a_x000D_b"},
    {"LibreOfficeXlsCarriageReturn", "libreoffice.xls", 0, 1, 7, "a\rb"},
    {"GnumericXlsxInlineEscapeDecoded", "gnumeric.xlsx", 0, 1, 5, "a_x000D_b"},
    {"GnumericXlsxNum", "gnumeric.xlsx", 0, 4, 2, "#NUM!"},
    {"GnumericXlsxNull", "gnumeric.xlsx", 0, 4, 6, "#NULL!"},
    {"GnumericXlsNum", "gnumeric.xls", 0, 4, 2, "#NUM!"},
    {"GnumericXlsNull", "gnumeric.xls", 0, 4, 6, "#NULL!"},
    {"GnumericXlsSecondSheet", "gnumeric.xls", 1, 1, 2, "#DIV/0!"},
};

INSTANTIATE_TEST_SUITE_P(Cells, ProgramFiles, testing::ValuesIn(kCells),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramWorkbooks, SecondSheetIsActive) {
  for (const char* file : {"libreoffice.xlsx", "gnumeric.xlsx"}) {
    const trelvo::io::XlsxReader reader(program_file(file));
    EXPECT_EQ(reader.sheetNames(), (QStringList{"Values", "Second"})) << file;
    EXPECT_EQ(reader.activeSheet(), 1) << file;
  }
}

// Tall formula sheets as the programs write them. Gnumeric puts every
// element on its own indented line (some 32 blanks a cell) and LibreOffice
// none; both write each formula in full beside its result, which the reader
// passes over. A fixed total of passed-over characters refused such sheets
// from some 550,000 rows on; the load pays for them from the values it reads.
// The sheets here are a hundredth as tall, read with the load's base scaled
// down as much.

const QByteArray kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// With `value_shares` false the load has its base alone, one fixed total.
trelvo::io::XmlAllowance scaled_allowance(bool value_shares = true) {
  trelvo::io::XmlAllowance a;
  a.base_elements /= 100;
  a.base_passed_over /= 100;
  a.description_elements /= 100;
  a.description_passed_over /= 100;
  if (!value_shares) a.elements_per_value = a.passed_over_per_value = 0;
  return a;
}

// The formula of row `r` as stored in the XML (escaped).
using Formula = std::function<QByteArray(const QByteArray& r)>;

QByteArray if_formula(const QByteArray& r) {
  return "IF(A" + r + "&gt;0,3*SIN(A" + r + ")+0.5*COS(A" + r + "/2),0)";
}

// A formula of 200 characters (once "&gt;" reads as ">") on the row's A cell.
QByteArray long_formula(const QByteArray& r) {
  constexpr qsizetype kLength = 200;
  const QByteArray head = "IF(A" + r + ">0,";
  const QByteArray tail = ",0)";
  QByteArray sum;
  for (int k = 1;; ++k) {
    const QByteArray term = (k > 1 ? "+" : "") + QByteArray::number(k) + "*SIN(A" + r + "/" + QByteArray::number(k) + ")";
    if (head.size() + sum.size() + term.size() + tail.size() + 2 > kLength) break;
    sum += term;
  }
  sum += "+" + QByteArray(kLength - head.size() - sum.size() - tail.size() - 1, '0');
  return QByteArray(head).replace(">", "&gt;") + sum + tail;
}

QByteArray gnumeric_sheet(int rows, const Formula& formula) {
  const QByteArray n = QByteArray::number(rows);
  QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet xmlns=\"" + kMainNs + "\" xmlns:r=\"" +
                   kRelNs +
                   "\" xmlns:gnmx=\"http://www.gnumeric.org/ext/spreadsheetml\">\n"
                   "  <sheetPr>\n    <pageSetUpPr fitToPage=\"0\"/>\n  </sheetPr>\n"
                   "  <dimension ref=\"A1:B" + n + "\"/>\n"
                   "  <sheetViews>\n    <sheetView workbookViewId=\"0\" tabSelected=\"1\">\n"
                   "      <selection activeCell=\"A1\" sqref=\"A1\"/>\n    </sheetView>\n  </sheetViews>\n"
                   "  <sheetFormatPr defaultColWidth=\"60.75\" defaultRowHeight=\"15\"/>\n"
                   "  <cols>\n    <col min=\"1\" max=\"16384\" style=\"1\" width=\"11.570733173076924\"/>\n  </cols>\n"
                   "  <sheetData>\n";
  for (int i = 1; i <= rows; ++i) {
    const QByteArray r = QByteArray::number(i);
    out += "    <row r=\"" + r + "\" spans=\"1:2\">\n      <c r=\"A" + r + "\">\n        <v>" + r +
           "</v>\n      </c>\n      <c r=\"B" + r + "\">\n        <f>" + formula(r) +
           "</f>\n        <v>0.50299993700000132711</v>\n      </c>\n    </row>\n";
  }
  return out +
         "  </sheetData>\n  <printOptions/>\n"
         "  <pageMargins left=\"0.75\" right=\"0.75\" top=\"1\" bottom=\"1\" header=\"0.5\" footer=\"0.5\"/>\n"
         "  <headerFooter>\n    <oddHeader></oddHeader>\n    <oddFooter></oddFooter>\n  </headerFooter>\n"
         "</worksheet>\n";
}

QByteArray libreoffice_sheet(int rows, const Formula& formula) {
  QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"" + kMainNs +
                   "\" xmlns:r=\"" + kRelNs + "\"><dimension ref=\"A1:B" + QByteArray::number(rows) +
                   "\"/><sheetData>";
  for (int i = 1; i <= rows; ++i) {
    const QByteArray r = QByteArray::number(i);
    out += "<row r=\"" + r +
           "\" customFormat=\"false\" ht=\"15\" hidden=\"false\" customHeight=\"false\" outlineLevel=\"0\" "
           "collapsed=\"false\"><c r=\"A" + r + "\" s=\"0\" t=\"n\"><v>" + r + "</v></c><c r=\"B" + r +
           "\" s=\"0\" t=\"n\"><f aca=\"false\">" + formula(r) + "</f><v>0.502999937000001</v></c></row>";
  }
  return out + "</sheetData></worksheet>";
}

// The sheet in a workbook whose other parts are indented as Gnumeric writes them.
QByteArray program_workbook(const QByteArray& sheet) {
  const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  return trelvo::test::zip_archive({
      {"[Content_Types].xml",
       head + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n"
              "  <Override PartName=\"/xl/workbook.xml\" "
              "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>\n"
              "  <Override PartName=\"/xl/worksheets/sheet1.xml\" "
              "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>\n"
              "</Types>\n"},
      {"xl/workbook.xml", head + "<workbook xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs +
                              "\">\n  <bookViews>\n    <workbookView activeTab=\"0\"/>\n  </bookViews>\n"
                              "  <sheets>\n    <sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/>\n  </sheets>\n"
                              "</workbook>\n"},
      {"xl/_rels/workbook.xml.rels",
       head + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
              "  <Relationship Id=\"rId1\" Type=\"" + kRelNs + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>\n"
              "</Relationships>\n"},
      {"xl/worksheets/sheet1.xml", sheet},
  });
}

struct TallSheet {
  const char* name;
  std::function<QByteArray(int, const Formula&)> sheet;
  Formula formula;
  int rows;
};
void PrintTo(const TallSheet& c, std::ostream* os) { *os << c.name; }

class TallFormulaSheets : public testing::TestWithParam<TallSheet> {};

TEST_P(TallFormulaSheets, LoadWhole) {
  const TallSheet& c = GetParam();
  const QByteArray file = program_workbook(c.sheet(c.rows, c.formula));
  const Table t = trelvo::io::XlsxReader(file, trelvo::limits::kMaxDecompressedBytes, scaled_allowance()).readSheet(0);
  EXPECT_EQ(t.height, c.rows);
  EXPECT_EQ(t.width, 2);
  EXPECT_EQ(t.cells.size(), 2u * static_cast<std::size_t>(c.rows));
  EXPECT_EQ(t.at(c.rows - 1, 0), QString::number(c.rows));
  EXPECT_TRUE(t.at(c.rows - 1, 1).has_value());
  // Past what one fixed total allows: without a share for each value read
  // the same workbook is refused.
  EXPECT_THROW(trelvo::io::XlsxReader(file, trelvo::limits::kMaxDecompressedBytes, scaled_allowance(false)).readSheet(0),
               trelvo::io::IoError);
}

const TallSheet kTallSheets[] = {
    {"GnumericIfFormula", gnumeric_sheet, if_formula, 8'100},
    {"GnumericFormulaOf200Characters", gnumeric_sheet, long_formula, 10'000},
    {"LibreOfficeFormulaOf200Characters", libreoffice_sheet, long_formula, 10'000},
};

INSTANTIATE_TEST_SUITE_P(Shapes, TallFormulaSheets, testing::ValuesIn(kTallSheets),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TallFormulaSheets, LongFormulaHas200Characters) {
  EXPECT_EQ(long_formula("1").replace("&gt;", ">").size(), 200);
  EXPECT_EQ(long_formula("1048576").replace("&gt;", ">").size(), 200);
}

}  // namespace
