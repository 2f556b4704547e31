// Number reading and number texts, checked against the host's own results
// (CPython float()/repr/%-format, NumPy's array printing).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fitcore/errors.h"
#include "fitcore/numpyprint.h"
#include "fitcore/numtext.h"
#include "fitcore/strrepr.h"

namespace {

using trelvo::numpy_array_str;
using trelvo::parse_python_float;
using trelvo::repr_double;

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();

// --- float() reading -------------------------------------------------------

struct ParseCase {
  const char* name;
  std::string text;
  std::optional<double> expected;  // nullopt: float() raises ValueError
};

class ParsePythonFloat : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParsePythonFloat, MatchesHostConversion) {
  const auto& c = GetParam();
  auto got = parse_python_float(c.text);
  ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.text;
  if (!got) return;
  if (std::isnan(*c.expected)) {
    EXPECT_TRUE(std::isnan(*got));
  } else {
    EXPECT_EQ(*got, *c.expected);
    EXPECT_EQ(std::signbit(*got), std::signbit(*c.expected));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParsePythonFloat,
    ::testing::Values(
        ParseCase{"integer", "1", 1.0}, ParseCase{"spaces_around", "  1.5 \t\n", 1.5},
        ParseCase{"unicode_spaces", "\u00a01\u2003", 1.0},
        ParseCase{"next_line_space", "\u0085 3", 3.0},
        ParseCase{"arabic_indic_digits", "\u0661\u0662", 12.0},
        ParseCase{"arabic_digits_point", "\u0661.\u0665", 1.5},
        ParseCase{"fullwidth_digits", "\uff11\uff10", 10.0},
        ParseCase{"underscore", "1_000", 1000.0}, ParseCase{"underscores_everywhere", "1_0e1_0", 1e11},
        ParseCase{"double_underscore", "1__0", std::nullopt},
        ParseCase{"leading_underscore", "_1", std::nullopt},
        ParseCase{"trailing_underscore", "1_", std::nullopt},
        ParseCase{"underscore_before_point", "1_.5", std::nullopt},
        ParseCase{"underscore_after_point", "1._5", std::nullopt},
        ParseCase{"underscore_after_e", "1e_5", std::nullopt},
        ParseCase{"exponent", "1e5", 1e5}, ParseCase{"exponent_sign", "-2.5E-3", -2.5e-3},
        ParseCase{"dangling_exponent", "1e", std::nullopt},
        ParseCase{"leading_point", ".5", 0.5}, ParseCase{"trailing_point", "5.", 5.0},
        ParseCase{"lone_point", ".", std::nullopt}, ParseCase{"exponent_only", "e5", std::nullopt},
        ParseCase{"inf", "inf", kInf}, ParseCase{"infinity_mixed_case", "-InFiNiTy", -kInf},
        ParseCase{"nan_mixed_case", "nAn", kNan}, ParseCase{"signed_nan", "+nan", kNan},
        ParseCase{"partial_infinity", "infin", std::nullopt},
        ParseCase{"nan_payload", "nan(1)", std::nullopt},
        ParseCase{"overflow", "1e400", kInf}, ParseCase{"negative_overflow", "-1e400", -kInf},
        ParseCase{"long_mantissa_overflow", "123456789e999", kInf},
        ParseCase{"underflow", "1e-400", 0.0}, ParseCase{"negative_underflow", "-1e-400", -0.0},
        ParseCase{"subnormal", "4e-324", 5e-324}, ParseCase{"negative_zero", "-0", -0.0},
        ParseCase{"hex_refused", "0x10", std::nullopt}, ParseCase{"comma", "1,5", std::nullopt},
        ParseCase{"empty", "", std::nullopt}, ParseCase{"blank", " ", std::nullopt},
        ParseCase{"inner_blank", "1 2", std::nullopt}, ParseCase{"two_signs", "+-1", std::nullopt},
        ParseCase{"nul_inside", std::string("1\0", 2), std::nullopt},
        ParseCase{"non_digit_letter", "1\u00e9", std::nullopt},
        ParseCase{"invalid_utf8", "1\xff", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// --- repr and %-formatting -------------------------------------------------

struct TextCase {
  const char* name;
  double value;
  std::string expected;
};

class ReprDouble : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReprDouble, MatchesHostRepr) { EXPECT_EQ(repr_double(GetParam().value), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ReprDouble,
    ::testing::Values(TextCase{"integral", 2.0, "2.0"}, TextCase{"negative_zero", -0.0, "-0.0"},
                      TextCase{"shortest", 0.1, "0.1"}, TextCase{"third", 1.0 / 3, "0.3333333333333333"},
                      TextCase{"small_fixed", 1e-4, "0.0001"}, TextCase{"small_exponent", 1e-5, "1e-05"},
                      TextCase{"largest_fixed", 9999999999999998.0, "9999999999999998.0"},
                      TextCase{"large_exponent", 1e16, "1e+16"}, TextCase{"large_mantissa", 1.5e16, "1.5e+16"},
                      TextCase{"three_digit_exponent", 1e300, "1e+300"},
                      TextCase{"subnormal", 5e-324, "5e-324"}, TextCase{"inf", kInf, "inf"},
                      TextCase{"negative_inf", -kInf, "-inf"}, TextCase{"nan", kNan, "nan"},
                      TextCase{"negative_nan", -kNan, "nan"}, TextCase{"half", 12.5, "12.5"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FormatCase {
  const char* name;
  double value;
  int decimals;
  std::string e_text, f_text;
};

class FormatFixedAndExponent : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatFixedAndExponent, MatchesPrintf) {
  const auto& c = GetParam();
  EXPECT_EQ(trelvo::format_e(c.value, c.decimals), c.e_text);
  EXPECT_EQ(trelvo::format_f(c.value, c.decimals), c.f_text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatFixedAndExponent,
    ::testing::Values(FormatCase{"two", 2.0, 3, "2.000e+00", "2.000"},
                      FormatCase{"negative", -3.0, 3, "-3.000e+00", "-3.000"},
                      FormatCase{"zero_decimals", 2.5, 0, "2e+00", "2"},
                      FormatCase{"half_even", 0.125, 2, "1.25e-01", "0.12"},
                      FormatCase{"big", 1e22, 1, "1.0e+22", "10000000000000000000000.0"},
                      FormatCase{"negative_zero", -0.0, 1, "-0.0e+00", "-0.0"},
                      FormatCase{"nan", -kNan, 3, "nan", "nan"}, FormatCase{"inf", kInf, 3, "inf", "inf"},
                      FormatCase{"negative_inf", -kInf, 2, "-inf", "-inf"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatFixedAndExponent, NegativePrecisionIsValueError) {
  try {
    trelvo::format_f(1.0, -1);
    FAIL() << "no error";
  } catch (const trelvo::Error& e) {
    EXPECT_EQ(e.kind(), trelvo::ErrorKind::ValueError);
    EXPECT_STREQ(e.what(), "Format specifier missing precision");
  }
}

// --- list texts --------------------------------------------------------------

TEST(ReprLists, StringsChooseQuotesAndEscapeAsHost) {
  EXPECT_EQ(trelvo::repr_str_list({"x", "a"}), "['x', 'a']");
  EXPECT_EQ(trelvo::repr_str_list({}), "[]");
  EXPECT_EQ(trelvo::repr_str_list({"it's"}), "[\"it's\"]");
  EXPECT_EQ(trelvo::repr_str_list({"a'b\"c"}), "['a\\'b\"c']");
  EXPECT_EQ(trelvo::repr_str_list({"t\\\n\t\r\x01\x7f"}), "['t\\\\\\n\\t\\r\\x01\\x7f']");
  EXPECT_EQ(trelvo::repr_str_list({"\u00e9\u4e2d", "\u00a0\u200b"}), "['\u00e9\u4e2d', '\\xa0\\u200b']");
}

TEST(ReprLists, FloatsUseRepr) {
  EXPECT_EQ(trelvo::repr_double_list({1.0, 2.5, kNan, 1e-5}), "[1.0, 2.5, nan, 1e-05]");
  EXPECT_EQ(trelvo::repr_double_list({}), "[]");
}

// Debug lines: up to 20 values whole (as repr_double_list), longer lists as
// their first and last five values around "…".
struct BriefCase {
  const char* name;
  int count;
  std::string expected;
};

class BriefList : public ::testing::TestWithParam<BriefCase> {};

TEST_P(BriefList, KeepsShortListsAndEndsOfLongOnes) {
  std::vector<double> values;
  for (int i = 0; i < GetParam().count; ++i) values.push_back(i);
  EXPECT_EQ(trelvo::brief_double_list(values), GetParam().expected);
  if (values.size() <= 20) EXPECT_EQ(trelvo::brief_double_list(values), trelvo::repr_double_list(values));
  std::vector<long long> ints(values.begin(), values.end());
  std::string int_text = GetParam().expected;
  for (std::size_t at; (at = int_text.find(".0")) != std::string::npos;) int_text.erase(at, 2);
  EXPECT_EQ(trelvo::brief_list_repr(ints, [](long long v) { return trelvo::repr_int(v); }), int_text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BriefList,
    ::testing::Values(
        BriefCase{"empty", 0, "[]"}, BriefCase{"one", 1, "[0.0]"},
        BriefCase{"twenty_whole", 20,
                  "[0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0, 11.0, 12.0, 13.0, 14.0, 15.0, 16.0, "
                  "17.0, 18.0, 19.0]"},
        BriefCase{"twenty_one_brief", 21, "[0.0, 1.0, 2.0, 3.0, 4.0, \u2026, 16.0, 17.0, 18.0, 19.0, 20.0]"},
        BriefCase{"million_brief", 1000000,
                  "[0.0, 1.0, 2.0, 3.0, 4.0, \u2026, 999995.0, 999996.0, 999997.0, 999998.0, 999999.0]"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- NumPy array printing -----------------------------------------------------

struct ArrayCase {
  const char* name;
  std::vector<double> values;
  std::string expected;
};

class NumpyArrayStr : public ::testing::TestWithParam<ArrayCase> {};

TEST_P(NumpyArrayStr, MatchesNumpyStr) { EXPECT_EQ(numpy_array_str(GetParam().values), GetParam().expected); }

std::vector<double> arange(int n) {
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back(i);
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumpyArrayStr,
    ::testing::Values(
        ArrayCase{"integral", {0, 1, 2, 3}, "[0. 1. 2. 3.]"},
        ArrayCase{"padded_fraction", {1.5, 2, 3}, "[1.5 2.  3. ]"},
        ArrayCase{"empty", {}, "[]"},
        ArrayCase{"negative_aligned", {-1.5, 10, 2.25}, "[-1.5  10.    2.25]"},
        ArrayCase{"eight_digits", {0.123456789, 1.0}, "[0.12345679 1.        ]"},
        ArrayCase{"sum_rounding", {0.1 + 0.2, 1}, "[0.3 1. ]"},
        ArrayCase{"small_goes_scientific", {1e-5, 1}, "[1.e-05 1.e+00]"},
        ArrayCase{"scientific_fraction", {1e-5, 1.5}, "[1.0e-05 1.5e+00]"},
        ArrayCase{"large_goes_scientific", {1e8, 1}, "[1.e+08 1.e+00]"},
        ArrayCase{"wide_ratio", {0.5, 1000.5}, "[5.0000e-01 1.0005e+03]"},
        ArrayCase{"three_digit_exponent", {1e300, -1e-300}, "[ 1.e+300 -1.e-300]"},
        ArrayCase{"nan_widens", {kNan, 1}, "[nan  1.]"},
        ArrayCase{"negative_inf_widens", {-kInf, 1, 2.5}, "[-inf  1.   2.5]"},
        ArrayCase{"only_nan", {kNan}, "[nan]"},
        ArrayCase{"negative_zero", {-0.0, 1}, "[-0.  1.]"},
        ArrayCase{"wraps_at_75",
                  arange(30),
                  "[ 0.  1.  2.  3.  4.  5.  6.  7.  8.  9. 10. 11. 12. 13. 14. 15. 16. 17.\n"
                  " 18. 19. 20. 21. 22. 23. 24. 25. 26. 27. 28. 29.]"},
        ArrayCase{"summarised", arange(2000), "[0.000e+00 1.000e+00 2.000e+00 ... 1.997e+03 1.998e+03 1.999e+03]"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// The host's str.isspace() and str.strip(), shared by the number reader, the
// formula cell and the fill dialog.
TEST(PythonSpace, IsTheHostsWhitespace) {
  for (char32_t c : {U'\t', U'\n', U'\v', U'\f', U'\r', U'\x1c', U'\x1f', U' ', U'\x85', U'\xa0', U'\u1680', U'\u2000',
                     U'\u200a', U'\u2028', U'\u2029', U'\u202f', U'\u205f', U'\u3000'})
    EXPECT_TRUE(trelvo::is_python_space(c)) << static_cast<unsigned>(c);
  for (char32_t c : {U'\0', U'\x08', U'\x0e', U'\x1b', U'!', U'\u180e', U'\u200b', U'\ufeff', U'\U0001D7CE'})
    EXPECT_FALSE(trelvo::is_python_space(c)) << static_cast<unsigned>(c);
  EXPECT_EQ(trelvo::strip_python_space(u"\u3000 =A1\x1c\u00a0"), u"=A1");
  EXPECT_EQ(trelvo::strip_python_space(u" \u2003 "), u"");
}
