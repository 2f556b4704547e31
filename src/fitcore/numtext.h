#pragma once
// Number reading and number texts as the Python host writes them. Independent
// of the C library's locale.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fitcore/export.h"
#include "fitcore/limits.h"

namespace trelvo {

// Python float(text): surrounding whitespace (Unicode), optional sign, decimal
// digits (any Unicode decimal digit; single underscores between digits), an
// optional point and exponent, or inf/infinity/nan in any case. Overflow gives
// +-inf. Returns nullopt when float() would raise ValueError. `text` is UTF-8.
TRELVO_EXPORT std::optional<double> parse_python_float(std::string_view text);
// The same for UTF-16 text (a lone surrogate is no number).
TRELVO_EXPORT std::optional<double> parse_python_float(std::u16string_view text);

// The host's whitespace (str.isspace()): what float() and str.strip() skip,
// and what the formula cell skips before its "=".
TRELVO_EXPORT bool is_python_space(char32_t c);
// `text` without the host's whitespace at either end (str.strip()).
TRELVO_EXPORT std::u16string_view strip_python_space(std::u16string_view text);

// Value 0-9 of a Unicode decimal digit (category Nd) as the Python host
// knows them, or -1 for any other code point.
TRELVO_EXPORT int unicode_digit(char32_t c);

// Python repr(float): shortest round-trip text, "2.0", "1e-05", "1e+16",
// "-0.0", "inf", "-inf", "nan".
TRELVO_EXPORT std::string repr_double(double v);

// Python repr(int).
TRELVO_EXPORT std::string repr_int(long long v);

// printf-style "%.*e" and "%.*f" in the C locale; NaN is "nan" (never "-nan"),
// infinities "inf" / "-inf". A negative precision throws ValueError
// ("Format specifier missing precision").
TRELVO_EXPORT std::string format_e(double v, int decimals);
TRELVO_EXPORT std::string format_f(double v, int decimals);
// The notation a user chooses for shown numbers: format_e when scientific,
// else format_f, with `decimals` digits after the point.
inline std::string format_number(double v, bool scientific, int decimals) {
  return scientific ? format_e(v, decimals) : format_f(v, decimals);
}
// The same notation as a printf pattern ("%.3e", "%.2f") for text that the
// toolkit formats itself, such as axis labels.
inline std::string number_pattern(bool scientific, int decimals) {
  return "%." + std::to_string(decimals) + (scientific ? "e" : "f");
}

// Python repr of a list of floats: [1.0, 2.5, nan].
TRELVO_EXPORT std::string repr_double_list(const std::vector<double>& items);

// A list for a debug line, in the form of repr_double_list: every value of a
// list of up to limits::kDebugListWhole values; of a longer one the first and
// the last limits::kDebugListEnds values with "…" (U+2026, UTF-8) between:
// [0, 1, 2, 3, 4, …, 95, 96, 97, 98, 99]. `repr` gives one value's text.
template <class List, class Repr>
std::string brief_list_repr(const List& items, Repr repr) {
  const std::size_t n = static_cast<std::size_t>(items.size());
  const bool brief = n > limits::kDebugListWhole;
  std::string out = "[";
  for (std::size_t i = 0; i < n; ++i) {
    if (brief && i == limits::kDebugListEnds) {
      out += ", \xE2\x80\xA6";
      i = n - limits::kDebugListEnds;
    }
    if (i) out += ", ";
    out += repr(items[static_cast<decltype(items.size())>(i)]);
  }
  return out + "]";
}

// brief_list_repr of floats, each as repr_double writes it.
inline std::string brief_double_list(const std::vector<double>& items) {
  return brief_list_repr(items, [](double v) { return repr_double(v); });
}

}  // namespace trelvo
