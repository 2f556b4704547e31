#pragma once
// The one UTF-8 decoder: strict, as Python's codec decides what is valid;
// and the small helpers built on it for the number and str texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trelvo::utf8 {

enum class Fault : std::uint8_t { None, InvalidStart, UnexpectedEnd, InvalidContinuation };

struct Decoded {
  char32_t code_point = 0;  // U+FFFD on a fault
  std::size_t length = 0;   // bytes read, at least 1
  Fault fault = Fault::None;
};

// Decodes the sequence at s[i] (i < s.size()). Overlong forms, surrogates and
// code points above U+10FFFF are faults. On a fault, length counts the bytes
// of the refused sequence: the byte that cannot start one, or the bytes before
// the one that cannot continue it (or before the end of `s`).
inline Decoded decode(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return {c, 1, Fault::None};
  int need = 0;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    need = 1;
  } else if (c >= 0xE0 && c <= 0xEF) {
    need = 2;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    need = 3;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return {0xFFFD, 1, Fault::InvalidStart};
  }
  char32_t cp = c & (0x3F >> need);
  std::size_t j = i + 1;
  for (int k = 0; k < need; ++k, ++j) {
    if (j >= s.size()) return {0xFFFD, j - i, Fault::UnexpectedEnd};
    const auto d = static_cast<unsigned char>(s[j]);
    if (d < (k == 0 ? lo : 0x80) || d > (k == 0 ? hi : 0xBF)) return {0xFFFD, j - i, Fault::InvalidContinuation};
    cp = (cp << 6) | (d & 0x3F);
  }
  return {cp, j - i, Fault::None};
}

}  // namespace trelvo::utf8

namespace trelvo {

// Decodes one UTF-8 sequence at `i` and moves `i` past it; invalid bytes give
// U+FFFD (never a digit or a space, so the text is then no number).
char32_t next_code_point(std::string_view s, std::size_t& i);

// Appends the UTF-8 form of `c`.
void append_utf8(std::string& out, char32_t c);

}  // namespace trelvo
