// Workbooks written by LibreOffice Calc and Gnumeric (tests/data/io/programs,
// made by its make_files.py): the texts of their cells, error formulas
// included, as the readers give them.
#include <gtest/gtest.h>

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

}  // namespace
