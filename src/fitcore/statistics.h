#pragma once
// Sums and the coefficient of determination, computed as NumPy computes them
// (np.sum's pairwise summation), so that R² agrees with the host bit for bit.
#include <cstddef>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

// NumPy's sum of a contiguous float array (pairwise summation, blocks of 8,
// buffers of 8192 elements).
TRELVO_EXPORT double numpy_sum(const double* a, std::size_t n);

// 1 - SS_res / SS_tot of `y_pred` against `y_true`; 1.0 when SS_tot is 0 or
// every y_true is the same value (whatever rounding the mean suffers).
// ValueError "predicted values length [n] must match actual values length
// [m]." when the lengths differ.
TRELVO_EXPORT double r_squared(const std::vector<double>& y_true, const std::vector<double>& y_pred);

}  // namespace trelvo
