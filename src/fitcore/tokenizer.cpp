#include "fitcore/tokenizer.h"

#include <locale.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "fitcore/errors.h"
#include "fitcore/limits.h"
#include "fitcore/pyregex.h"
#include "fitcore/utf8.h"

namespace trelvo::expr {

void syntax_error(const std::string& message) {
  raise(ErrorKind::SyntaxError, message + " (<string>, line 1)");
}

namespace {

locale_t c_locale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", nullptr);
  return loc;
}

bool ascii_digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool ascii_letter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool ascii_name_start(unsigned char c) { return ascii_letter(c) || c == '_'; }
bool ascii_name_char(unsigned char c) { return ascii_letter(c) || ascii_digit(c) || c == '_'; }
bool is_digit_at(std::string_view s, std::size_t i) {
  return i < s.size() && ascii_digit(static_cast<unsigned char>(s[i]));
}

// Decodes one UTF-8 code point at s[i]; returns its length (0 when invalid).
std::size_t decode_utf8(std::string_view s, std::size_t i, std::uint32_t& cp) {
  const utf8::Decoded d = utf8::decode(s, i);
  if (d.fault != utf8::Fault::None) return 0;
  cp = d.code_point;
  return d.length;
}

const PyRegex& identifier_start() {
  static const PyRegex r("^[\\p{L}\\p{Nl}_]");
  return r;
}
const PyRegex& identifier_char() {
  static const PyRegex r("^[\\p{L}\\p{Nl}\\p{Mn}\\p{Mc}\\p{Nd}\\p{Pc}]");
  return r;
}

std::string hex_code(std::uint32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", cp);
  return buf;
}

// Length of the identifier character at s[i] (ASCII or not), or 0.
std::size_t name_char_at(std::string_view s, std::size_t i, bool start) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return (start ? ascii_name_start(c) : ascii_name_char(c)) ? 1 : 0;
  std::uint32_t cp = 0;
  const std::size_t len = decode_utf8(s, i, cp);
  if (len == 0) return 0;
  const auto one = s.substr(i, len);
  return (start ? identifier_start() : identifier_char()).matches_anywhere(one) ? len : 0;
}

// The value of a float literal's digits (underscores removed), as the host
// reads it: correctly rounded, inf beyond the largest double.
double float_value(std::string_view digits) {
  double v = 0.0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (ec == std::errc() && end == digits.data() + digits.size()) return v;
  // Overflow and underflow: the C library gives inf and the rounded tiny value.
  const std::string copy(digits);
  return strtod_l(copy.c_str(), nullptr, c_locale());
}

Token number_token(std::string_view s, std::size_t& i) {
  const std::size_t begin = i;
  bool is_float = false;
  bool underscores = false;
  auto digit_run = [&](bool required) {
    bool any = false;
    while (i < s.size()) {
      if (ascii_digit(static_cast<unsigned char>(s[i]))) {
        ++i;
        any = true;
      } else if (s[i] == '_' && any && is_digit_at(s, i + 1)) {
        underscores = true;
        ++i;
      } else {
        break;
      }
    }
    if (required && !any) syntax_error("invalid decimal literal");
    return any;
  };
  const bool int_part = digit_run(false);
  if (i < s.size() && s[i] == '.') {
    is_float = true;
    ++i;
    if (is_digit_at(s, i)) digit_run(true);
    else if (!int_part) syntax_error("invalid syntax");
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    const std::size_t save = i;
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (is_digit_at(s, i)) {
      digit_run(true);
      is_float = true;
    } else {
      i = save;
      syntax_error("invalid decimal literal");
    }
  }
  if (i < s.size() && (s[i] == 'j' || s[i] == 'J')) syntax_error("complex numbers are not supported");
  if (i < s.size() && name_char_at(s, i, false)) syntax_error("invalid decimal literal");
  Token tok;
  tok.t = T::Num;
  tok.begin = static_cast<std::uint32_t>(begin);
  tok.length = static_cast<std::uint32_t>(i - begin);
  // The literal's digits, point and exponent without its underscores.
  std::string without;
  std::string_view digits = s.substr(begin, i - begin);
  if (underscores) {
    without.reserve(digits.size());
    for (char c : digits)
      if (c != '_') without += c;
    digits = without;
  }
  if (!is_float) {
    if (digits.size() > 1 && digits[0] == '0' && digits.find_first_not_of('0') != std::string_view::npos)
      syntax_error(
          "leading zeros in decimal integer literals are not permitted; use an 0o prefix for "
          "octal integers");
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (ec == std::errc() && end == digits.data() + digits.size()) {
      tok.is_int = true;
      tok.i = v;
      return tok;
    }
  }
  tok.is_int = false;
  tok.f = float_value(digits);
  return tok;
}

}  // namespace

void tokenize(std::string_view s, std::vector<Token>& out) {
  out.clear();
  int level = 0;
  std::size_t i = 0;
  auto blank = [&](std::size_t k) {
    const char c = s[k];
    return c == ' ' || c == '\t' || c == '\f' || c == '\n' || c == '\r';
  };
  // Leading blanks and blank lines are ignored, as the host's eval does.
  while (i < s.size() && blank(i)) ++i;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == ' ' || c == '\t' || c == '\f') { ++i; continue; }
    if (c == '\n' || c == '\r') {
      if (level > 0) { ++i; continue; }
      // A line end outside brackets ends the expression; only blank lines may follow.
      std::size_t j = i;
      while (j < s.size() && blank(j)) ++j;
      if (j < s.size()) syntax_error("invalid syntax");
      break;
    }
    if (ascii_digit(c) || (c == '.' && is_digit_at(s, i + 1))) {
      out.push_back(number_token(s, i));
      continue;
    }
    Token tok;
    tok.begin = static_cast<std::uint32_t>(i);
    if (const std::size_t len = name_char_at(s, i, true)) {
      i += len;
      while (i < s.size()) {
        const auto d = static_cast<unsigned char>(s[i]);
        if (d < 0x80) {
          if (!ascii_name_char(d)) break;
          ++i;
          continue;
        }
        const std::size_t more = name_char_at(s, i, false);
        if (!more) break;
        i += more;
      }
      tok.t = T::Name;
      tok.length = static_cast<std::uint32_t>(i - tok.begin);
      out.push_back(tok);
      continue;
    }
    const bool doubled = i + 1 < s.size() && s[i + 1] == s[i];
    tok.t = T::Op;
    tok.length = 1;
    if (c == '*' && doubled) { tok.op = BinOp::Pow; tok.length = 2; }
    else if (c == '/' && doubled) { tok.op = BinOp::FloorDiv; tok.length = 2; }
    else if (c == '+') { tok.op = BinOp::Add; tok.unary_capable = true; }
    else if (c == '-') { tok.op = BinOp::Sub; tok.unary_capable = true; }
    else if (c == '*') { tok.op = BinOp::Mul; }
    else if (c == '/') { tok.op = BinOp::Div; }
    else if (c == '%') { tok.op = BinOp::Mod; }
    else if (c == '(') {
      if (++level >= limits::kMaxExpressionDepth) syntax_error("too many nested parentheses");
      tok.t = T::LPar;
    } else if (c == ')') {
      if (level == 0) syntax_error("unmatched ')'");
      --level;
      tok.t = T::RPar;
    } else if (c == ',') { tok.t = T::Comma; }
    else if (c == '.') { tok.t = T::Dot; }
    else if (c >= 0x80) {
      std::uint32_t cp = 0;
      const std::size_t len = decode_utf8(s, i, cp);
      if (len == 0) syntax_error("invalid character (bad UTF-8)");
      syntax_error("invalid character '" + std::string(s.substr(i, len)) + "' (" + hex_code(cp) + ")");
    } else if (c < 0x20 || c == 0x7f) {
      syntax_error("invalid non-printable character " + hex_code(c));
    } else {
      // Python tokens outside this grammar (comparisons, brackets, ...).
      tok.t = T::Other;
    }
    i += tok.length;
    out.push_back(tok);
  }
  if (level > 0) syntax_error("'(' was never closed");
  Token end;
  end.begin = static_cast<std::uint32_t>(s.size());
  out.push_back(end);
}

}  // namespace trelvo::expr
