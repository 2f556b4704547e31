#pragma once
// UTF-8 code points one at a time, for the number and str texts. Internal to
// fitcore.
#include <cstddef>
#include <string>
#include <string_view>

namespace trelvo {

// Decodes one UTF-8 sequence at `i` and moves `i` past it; invalid bytes give
// U+FFFD (never a digit or a space, so the text is then no number).
char32_t next_code_point(std::string_view s, std::size_t& i);

// Appends the UTF-8 form of `c`.
void append_utf8(std::string& out, char32_t c);

}  // namespace trelvo
