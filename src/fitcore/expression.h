#pragma once
// The gate in front of the evaluator: checks a model or cell expression and
// rewrites it into evaluator syntax.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fitcore/export.h"

// Returns (converted text, names): with have_x, names start with "x", then the
// other free names in ascending code-point order. Throws trelvo::Error
// (ValueError) with the message of the first check that fails; a text longer
// than limits::kMaxExpressionBytes is refused first ("Expression is too long").
// Its time grows about linearly with the length of the text.
TRELVO_EXPORT std::pair<std::string, std::vector<std::string>> parse_expression(
    const std::string& expression, bool have_x = true);

// NumPy's pi and e.
TRELVO_EXPORT double pi();
TRELVO_EXPORT double e();

// True exactly when epsilon > |a - b| (false for any NaN).
TRELVO_EXPORT bool fequal(double a, double b, double epsilon = 1e-10);

namespace trelvo {

// parse_expression with every step run by its regular expression. It gives
// the same for every text; parse_expression itself takes it for texts that
// are not all ASCII and scans an ASCII text in a few passes instead.
TRELVO_EXPORT std::pair<std::string, std::vector<std::string>> parse_expression_by_patterns(
    const std::string& expression, bool have_x = true);

// Every match of the scientific-number pattern
// (\d+\.?\d*e[+-]?\d+|\d*\.?\d+e[+-]?\d+), ignoring case, replaced by
// "SCINOT", as Python's re.sub gives it, in time linear in the text.
TRELVO_EXPORT std::string protect_scientific_numbers(std::string_view text);

}  // namespace trelvo
