#pragma once
// The checks of the x/y data that LinearFit and NonLinearFit share.
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

// True when each value is >= the one before it (ties allowed; a NaN breaks
// the order).
TRELVO_EXPORT bool non_decreasing(const std::vector<double>& v);
// True when each value is <= the one before it (ties allowed; a NaN breaks
// the order).
TRELVO_EXPORT bool non_increasing(const std::vector<double>& v);

// Throws trelvo::Error(ValueError) "x_data and y_data must have the same
// length." when the sizes differ.
TRELVO_EXPORT void require_same_length(const std::vector<double>& x, const std::vector<double>& y);
// Throws trelvo::Error(ValueError) "x_data must be sorted in ascending or
// descending order." unless x is non-decreasing or non-increasing.
TRELVO_EXPORT void require_sorted(const std::vector<double>& x);

}  // namespace trelvo
