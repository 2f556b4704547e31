#include "fitcore/numtext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "fitcore/errors.h"
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

bool is_unicode_space(char32_t c) {
  if (c < 0x80) return (c >= 0x09 && c <= 0x0d) || (c >= 0x1c && c <= 0x20);
  switch (c) {
    case 0x85: case 0xa0: case 0x1680: case 0x2028: case 0x2029: case 0x202f: case 0x205f:
    case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200a;
  }
}

}  // namespace

int unicode_digit(char32_t c) {
  auto it = std::upper_bound(kDigitZeros.begin(), kDigitZeros.end(), c);
  if (it == kDigitZeros.begin()) return -1;
  --it;
  return c - *it < 10 ? static_cast<int>(c - *it) : -1;
}

namespace {

// Decodes one UTF-8 sequence at `i`; invalid bytes give U+FFFD (never a digit
// or a space, so the text is then no number).
char32_t next_code_point(std::string_view s, std::size_t& i) {
  const utf8::Decoded d = utf8::decode(s, i);
  i += d.length;
  return d.code_point;
}

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

std::string to_chars_string(double v, std::chars_format fmt) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, fmt);
  return std::string(buf, r.ptr);
}

std::string to_chars_string(double v, std::chars_format fmt, int precision) {
  std::string out(static_cast<std::size_t>(precision) + 400, '\0');
  for (;;) {
    auto r = std::to_chars(out.data(), out.data() + out.size(), v, fmt, precision);
    if (r.ec == std::errc()) {
      out.resize(static_cast<std::size_t>(r.ptr - out.data()));
      return out;
    }
    out.resize(out.size() * 2);
  }
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

std::string exponent_text(int exp, int min_digits) {
  std::string d = std::to_string(exp < 0 ? -exp : exp);
  while (static_cast<int>(d.size()) < min_digits) d.insert(d.begin(), '0');
  return std::string(exp < 0 ? "-" : "+") + d;
}

std::string nonfinite_text(double v) {
  if (std::isnan(v)) return "nan";
  return v < 0 ? "-inf" : "inf";
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xc0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xe0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  }
}

// Printability of a non-ASCII code point as str.isprintable() decides it, for
// the separators, format and control characters; unassigned code points are
// treated as printable (approximation).
bool printable_non_ascii(char32_t c) {
  if (c < 0xa1) return false;  // C1 controls and NO-BREAK SPACE
  if (c == 0xad || c == 0x61c || c == 0x180e || c == 0x1680 || c == 0x3000 || c == 0xfeff)
    return false;
  if (c >= 0x2000 && c <= 0x200f) return false;
  if (c >= 0x2028 && c <= 0x202f) return false;
  if (c >= 0x205f && c <= 0x206f) return false;
  if (c >= 0xd800 && c <= 0xf8ff) return false;  // surrogates, private use
  if (c >= 0xfff9 && c <= 0xfffb) return false;
  if (c >= 0xf0000) return false;
  return true;
}

std::string repr_str(std::string_view s) {
  bool has_single = s.find('\'') != std::string_view::npos;
  bool has_double = s.find('"') != std::string_view::npos;
  char quote = has_single && !has_double ? '"' : '\'';
  std::string out(1, quote);
  static const char* hex = "0123456789abcdef";
  std::size_t i = 0;
  while (i < s.size()) {
    char32_t c = next_code_point(s, i);
    if (c == static_cast<char32_t>(quote) || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7f) {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 0xf];
    } else if (c < 0x80 || printable_non_ascii(c)) {
      append_utf8(out, c);
    } else if (c < 0x100) {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 0xf];
    } else if (c < 0x10000) {
      out += "\\u";
      for (int k = 12; k >= 0; k -= 4) out += hex[(c >> k) & 0xf];
    } else {
      out += "\\U";
      for (int k = 28; k >= 0; k -= 4) out += hex[(c >> k) & 0xf];
    }
  }
  out += quote;
  return out;
}

// NumPy's Dragon4 output with at most `precision` fraction digits, unique
// (shortest) digits otherwise; trailing zeros removed, the point kept.
std::string dragon4_positional(double v, int precision) {
  std::string s = to_chars_string(v, std::chars_format::fixed);
  auto dot = s.find('.');
  if (dot != std::string::npos && static_cast<int>(s.size() - dot - 1) > precision)
    s = to_chars_string(v, std::chars_format::fixed, precision);
  dot = s.find('.');
  if (dot == std::string::npos) return s + ".";
  while (s.back() == '0') s.pop_back();
  return s;
}

struct Scientific {
  std::string mantissa;  // "-1.5", "1."
  int exponent;
};

Scientific dragon4_scientific(double v, int precision) {
  std::string s = to_chars_string(v, std::chars_format::scientific);
  auto e = s.find('e');
  auto dot = s.find('.');
  std::size_t frac = dot == std::string::npos || dot > e ? 0 : e - dot - 1;
  if (static_cast<int>(frac) > precision) {
    s = to_chars_string(v, std::chars_format::scientific, precision);
    e = s.find('e');
  }
  std::string mant = s.substr(0, e);
  int exp = std::stoi(s.substr(e + 1));
  if (mant.find('.') == std::string::npos) {
    mant += '.';
  } else {
    while (mant.back() == '0') mant.pop_back();
  }
  return {mant, exp};
}

// NumPy's line layout of a 1-D array's words: one blank between words,
// wrapped before column 75, "..." after the third word of a summary.
std::string numpy_layout(const std::vector<std::string>& words, bool summary) {
  constexpr std::size_t kLineWidth = 75, kEdgeItems = 3;
  const std::string hanging = " ";
  const std::size_t elem_width = kLineWidth - 1;
  std::string s, line = hanging;
  auto extend = [&](const std::string& word) {
    bool wrap = line.size() + word.size() > elem_width && line.size() > hanging.size();
    if (wrap) {
      auto end = line.find_last_not_of(' ');
      s += line.substr(0, end == std::string::npos ? 0 : end + 1) + "\n";
      line = hanging;
    }
    line += word;
  };
  for (std::size_t k = 0; k < words.size(); ++k) {
    extend(words[k]);
    if (k + 1 < words.size()) line += ' ';
    if (summary && k + 1 == kEdgeItems) {
      extend("...");
      line += ' ';
    }
  }
  s += line;
  return "[" + s.substr(hanging.size()) + "]";
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
    } else if (is_unicode_space(c)) {
      a += ' ';
    } else if (int d = unicode_digit(c); d >= 0) {
      a += static_cast<char>('0' + d);
    } else {
      return std::nullopt;
    }
  }
  auto space = [](char c) { return c == ' ' || (c >= 0x09 && c <= 0x0d) || (c >= 0x1c && c <= 0x1f); };
  std::size_t b = 0, e = a.size();
  while (b < e && space(a[b])) ++b;
  while (e > b && space(a[e - 1])) --e;
  std::string_view s(a.data() + b, e - b);
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

std::string repr_str_list(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += ", ";
    out += repr_str(items[i]);
  }
  return out + "]";
}

std::string repr_double_list(const std::vector<double>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += ", ";
    out += repr_double(items[i]);
  }
  return out + "]";
}

std::string numpy_array_str(const std::vector<double>& values) {
  constexpr int kPrecision = 8;
  constexpr std::size_t kThreshold = 1000, kEdgeItems = 3;
  if (values.empty()) return "[]";

  const bool summary = values.size() > kThreshold;
  std::vector<double> shown;
  if (summary) {
    shown.assign(values.begin(), values.begin() + kEdgeItems);
    shown.insert(shown.end(), values.end() - kEdgeItems, values.end());
  } else {
    shown = values;
  }

  // Choose the notation from the finite non-zero values.
  bool exp_format = false, any_finite = false, any_nonfinite = false, neg_inf = false;
  double max_val = 0.0, min_val = std::numeric_limits<double>::infinity();
  for (double x : shown) {
    if (!std::isfinite(x)) {
      any_nonfinite = true;
      if (std::isinf(x) && x < 0) neg_inf = true;
      continue;
    }
    any_finite = true;
    if (x != 0.0) {
      max_val = std::max(max_val, std::fabs(x));
      min_val = std::min(min_val, std::fabs(x));
    }
  }
  if (max_val > 0.0 && (max_val >= 1e8 || min_val < 0.0001 || max_val / min_val > 1000.0))
    exp_format = true;

  std::size_t pad_left = 0, pad_right = 0;
  std::vector<std::string> words(shown.size());
  // Non-finite values widen the integer part so that all words align.
  auto widen_for_nonfinite = [&] {
    if (!any_nonfinite) return;
    std::size_t offset = pad_right + 1;
    std::size_t inflen = 3 + (neg_inf ? 1 : 0);
    if (3 > offset) pad_left = std::max(pad_left, 3 - offset);
    if (inflen > offset) pad_left = std::max(pad_left, inflen - offset);
  };
  if (any_finite && exp_format) {
    std::vector<Scientific> sci(shown.size());
    std::size_t precision = 0, exp_digits = 0;
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (!std::isfinite(shown[k])) continue;
      sci[k] = dragon4_scientific(shown[k], kPrecision);
      auto dot = sci[k].mantissa.find('.');
      pad_left = std::max(pad_left, dot);
      precision = std::max(precision, sci[k].mantissa.size() - dot - 1);
      exp_digits = std::max(exp_digits, exponent_text(sci[k].exponent, 2).size() - 1);
    }
    pad_right = exp_digits + 2 + precision;
    widen_for_nonfinite();
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (!std::isfinite(shown[k])) continue;
      // Same value again with exactly `precision` fraction digits.
      Scientific s = dragon4_scientific(shown[k], static_cast<int>(precision));
      std::string mant = s.mantissa;
      mant.append(precision - (mant.size() - mant.find('.') - 1), '0');
      std::string w = std::string(pad_left - mant.find('.'), ' ') + mant + "e" +
                      exponent_text(s.exponent, static_cast<int>(exp_digits));
      words[k] = w;
    }
  } else if (any_finite) {
    std::vector<std::string> pos(shown.size());
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (!std::isfinite(shown[k])) continue;
      pos[k] = dragon4_positional(shown[k], kPrecision);
      auto dot = pos[k].find('.');
      pad_left = std::max(pad_left, dot);
      pad_right = std::max(pad_right, pos[k].size() - dot - 1);
    }
    widen_for_nonfinite();
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (!std::isfinite(shown[k])) continue;
      const std::string& p = pos[k];
      auto dot = p.find('.');
      words[k] = std::string(pad_left - dot, ' ') + p +
                 std::string(pad_right - (p.size() - dot - 1), ' ');
    }
  }
  if (any_nonfinite) {
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (std::isfinite(shown[k])) continue;
      std::string r = nonfinite_text(shown[k]);
      std::size_t width = pad_left + pad_right + 1;
      words[k] = std::string(width > r.size() ? width - r.size() : 0, ' ') + r;
    }
  }

  return numpy_layout(words, summary);
}

std::string numpy_int_array_str(const std::vector<long long>& values) {
  constexpr std::size_t kThreshold = 1000, kEdgeItems = 3;
  if (values.empty()) return "[]";
  const bool summary = values.size() > kThreshold;
  std::vector<long long> shown;
  if (summary) {
    shown.assign(values.begin(), values.begin() + kEdgeItems);
    shown.insert(shown.end(), values.end() - kEdgeItems, values.end());
  } else {
    shown = values;
  }
  auto [lo, hi] = std::minmax_element(shown.begin(), shown.end());
  std::size_t width = std::max(std::to_string(*lo).size(), std::to_string(*hi).size());
  std::vector<std::string> words;
  for (long long v : shown) {
    std::string t = std::to_string(v);
    words.push_back(std::string(width - t.size(), ' ') + t);
  }
  return numpy_layout(words, summary);
}

}  // namespace trelvo
