#include "fitcore/strrepr.h"

#include <string_view>

#include "fitcore/utf8.h"

namespace trelvo {
namespace {

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

}  // namespace

std::string repr_str(std::string_view s, Undecodable undecodable) {
  bool has_single = s.find('\'') != std::string_view::npos;
  bool has_double = s.find('"') != std::string_view::npos;
  char quote = has_single && !has_double ? '"' : '\'';
  std::string out(1, quote);
  static const char* hex = "0123456789abcdef";
  std::size_t i = 0;
  while (i < s.size()) {
    const utf8::Decoded d = utf8::decode(s, i);
    if (d.fault != utf8::Fault::None && undecodable == Undecodable::Escape) {
      for (std::size_t k = 0; k < d.length; ++k) {
        const auto byte = static_cast<unsigned char>(s[i + k]);
        out += "\\udc";
        out += hex[byte >> 4];
        out += hex[byte & 0xf];
      }
      i += d.length;
      continue;
    }
    i += d.length;
    const char32_t c = d.code_point;
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

std::string repr_str_list(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += ", ";
    out += repr_str(items[i]);
  }
  return out + "]";
}

}  // namespace trelvo
