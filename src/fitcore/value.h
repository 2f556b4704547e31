#pragma once
// A value of the expression evaluator: a Python int (exact within 64 bits),
// a Python float, or a one-dimensional array of doubles (NumPy float64).
#include <cstdint>
#include <string>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

struct TRELVO_EXPORT Value {
  enum class Kind { Int, Float, Array };
  Kind kind = Kind::Float;
  std::int64_t i = 0;
  double f = 0.0;
  std::vector<double> a;

  static Value integer(std::int64_t v) { Value r; r.kind = Kind::Int; r.i = v; return r; }
  static Value real(double v) { Value r; r.kind = Kind::Float; r.f = v; return r; }
  static Value array(std::vector<double> v) { Value r; r.kind = Kind::Array; r.a = std::move(v); return r; }

  bool is_int() const { return kind == Kind::Int; }
  bool is_float() const { return kind == Kind::Float; }
  bool is_array() const { return kind == Kind::Array; }
  bool is_scalar() const { return kind != Kind::Array; }
  // The scalar as a double (Int or Float); an Array has none (throws TypeError).
  double as_double() const;
};

}  // namespace trelvo
