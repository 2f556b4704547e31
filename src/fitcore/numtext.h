#pragma once
// Number reading and number texts as the Python host writes them. Independent
// of the C library's locale.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

// Python float(text): surrounding whitespace (Unicode), optional sign, decimal
// digits (any Unicode decimal digit; single underscores between digits), an
// optional point and exponent, or inf/infinity/nan in any case. Overflow gives
// +-inf. Returns nullopt when float() would raise ValueError. `text` is UTF-8.
TRELVO_EXPORT std::optional<double> parse_python_float(std::string_view text);

// Python repr(float): shortest round-trip text, "2.0", "1e-05", "1e+16",
// "-0.0", "inf", "-inf", "nan".
TRELVO_EXPORT std::string repr_double(double v);

// Python repr(int).
TRELVO_EXPORT std::string repr_int(long long v);

// printf-style "%.*e" and "%.*f" in the C locale; NaN is "nan" (never "-nan"),
// infinities "inf" / "-inf". A negative precision throws ValueError
// ("Format specifier missing precision").
TRELVO_EXPORT std::string format_e(double v, int decimals);
TRELVO_EXPORT std::string format_f(double v, int decimals);

// Python repr of a list of strings: ['x', 'a'] (quotes chosen as Python does).
// Non-ASCII characters are kept except separators, format and control
// characters, which are escaped; unassigned code points count as printable.
TRELVO_EXPORT std::string repr_str_list(const std::vector<std::string>& items);

// Python repr of a list of floats: [1.0, 2.5, nan].
TRELVO_EXPORT std::string repr_double_list(const std::vector<double>& items);

// NumPy's printed form of a 1-D float array, as str(np.array(values)) gives
// it with the default print options (precision 8, maxprec, line width 75,
// summary "..." beyond 1000 values): "[0.  1.5 3. ]", "[1.e-05 1.e+00]".
// Print options changed in the host (np.set_printoptions) are not followed.
TRELVO_EXPORT std::string numpy_array_str(const std::vector<double>& values);

// NumPy's printed form of a 1-D integer array: "[0 1 2]", "[-1 10]".
TRELVO_EXPORT std::string numpy_int_array_str(const std::vector<long long>& values);

}  // namespace trelvo
