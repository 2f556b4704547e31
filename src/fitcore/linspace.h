#pragma once
// Evenly spaced values, as NumPy's linspace.
#include <cstdint>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

// NumPy's linspace(start, stop, num) for num >= 2: start + i * step, the last
// value exactly stop.
TRELVO_EXPORT std::vector<double> linspace(double start, double stop, std::int64_t num);

}  // namespace trelvo
