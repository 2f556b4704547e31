// CSV reading and writing in Python's default csv dialect.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "sheetgrid/io/csv.h"

using trelvo::io::IoError;
using trelvo::io::Table;
using trelvo::io::TextRows;

namespace {

// Rows of a table as plain texts, "<none>" for a missing value.
std::vector<std::vector<std::string>> texts(const Table& t) {
  std::vector<std::vector<std::string>> out;
  for (const auto& row : t.dense_rows()) {
    std::vector<std::string> r;
    for (const auto& v : row) r.push_back(v ? v->toStdString() : "<none>");
    out.push_back(r);
  }
  return out;
}

struct ReadCase {
  const char* name;
  std::string bytes;
  std::vector<std::vector<std::string>> rows;
  int width;
};

class CsvRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CsvRead, GivesPythonsRecords) {
  const auto& c = GetParam();
  const Table t = trelvo::io::parse_csv(QByteArray(c.bytes.data(), static_cast<qsizetype>(c.bytes.size())));
  EXPECT_EQ(texts(t), c.rows);
  EXPECT_EQ(t.width, c.width);
}

// Expected rows were checked against csv.reader of /usr/bin/python3.
INSTANTIATE_TEST_SUITE_P(
    Dialect, CsvRead,
    ::testing::Values(
        ReadCase{"plain_crlf", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}, 2},
        ReadCase{"lf_cr_crlf_mixed", "a\rb\nc\r\nd", {{"a"}, {"b"}, {"c"}, {"d"}}, 1},
        ReadCase{"no_final_line_end", "a,b", {{"a", "b"}}, 2},
        ReadCase{"quoted_comma", "\"a,b\",c\n", {{"a,b", "c"}}, 2},
        ReadCase{"doubled_quote", "\"a\"\"b\"\n", {{"a\"b"}}, 1},
        ReadCase{"newlines_in_quotes", "\"l1\nl2\r\nl3\rl4\",x\n", {{"l1\nl2\r\nl3\rl4", "x"}}, 2},
        ReadCase{"text_after_closing_quote", "\"ab\"cd,e\n", {{"abcd", "e"}}, 2},
        ReadCase{"quote_then_blank_then_quote", "\"a\" \"b\"", {{"a \"b\""}}, 1},
        ReadCase{"quote_inside_unquoted", "a\"b,c\n", {{"a\"b", "c"}}, 2},
        ReadCase{"eof_inside_quotes", "x,\"abc", {{"x", "abc"}}, 2},
        ReadCase{"eof_right_after_opening_quote", "x,\"", {{"x", ""}}, 2},
        ReadCase{"empty_quoted_value", "\"\",a\n", {{"", "a"}}, 2},
        ReadCase{"blank_lines_dropped", "\r\n\na\n\r\rb\n\n", {{"a"}, {"b"}}, 1},
        ReadCase{"only_blank_lines", "\n\r\n\r", {}, 0},
        ReadCase{"empty_file", "", {}, 0},
        ReadCase{"separators_alone_keep_row", ",,\n", {{"", "", ""}}, 3},
        ReadCase{"blanks_kept", " a , b \n", {{" a ", " b "}}, 2},
        ReadCase{"ragged_rows", "a,b,c\nd,e\nf\n", {{"a", "b", "c"}, {"d", "e"}, {"f"}}, 3},
        ReadCase{"nul_is_data", std::string("a\0b", 3), {{std::string("a\0b", 3)}}, 1},
        ReadCase{"bom_removed", "\xEF\xBB\xBF" "1,2\n", {{"1", "2"}}, 2},
        ReadCase{"second_bom_kept", "\xEF\xBB\xBF\xEF\xBB\xBFx", {{"\xEF\xBB\xBFx"}}, 1},
        ReadCase{"utf8_text", "\xE4\xB8\xAD,\xF0\x9F\x98\x80\n", {{"\xE4\xB8\xAD", "\xF0\x9F\x98\x80"}}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
  const char* name;
  std::string bytes;
  const char* message;
};

class CsvRefused : public ::testing::TestWithParam<BadCase> {};

TEST_P(CsvRefused, ThrowsIoError) {
  const auto& c = GetParam();
  try {
    trelvo::io::parse_csv(QByteArray(c.bytes.data(), static_cast<qsizetype>(c.bytes.size())));
    FAIL() << "no error";
  } catch (const IoError& e) {
    EXPECT_STREQ(e.what(), c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CsvRefused,
    ::testing::Values(
        BadCase{"invalid_start_byte", "ab\xff", "'utf-8' codec can't decode byte 0xff in position 2: invalid start byte"},
        BadCase{"invalid_continuation", "\xe2\x82x", "'utf-8' codec can't decode bytes in position 0-1: invalid continuation byte"},
        BadCase{"truncated_sequence", "ab\xe2\x82", "'utf-8' codec can't decode bytes in position 2-3: unexpected end of data"},
        BadCase{"encoded_surrogate", "\xed\xa0\x80", "'utf-8' codec can't decode byte 0xed in position 0: invalid continuation byte"},
        BadCase{"overlong", "\xc0\xaf", "'utf-8' codec can't decode byte 0xc0 in position 0: invalid start byte"},
        BadCase{"latin1_text", "caf\xe9,x\n", "'utf-8' codec can't decode byte 0xe9 in position 3: invalid continuation byte"},
        BadCase{"field_over_limit", std::string(131073, 'a'), "field larger than field limit (131072)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvRead, FieldAtTheLimitIsTaken) {
  const Table t = trelvo::io::parse_csv(QByteArray(131072, 'a'));
  ASSERT_EQ(t.dense_rows().size(), 1u);
  EXPECT_EQ(t.dense_rows()[0][0]->size(), 131072);
}

TEST(CsvRead, MissingFileGivesTheSystemsReason) {
  try {
    trelvo::io::read_csv(QStringLiteral("/nonexistent/x.csv"));
    FAIL();
  } catch (const IoError& e) {
    EXPECT_STREQ(e.what(), "[Errno 2] No such file or directory: '/nonexistent/x.csv'");
  }
}

struct WriteCase {
  const char* name;
  TextRows rows;
  std::string bytes;
};

class CsvWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(CsvWrite, GivesPythonsBytes) {
  const auto& c = GetParam();
  const QByteArray bytes = trelvo::io::format_csv(c.rows);
  EXPECT_EQ(bytes.toStdString(), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Dialect, CsvWrite,
    ::testing::Values(
        WriteCase{"plain", {{"a", "b"}, {"1", "2"}}, "a,b\r\n1,2\r\n"},
        WriteCase{"empty_cells_as_one_blank", {{"", " ", "x"}}, " , ,x\r\n"},
        WriteCase{"single_empty_cell", {{""}}, " \r\n"},
        WriteCase{"two_blanks_kept", {{"  "}}, "  \r\n"},
        WriteCase{"comma_quoted", {{"a,b"}}, "\"a,b\"\r\n"},
        WriteCase{"quote_doubled", {{"q\"x"}}, "\"q\"\"x\"\r\n"},
        WriteCase{"line_ends_quoted", {{"l\nm", "r\rs"}}, "\"l\nm\",\"r\rs\"\r\n"},
        WriteCase{"tab_and_blank_not_quoted", {{"t\tu", " a"}}, "t\tu, a\r\n"},
        WriteCase{"utf8_without_bom", {{"\xE4\xB8\xAD"}}, "\xE4\xB8\xAD\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvWrite, RoundTripsThroughTheReader) {
  const TextRows rows = {{"a,b", "q\"x", "multi\nline"}, {"", "3", " sp "}};
  const Table t = trelvo::io::parse_csv(trelvo::io::format_csv(rows));
  ASSERT_EQ(t.dense_rows().size(), 2u);
  EXPECT_EQ(*t.dense_rows()[0][2], QStringLiteral("multi\nline"));
  EXPECT_EQ(*t.dense_rows()[1][0], QStringLiteral(" "));
  EXPECT_EQ(*t.dense_rows()[1][2], QStringLiteral(" sp "));
}

TEST(CsvWrite, LoneSurrogateIsRefused) {
  const TextRows rows = {{QString(QChar(0xD800))}};
  EXPECT_THROW(trelvo::io::format_csv(rows), IoError);
}

TEST(CsvWrite, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("t.csv");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old content that is longer than the new one\n");
  old.close();
  trelvo::io::write_csv(path, {{"1", "2"}});
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("1,2\r\n"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"t.csv"});
}

TEST(CsvWrite, FailureLeavesTheOldFileAndReportsTheReason) {
  QTemporaryDir dir;
  const QString path = dir.filePath("t.csv");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("keep\n");
  old.close();
  EXPECT_THROW(trelvo::io::write_csv(path, {{QString(QChar(0xDC00))}}), IoError);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), QByteArray("keep\n"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"t.csv"});
}

TEST(CsvWrite, UnwritablePlacesThrow) {
  QTemporaryDir dir;
  EXPECT_THROW(trelvo::io::write_csv(dir.filePath("missing/t.csv"), {{"1"}}), IoError);
  EXPECT_THROW(trelvo::io::write_csv(dir.path(), {{"1"}}), IoError);
}

}  // namespace
