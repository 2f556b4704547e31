#include "fitcore/ufunc.h"

#include "fitcore/vecmath.h"

namespace trelvo::expr {

double apply_unary(Fn fn, double v) {
  switch (fn) {
    case Fn::Exp: return vecmath::apply(vecmath::Func::Exp, v);
    case Fn::Absolute: return std::fabs(v);
    case Fn::Sqrt: return std::sqrt(v);
    case Fn::Cbrt: return std::cbrt(v);
    case Fn::Log: return vecmath::apply(vecmath::Func::Log, v);
    case Fn::Log10: return std::log10(v);
    case Fn::Log2: return std::log2(v);
    case Fn::Sin: return vecmath::apply(vecmath::Func::Sin, v);
    case Fn::Cos: return vecmath::apply(vecmath::Func::Cos, v);
    case Fn::Tan: return std::tan(v);
    case Fn::Asin: return std::asin(v);
    case Fn::Acos: return std::acos(v);
    case Fn::Atan: return std::atan(v);
    case Fn::Sinh: return std::sinh(v);
    case Fn::Cosh: return std::cosh(v);
    case Fn::Tanh: return std::tanh(v);
    case Fn::Asinh: return std::asinh(v);
    case Fn::Acosh: return std::acosh(v);
    case Fn::Atanh: return std::atanh(v);
    default: return v;
  }
}

void map_unary(Fn fn, const double* in, double* out, std::size_t n) {
  switch (fn) {
    case Fn::Exp: vecmath::map(vecmath::Func::Exp, in, out, n); break;
    case Fn::Log: vecmath::map(vecmath::Func::Log, in, out, n); break;
    case Fn::Sin: vecmath::map(vecmath::Func::Sin, in, out, n); break;
    case Fn::Cos: vecmath::map(vecmath::Func::Cos, in, out, n); break;
#define TRELVO_MAP(FN, EXPR)                                    \
  case Fn::FN:                                                  \
    for (std::size_t i = 0; i < n; ++i) {                       \
      const double v = in[i];                                   \
      out[i] = EXPR;                                            \
    }                                                           \
    break;
    TRELVO_MAP(Absolute, std::fabs(v))
    TRELVO_MAP(Sqrt, std::sqrt(v))
    TRELVO_MAP(Cbrt, std::cbrt(v))
    TRELVO_MAP(Log10, std::log10(v))
    TRELVO_MAP(Log2, std::log2(v))
    TRELVO_MAP(Tan, std::tan(v))
    TRELVO_MAP(Asin, std::asin(v))
    TRELVO_MAP(Acos, std::acos(v))
    TRELVO_MAP(Atan, std::atan(v))
    TRELVO_MAP(Sinh, std::sinh(v))
    TRELVO_MAP(Cosh, std::cosh(v))
    TRELVO_MAP(Tanh, std::tanh(v))
    TRELVO_MAP(Asinh, std::asinh(v))
    TRELVO_MAP(Acosh, std::acosh(v))
    TRELVO_MAP(Atanh, std::atanh(v))
#undef TRELVO_MAP
    default:
      for (std::size_t i = 0; i < n; ++i) out[i] = in[i];
  }
}

}  // namespace trelvo::expr
