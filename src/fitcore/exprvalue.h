#pragma once
// The kinds of value the evaluator computes with: Python int and float, NumPy
// int64 and float64 scalars, float arrays, and the objects a name may stand
// for (the module np, its functions, pi and e). Internal to fitcore.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fitcore/functiontable.h"

namespace trelvo::expr {

enum class Obj : std::uint8_t { None, Numpy, Pi, E, Fn };

enum class SK : std::uint8_t { Int, Float, NpInt, NpFloat, Array, Object };

// One node's result during evaluation. Arrays point either at the caller's
// data or at a workspace buffer the slot owns (`buf`).
struct Slot {
  SK k = SK::Float;
  Obj obj = Obj::None;
  Fn fn = Fn::Exp;
  std::int64_t i = 0;
  double f = 0.0;
  const double* p = nullptr;
  std::size_t n = 0;
  int buf = -1;

  bool is_array() const { return k == SK::Array; }
  double scalar() const {
    switch (k) {
      case SK::Int:
      case SK::NpInt: return static_cast<double>(i);
      case SK::Array: return p[0];
      default: return f;
    }
  }
};

inline Slot make_int(SK k, std::int64_t v) { Slot s; s.k = k; s.i = v; return s; }
inline Slot make_float(SK k, double v) { Slot s; s.k = k; s.f = v; return s; }
inline Slot make_object(Obj o, Fn fn = Fn::Exp) { Slot s; s.k = SK::Object; s.obj = o; s.fn = fn; return s; }

// The host's type name of the value ("int", "numpy.float64", "module", ...).
std::string type_name(const Slot& s);

}  // namespace trelvo::expr
