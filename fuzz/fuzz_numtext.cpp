// links: fitcore
// Number reading on arbitrary bytes: never crashes, and every number it reads
// comes back unchanged through its repr text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fitcore/numpyprint.h"
#include "fitcore/numtext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto v = trelvo::parse_python_float(text);
  if (!v || std::isnan(*v)) return 0;
  auto back = trelvo::parse_python_float(trelvo::repr_double(*v));
  if (!back || *back != *v || std::signbit(*back) != std::signbit(*v)) std::abort();
  trelvo::numpy_array_str({*v, 1.0});
  return 0;
}
