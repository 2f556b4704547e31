#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "fitcore/errors.h"
#include "fitcore/expression.h"
#include "fitcore/limits.h"
#include "fitcore/pyregex.h"

namespace {

std::string case_name(std::string name) {
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

struct Accepted {
  const char* name;
  const char* input;
  bool have_x;
  const char* converted;
  std::vector<std::string> names;
};

class ParseAccepted : public testing::TestWithParam<Accepted> {};

TEST_P(ParseAccepted, RewritesAndListsNames) {
  const Accepted& c = GetParam();
  const auto [converted, names] = parse_expression(c.input, c.have_x);
  EXPECT_EQ(converted, c.converted);
  EXPECT_EQ(names, c.names);
}

INSTANTIATE_TEST_SUITE_P(
    Expression, ParseAccepted,
    testing::Values(
        Accepted{"demo_power_and_scinot", "a * x^2 + 66e-6 * x + c", true, "a * x**2 + 66e-6 * x + c", {"x", "a", "c"}},
        Accepted{"demo_sin", "a * sin(x^2) + 1.73e+6 * x + c", true, "a * np.sin(x**2) + 1.73e+6 * x + c", {"x", "a", "c"}},
        Accepted{"demo_two_letter_names", "aa + ba * x", true, "aa + ba * x", {"x", "aa", "ba"}},
        Accepted{"demo_negative_scinot", "aa + ba * x + (-27e+6) * x**2", true, "aa + ba * x + (-27e+6) * x**2", {"x", "aa", "ba"}},
        Accepted{"capital_x_lowered", "a*X + b", true, "a*x + b", {"x", "a", "b"}},
        Accepted{"code_point_order", "a*x + B + _c", true, "a*x + B + _c", {"x", "B", "_c", "a"}},
        Accepted{"blank_before_paren_and_constants", "sin (x) + pi() * e()", true, "np.sin(x) + pi() * e()", {"x"}},
        Accepted{"abs_to_absolute", "abs(x) + a", true, "np.absolute(x) + a", {"x", "a"}},
        Accepted{"log10_not_eaten_by_log", "log10(x)+log(x)", true, "np.log10(x)+np.log(x)", {"x"}},
        Accepted{"uncalled_e_is_a_name", "x + e", true, "x + e", {"x", "e"}},
        Accepted{"uncalled_pi_is_a_name", "x*pi", true, "x*pi", {"x", "pi"}},
        Accepted{"x_only_as_substring", "exp(a)", true, "np.exp(a)", {"x", "a"}},
        Accepted{"no_x_needed", "a + b", false, "a + b", {"a", "b"}},
        Accepted{"x_dropped_without_have_x", "x^2", false, "x**2", {}},
        Accepted{"cell_labels", "A1 + B2*2", false, "A1 + B2*2", {"A1", "B2"}},
        Accepted{"cell_label_X_lowered", "X1 + 2", false, "x1 + 2", {"x1"}},
        Accepted{"important_is_no_import", "x + important", true, "x + important", {"x", "important"}},
        Accepted{"scinot_capital_E", "a*x + 1.5E3", true, "a*x + 1.5E3", {"x", "a"}},
        Accepted{"right_power_chain", "x**3**2", true, "x**3**2", {"x"}},
        Accepted{"percent_minus", "x%-a", true, "x%-a", {"x", "a"}},
        Accepted{"bracketed_negative_power", "a*x^(-2)", true, "a*x**(-2)", {"x", "a"}},
        Accepted{"negative_fraction_power", "a*x^-.5", true, "a*x**-.5", {"x", "a"}},
        Accepted{"number_blank_name", "2 x", true, "2 x", {"x"}},
        Accepted{"spaced_double_star", "2 * * x", true, "2 * * x", {"x"}},
        Accepted{"double_caret", "x^^2", true, "x****2", {"x"}},
        Accepted{"called_unknown_is_no_name", "a * foo(x)", true, "a * foo(x)", {"x", "a"}},
        Accepted{"np_prefix_doubled", "np.exp(x)", true, "np.np.exp(x)", {"x", "np"}},
        Accepted{"upper_case_function_kept", "SIN(x)", true, "SIN(x)", {"x"}},
        Accepted{"MAX_becomes_MAx", "MAX(x)", true, "MAx(x)", {"x"}},
        Accepted{"min_max_pow", "max(x, 0) + min(a, x) + pow(x, 2)", true, "np.max(x, 0) + np.min(a, x) + np.pow(x, 2)", {"x", "a"}},
        Accepted{"all_functions", "sqrt(x)+cbrt(x)+log2(x)+cos(x)+tan(x)+asin(x)+acos(x)+atan(x)+sinh(x)+cosh(x)+tanh(x)+asinh(x)+acosh(x)+atanh(x)", true,
                 "np.sqrt(x)+np.cbrt(x)+np.log2(x)+np.cos(x)+np.tan(x)+np.asin(x)+np.acos(x)+np.atan(x)+np.sinh(x)+np.cosh(x)+np.tanh(x)+np.asinh(x)+np.acosh(x)+np.atanh(x)", {"x"}},
        Accepted{"name_that_is_called_elsewhere", "b(x) + b", true, "b(x) + b", {"x"}},
        Accepted{"soft_keyword_match", "match + x", true, "match + x", {"x", "match"}},
        Accepted{"duplicates_once", "a + a*x + a", true, "a + a*x + a", {"x", "a"}},
        Accepted{"empty_cell_formula", "", false, "", {}},
        Accepted{"dunder_import_passes_the_word_screen", "__import__(chr(111)+chr(115))", false, "__import__(chr(111)+chr(115))", {}}),
    [](const auto& info) { return case_name(info.param.name); });

struct Rejected {
  const char* name;
  const char* input;
  bool have_x;
  const char* message;
};

class ParseRejected : public testing::TestWithParam<Rejected> {};

TEST_P(ParseRejected, RaisesValueErrorWithMessage) {
  const Rejected& c = GetParam();
  try {
    parse_expression(c.input, c.have_x);
    FAIL() << "accepted: " << c.input;
  } catch (const trelvo::Error& e) {
    EXPECT_EQ(e.kind(), trelvo::ErrorKind::ValueError);
    EXPECT_STREQ(e.what(), c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Expression, ParseRejected,
    testing::Values(
        Rejected{"semicolon_spaced", "a; b + x", true, "Illegal character or keyword: ';'"},
        Rejected{"semicolon", "a;b+x", true, "Illegal character or keyword: ';'"},
        Rejected{"os_word", "os + x", true, "Illegal character or keyword: 'os'"},
        Rejected{"word_ignores_case", "Import + x", true, "Illegal character or keyword: 'import'"},
        Rejected{"keyword_named_as_listed", "true + x", true, "Illegal character or keyword: 'True'"},
        Rejected{"keyword_if_upper", "IF + x", true, "Illegal character or keyword: 'if'"},
        Rejected{"word_before_char", "open(x);", true, "Illegal character or keyword: 'open'"},
        Rejected{"char_before_keyword", "x if a:", true, "Illegal character or keyword: ':'"},
        Rejected{"colon", "x[1:2]", true, "Illegal character or keyword: ':'"},
        Rejected{"double_quote", "x + \"a\"", true, "Illegal character or keyword: '\"'"},
        Rejected{"single_quote", "x + 'a'", true, "Illegal character or keyword: '''"},
        Rejected{"backquote", "x + `a`", true, "Illegal character or keyword: '`'"},
        Rejected{"backslash", "x + \\", true, "Illegal character or keyword: '\\'"},
        Rejected{"lambda", "lambda + x", true, "Illegal character or keyword: 'lambda'"},
        Rejected{"doubled_x", "a*xx", true, "The expression contains consecutive 'x', please use operators to separate"},
        Rejected{"doubled_x_mixed_case", "a*xX", true, "The expression contains consecutive 'x', please use operators to separate"},
        Rejected{"maxx", "maxx + 1", false, "The expression contains consecutive 'x', please use operators to separate"},
        Rejected{"no_x", "a*b", true, "The expression must contain the independent variable x"},
        Rejected{"scinot_then_name", "1e5x + x", true, "Scientific notation must be followed by an operator, not directly by a variable"},
        Rejected{"digit_led_name", "2a*x", true, "Invalid variable name: ['2a'] - Variable names must start with a letter"},
        Rejected{"two_digit_led_names", "2a*x + 3b_", true, "Invalid variable name: ['2a', '3b_'] - Variable names must start with a letter"},
        Rejected{"name_digit_name", "x*a2b", true, "Numbers and variables must be separated by operators"},
        Rejected{"power_minus", "a*x**-2", true, "Illegal operator combination: '**-' (Multiplication operator cannot be followed by other operators)"},
        Rejected{"minus_minus", "a - -x", true, "Illegal operator combination: '--' (Minus operator must be wrapped in parentheses for negative numbers)"},
        Rejected{"plus_minus", "a+-x", true, "Illegal operator combination: '+-' (Plus operator cannot be followed by other operators)"},
        Rejected{"floor_division", "x//2", true, "Illegal operator combination: '//' (Division operator cannot be followed by other operators)"},
        Rejected{"times_minus_spaced", "a * -x", true, "Illegal operator combination: '*-' (Multiplication operator cannot be followed by other operators)"},
        Rejected{"caret_minus", "a*x^-2", true, "Negative numbers must be enclosed in parentheses, e.g., (-a) instead of *-a"},
        Rejected{"caret_times_minus", "x^*-a", true, "Negative numbers must be enclosed in parentheses, e.g., (-a) instead of *-a"},
        Rejected{"adjacent_names", "a b + x", true, "Missing operator between variables"},
        Rejected{"function_without_paren", "sin x", true, "Missing operator between variables"},
        Rejected{"eval_call_screened", "eval(x)", true, "Illegal character or keyword: 'eval'"},
        Rejected{"hex_literal", "0x1F", false, "Numbers and variables must be separated by operators"}),
    [](const auto& info) { return case_name(info.param.name); });

TEST(Expression, InvalidVariableNameUsesPythonStrRepr) {
  // \w is Unicode, so a non-ASCII letter before the ASCII tail keeps one word.
  try {
    parse_expression("x + 2_a", true);
    FAIL();
  } catch (const trelvo::Error& e) {
    EXPECT_STREQ(e.what(), "Invalid variable name: ['2_a'] - Variable names must start with a letter");
  }
}

TEST(Expression, UnicodeWordBoundariesFollowPython) {
  // "éos" is one Unicode word, so the word "os" is not found in it.
  EXPECT_NO_THROW(parse_expression("x + \xC3\xA9os", true));
  // A Unicode digit is a digit for \d: Arabic-Indic three before a letter.
  try {
    parse_expression("x + \xD9\xA3" "a", true);
    FAIL();
  } catch (const trelvo::Error& e) {
    EXPECT_STREQ(e.what(), "Invalid variable name: ['\xD9\xA3" "a'] - Variable names must start with a letter");
  }
}

TEST(Expression, ScientificNumberScanEqualsThePattern) {
  const trelvo::PyRegex pattern("(\\d+\\.?\\d*e[+-]?\\d+|\\d*\\.?\\d+e[+-]?\\d+)", true);
  const std::vector<std::string> alphabet = {"1", "0", ".", "e", "E", "+", "-", "x", " ", "\xD9\xA3", "\xC3\xA9"};
  std::uint32_t seed = 12345;
  auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const std::size_t len = next() % 12;
    for (std::size_t k = 0; k < len; ++k) text += alphabet[next() % alphabet.size()];
    ASSERT_EQ(trelvo::protect_scientific_numbers(text), pattern.sub(text, "SCINOT")) << text;
  }
  EXPECT_EQ(trelvo::protect_scientific_numbers("1.2.3e5 + 66e-6 + 2.e5 + .5E3 + 1e+"),
            "1.SCINOT + SCINOT + SCINOT + SCINOT + 1e+");
}

// The text's outcome as one string: the rewrite and names, or the error.
std::string outcome(std::pair<std::string, std::vector<std::string>> (*gate)(const std::string&, bool),
                    const std::string& text, bool have_x) {
  try {
    const auto [converted, names] = gate(text, have_x);
    std::string out = "ok " + converted + " |";
    for (const std::string& n : names) out += " " + n;
    return out;
  } catch (const trelvo::Error& e) {
    return std::string(e.kind() == trelvo::ErrorKind::ValueError ? "ValueError " : "other ") + e.what();
  }
}

TEST(Expression, AsciiScanGivesWhatThePatternsGive) {
  // Pieces that reach every step: forbidden words in any case and as parts
  // of longer words, the forbidden characters, every ASCII blank and
  // control the patterns' \s may or may not cover, numbers in scientific
  // notation, digits against letters, operator runs, called and uncalled
  // function names with blanks before "(", and names next to each other.
  const std::vector<std::string> pieces = {
      "x", "X", "xx", "maxx", "a", "b", "_c", "A1", "B2", "x1", "aa", "2a", "a2b", "2_a", "_2",
      "sin", "SIN", "abs", "log", "log10", "log2", "exp", "e", "E", "pi", "np", "min", "max", "pow",
      "atanh", "foo", "import", "Import", "IF", "if", "os", "os2", "in", "True", "none", "Eval",
      "SCINOT", "1", "0", "66", "007", "1.5", "2.", ".5", "1e5", "1E+3", "2.e-7", "e5", "1e", "1e+",
      "+", "-", "*", "/", "%", "^", "**", "//", "(", ")", ",", ".", " ", "  ", "\t", "\n", "\v", "\f",
      "\r", "\x1c", "\x1f", "\x01", "\x7f", ";", ":", "'", "\"", "`", "\\", "=", "<", "[", "&", "~",
      "#", "!", "$", "?", "@"};
  std::uint32_t seed = 2024;
  auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
  int accepted = 0;
  for (int round = 0; round < 60000; ++round) {
    std::string text;
    const std::size_t len = 1 + next() % 10;
    for (std::size_t k = 0; k < len; ++k) text += pieces[next() % pieces.size()];
    const bool have_x = next() % 2;
    const std::string fast = outcome(parse_expression, text, have_x);
    ASSERT_EQ(fast, outcome(trelvo::parse_expression_by_patterns, text, have_x)) << "text: " << text;
    accepted += fast.rfind("ok ", 0) == 0;
  }
  // Both outcomes are well represented.
  EXPECT_GT(accepted, 5000);
  EXPECT_LT(accepted, 55000);
}

// Every word the patterns refuse, of every length: the host's keywords and
// the names a formula may not hold ("subprocess", ten letters, the longest).
// Each is refused by the scan as by the patterns wherever it stands as a word
// of its own, in any case; glued to letters, digits or underscores it is a
// longer word and no refusal for either. Random texts of these words and
// their neighbours then compare the two paths as above.
TEST(Expression, AsciiScanRefusesEveryWordThePatternsRefuse) {
  const std::vector<std::string> refused = {
      "False", "None", "True", "and", "as", "assert", "async", "await", "break", "class", "continue",
      "def", "del", "elif", "else", "except", "finally", "for", "from", "global", "if", "import", "in",
      "is", "lambda", "nonlocal", "not", "or", "pass", "raise", "return", "try", "while", "with", "yield",
      "os", "exec", "eval", "system", "subprocess", "open", "write", "pickle"};
  const auto spellings = [](const std::string& w) {
    std::string lower = w, upper = w, capital = w;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    capital = lower;
    capital[0] = char(std::toupper(static_cast<unsigned char>(capital[0])));
    return std::vector<std::string>{w, lower, upper, capital};
  };
  // (before, after): the text alone, at either end of a formula, between
  // operators and brackets, by dots and blanks, and glued to word characters.
  const std::vector<std::pair<std::string, std::string>> places = {
      {"", ""},       {"x+", ""},   {"", "*x"},   {"a*(", ")+x"}, {"sin(", ")"}, {"", "(x)"},
      {"1.", ".5"},   {"x.", ""},   {" ", "\t"}, {"2e5*", "-1"}, {"1", ""},     {"", "1"},
      {"_", ""},      {"", "_"},    {"x", ""},    {"", "x"},      {"a", "b"},    {"", "s"}};
  for (const std::string& word : refused) {
    // The patterns refuse the word itself, named as they list it.
    ASSERT_EQ(outcome(trelvo::parse_expression_by_patterns, "x+" + word, true),
              "ValueError Illegal character or keyword: '" + word + "'");
    for (const std::string& spelled : spellings(word))
      for (const auto& [before, after] : places)
        for (const bool have_x : {true, false}) {
          const std::string text = before + spelled + after;
          ASSERT_EQ(outcome(parse_expression, text, have_x),
                    outcome(trelvo::parse_expression_by_patterns, text, have_x))
              << "text: " << text;
        }
  }

  std::vector<std::string> pieces = {"x", "a", "1", "2.", "_", ".", "+", "*", "(", ")", " ", "e5", "SIN"};
  for (const std::string& word : refused)
    for (const std::string& spelled : spellings(word)) pieces.push_back(spelled);
  std::uint32_t seed = 77;
  auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const std::size_t len = 1 + next() % 6;
    for (std::size_t k = 0; k < len; ++k) text += pieces[next() % pieces.size()];
    const bool have_x = next() % 2;
    ASSERT_EQ(outcome(parse_expression, text, have_x), outcome(trelvo::parse_expression_by_patterns, text, have_x))
        << "text: " << text;
  }
}

TEST(Expression, TooLongTextIsRefused) {
  std::string text = "x";
  while (text.size() <= trelvo::limits::kMaxExpressionBytes) text += "+x";
  EXPECT_THROW(parse_expression(text, true), trelvo::Error);
}

TEST(Expression, LongAcceptedTextStaysFast) {
  // Many distinct names and long digit runs: no per-name scan of the whole text.
  std::string text = "x";
  for (int i = 0; text.size() < trelvo::limits::kMaxExpressionBytes - 16; ++i)
    text += "+a" + std::to_string(i);
  const auto [converted, names] = parse_expression(text, true);
  EXPECT_GT(names.size(), 1000u);
  const std::string digits(trelvo::limits::kMaxExpressionBytes / 2 - 8, '1');
  EXPECT_NO_THROW(parse_expression(digits + "e1+x", true));
  // A long number without a complete exponent: the scan must not restart
  // from every digit (a backtracking search would take seconds here).
  EXPECT_THROW(parse_expression(digits + "." + digits + "e+", true), trelvo::Error);
}

struct FequalCase {
  const char* name;
  double a, b, epsilon;
  bool expected;
};

class Fequal : public testing::TestWithParam<FequalCase> {};

TEST_P(Fequal, IsStrictWithinEpsilon) {
  const auto& c = GetParam();
  EXPECT_EQ(fequal(c.a, c.b, c.epsilon), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Expression, Fequal,
    testing::Values(FequalCase{"within_default", 1.0, 1.0 + 5e-11, 1e-10, true},
                    FequalCase{"difference_equal_to_epsilon", 0.0, 1e-10, 1e-10, false},
                    FequalCase{"wide_epsilon", 1.0, 1.05, 0.1, true},
                    FequalCase{"nan_argument", std::nan(""), 1.0, 1e-10, false},
                    FequalCase{"nan_epsilon", 1.0, 1.0, std::nan(""), false},
                    FequalCase{"infinities", INFINITY, INFINITY, 1e-10, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Expression, Constants) {
  EXPECT_EQ(pi(), 3.141592653589793);
  EXPECT_EQ(e(), 2.718281828459045);
}

struct RegexCase {
  const char* name;
  const char* pattern;
  bool ignore_case;
  const char* subject;
  std::vector<std::string> findall;
};

class PyRegexFindall : public testing::TestWithParam<RegexCase> {};

TEST_P(PyRegexFindall, MatchesPythonRe) {
  const auto& c = GetParam();
  EXPECT_EQ(trelvo::PyRegex(c.pattern, c.ignore_case).findall(c.subject), c.findall);
}

INSTANTIATE_TEST_SUITE_P(
    Regex, PyRegexFindall,
    testing::Values(RegexCase{"group_one_returned", "([+*]+)", false, "a+b**c", {"+", "**"}},
                    RegexCase{"whole_match_without_group", "\\d+", false, "a12b3", {"12", "3"}},
                    RegexCase{"ignore_case_word", "\\bif\\b", true, "x IF y iffy", {"IF"}},
                    RegexCase{"unicode_word_boundary", "\\bos\\b", false, "\xC3\xA9os os", {"os"}},
                    RegexCase{"unicode_digit", "\\d", false, "\xD9\xA3", {"\xD9\xA3"}},
                    RegexCase{"empty_matches_step_by_character", "a*", false, "\xC3\xA9", {"", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Regex, EscapeIsPythons) {
  EXPECT_EQ(trelvo::regex_escape("a.b*c d_1"), "a\\.b\\*c\\ d_1");
  EXPECT_EQ(trelvo::regex_escape("()[]{}?+-|^$\\&~#"), "\\(\\)\\[\\]\\{\\}\\?\\+\\-\\|\\^\\$\\\\\\&\\~\\#");
}

TEST(Regex, SubReplacesLiterally) {
  EXPECT_EQ(trelvo::PyRegex("\\s+").sub("a  b\t c", ""), "abc");
  EXPECT_EQ(trelvo::PyRegex("x").sub("axbx", "\\1"), "a\\1b\\1");
}

TEST(Regex, InvalidUtf8NeverMatchesButIsKept) {
  EXPECT_EQ(trelvo::PyRegex("\\s+").sub("a \xFF b", ""), "a\xFF" "b");
}

}  // namespace
