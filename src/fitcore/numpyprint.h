#pragma once
// NumPy's printed form of 1-D arrays (str(np.array(values))).
#include <string>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

// NumPy's printed form of a 1-D float array, as str(np.array(values)) gives
// it with the default print options (precision 8, maxprec, line width 75,
// summary "..." beyond 1000 values): "[0.  1.5 3. ]", "[1.e-05 1.e+00]".
// Print options changed in the host (np.set_printoptions) are not followed.
TRELVO_EXPORT std::string numpy_array_str(const std::vector<double>& values);

// NumPy's printed form of a 1-D integer array: "[0 1 2]", "[-1 10]".
TRELVO_EXPORT std::string numpy_int_array_str(const std::vector<long long>& values);

}  // namespace trelvo
