#include "fitcore/expression.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <set>
#include <string_view>

#include "fitcore/errors.h"
#include "fitcore/functiontable.h"
#include "fitcore/limits.h"
#include "fitcore/strrepr.h"
#include "fitcore/pyregex.h"
#include "fitcore/utf8.h"

namespace trelvo {
namespace {

// The host's reserved keywords (keyword.kwlist), in its order.
constexpr std::array<std::string_view, 35> kKeywords = {
    "False", "None",   "True",    "and",      "as",       "assert", "async", "await", "break",
    "class", "continue", "def",   "del",      "elif",     "else",   "except", "finally", "for",
    "from",  "global", "if",      "import",   "in",       "is",     "lambda", "nonlocal", "not",
    "or",    "pass",   "raise",   "return",   "try",      "while",  "with",  "yield"};

constexpr std::array<std::string_view, 9> kForbiddenWords = {
    "import", "os", "exec", "eval", "system", "subprocess", "open", "write", "pickle"};

constexpr std::array<std::string_view, 6> kForbiddenChars = {";", ":", "\"", "'", "`", "\\"};

[[noreturn]] void reject(const std::string& message) { raise(ErrorKind::ValueError, message); }

PyRegex word_pattern(std::string_view word) {
  return PyRegex("\\b" + regex_escape(word) + "\\b", true);
}

// The screen's patterns, compiled once.
struct Patterns {
  std::vector<PyRegex> forbidden_words;  // kForbiddenWords then kKeywords
  std::vector<PyRegex> function_calls;   // one per row of expr::kFunctions
  std::vector<std::string> replacements;  // the call each row's name( becomes
  PyRegex doubled_x{"x{2,}", true};
  PyRegex scinot_name{"SCINOT[a-zA-Z_]"};
  PyRegex invalid_var{"\\b\\d+[a-zA-Z_]+\\b"};
  PyRegex number_name{"\\d+[a-zA-Z_]"};
  PyRegex whitespace{"\\s+"};
  PyRegex operator_run{"([+\\-*/%^]+)"};
  PyRegex negative_operand{"(?<=[+\\-*/^])-(?=[a-zA-Z0-9_(])"};
  PyRegex adjacent_names{"\\b[a-zA-Z_][a-zA-Z0-9_]*\\s+[a-zA-Z_][a-zA-Z0-9_]*\\b"};
  PyRegex name{"\\b[a-zA-Z_][a-zA-Z0-9_]*\\b"};
  // A word run directly before optional blanks and "(": the words N for
  // which \bN\s*\( matches.
  PyRegex called_word{"\\b(\\w+)\\s*\\("};

  Patterns() {
    for (std::string_view w : kForbiddenWords) forbidden_words.push_back(word_pattern(w));
    for (std::string_view w : kKeywords) forbidden_words.push_back(word_pattern(w));
    for (const expr::FunctionRow& f : expr::kFunctions) {
      function_calls.emplace_back("\\b" + regex_escape(f.name) + "\\s*\\(");
      replacements.push_back(f.is_numpy() ? "np." + std::string(f.attr) + "(" : std::string(f.name) + "(");
    }
  }
};

const Patterns& patterns() {
  static const Patterns p;
  return p;
}

std::size_t char_length(std::string_view s, std::size_t i) { return utf8::decode(s, i).length; }

// Byte length of the Unicode decimal digit (\d) at s[i], or 0.
std::size_t digit_at(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return (c >= '0' && c <= '9') ? 1 : 0;
  static const PyRegex digit("^\\d");
  const std::size_t len = char_length(s, i);
  return digit.matches_anywhere(s.substr(i, len)) ? len : 0;
}

}  // namespace

std::string protect_scientific_numbers(std::string_view s) {
  const std::size_t n = s.size();
  auto skip_digits = [&](std::size_t j) {
    while (j < n) {
      const std::size_t d = digit_at(s, j);
      if (!d) break;
      j += d;
    }
    return j;
  };
  std::string out;
  std::size_t copied = 0, i = 0;
  while (i < n) {
    const bool digit_start = digit_at(s, i) != 0;
    const bool dot_start = !digit_start && s[i] == '.' && i + 1 < n && digit_at(s, i + 1);
    if (!digit_start && !dot_start) {
      i += char_length(s, i);
      continue;
    }
    // Both alternatives put the exponent right after digits [. digits]. A
    // start in the first digits or at the point reaches the same exponent; a
    // start in the digits after the point reads them as its first digits.
    std::size_t j = skip_digits(i);
    std::size_t retry = j;
    if (j < n && s[j] == '.') {
      retry = j + 1;
      j = skip_digits(j + 1);
      if (j == retry) retry = j;
    }
    std::size_t end = 0;
    if (j < n && (s[j] == 'e' || s[j] == 'E')) {
      std::size_t k = j + 1;
      if (k < n && (s[k] == '+' || s[k] == '-')) ++k;
      const std::size_t m = skip_digits(k);
      if (m > k) end = m;
    }
    if (end) {
      out.append(s.substr(copied, i - copied));
      out += "SCINOT";
      copied = i = end;
    } else {
      i = retry;
    }
  }
  out.append(s.substr(copied));
  return out;
}

}  // namespace trelvo

std::pair<std::string, std::vector<std::string>> parse_expression(const std::string& expression,
                                                                   bool have_x) {
  using namespace trelvo;
  const Patterns& p = patterns();
  if (expression.size() > limits::kMaxExpressionBytes) reject("Expression is too long");

  // Forbidden words, characters and keywords, in list order.
  for (std::size_t i = 0; i < kForbiddenWords.size(); ++i)
    if (p.forbidden_words[i].matches_anywhere(expression))
      reject("Illegal character or keyword: '" + std::string(kForbiddenWords[i]) + "'");
  for (std::string_view c : kForbiddenChars)
    if (expression.find(c) != std::string::npos)
      reject("Illegal character or keyword: '" + std::string(c) + "'");
  for (std::size_t i = 0; i < kKeywords.size(); ++i)
    if (p.forbidden_words[kForbiddenWords.size() + i].matches_anywhere(expression))
      reject("Illegal character or keyword: '" + std::string(kKeywords[i]) + "'");

  // The variable may be written X.
  std::string expr = expression;
  std::replace(expr.begin(), expr.end(), 'X', 'x');

  // x must stand alone, and must be there when the model needs it.
  if (p.doubled_x.matches_anywhere(expr))
    reject("The expression contains consecutive 'x', please use operators to separate");
  if (have_x && expr.find('x') == std::string::npos)
    reject("The expression must contain the independent variable x");

  // Numbers in scientific notation are masked, then names are checked against them.
  const std::string protected_expr = protect_scientific_numbers(expr);
  if (p.scinot_name.matches_anywhere(protected_expr))
    reject("Scientific notation must be followed by an operator, not directly by a variable");
  const auto invalid_var = p.invalid_var.findall(protected_expr);
  if (!invalid_var.empty())
    reject("Invalid variable name: " + repr_str_list(invalid_var) +
           " - Variable names must start with a letter");
  if (p.number_name.matches_anywhere(protected_expr))
    reject("Numbers and variables must be separated by operators");

  // Operator runs and unparenthesised negative operands, blanks removed.
  const std::string temp_expr = p.whitespace.sub(expr, "");
  for (const std::string& run : p.operator_run.findall(temp_expr)) {
    if (run.size() == 1 || run == "**") continue;
    const char* ending = nullptr;
    switch (run[0]) {
      case '*': ending = "' (Multiplication operator cannot be followed by other operators)"; break;
      case '+': ending = "' (Plus operator cannot be followed by other operators)"; break;
      case '/': ending = "' (Division operator cannot be followed by other operators)"; break;
      case '-': ending = "' (Minus operator must be wrapped in parentheses for negative numbers)"; break;
      default: break;
    }
    if (ending) reject("Illegal operator combination: '" + run + ending);
  }
  if (p.negative_operand.matches_anywhere(temp_expr))
    reject("Negative numbers must be enclosed in parentheses, e.g., (-a) instead of *-a");

  if (p.adjacent_names.matches_anywhere(expr)) reject("Missing operator between variables");

  // Rewrite into evaluator syntax: ^ is **, and each function gets its evaluator name.
  std::string converted;
  converted.reserve(expr.size() + 16);
  for (char c : expr) {
    if (c == '^')
      converted += "**";
    else
      converted += c;
  }
  for (std::size_t i = 0; i < p.function_calls.size(); ++i)
    converted = p.function_calls[i].sub(converted, p.replacements[i]);

  // The coefficients: names that are neither x nor called as functions, sorted.
  const auto called = p.called_word.findall(expr);
  const std::set<std::string> called_words(called.begin(), called.end());
  std::set<std::string> valid_vars;
  for (std::string& name : p.name.findall(protected_expr)) {
    if (name == "SCINOT" || name == "x" || called_words.count(name)) continue;
    valid_vars.insert(std::move(name));
  }
  std::vector<std::string> coefficients;
  if (have_x) coefficients.emplace_back("x");
  coefficients.insert(coefficients.end(), valid_vars.begin(), valid_vars.end());
  return {std::move(converted), std::move(coefficients)};
}

double pi() { return trelvo::expr::kPi.value; }
double e() { return trelvo::expr::kE.value; }

bool fequal(double a, double b, double epsilon) { return epsilon > std::fabs(a - b); }
