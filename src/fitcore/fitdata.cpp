#include "fitcore/fitdata.h"

#include "fitcore/errors.h"

namespace trelvo {

bool non_decreasing(const std::vector<double>& v) {
  for (std::size_t i = 1; i < v.size(); ++i)
    if (v[i] < v[i - 1]) return false;
  return true;
}

bool non_increasing(const std::vector<double>& v) {
  for (std::size_t i = 1; i < v.size(); ++i)
    if (v[i] > v[i - 1]) return false;
  return true;
}

void require_same_length(const std::vector<double>& x, const std::vector<double>& y) {
  if (x.size() != y.size()) raise(ErrorKind::ValueError, "x_data and y_data must have the same length.");
}

void require_sorted(const std::vector<double>& x) {
  if (!non_decreasing(x) && !non_increasing(x))
    raise(ErrorKind::ValueError, "x_data must be sorted in ascending or descending order.");
}

}  // namespace trelvo
