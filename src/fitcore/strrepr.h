#pragma once
// Python's repr of str values.
#include <string>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

// Python repr of a list of strings: ['x', 'a'] (quotes chosen as Python does).
// Non-ASCII characters are kept except separators, format and control
// characters, which are escaped; unassigned code points count as printable.
TRELVO_EXPORT std::string repr_str_list(const std::vector<std::string>& items);

}  // namespace trelvo
