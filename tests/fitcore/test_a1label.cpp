// A1 labels: column letters and "B12" labels to 0-based rows and columns and
// back, with the two label syntaxes and the int bound.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "fitcore/a1label.h"

namespace {

using trelvo::a1::Syntax;

struct RoundTrip {
  const char* name;
  long long row;
  long long col;
  std::string label;
};

class LabelRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(LabelRoundTrip, WritesAndReadsBack) {
  const RoundTrip& c = GetParam();
  ASSERT_EQ(trelvo::a1::cell_label(c.row, c.col), c.label);
  const std::u16string text(c.label.begin(), c.label.end());
  for (Syntax syntax : {Syntax::Formula, Syntax::Workbook}) {
    const auto got = trelvo::a1::parse_label(text, syntax);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->row, c.row);
    EXPECT_EQ(got->col, c.col);
    EXPECT_EQ(got->length, text.size());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LabelRoundTrip,
    ::testing::Values(RoundTrip{"first", 0, 0, "A1"}, RoundTrip{"z", 9, 25, "Z10"},
                      RoundTrip{"aa", 0, 26, "AA1"}, RoundTrip{"az", 1, 51, "AZ2"},
                      RoundTrip{"ba", 0, 52, "BA1"}, RoundTrip{"zz", 0, 701, "ZZ1"},
                      RoundTrip{"aaa", 0, 702, "AAA1"}, RoundTrip{"grid_corner", 1'048'575, 16'383, "XFD1048576"},
                      RoundTrip{"int_max", INT_MAX, INT_MAX, "FXSHRXX2147483648"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColumnLetters, NegativeColumnHasNone) {
  EXPECT_EQ(trelvo::a1::column_letters(-1), "");
  EXPECT_EQ(trelvo::a1::cell_label(-1, 0), std::nullopt);
  EXPECT_EQ(trelvo::a1::cell_label(0, -1), std::nullopt);
}

struct ParseCase {
  const char* name;
  std::u16string text;
  Syntax syntax;
  std::optional<long long> row;  // nullopt: refused
  long long col;
  std::size_t length;
};

class ParseLabel : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseLabel, ReadsOrRefuses) {
  const ParseCase& c = GetParam();
  const auto got = trelvo::a1::parse_label(c.text, c.syntax);
  ASSERT_EQ(got.has_value(), c.row.has_value());
  if (!got) return;
  EXPECT_EQ(got->row, *c.row);
  EXPECT_EQ(got->col, c.col);
  EXPECT_EQ(got->length, c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseLabel,
    ::testing::Values(
        ParseCase{"lower_case", u"b12", Syntax::Formula, 11, 1, 3},
        ParseCase{"text_follows", u"A1+1", Syntax::Formula, 0, 0, 2},
        ParseCase{"row_zero", u"A0", Syntax::Formula, -1, 0, 2},
        ParseCase{"unicode_digits", u"B\u0661\u0662", Syntax::Formula, 11, 1, 3},
        ParseCase{"surrogate_is_no_digit", u"A\U0001D7CF", Syntax::Formula, std::nullopt, 0, 0},
        ParseCase{"no_letters", u"12", Syntax::Formula, std::nullopt, 0, 0},
        ParseCase{"no_digits", u"AB", Syntax::Formula, std::nullopt, 0, 0},
        ParseCase{"non_ascii_letter", u"\u00c41", Syntax::Formula, std::nullopt, 0, 0},
        ParseCase{"row_past_int", u"A2147483649", Syntax::Formula, std::nullopt, 0, 0},
        ParseCase{"column_past_int", u"FXSHRXY1", Syntax::Formula, std::nullopt, 0, 0},
        ParseCase{"long_label_no_overflow", u"A99999999999999999999999999", Syntax::Formula, std::nullopt, 0, 0},
        ParseCase{"long_letters_no_overflow", u"ZZZZZZZZZZZZZZZZZZZZ1", Syntax::Formula, std::nullopt, 0, 0},
        ParseCase{"dollars_not_in_formula", u"$A$1", Syntax::Formula, std::nullopt, 0, 0},
        ParseCase{"workbook_dollars", u"$B$12", Syntax::Workbook, 11, 1, 5},
        ParseCase{"workbook_one_dollar", u"B$12", Syntax::Workbook, 11, 1, 4},
        ParseCase{"workbook_ascii_digits_only", u"B\u0661", Syntax::Workbook, std::nullopt, 0, 0},
        ParseCase{"workbook_nothing_follows", u"A1 ", Syntax::Workbook, std::nullopt, 0, 0},
        ParseCase{"workbook_row_past_int", u"B99999999999999999999", Syntax::Workbook, 2'147'483'648LL, 1, 21}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
