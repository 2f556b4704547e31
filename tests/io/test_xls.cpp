// The XLS reader against workbooks written by xlwt (and BIFF records added
// to them), the writer read back by the reader, and the refusals of both.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "sheetgrid/io/biff_reader.h"
#include "sheetgrid/io/xls.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using trelvo::io::IoError;
using trelvo::io::Table;
using trelvo::io::TextRows;
using trelvo::io::XlsReader;

namespace {

QString source_dir() {
  const QByteArray env = qgetenv("TRELVO_SOURCE_DIR");
  return env.isEmpty() ? QStringLiteral(".") : QString::fromLocal8Bit(env);
}

QString fixture(const char* name) { return source_dir() + QStringLiteral("/tests/data/io/xls/") + QLatin1String(name); }

// The text at (row, col), "" for a place without a value (as xlrd gives).
QString at(const Table& t, int row, int col) {
  if (row >= static_cast<int>(t.dense_rows().size())) return QString();
  const auto r = t.dense_rows()[static_cast<std::size_t>(row)];
  if (col >= static_cast<int>(r.size())) return QString();
  return r[static_cast<std::size_t>(col)].value_or(QString());
}

QString reversed(QString s) {
  std::reverse(s.begin(), s.end());
  return s;
}

struct CellCase {
  const char* name;
  const char* file;
  int sheet;
  int row;
  int col;
  QString text;
};
void PrintTo(const CellCase& c, std::ostream* os) { *os << c.name; }

class XlsCellText : public testing::TestWithParam<CellCase> {};

TEST_P(XlsCellText, GivesXlrdText) {
  const CellCase& c = GetParam();
  const Table t = XlsReader(fixture(c.file)).readSheet(c.sheet);
  EXPECT_EQ(at(t, c.row, c.col), c.text);
}

const CellCase kCellCases[] = {
    {"WholeNumberIsFloat", "values.xls", 0, 0, 0, "3.0"},
    {"Fraction", "values.xls", 0, 0, 1, "2.5"},
    {"SmallNumberExponent", "values.xls", 0, 0, 2, "1e-05"},
    {"LargeNumberExponent", "values.xls", 0, 0, 3, "1e+16"},
    {"NegativeInteger", "values.xls", 0, 0, 4, "-7.0"},
    {"ShortestRepr", "values.xls", 0, 0, 5, "0.1"},
    {"LargeRkInteger", "values.xls", 0, 0, 6, "123456789.0"},
    {"SeventeenDigits", "values.xls", 0, 0, 7, "0.3333333333333333"},
    {"Latin", "values.xls", 0, 1, 0, "abc"},
    {"Chinese", "values.xls", 0, 1, 1, QStringLiteral("中文")},
    {"Greek", "values.xls", 0, 1, 2, QStringLiteral("Ελληνικά")},
    {"OutsideBmp", "values.xls", 0, 1, 3, QStringLiteral("emoji 😀")},
    {"LeadingBlanksKept", "values.xls", 0, 1, 4, "  two blanks"},
    {"BooleanTrue", "values.xls", 0, 2, 0, "1"},
    {"BooleanFalse", "values.xls", 0, 2, 1, "0"},
    {"ErrorDivZero", "values.xls", 0, 2, 2, "#DIV/0!"},
    {"ErrorNa", "values.xls", 0, 2, 3, "#N/A"},
    {"DateIsDayNumber", "values.xls", 0, 3, 0, "43832.0"},
    {"XlwtFormulaWithoutResult", "values.xls", 0, 3, 1, ""},
    {"GapInRowIsEmpty", "values.xls", 0, 2, 6, ""},
    {"SecondSheet", "values.xls", 1, 0, 0, "second"},
    {"FormulaNumber", "crafted.xls", 0, 1, 0, "2.5"},
    {"FormulaString", "crafted.xls", 0, 1, 1, "text result"},
    {"FormulaStringAfterArray", "crafted.xls", 0, 1, 2, "after ARRAY"},
    {"FormulaTrue", "crafted.xls", 0, 1, 3, "1"},
    {"FormulaFalse", "crafted.xls", 0, 1, 4, "0"},
    {"FormulaError", "crafted.xls", 0, 1, 5, "#DIV/0!"},
    {"FormulaEmptyString", "crafted.xls", 0, 1, 6, ""},
    {"FormulaStringContinued", "crafted.xls", 0, 1, 7, QStringLiteral("abcдёж")},
    {"MulrkInteger", "crafted.xls", 0, 2, 0, "5.0"},
    {"MulrkHundredths", "crafted.xls", 0, 2, 1, "1.5"},
    {"MulrkFloat", "crafted.xls", 0, 2, 2, "-2.0"},
    {"RkNegativeHundredths", "crafted.xls", 0, 2, 3, "-12.34"},
    {"Label", "crafted.xls", 0, 3, 0, QStringLiteral("label 標籤")},
    {"Rstring", "crafted.xls", 0, 3, 1, "rich"},
    {"NotANumber", "crafted.xls", 0, 3, 2, "nan"},
    {"NegativeInfinity", "crafted.xls", 0, 3, 3, "-inf"},
    {"SstFirstLong", "sst_continue.xls", 0, 0, 0, QStringLiteral("row 0 ") + QString(150, u'x')},
    {"SstWide", "sst_continue.xls", 0, 1, 0, QStringLiteral("行1 ") + QStringLiteral("数据").repeated(61)},
    {"SstLastOfTableReversed", "sst_continue.xls", 0, 119, 1,
     reversed(QStringLiteral("mixed 119 ") + QStringLiteral("aé").repeated(50) +
              QStringLiteral("Ж").repeated(119 % 13))},
    {"SstSpansSeveralContinues", "sst_continue.xls", 0, 120, 0, QString(10000, u'L')},
    {"SstWideSpansContinues", "sst_continue.xls", 0, 121, 1, QString(9000, u'长')},
};

INSTANTIATE_TEST_SUITE_P(Fixtures, XlsCellText, testing::ValuesIn(kCellCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ExtentCase {
  const char* name;
  const char* file;
  int sheet;
  const char* sheet_name;
  int nrows;
  int ncols;
};
void PrintTo(const ExtentCase& c, std::ostream* os) { *os << c.name; }

class XlsExtent : public testing::TestWithParam<ExtentCase> {};

TEST_P(XlsExtent, CountsRowsAndColumnsAsXlrd) {
  const ExtentCase& c = GetParam();
  const Table t = XlsReader(fixture(c.file)).readSheet(c.sheet);
  EXPECT_EQ(t.sheet_name, QString::fromUtf8(c.sheet_name));
  EXPECT_EQ(static_cast<int>(t.dense_rows().size()), c.nrows);
  EXPECT_EQ(t.width, c.ncols);
  for (const auto& row : t.dense_rows()) EXPECT_LE(static_cast<int>(row.size()), c.ncols);
}

const ExtentCase kExtentCases[] = {
    // A formatted BLANK cell at (9, 7) does not count.
    {"BlankCellNotCounted", "values.xls", 0, "Values", 4, 8},
    {"OneCell", "values.xls", 1, "第二页", 1, 1},
    {"NoCells", "values.xls", 2, "Empty", 0, 0},
    // MULBLANK and BLANK far out, and a cell inside an embedded chart, do not count.
    {"BlanksAndSubstreamNotCounted", "crafted.xls", 0, "Crafted", 4, 8},
    {"SingleEmptyString", "crafted.xls", 1, "OnlyEmpty", 1, 1},
    {"ManyLongStrings", "sst_continue.xls", 0, "Long", 122, 2},
};

INSTANTIATE_TEST_SUITE_P(Fixtures, XlsExtent, testing::ValuesIn(kExtentCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ErrorCase {
  const char* name;
  quint8 code;
  const char* text;
};
void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

class XlsErrorText : public testing::TestWithParam<ErrorCase> {};

TEST_P(XlsErrorText, NamesTheErrorOrKeepsTheCode) {
  EXPECT_EQ(trelvo::io::biff::error_text(GetParam().code), QString::fromLatin1(GetParam().text));
}

const ErrorCase kErrorCases[] = {
    {"Null", 0x00, "#NULL!"},   {"DivZero", 0x07, "#DIV/0!"}, {"Value", 0x0F, "#VALUE!"},
    {"Ref", 0x17, "#REF!"},     {"Name", 0x1D, "#NAME?"},     {"Num", 0x24, "#NUM!"},
    {"NotAvailable", 0x2A, "#N/A"}, {"UnknownOne", 0x01, "1"}, {"UnknownGettingData", 0x2B, "43"},
    {"UnknownHighest", 0xFF, "255"},
};

INSTANTIATE_TEST_SUITE_P(Codes, XlsErrorText, testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(XlsReader, ListsWorksheetsOnlyInWorkbookOrder) {
  EXPECT_EQ(XlsReader(fixture("values.xls")).sheetNames(),
            (QStringList{"Values", QStringLiteral("第二页"), "Empty"}));
  // crafted.xls also lists a chart sheet "Chart1".
  EXPECT_EQ(XlsReader(fixture("crafted.xls")).sheetNames(), (QStringList{"Crafted", "OnlyEmpty"}));
}

TEST(XlsReader, SingleEmptyStringCellHoldsEmptyText) {
  const Table t = XlsReader(fixture("crafted.xls")).readSheet(1);
  ASSERT_EQ(t.dense_rows().size(), 1u);
  ASSERT_EQ(t.dense_rows()[0].size(), 1u);
  ASSERT_TRUE(t.dense_rows()[0][0].has_value());
  EXPECT_EQ(*t.dense_rows()[0][0], QString());
}

TEST(XlsReader, RefusesSheetIndexOutOfRange) {
  const XlsReader book(fixture("values.xls"));
  EXPECT_THROW(book.readSheet(3), IoError);
  EXPECT_THROW(book.readSheet(-1), IoError);
}

TEST(XlsReader, MissingFileIsIoError) {
  EXPECT_THROW(XlsReader(QStringLiteral("/nonexistent/folder/book.xls")), IoError);
}

// Every sample in the malformed folder ends in IoError, never a crash.
TEST(XlsReader, MalformedSamplesEndInIoError) {
  const QDir dir(source_dir() + QStringLiteral("/tests/data/malformed"));
  const QStringList files = dir.entryList({QStringLiteral("*.xls")}, QDir::Files, QDir::Name);
  ASSERT_FALSE(files.isEmpty());
  for (const QString& f : files) {
    SCOPED_TRACE(f.toStdString());
    EXPECT_THROW(
        {
          const XlsReader book(dir.filePath(f));
          for (int i = 0; i < book.sheetNames().size(); ++i) book.readSheet(i);
        },
        IoError);
  }
}

// Every prefix of a valid file either loads or ends in IoError.
TEST(XlsReader, TruncatedFilesNeverCrash) {
  QFile f(fixture("crafted.xls"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray all = f.readAll();
  for (qsizetype n = 0; n < all.size(); n += 97) {
    try {
      const XlsReader book = XlsReader::fromBytes(all.left(n));
      for (int i = 0; i < book.sheetNames().size(); ++i) book.readSheet(i);
    } catch (const IoError&) {
    }
  }
}

// --- Writing -----------------------------------------------------------

class XlsWrite : public testing::Test {
 protected:
  QTemporaryDir dir;
  QString path(const char* name = "out.xls") const { return dir.filePath(QLatin1String(name)); }
};

QString long_text(int i) {
  QString s = QStringLiteral("line %1 ").arg(i);
  for (int k = 0; k < 40 + i % 17; ++k) s += (i % 2) ? QStringLiteral("数") : QStringLiteral("ab");
  return s;
}

struct RoundTripCase {
  const char* name;
  TextRows rows;
};
void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class XlsRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(XlsRoundTrip, ReadsBackEveryNonEmptyText) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("round.xls"));
  const TextRows& rows = GetParam().rows;
  trelvo::io::write_xls(file, rows);
  const XlsReader book(file);
  ASSERT_EQ(book.sheetNames(), QStringList{"Sheet1"});
  const Table t = book.readSheet(0);
  int nrows = 0, ncols = 0;
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      const QString& text = rows[r][c];
      const bool empty = text.isEmpty() || text == QLatin1String(" ");
      if (!empty) {
        nrows = static_cast<int>(r) + 1;
        ncols = std::max(ncols, static_cast<int>(c) + 1);
      }
      ASSERT_EQ(at(t, static_cast<int>(r), static_cast<int>(c)), empty ? QString() : text)
          << "row " << r << " col " << c;
    }
  EXPECT_EQ(static_cast<int>(t.dense_rows().size()), nrows);
  EXPECT_EQ(t.width, ncols);
}

RoundTripCase many_long_strings() {
  TextRows rows;
  for (int i = 0; i < 600; ++i) rows.push_back({long_text(i), QStringLiteral("%1").arg(i), long_text(i)});
  rows.push_back({QString(20000, u'z'), QString(16000, u'長')});
  return {"SharedStringsSpanContinueRecords", rows};
}

const RoundTripCase kRoundTrips[] = {
    {"NothingToWrite", {{QString()}}},
    {"NumbersStayText", {{"3", "2.5"}, {"=1+2", "-0"}}},
    {"NonLatin", {{QStringLiteral("中文"), QStringLiteral("Ελληνικά"), QStringLiteral("😀 ok")}}},
    {"EmptyCellsSkipped", {{"a", "", " ", "d"}, {}, {" ", "  "}}},
    {"CellTwoOneLandsAtRowTwoColumnOne", {{"", ""}, {"", ""}, {"", "x"}}},
    {"RepeatedStringsShared", {{"same", "same"}, {"same", "other"}}},
    {"LongestCellText", {{QString(32767, u'q')}}},
    {"LongestWideCellText", {{QString(32767, u'文')}}},
    {"LastRowAndColumn", [] {
       TextRows rows(65536);
       rows.back().resize(256);
       rows.back().back() = QStringLiteral("corner");
       rows.front() = {"first"};
       return rows;
     }()},
    many_long_strings(),
    {"SurrogatePairsAcrossContinue", [] {
       TextRows rows;
       for (int i = 0; i < 60; ++i) rows.push_back({QString(i, u'x') + QStringLiteral("😀").repeated(300)});
       return rows;
     }()},
};

INSTANTIATE_TEST_SUITE_P(Writer, XlsRoundTrip, testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
  const char* name;
  TextRows rows;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class XlsWriteRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(XlsWriteRefusal, ThrowsAndLeavesExistingFileAlone) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("keep.xls"));
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old content");
  }
  EXPECT_THROW(trelvo::io::write_xls(file, GetParam().rows), IoError);
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("old content"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.xls"});
}

const RefusalCase kRefusals[] = {
    {"TooManyRows", TextRows(65537, std::vector<QString>{"x"})},
    {"TooManyRowsEvenIfEmpty", TextRows(65537)},
    {"TooManyColumns", {std::vector<QString>(257, QStringLiteral("x"))}},
    {"CellTextTooLong", {{"ok", QString(32768, u'a')}}},
};

INSTANTIATE_TEST_SUITE_P(Writer, XlsWriteRefusal, testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(XlsWrite, ReplacesAnExistingFile) {
  trelvo::io::write_xls(path(), {{"first"}});
  trelvo::io::write_xls(path(), {{"second", "more"}});
  const Table t = XlsReader(path()).readSheet(0);
  EXPECT_EQ(at(t, 0, 0), "second");
  EXPECT_EQ(t.width, 2);
}

TEST_F(XlsWrite, UnwritableFolderIsIoError) {
  EXPECT_THROW(trelvo::io::write_xls(dir.filePath(QStringLiteral("missing/sub/out.xls")), {{"a"}}), IoError);
  const QString blocker = dir.filePath(QStringLiteral("file"));
  QFile f(blocker);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_THROW(trelvo::io::write_xls(blocker + QStringLiteral("/out.xls"), {{"a"}}), IoError);
}

}  // namespace
