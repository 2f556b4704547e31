#include "fitcore/numtext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "fitcore/errors.h"
#include "fitcore/tochars.h"
#include "fitcore/utf8.h"

namespace trelvo {

namespace {

// Code points of the zeros of every run of Unicode decimal digits (category Nd,
// each run holds the digits 0..9 in order), as the host runtime knows them.
constexpr std::array<char32_t, 66> kDigitZeros = {
    0x30,    0x660,   0x6f0,   0x7c0,   0x966,   0x9e6,   0xa66,   0xae6,   0xb66,   0xbe6,
    0xc66,   0xce6,   0xd66,   0xde6,   0xe50,   0xed0,   0xf20,   0x1040,  0x1090,  0x17e0,
    0x1810,  0x1946,  0x19d0,  0x1a80,  0x1a90,  0x1b50,  0x1bb0,  0x1c40,  0x1c50,  0xa620,
    0xa8d0,  0xa900,  0xa9d0,  0xa9f0,  0xaa50,  0xabf0,  0xff10,  0x104a0, 0x10d30, 0x11066,
    0x110f0, 0x11136, 0x111d0, 0x112f0, 0x11450, 0x114d0, 0x11650, 0x116c0, 0x11730, 0x118e0,
    0x11950, 0x11c50, 0x11d50, 0x11da0, 0x16a60, 0x16ac0, 0x16b50, 0x1d7ce, 0x1d7d8, 0x1d7e2,
    0x1d7ec, 0x1d7f6, 0x1e140, 0x1e2f0, 0x1e950, 0x1fbf0};

}  // namespace

bool is_python_space(char32_t c) {
  if (c < 0x80) return (c >= 0x09 && c <= 0x0d) || (c >= 0x1c && c <= 0x20);
  switch (c) {
    case 0x85: case 0xa0: case 0x1680: case 0x2028: case 0x2029: case 0x202f: case 0x205f:
    case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200a;
  }
}

std::u16string_view strip_python_space(std::u16string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && is_python_space(text[b])) ++b;
  while (e > b && is_python_space(text[e - 1])) --e;
  return text.substr(b, e - b);
}

int unicode_digit(char32_t c) {
  auto it = std::upper_bound(kDigitZeros.begin(), kDigitZeros.end(), c);
  if (it == kDigitZeros.begin()) return -1;
  --it;
  return c - *it < 10 ? static_cast<int>(c - *it) : -1;
}

namespace {

bool ieq(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != b[i]) return false;
  }
  return true;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Strict decimal grammar: digits [. digits] [e [sign] digits], at least one
// mantissa digit. Returns false on anything else.
bool valid_decimal(std::string_view s) {
  std::size_t i = 0, n = s.size();
  std::size_t mant = 0;
  while (i < n && is_digit(s[i])) ++i, ++mant;
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && is_digit(s[i])) ++i, ++mant;
  }
  if (mant == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t ed = 0;
    while (i < n && is_digit(s[i])) ++i, ++ed;
    if (ed == 0) return false;
  }
  return i == n;
}

// Value of a valid decimal text that std::from_chars reports out of range:
// decides between overflow (inf) and underflow (0) by the decimal exponent.
double out_of_range_value(std::string_view s) {
  std::size_t i = 0;
  long long point = 0, first_nonzero = -1, pos = 0;
  bool seen_point = false;
  for (; i < s.size() && (is_digit(s[i]) || s[i] == '.'); ++i) {
    if (s[i] == '.') {
      seen_point = true;
      point = pos;
      continue;
    }
    if (s[i] != '0' && first_nonzero < 0) first_nonzero = pos;
    ++pos;
  }
  if (!seen_point) point = pos;
  if (first_nonzero < 0) return 0.0;
  long long exp = 0;
  if (i < s.size()) {
    ++i;
    bool neg = false;
    if (s[i] == '+' || s[i] == '-') neg = s[i++] == '-';
    for (; i < s.size(); ++i) {
      if (exp < 1'000'000'000) exp = exp * 10 + (s[i] - '0');
    }
    if (neg) exp = -exp;
  }
  long long magnitude = point - first_nonzero + exp;
  return magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// Shortest round-trip digits of a finite |v| > 0 and its decimal exponent:
// v = 0.d1d2d3... * 10^decpt.
void shortest_digits(double v, std::string& digits, int& decpt) {
  std::string s = to_chars_string(std::fabs(v), std::chars_format::scientific);
  auto e = s.find('e');
  std::string mant = s.substr(0, e);
  int exp = std::stoi(s.substr(e + 1));
  digits.clear();
  for (char c : mant)
    if (c != '.') digits += c;
  decpt = exp + 1;
}

// float() of a text whose Unicode spaces and digits are already mapped to
// ASCII (any other character that is no ASCII makes no number before this).
std::optional<double> parse_ascii_float(std::string_view a) {
  auto space = [](char c) { return c == ' ' || (c >= 0x09 && c <= 0x0d) || (c >= 0x1c && c <= 0x1f); };
  std::size_t b = 0, e = a.size();
  while (b < e && space(a[b])) ++b;
  while (e > b && space(a[e - 1])) --e;
  std::string_view s = a.substr(b, e - b);
  // Underscores: only single ones between two digits.
  std::string plain;
  if (s.find('_') != std::string_view::npos) {
    for (std::size_t k = 0; k < s.size(); ++k) {
      if (s[k] == '_') {
        if (k == 0 || k + 1 >= s.size() || !is_digit(s[k - 1]) || !is_digit(s[k + 1]))
          return std::nullopt;
        continue;
      }
      plain += s[k];
    }
    s = plain;
  }
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  const double inf = std::numeric_limits<double>::infinity();
  if (ieq(s, "inf") || ieq(s, "infinity")) return negative ? -inf : inf;
  if (ieq(s, "nan")) {
    double n = std::numeric_limits<double>::quiet_NaN();
    return negative ? -n : n;
  }
  if (!valid_decimal(s)) return std::nullopt;
  double v = 0.0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) v = out_of_range_value(s);
  else if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
  return negative ? -v : v;
}

}  // namespace

std::optional<double> parse_python_float(std::string_view text) {
  // Map Unicode spaces to ' ' and Unicode digits to ASCII, as the host does.
  std::string a;
  a.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t c = next_code_point(text, i);
    if (c == 0) return std::nullopt;
    if (c < 0x80) {
      a += static_cast<char>(c);
    } else if (is_python_space(c)) {
      a += ' ';
    } else if (int d = unicode_digit(c); d >= 0) {
      a += static_cast<char>('0' + d);
    } else {
      return std::nullopt;
    }
  }
  return parse_ascii_float(a);
}

std::optional<double> parse_python_float(std::u16string_view text) {
  // The same mapping as for UTF-8 text, into a buffer on the stack for the
  // short texts of cells.
  constexpr std::size_t kShort = 64;
  char stack[kShort];
  std::string heap;
  char* a = stack;
  if (text.size() > kShort) {
    heap.resize(text.size());
    a = heap.data();
  }
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c < 0x80) {
      if (c == 0) return std::nullopt;
      a[n++] = static_cast<char>(c);
      continue;
    }
    if (c >= 0xd800 && c <= 0xdbff && i + 1 < text.size() && text[i + 1] >= 0xdc00 && text[i + 1] <= 0xdfff) {
      c = 0x10000 + ((c - 0xd800) << 10) + (text[i + 1] - 0xdc00);
      ++i;
    }
    if (is_python_space(c)) {
      a[n++] = ' ';
    } else if (int d = unicode_digit(c); d >= 0) {
      a[n++] = static_cast<char>('0' + d);
    } else {
      return std::nullopt;
    }
  }
  return parse_ascii_float(std::string_view(a, n));
}

std::string repr_double(double v) {
  if (!std::isfinite(v)) return nonfinite_text(v);
  if (v == 0.0) return std::signbit(v) ? "-0.0" : "0.0";
  std::string digits;
  int decpt = 0;
  shortest_digits(v, digits, decpt);
  std::string out = std::signbit(v) ? "-" : "";
  const int n = static_cast<int>(digits.size());
  if (decpt > -4 && decpt <= 16) {
    if (decpt <= 0) {
      out += "0." + std::string(static_cast<std::size_t>(-decpt), '0') + digits;
    } else if (decpt >= n) {
      out += digits + std::string(static_cast<std::size_t>(decpt - n), '0') + ".0";
    } else {
      out += digits.substr(0, static_cast<std::size_t>(decpt)) + "." +
             digits.substr(static_cast<std::size_t>(decpt));
    }
    return out;
  }
  out += digits[0];
  if (n > 1) out += "." + digits.substr(1);
  out += "e" + exponent_text(decpt - 1, 2);
  return out;
}

std::string repr_int(long long v) { return std::to_string(v); }

std::string format_e(double v, int decimals) {
  if (decimals < 0) raise(ErrorKind::ValueError, "Format specifier missing precision");
  if (!std::isfinite(v)) return nonfinite_text(v);
  return to_chars_string(v, std::chars_format::scientific, decimals);
}

std::string format_f(double v, int decimals) {
  if (decimals < 0) raise(ErrorKind::ValueError, "Format specifier missing precision");
  if (!std::isfinite(v)) return nonfinite_text(v);
  return to_chars_string(v, std::chars_format::fixed, decimals);
}

std::string repr_double_list(const std::vector<double>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += ", ";
    out += repr_double(items[i]);
  }
  return out + "]";
}

}  // namespace trelvo
