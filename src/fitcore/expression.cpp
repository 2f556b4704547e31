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

// The end of the refusal of a run of two or more operators (other than
// "**"), after "Illegal operator combination: '" and the run; null for a
// run the check lets through.
const char* operator_run_ending(std::string_view run) {
  switch (run[0]) {
    case '*': return "' (Multiplication operator cannot be followed by other operators)";
    case '+': return "' (Plus operator cannot be followed by other operators)";
    case '/': return "' (Division operator cannot be followed by other operators)";
    case '-': return "' (Minus operator must be wrapped in parentheses for negative numbers)";
    default: return nullptr;
  }
}

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

namespace trelvo {

std::pair<std::string, std::vector<std::string>> parse_expression_by_patterns(const std::string& expression,
                                                                               bool have_x) {
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
    const char* ending = operator_run_ending(run);
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

namespace {

bool is_ascii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool ascii_letter_(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool ascii_digit(char c) { return c >= '0' && c <= '9'; }
bool ascii_word(char c) { return ascii_letter_(c) || ascii_digit(c); }
char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The blanks the patterns' \s stands for among ASCII characters, read from
// the pattern engine itself; and whether its \w among them is [A-Za-z0-9_]
// as the scans below take it (else every text takes the patterns' path).
struct AsciiClasses {
  std::array<bool, 128> space{};
  bool word_as_assumed = true;
  AsciiClasses() {
    const PyRegex s("^\\s"), w("^\\w");
    for (int c = 0; c < 128; ++c) {
      const char ch = static_cast<char>(c);
      const std::string_view one(&ch, 1);
      space[c] = s.matches_anywhere(one);
      if (w.matches_anywhere(one) != ascii_word(ch)) word_as_assumed = false;
    }
  }
};

const AsciiClasses& ascii_classes() {
  static const AsciiClasses c;
  return c;
}

// The maximal runs of word characters of an ASCII text, in order:
// f(begin, end) for each.
template <class F>
void for_each_word(std::string_view s, F f) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    if (!ascii_word(s[i])) {
      ++i;
      continue;
    }
    const std::size_t b = i;
    while (i < n && ascii_word(s[i])) ++i;
    f(b, i);
  }
}

// Where the blanks from `i` on end.
std::size_t skip_space(std::string_view s, std::size_t i, const AsciiClasses& k) {
  while (i < s.size() && k.space[static_cast<unsigned char>(s[i])]) ++i;
  return i;
}

// A word run [b, e) followed by optional blanks and "(": the index of the
// "(" or npos.
std::size_t call_paren(std::string_view s, std::size_t e, const AsciiClasses& k) {
  const std::size_t j = skip_space(s, e, k);
  return j < s.size() && s[j] == '(' ? j : std::string_view::npos;
}

// The same steps as parse_expression_by_patterns for a text of ASCII
// characters only, each pattern replaced by a scan that finds the same
// matches: a word boundary in ASCII text is the edge of a run of
// [A-Za-z0-9_], and IGNORECASE compares ASCII letters only.
std::pair<std::string, std::vector<std::string>> parse_ascii(const std::string& expression, bool have_x,
                                                             const AsciiClasses& k) {
  // Forbidden words: the whole runs equal to a word, ignoring case.
  constexpr std::size_t kWords = kForbiddenWords.size() + kKeywords.size();
  std::array<bool, kWords> found{};
  std::array<char, 16> lower{};
  for_each_word(expression, [&](std::size_t b, std::size_t e) {
    const std::size_t len = e - b;
    if (len < 2 || len > lower.size()) return;
    for (std::size_t i = 0; i < len; ++i) lower[i] = ascii_lower(expression[b + i]);
    const std::string_view run(lower.data(), len);
    auto same = [&](std::string_view w) {
      if (w.size() != len) return false;
      for (std::size_t i = 0; i < len; ++i)
        if (ascii_lower(w[i]) != run[i]) return false;
      return true;
    };
    for (std::size_t i = 0; i < kForbiddenWords.size(); ++i)
      if (same(kForbiddenWords[i])) found[i] = true;
    for (std::size_t i = 0; i < kKeywords.size(); ++i)
      if (same(kKeywords[i])) found[kForbiddenWords.size() + i] = true;
  });
  for (std::size_t i = 0; i < kForbiddenWords.size(); ++i)
    if (found[i]) reject("Illegal character or keyword: '" + std::string(kForbiddenWords[i]) + "'");
  for (std::string_view c : kForbiddenChars)
    if (expression.find(c) != std::string::npos)
      reject("Illegal character or keyword: '" + std::string(c) + "'");
  for (std::size_t i = 0; i < kKeywords.size(); ++i)
    if (found[kForbiddenWords.size() + i])
      reject("Illegal character or keyword: '" + std::string(kKeywords[i]) + "'");

  std::string expr = expression;
  std::replace(expr.begin(), expr.end(), 'X', 'x');

  // x{2,} ignoring case, with every X already lowered.
  if (expr.find("xx") != std::string::npos)
    reject("The expression contains consecutive 'x', please use operators to separate");
  if (have_x && expr.find('x') == std::string::npos)
    reject("The expression must contain the independent variable x");

  const std::string protected_expr = protect_scientific_numbers(expr);
  // SCINOT[a-zA-Z_]
  for (std::size_t at = protected_expr.find("SCINOT"); at != std::string::npos;
       at = protected_expr.find("SCINOT", at + 1))
    if (at + 6 < protected_expr.size() && ascii_letter_(protected_expr[at + 6]))
      reject("Scientific notation must be followed by an operator, not directly by a variable");
  // \b\d+[a-zA-Z_]+\b: the whole runs of digits then letters.
  std::vector<std::string> invalid_var;
  bool number_name = false;  // \d+[a-zA-Z_]: a digit right before a letter
  for_each_word(protected_expr, [&](std::size_t b, std::size_t e) {
    std::size_t i = b;
    while (i < e && ascii_digit(protected_expr[i])) ++i;
    std::size_t j = i;
    while (j < e && ascii_letter_(protected_expr[j])) ++j;
    if (i > b && j > i && j == e) invalid_var.emplace_back(protected_expr, b, e - b);
    for (std::size_t m = b; m + 1 < e; ++m)
      if (ascii_digit(protected_expr[m]) && ascii_letter_(protected_expr[m + 1])) number_name = true;
  });
  if (!invalid_var.empty())
    reject("Invalid variable name: " + repr_str_list(invalid_var) +
           " - Variable names must start with a letter");
  if (number_name) reject("Numbers and variables must be separated by operators");

  // Blanks removed; then the maximal operator runs, and a "-" between an
  // operator and an operand.
  std::string temp_expr;
  temp_expr.reserve(expr.size());
  for (char c : expr)
    if (!k.space[static_cast<unsigned char>(c)]) temp_expr += c;
  auto is_operator = [](char c) {
    return c == '+' || c == '-' || c == '*' || c == '/' || c == '%' || c == '^';
  };
  for (std::size_t i = 0; i < temp_expr.size();) {
    if (!is_operator(temp_expr[i])) {
      ++i;
      continue;
    }
    const std::size_t b = i;
    while (i < temp_expr.size() && is_operator(temp_expr[i])) ++i;
    const std::string_view run(temp_expr.data() + b, i - b);
    if (run.size() == 1 || run == "**") continue;
    const char* ending = operator_run_ending(run);
    if (ending) reject("Illegal operator combination: '" + std::string(run) + ending);
  }
  for (std::size_t i = 1; i + 1 < temp_expr.size(); ++i) {
    if (temp_expr[i] != '-') continue;
    const char before = temp_expr[i - 1], after = temp_expr[i + 1];
    if ((before == '+' || before == '-' || before == '*' || before == '/' || before == '^') &&
        (ascii_word(after) || after == '('))
      reject("Negative numbers must be enclosed in parentheses, e.g., (-a) instead of *-a");
  }

  // A run starting with a letter, blanks, and a run starting with a letter.
  bool adjacent = false;
  for_each_word(expr, [&](std::size_t b, std::size_t e) {
    if (adjacent || !ascii_letter_(expr[b]) || e >= expr.size() || !k.space[static_cast<unsigned char>(expr[e])])
      return;
    const std::size_t j = skip_space(expr, e, k);
    if (j < expr.size() && ascii_letter_(expr[j])) adjacent = true;
  });
  if (adjacent) reject("Missing operator between variables");

  // ^ is **; each run naming a function and followed by blanks and "("
  // becomes the function's call.
  std::string powered;
  powered.reserve(expr.size() + 16);
  for (char c : expr) {
    if (c == '^')
      powered += "**";
    else
      powered += c;
  }
  const Patterns& p = patterns();
  std::string converted;
  converted.reserve(powered.size() + powered.size() / 4 + 16);
  std::size_t copied = 0;
  for_each_word(powered, [&](std::size_t b, std::size_t e) {
    if (b < copied) return;
    const std::size_t paren = call_paren(powered, e, k);
    if (paren == std::string_view::npos) return;
    const std::string_view word(powered.data() + b, e - b);
    for (std::size_t i = 0; i < expr::kFunctions.size(); ++i) {
      if (expr::kFunctions[i].name != word) continue;
      converted.append(powered, copied, b - copied);
      converted += p.replacements[i];
      copied = paren + 1;
      break;
    }
  });
  converted.append(powered, copied, std::string::npos);

  // The coefficients: runs starting with a letter, neither x nor called.
  std::set<std::string_view> called_words;
  for_each_word(expr, [&](std::size_t b, std::size_t e) {
    if (call_paren(expr, e, k) != std::string_view::npos) called_words.emplace(expr.data() + b, e - b);
  });
  std::set<std::string> valid_vars;
  for_each_word(protected_expr, [&](std::size_t b, std::size_t e) {
    if (!ascii_letter_(protected_expr[b])) return;
    const std::string_view name(protected_expr.data() + b, e - b);
    if (name == "SCINOT" || name == "x" || called_words.count(name)) return;
    valid_vars.emplace(name);
  });
  std::vector<std::string> coefficients;
  if (have_x) coefficients.emplace_back("x");
  coefficients.insert(coefficients.end(), valid_vars.begin(), valid_vars.end());
  return {std::move(converted), std::move(coefficients)};
}

}  // namespace
}  // namespace trelvo

std::pair<std::string, std::vector<std::string>> parse_expression(const std::string& expression,
                                                                   bool have_x) {
  using namespace trelvo;
  if (expression.size() > limits::kMaxExpressionBytes) reject("Expression is too long");
  const AsciiClasses& k = ascii_classes();
  if (k.word_as_assumed && is_ascii(expression)) return parse_ascii(expression, have_x, k);
  return parse_expression_by_patterns(expression, have_x);
}

double pi() { return trelvo::expr::kPi.value; }
double e() { return trelvo::expr::kE.value; }

bool fequal(double a, double b, double epsilon) { return epsilon > std::fabs(a - b); }
