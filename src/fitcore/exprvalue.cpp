#include "fitcore/exprvalue.h"

namespace trelvo::expr {

std::string type_name(const Slot& s) {
  switch (s.k) {
    case SK::Int: return "int";
    case SK::Float: return "float";
    case SK::NpInt: return "numpy.int64";
    case SK::NpFloat: return "numpy.float64";
    case SK::Array: return "numpy.ndarray";
    case SK::Object: break;
  }
  switch (s.obj) {
    case Obj::Numpy: return "module";
    case Obj::Pi:
    case Obj::E: return "builtin_function_or_method";
    case Obj::Fn: return (s.fn == Fn::Min || s.fn == Fn::Max) ? "function" : "numpy.ufunc";
    case Obj::None: break;
  }
  return "object";
}

}  // namespace trelvo::expr
