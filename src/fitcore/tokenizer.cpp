#include "fitcore/tokenizer.h"

#include <locale.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

bool ascii_name_start(unsigned char c) { return std::isalpha(c) || c == '_'; }
bool ascii_name_char(unsigned char c) { return std::isalnum(c) || c == '_'; }

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

Token number_token(std::string_view s, std::size_t& i) {
  const std::size_t begin = i;
  std::string digits;
  bool is_float = false;
  auto digit_run = [&](bool required) {
    bool any = false;
    while (i < s.size()) {
      if (std::isdigit(static_cast<unsigned char>(s[i]))) {
        digits += s[i++];
        any = true;
      } else if (s[i] == '_' && any && i + 1 < s.size() &&
                 std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
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
    digits += s[i++];
    if (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) digit_run(true);
    else if (!int_part) syntax_error("invalid syntax");
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t save = i;
    std::string save_digits = digits;
    digits += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) digits += s[i++];
    if (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      digit_run(true);
      is_float = true;
    } else {
      i = save;
      digits = save_digits;
      syntax_error("invalid decimal literal");
    }
  }
  if (i < s.size() && (s[i] == 'j' || s[i] == 'J')) syntax_error("complex numbers are not supported");
  if (i < s.size() && name_char_at(s, i, false)) syntax_error("invalid decimal literal");
  Token tok;
  tok.t = T::Num;
  tok.text = std::string(s.substr(begin, i - begin));
  if (!is_float) {
    if (digits.size() > 1 && digits[0] == '0' && digits.find_first_not_of('0') != std::string::npos)
      syntax_error(
          "leading zeros in decimal integer literals are not permitted; use an 0o prefix for "
          "octal integers");
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(digits.c_str(), &end, 10);
    if (errno != ERANGE) {
      tok.value = make_int(SK::Int, v);
      return tok;
    }
  }
  tok.value = make_float(SK::Float, strtod_l(digits.c_str(), nullptr, c_locale()));
  return tok;
}

}  // namespace

std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> out;
  int level = 0;
  std::size_t i = 0;
  // Leading blanks and blank lines are ignored, as the host's eval does.
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\f' || s[i] == '\n' || s[i] == '\r')) ++i;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == ' ' || c == '\t' || c == '\f') { ++i; continue; }
    if (c == '\n' || c == '\r') {
      if (level > 0) { ++i; continue; }
      // A line end outside brackets ends the expression; only blank lines may follow.
      std::size_t j = i;
      while (j < s.size() && (s[j] == ' ' || s[j] == '\t' || s[j] == '\f' || s[j] == '\n' || s[j] == '\r'))
        ++j;
      if (j < s.size()) syntax_error("invalid syntax");
      break;
    }
    Token tok;
    if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      out.push_back(number_token(s, i));
      continue;
    }
    if (const std::size_t len = name_char_at(s, i, true)) {
      const std::size_t begin = i;
      i += len;
      while (i < s.size()) {
        const std::size_t more = name_char_at(s, i, false);
        if (!more) break;
        i += more;
      }
      tok.t = T::Name;
      tok.text = std::string(s.substr(begin, i - begin));
      out.push_back(std::move(tok));
      continue;
    }
    auto two = [&](char a, char b) { return s[i] == a && i + 1 < s.size() && s[i + 1] == b; };
    tok.t = T::Op;
    if (two('*', '*')) { tok.op = BinOp::Pow; tok.text = "**"; i += 2; }
    else if (two('/', '/')) { tok.op = BinOp::FloorDiv; tok.text = "//"; i += 2; }
    else if (c == '+') { tok.op = BinOp::Add; tok.unary_capable = true; tok.text = "+"; ++i; }
    else if (c == '-') { tok.op = BinOp::Sub; tok.unary_capable = true; tok.text = "-"; ++i; }
    else if (c == '*') { tok.op = BinOp::Mul; tok.text = "*"; ++i; }
    else if (c == '/') { tok.op = BinOp::Div; tok.text = "/"; ++i; }
    else if (c == '%') { tok.op = BinOp::Mod; tok.text = "%"; ++i; }
    else if (c == '(') {
      if (++level >= limits::kMaxExpressionDepth) syntax_error("too many nested parentheses");
      tok.t = T::LPar; tok.text = "("; ++i;
    } else if (c == ')') {
      if (level == 0) syntax_error("unmatched ')'");
      --level;
      tok.t = T::RPar; tok.text = ")"; ++i;
    } else if (c == ',') { tok.t = T::Comma; tok.text = ","; ++i; }
    else if (c == '.') { tok.t = T::Dot; tok.text = "."; ++i; }
    else if (c >= 0x80) {
      std::uint32_t cp = 0;
      const std::size_t len = decode_utf8(s, i, cp);
      if (len == 0) syntax_error("invalid character (bad UTF-8)");
      syntax_error("invalid character '" + std::string(s.substr(i, len)) + "' (" + hex_code(cp) + ")");
    } else if (c < 0x20 || c == 0x7f) {
      syntax_error("invalid non-printable character " + hex_code(c));
    } else {
      // Python tokens outside this grammar (comparisons, brackets, ...).
      tok.t = T::Other; tok.text = std::string(1, static_cast<char>(c)); ++i;
    }
    out.push_back(std::move(tok));
  }
  if (level > 0) syntax_error("'(' was never closed");
  out.push_back(Token{});
  return out;
}

}  // namespace trelvo::expr
