#pragma once
// A value of the expression evaluator: a Python int (exact within 64 bits),
// a Python float, a NumPy scalar (numpy.int64 or numpy.float64, what NumPy's
// functions give on scalars), or a one-dimensional array of doubles
// (numpy.ndarray of float64).
#include <cstdint>
#include <string>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

struct TRELVO_EXPORT Value {
  enum class Kind { Int, Float, Array, NpInt, NpFloat };
  Kind kind = Kind::Float;
  std::int64_t i = 0;  // Int, NpInt
  double f = 0.0;      // Float, NpFloat
  std::vector<double> a;

  static Value integer(std::int64_t v) { Value r; r.kind = Kind::Int; r.i = v; return r; }
  static Value real(double v) { Value r; r.kind = Kind::Float; r.f = v; return r; }
  static Value np_integer(std::int64_t v) { Value r; r.kind = Kind::NpInt; r.i = v; return r; }
  static Value np_real(double v) { Value r; r.kind = Kind::NpFloat; r.f = v; return r; }
  static Value array(std::vector<double> v) { Value r; r.kind = Kind::Array; r.a = std::move(v); return r; }

  // Integer kinds (Int, NpInt) keep their value in `i`, floating kinds
  // (Float, NpFloat) in `f`; both print as Python prints them (str()).
  bool is_int() const { return kind == Kind::Int || kind == Kind::NpInt; }
  bool is_float() const { return kind == Kind::Float || kind == Kind::NpFloat; }
  bool is_numpy_scalar() const { return kind == Kind::NpInt || kind == Kind::NpFloat; }
  bool is_array() const { return kind == Kind::Array; }
  bool is_scalar() const { return kind != Kind::Array; }
  // The scalar as a double; an Array has none (throws TypeError).
  double as_double() const;
  // Python's type name: "int", "float", "numpy.int64", "numpy.float64", "numpy.ndarray".
  const char* type_name() const;
};

}  // namespace trelvo
