#pragma once
// Python and NumPy arithmetic on scalars: Python int (exact within 64 bits,
// a float beyond) and float with their ZeroDivisionError and OverflowError;
// NumPy int64 and float64 with IEEE results and no exception (but for an
// integer to a negative integer power). Internal to fitcore.
#include <cmath>
#include <cstdint>

#include "fitcore/exprvalue.h"

namespace trelvo::expr {

enum class BinOp : std::uint8_t { Add, Sub, Mul, Div, FloorDiv, Mod, Pow };

// The operator as the host's TypeError texts write it ("+", "** or pow()").
const char* symbol(BinOp op);

// Python's float ** float, without complex results (a negative base to a
// non-integral power gives nan).
double py_float_pow(double iv, double iw);

// Python's float divmod (also NumPy's for a non-zero divisor).
inline double float_floordiv(double a, double b) {
  double mod = std::fmod(a, b);
  double div = (a - mod) / b;
  if (mod != 0.0 || std::isnan(mod)) {
    if ((b < 0) != (mod < 0)) div -= 1.0;
  }
  if (div != 0.0 || std::isnan(div)) {
    double floordiv = std::floor(div);
    if (div - floordiv > 0.5) floordiv += 1.0;
    return floordiv;
  }
  return std::copysign(0.0, a / b);
}

inline double float_mod(double a, double b) {
  double mod = std::fmod(a, b);
  if (mod != 0.0 || std::isnan(mod)) {
    if ((b < 0) != (mod < 0)) mod += b;
  } else {
    mod = std::copysign(0.0, b);
  }
  return mod;
}

inline double np_floordiv(double a, double b) { return b == 0.0 ? a / b : float_floordiv(a, b); }
inline double np_mod(double a, double b) { return b == 0.0 ? std::fmod(a, b) : float_mod(a, b); }

// Python float and int arithmetic (an int result past 64 bits becomes the
// float Python's float arithmetic gives for it).
Slot py_float_op(BinOp op, double a, double b);
Slot py_int_op(BinOp op, std::int64_t a, std::int64_t b);

// NumPy float64 arithmetic.
double np_float(BinOp op, double a, double b);

// NumPy int64 arithmetic, division by zero giving 0; a result past 64 bits
// becomes the float that ** gives for it (NumPy would wrap).
Slot np_int_op(BinOp op, std::int64_t a, std::int64_t b);

}  // namespace trelvo::expr
