#pragma once
// NumPy's one-argument functions (np.exp, np.sqrt, ...) on a scalar and
// element-wise on an array, and its minimum/maximum. Internal to fitcore.
#include <cmath>
#include <cstddef>

#include "fitcore/functiontable.h"

namespace trelvo::expr {

// fn of v; the value itself for the functions that are not one-argument
// (pow, min, max).
double apply_unary(Fn fn, double v);

// out[i] = apply_unary(fn, in[i]) for i < n; `out` may be `in`.
void map_unary(Fn fn, const double* in, double* out, std::size_t n);

// np.minimum and np.maximum of two values: a NaN wins.
inline double np_minimum(double a, double b) { return (a <= b || std::isnan(a)) ? a : b; }
inline double np_maximum(double a, double b) { return (a >= b || std::isnan(a)) ? a : b; }

}  // namespace trelvo::expr
