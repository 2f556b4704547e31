#include "fitcore/statistics.h"

#include <algorithm>
#include <string>

#include "fitcore/errors.h"
#include "fitcore/vecmath.h"

namespace trelvo {

namespace {

double pairwise_sum(const double* a, std::size_t n) {
  if (n < 8) {
    double res = 0.0;
    for (std::size_t i = 0; i < n; ++i) res += a[i];
    return res;
  }
  if (n <= 128) {
    double r[8];
    for (int j = 0; j < 8; ++j) r[j] = a[j];
    std::size_t i = 8;
    for (; i < n - (n % 8); i += 8)
      for (int j = 0; j < 8; ++j) r[j] += a[i + static_cast<std::size_t>(j)];
    double res = ((r[0] + r[1]) + (r[2] + r[3])) + ((r[4] + r[5]) + (r[6] + r[7]));
    for (; i < n; ++i) res += a[i];
    return res;
  }
  std::size_t n2 = n / 2;
  n2 -= n2 % 8;
  return pairwise_sum(a, n2) + pairwise_sum(a + n2, n - n2);
}

}  // namespace

double numpy_sum(const double* a, std::size_t n) {
  constexpr std::size_t kBuffer = 8192;
  double total = 0.0;
  for (std::size_t k = 0; k < n; k += kBuffer) total += pairwise_sum(a + k, std::min(kBuffer, n - k));
  return total;
}

double r_squared(const std::vector<double>& y_true, const std::vector<double>& y_pred) {
  vecmath::clear_upper_state();
  if (y_pred.size() != y_true.size())
    raise(ErrorKind::ValueError, "predicted values length [" + std::to_string(y_pred.size()) +
                                     "] must match actual values length [" + std::to_string(y_true.size()) +
                                     "].");
  const std::size_t n = y_true.size();
  if (std::all_of(y_true.begin(), y_true.end(), [&](double v) { return v == y_true.front(); })) return 1.0;
  const double mean = numpy_sum(y_true.data(), n) / static_cast<double>(n);
  std::vector<double> tot(n), res(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double a = y_true[i] - mean, b = y_true[i] - y_pred[i];
    tot[i] = a * a;
    res[i] = b * b;
  }
  const double ss_tot = numpy_sum(tot.data(), n);
  const double ss_res = numpy_sum(res.data(), n);
  if (ss_tot == 0.0) return 1.0;
  return 1.0 - ss_res / ss_tot;
}

}  // namespace trelvo
