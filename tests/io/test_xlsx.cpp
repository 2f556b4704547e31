// XLSX reading (stored values and their texts) and writing (one sheet of text).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "sheetgrid/io/exceldate.h"
#include "sheetgrid/io/xlsx.h"

using trelvo::io::IoError;
using trelvo::io::Table;
using trelvo::io::TextRows;
using trelvo::io::XlsxReader;

namespace {

QString data_path(const QString& name) {
  return QString::fromLocal8Bit(qgetenv("TRELVO_SOURCE_DIR")) + QStringLiteral("/tests/data/") + name;
}

std::vector<std::vector<std::string>> texts(const Table& t) {
  std::vector<std::vector<std::string>> out;
  for (const auto& row : t.dense_rows()) {
    std::vector<std::string> r;
    for (int c = 0; c < t.width; ++c) {
      r.push_back(c < static_cast<int>(row.size()) && row[c] ? row[c]->toStdString() : "<none>");
    }
    out.push_back(r);
  }
  return out;
}

TEST(XlsxRead, OpenpyxlWorkbookGivesPythonsTexts) {
  XlsxReader reader(data_path("io/openpyxl_values.xlsx"));
  EXPECT_EQ(reader.sheetNames(), (QStringList{"Data", "Other"}));
  EXPECT_EQ(reader.activeSheet(), 1);
  const Table t = reader.readSheet(0);
  EXPECT_EQ(t.sheet_name, QStringLiteral("Data"));
  EXPECT_EQ(t.width, 4);
  const std::vector<std::vector<std::string>> expected = {
      {"3", "2.5", "1e-05", "<none>"},
      {"text", "True", "False", "<none>"},
      {"2024-03-01 12:30:00", "2020-01-02 00:00:00", "13:14:15", "<none>"},
      {"<none>", "<none>", "<none>", "<none>"},
      {"<none>", "<none>", "<none>", "1e+16"},
      {"<none>", "1 day, 2:00:04", "<none>", "<none>"},
      {"-12", "  two blanks  ", "<none>", "<none>"}};
  EXPECT_EQ(texts(t), expected);
  EXPECT_EQ(texts(reader.readSheet(1)), (std::vector<std::vector<std::string>>{{"<none>", "<none>"}, {"<none>", "x"}}));
}

TEST(XlsxRead, Epoch1904) {
  XlsxReader reader(data_path("io/openpyxl_1904.xlsx"));
  EXPECT_EQ(texts(reader.readSheet(0)), (std::vector<std::vector<std::string>>{{"2001-02-03 04:05:06"}}));
}

// Conditional formats (<dxfs>) declare number formats under the ids of the
// cells' own formats; a cell's format comes from <numFmts> and the built-ins.
TEST(XlsxRead, ConditionalFormatsLeaveCellFormatsAlone) {
  XlsxReader reader(data_path("io/openpyxl_dxf_formats.xlsx"));
  EXPECT_EQ(texts(reader.readSheet(0)), (std::vector<std::vector<std::string>>{{"2.5", "2.5"}}));
}

TEST(XlsxRead, SheetIndexOutOfRangeThrows) {
  XlsxReader reader(data_path("io/openpyxl_values.xlsx"));
  EXPECT_THROW(reader.readSheet(2), IoError);
  EXPECT_THROW(reader.readSheet(-1), IoError);
}

struct SerialCase {
  const char* name;
  double serial;
  bool mac1904;
  bool duration;
  const char* text;  // nullptr: outside the dates that can be held
};

class ExcelSerial : public ::testing::TestWithParam<SerialCase> {};

TEST_P(ExcelSerial, GivesOpenpyxlsText) {
  const auto& c = GetParam();
  const auto text = trelvo::io::excel_serial_text(c.serial, c.mac1904, c.duration);
  if (!c.text) {
    EXPECT_FALSE(text.has_value());
  } else {
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->toStdString(), c.text);
  }
}

// Texts checked against str(openpyxl.utils.datetime.from_excel(...)).
INSTANTIATE_TEST_SUITE_P(
    Dates, ExcelSerial,
    ::testing::Values(SerialCase{"day_one", 1, false, false, "1900-01-01 00:00:00"},
                      SerialCase{"before_leap_bug", 59, false, false, "1900-02-28 00:00:00"},
                      SerialCase{"fictitious_leap_day", 60, false, false, "1900-02-28 00:00:00"},
                      SerialCase{"after_leap_bug", 61, false, false, "1900-03-01 00:00:00"},
                      SerialCase{"modern", 45352.5208333333, false, false, "2024-03-01 12:30:00"},
                      SerialCase{"milliseconds", 45352.000005787, false, false, "2024-03-01 00:00:00.500000"},
                      SerialCase{"time_only", 0.75, false, false, "18:00:00"},
                      SerialCase{"zero", 0, false, false, "00:00:00"},
                      SerialCase{"rounds_to_next_day", 0.999999999, false, false, "1900-01-01 00:00:00"},
                      SerialCase{"negative", -1.5, false, false, "1899-12-28 12:00:00"},
                      SerialCase{"mac_epoch", 0.5, true, false, "12:00:00"},
                      SerialCase{"mac_day", 1, true, false, "1904-01-02 00:00:00"},
                      SerialCase{"year_9999", 2958465, false, false, "9999-12-31 00:00:00"},
                      SerialCase{"past_year_9999", 2958466, false, false, nullptr},
                      SerialCase{"before_year_1", -693595, false, false, nullptr},
                      SerialCase{"duration", 1.08338, false, true, "1 day, 2:00:04.032000"},
                      SerialCase{"duration_negative", -0.25, false, true, "-1 day, 18:00:00"},
                      SerialCase{"duration_days", 3, false, true, "3 days, 0:00:00"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FormatCase {
  const char* code;
  bool date;
  bool duration;
};

class NumberFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormat, ClassifiedAsOpenpyxlDoes) {
  EXPECT_EQ(trelvo::io::is_date_format(GetParam().code), GetParam().date) << GetParam().code;
  EXPECT_EQ(trelvo::io::is_duration_format(GetParam().code), GetParam().duration) << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(Codes, NumberFormat,
                         ::testing::Values(FormatCase{"yyyy-mm-dd", true, false}, FormatCase{"General", false, false},
                                           FormatCase{"0.00", false, false}, FormatCase{"[h]:mm:ss", true, true},
                                           FormatCase{"\"days\" 0", false, false}, FormatCase{"[Red]0.0", false, false},
                                           FormatCase{"0\\d", false, false}, FormatCase{"d", false, false},
                                           FormatCase{"0;dd", false, false}, FormatCase{"[$-409]mmm d", true, false}));

class XlsxWrite : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString path = dir.filePath("out.xlsx");
};

TEST_F(XlsxWrite, RoundTripKeepsTextsAndPlaces) {
  const TextRows rows = {{"x", "", "3"}, {" ", "=A1*2", "2.50"}, {"", "\xE4\xB8\xAD", "line\nbreak"}};
  trelvo::io::write_xlsx(path, rows);
  XlsxReader reader(path);
  EXPECT_EQ(reader.sheetNames(), QStringList{"Sheet1"});
  const std::vector<std::vector<std::string>> expected = {
      {"x", "<none>", "3"}, {"<none>", "=A1*2", "2.50"}, {"<none>", "\xE4\xB8\xAD", "line\nbreak"}};
  EXPECT_EQ(texts(reader.readSheet(0)), expected);
}

// The byte budget given to the reader bounds the file read as well.
TEST_F(XlsxWrite, FileOverTheGivenBudgetIsNotRead) {
  trelvo::io::write_xlsx(path, {{"x"}});
  const qint64 size = QFileInfo(path).size();
  try {
    XlsxReader(path, size - 1);
    FAIL() << "read a file over the budget";
  } catch (const IoError& e) {
    EXPECT_NE(std::string(e.what()).find(std::to_string(size - 1) + " bytes a table file may hold"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(XlsxReader(path, size * 100).sheetNames(), QStringList{"Sheet1"});
}

TEST_F(XlsxWrite, AllEmptyGivesASheetWithoutCells) {
  trelvo::io::write_xlsx(path, {{""}});
  const Table t = XlsxReader(path).readSheet(0);
  EXPECT_TRUE(t.empty());
  EXPECT_EQ(t.width, 0);
}

struct RefusedWrite {
  const char* name;
  TextRows rows;
};

class XlsxWriteRefused : public ::testing::TestWithParam<RefusedWrite> {};

TEST_P(XlsxWriteRefused, ThrowsAndKeepsTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("out.xlsx");
  trelvo::io::write_xlsx(path, {{"old"}});
  EXPECT_THROW(trelvo::io::write_xlsx(path, GetParam().rows), IoError);
  EXPECT_EQ(texts(XlsxReader(path).readSheet(0)), (std::vector<std::vector<std::string>>{{"old"}}));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.xlsx"});
}

INSTANTIATE_TEST_SUITE_P(
    Limits, XlsxWriteRefused,
    ::testing::Values(RefusedWrite{"text_over_32767", {{QString(32768, u'a')}}},
                      RefusedWrite{"nul", {{QStringLiteral("a") + QChar(0) + QStringLiteral("z")}}},
                      RefusedWrite{"escapes_past_32767", {{QString(32762, u'a') + QChar(0xFFFE)}}},
                      RefusedWrite{"lone_surrogate", {{QString(QChar(0xD800))}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(XlsxWrite, TextAtThe32767LimitIsWritten) {
  trelvo::io::write_xlsx(path, {{QString(32767, u'a')}});
  EXPECT_EQ(XlsxReader(path).readSheet(0).dense_rows()[0][0]->size(), 32767);
}

TEST_F(XlsxWrite, ColumnPastTheLastIsRefused) {
  std::vector<QString> row(16385);
  row.back() = QStringLiteral("x");
  EXPECT_THROW(trelvo::io::write_xlsx(path, {row}), IoError);
  EXPECT_FALSE(QFile::exists(path));
}

TEST_F(XlsxWrite, UnwritableFolderThrows) {
  EXPECT_THROW(trelvo::io::write_xlsx(dir.filePath("missing/out.xlsx"), {{"1"}}), IoError);
}

}  // namespace
