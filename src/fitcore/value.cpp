#include "fitcore/value.h"

#include "fitcore/errors.h"

namespace trelvo {

double Value::as_double() const {
  switch (kind) {
    case Kind::Int:
    case Kind::NpInt: return static_cast<double>(i);
    case Kind::Float:
    case Kind::NpFloat: return f;
    case Kind::Array: break;
  }
  raise(ErrorKind::TypeError, "only length-1 arrays can be converted to Python scalars");
}

const char* Value::type_name() const {
  switch (kind) {
    case Kind::Int: return "int";
    case Kind::Float: return "float";
    case Kind::NpInt: return "numpy.int64";
    case Kind::NpFloat: return "numpy.float64";
    case Kind::Array: break;
  }
  return "numpy.ndarray";
}

}  // namespace trelvo
