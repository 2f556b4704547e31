// The _xHHHH_ escapes of workbook texts: decoding, the writer's escaped
// underscores, and texts that go through a written workbook unchanged.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <random>

#include "sheetgrid/io/xlsx.h"
#include "sheetgrid/io/xlsxescape.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using trelvo::io::decode_xlsx_text;
using trelvo::io::escape_xlsx_text;

namespace {

struct TextCase {
  const char* name;
  QString in;
  QString out;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

auto case_name = [](const auto& info) { return std::string(info.param.name); };

class XlsxDecode : public testing::TestWithParam<TextCase> {};

TEST_P(XlsxDecode, GivesTheText) { EXPECT_EQ(decode_xlsx_text(GetParam().in), GetParam().out); }

const TextCase kDecodeCases[] = {
    {"Plain", "under_score x000D_", "under_score x000D_"},
    {"CarriageReturn", "a_x000D_b", "a\rb"},
    {"LowerCaseDigits", "a_x000d_b", "a\rb"},
    {"NonAscii", "_x00E9__x4E2D_", QStringLiteral("é中")},
    {"EscapedUnderscoreThenLiteral", "a_x005F_x000D_b", "a_x000D_b"},
    {"EscapedUnderscoreTwice", "_x005F_x005F_", "_x005F_"},
    {"AdjacentEscapes", "_x0041__x0042_", "AB"},
    {"DecodedUnderscoreStartsNothing", "_x0041_x0042_", "Ax0042_"},
    {"UnderscoreBeforeEscape", "__x0041_", "_A"},
    {"NulStaysAsWritten", "a_x0000_b", "a_x0000_b"},
    {"NulConsumesItsUnderscore", "_x0000_x0041_", "_x0000_x0041_"},
    {"SurrogatesStayAsWritten", "_xD83D__xDE00_", "_xD83D__xDE00_"},
    {"ThreeDigits", "_x00D_", "_x00D_"},
    {"NotHex", "_x000G_", "_x000G_"},
    {"UpperCaseX", "_X000D_", "_X000D_"},
    {"NoClosingUnderscore", "_x000D", "_x000D"},
};

INSTANTIATE_TEST_SUITE_P(Texts, XlsxDecode, testing::ValuesIn(kDecodeCases), case_name);

class XlsxEscape : public testing::TestWithParam<TextCase> {};

TEST_P(XlsxEscape, EscapesOnlyUnderscoresThatStartAnEscape) {
  EXPECT_EQ(escape_xlsx_text(GetParam().in), GetParam().out);
}

const TextCase kEscapeCases[] = {
    {"Plain", "under_score_x", "under_score_x"},
    {"Literal", "a_x000D_b", "a_x005F_x000D_b"},
    {"LiteralUnderscoreEscape", "_x005F_", "_x005F_x005F_"},
    {"SharedUnderscore", "_x0041_x0042_", "_x005F_x0041_x005F_x0042_"},
    // The library stores CR as _x000D_, which would close the sequence.
    {"FollowedByCarriageReturn", "_x0041\r", "_x005F_x0041\r"},
    {"FollowedByTab", "_x0041\t", "_x0041\t"},
    {"FollowedByLetter", "_x0041a", "_x0041a"},
    {"AtTheEnd", "_x0041", "_x0041"},
    {"NotHex", "_x00G1_", "_x00G1_"},
    {"CarriageReturnAlone", "a\rb", "a\rb"},
    // XML holds neither U+FFFE nor U+FFFF: the text escapes them itself.
    {"NonCharacters", QStringLiteral("a") + QChar(0xFFFE) + QChar(0xFFFF), "a_xFFFE__xFFFF_"},
    {"FollowedByNonCharacter", QStringLiteral("_x0041") + QChar(0xFFFF), "_x005F_x0041_xFFFF_"},
    {"ControlCharacterLeftToTheLibrary", "a\x01", "a\x01"},
};

INSTANTIATE_TEST_SUITE_P(Texts, XlsxEscape, testing::ValuesIn(kEscapeCases), case_name);

// Every text goes through a written and read workbook unchanged.
TEST(XlsxEscapes, TextsSurviveTheRoundTrip) {
  std::vector<QString> texts = {"a\rb",    "a_x000D_b", "_x005F_",   "_x0041\r", "_x0000_", "_xD800_",
                                "\r\n",    "_x0009_\t", "A_x4E2D_",  "__x0041__", "_x0041_x0042_"};
  // The characters XML cannot hold, as a workbook's _xHHHH_ escapes load them.
  for (char16_t c = 1; c < 0x20; ++c) texts.push_back(QStringLiteral("a") + QChar(c) + QStringLiteral("b"));
  for (char16_t c : {u'\xFFFE', u'\xFFFF'}) texts.push_back(QString(QChar(c)));
  // Random texts over the characters that make and break escapes.
  const QString alphabet = QStringLiteral("_x0D5Fa\r\n\x01") + QChar(0xFFFE);
  std::mt19937 rng(15);
  for (int i = 0; i < 400; ++i) {
    QString t;
    const int length = static_cast<int>(rng() % 16) + 1;
    for (int k = 0; k < length; ++k) t += alphabet[static_cast<qsizetype>(rng() % alphabet.size())];
    if (t != QLatin1String(" ")) texts.push_back(t);
  }
  QTemporaryDir dir;
  const QString path = dir.filePath("escapes.xlsx");
  trelvo::io::write_xlsx(path, {texts});
  const trelvo::io::Table table = trelvo::io::XlsxReader(path).readSheet(0);
  ASSERT_EQ(table.dense_rows().size(), 1u);
  ASSERT_EQ(table.dense_rows()[0].size(), texts.size());
  for (std::size_t c = 0; c < texts.size(); ++c) {
    ASSERT_TRUE(table.dense_rows()[0][c].has_value()) << c;
    EXPECT_EQ(*table.dense_rows()[0][c], texts[c]) << "column " << c;
  }
}

TEST(XlsxEscapes, EscapedUnderscoresCountTowardsTheLimit) {
  QTemporaryDir dir;
  const QString path = dir.filePath("long.xlsx");
  const QString fits = QStringLiteral("_x0041_") + QString(32767 - 13, u'a');
  trelvo::io::write_xlsx(path, {{fits}});
  EXPECT_EQ(*trelvo::io::XlsxReader(path).readSheet(0).dense_rows()[0][0], fits);
  EXPECT_THROW(trelvo::io::write_xlsx(path, {{fits + QStringLiteral("a")}}), trelvo::io::IoError);
}

}  // namespace
