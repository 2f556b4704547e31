#include "fitcore/value.h"

#include "fitcore/errors.h"

namespace trelvo {

double Value::as_double() const {
  switch (kind) {
    case Kind::Int: return static_cast<double>(i);
    case Kind::Float: return f;
    case Kind::Array: break;
  }
  raise(ErrorKind::TypeError, "only length-1 arrays can be converted to Python scalars");
}

}  // namespace trelvo
