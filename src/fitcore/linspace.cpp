#include "fitcore/linspace.h"

namespace trelvo {

std::vector<double> linspace(double start, double stop, std::int64_t num) {
  std::vector<double> out(static_cast<std::size_t>(num));
  const double step = (stop - start) / static_cast<double>(num - 1);
  for (std::int64_t i = 0; i < num; ++i) out[static_cast<std::size_t>(i)] = static_cast<double>(i) * step + start;
  out.back() = stop;
  return out;
}

}  // namespace trelvo
