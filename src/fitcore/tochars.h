#pragma once
// Digit texts from std::to_chars (never the C library's locale), shared by
// the number texts and the NumPy array printer. Internal to fitcore.
#include <charconv>
#include <string>

namespace trelvo {

// The shortest round-trip text of `v` in `fmt`.
std::string to_chars_string(double v, std::chars_format fmt);

// `v` in `fmt` with `precision` digits (fraction digits for fixed).
std::string to_chars_string(double v, std::chars_format fmt, int precision);

// An exponent as "+05" / "-12": a sign and at least `min_digits` digits.
std::string exponent_text(int exp, int min_digits);

// "nan" (never "-nan"), "inf" or "-inf".
std::string nonfinite_text(double v);

}  // namespace trelvo
