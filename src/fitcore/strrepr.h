#pragma once
// Python's repr of str values.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

// What a str made from UTF-8 bytes holds where they are not valid UTF-8.
enum class Undecodable : std::uint8_t {
  Replace,  // U+FFFD for each refused sequence (the engine's own texts)
  Escape,   // U+DC80..U+DCFF for each refused byte, as Python decodes its
            // command line (surrogateescape); the repr shows them as \udcXX
};

// Python repr of one string: 'x', "it's", 'a\nb' (quotes chosen as Python
// does). Non-ASCII characters are kept except separators, format and control
// characters, which are escaped; unassigned code points count as printable.
TRELVO_EXPORT std::string repr_str(std::string_view s, Undecodable undecodable = Undecodable::Replace);

// Python repr of a list of strings: ['x', 'a'], each as repr_str gives it.
TRELVO_EXPORT std::string repr_str_list(const std::vector<std::string>& items);

}  // namespace trelvo
