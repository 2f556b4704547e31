#include "fitcore/polynomial.h"

#include <lapacke.h>

#include <cmath>
#include <limits>

#include "fitcore/errors.h"
#include "fitcore/limits.h"
#include "fitcore/vecmath.h"
#include "fitcore/warnings.h"

namespace trelvo {

namespace {

// Solves min |A c - b| for the column-major m x n matrix `a` (overwritten)
// after scaling its columns to unit norm, as numpy.polyfit does. Returns the
// unscaled coefficients; `rank` receives dgelsd's effective rank.
std::vector<double> scaled_lstsq(std::vector<double>& a, std::size_t m, std::size_t n,
                                 const std::vector<double>& b_in, int& rank) {
  std::vector<double> scale(n);
  for (std::size_t j = 0; j < n; ++j) {
    const double* col = a.data() + j * m;
    double s = 0.0;
    for (std::size_t i = 0; i < m; ++i) s += col[i] * col[i];
    s = std::sqrt(s);
    if (s == 0.0) s = 1.0;
    scale[j] = s;
    double* w = a.data() + j * m;
    for (std::size_t i = 0; i < m; ++i) w[i] /= s;
  }
  std::vector<double> b(std::max(m, n), 0.0);
  std::copy(b_in.begin(), b_in.end(), b.begin());
  std::vector<double> sv(std::min(m, n));
  const double rcond = static_cast<double>(m) * std::numeric_limits<double>::epsilon();
  lapack_int r = 0;
  lapack_int info = LAPACKE_dgelsd(LAPACK_COL_MAJOR, static_cast<lapack_int>(m), static_cast<lapack_int>(n), 1,
                                   a.data(), static_cast<lapack_int>(m), b.data(),
                                   static_cast<lapack_int>(std::max(m, n)), sv.data(), rcond, &r);
  if (info > 0) raise(ErrorKind::ValueError, "SVD did not converge in Linear Least Squares");
  if (info < 0) raise(ErrorKind::RuntimeError, "dgelsd: invalid argument " + std::to_string(-info));
  rank = static_cast<int>(r);
  std::vector<double> c(n);
  for (std::size_t j = 0; j < n; ++j) c[j] = b[j] / scale[j];
  return c;
}

void check_data(const std::vector<double>& x, const std::vector<double>& y, int degree,
                std::size_t columns) {
  if (degree < 0) raise(ErrorKind::ValueError, "expected deg >= 0");
  if (x.empty()) raise(ErrorKind::TypeError, "expected non-empty vector for x");
  if (x.size() != y.size()) raise(ErrorKind::TypeError, "expected x and y to have same length");
  if (columns > limits::kMaxArrayLength / x.size())
    raise(ErrorKind::MemoryError, "polynomial fit matrix too large");
}

// Column-major Vandermonde columns x^(top) ... x^(bottom) for bottom >= 0,
// powers built by repeated multiplication as numpy.vander does.
std::vector<double> vandermonde(const std::vector<double>& x, int top, int bottom) {
  const std::size_t m = x.size();
  const std::size_t n = static_cast<std::size_t>(top - bottom + 1);
  std::vector<double> a(m * n);
  // Power p sits in column top - p.
  std::vector<double> pw(m, 1.0);
  for (int p = 0; p <= top; ++p) {
    if (p > 0)
      for (std::size_t i = 0; i < m; ++i) pw[i] *= x[i];
    if (p >= bottom) std::copy(pw.begin(), pw.end(), a.begin() + static_cast<std::ptrdiff_t>((top - p) * m));
  }
  return a;
}

void warn_rank(int rank, std::size_t order) {
  if (static_cast<std::size_t>(rank) != order)
    warn(WarningKind::RankWarning, "Polyfit may be poorly conditioned");
}

}  // namespace

std::vector<double> polyfit(const std::vector<double>& x, const std::vector<double>& y, int degree) {
  vecmath::clear_upper_state();
  check_data(x, y, degree, static_cast<std::size_t>(degree) + 1);
  const std::size_t order = static_cast<std::size_t>(degree) + 1;
  std::vector<double> a = vandermonde(x, degree, 0);
  int rank = 0;
  std::vector<double> c = scaled_lstsq(a, x.size(), order, y, rank);
  warn_rank(rank, order);
  return c;
}

std::vector<double> polyfit_fixed_constant(const std::vector<double>& x, const std::vector<double>& y,
                                           int degree, double y0) {
  vecmath::clear_upper_state();
  check_data(x, y, degree, static_cast<std::size_t>(degree));
  if (degree == 0) return {y0};
  std::vector<double> a = vandermonde(x, degree, 1);
  std::vector<double> rhs(y.size());
  for (std::size_t i = 0; i < y.size(); ++i) rhs[i] = y[i] - y0;
  int rank = 0;
  std::vector<double> c = scaled_lstsq(a, x.size(), static_cast<std::size_t>(degree), rhs, rank);
  warn_rank(rank, static_cast<std::size_t>(degree));
  c.push_back(y0);
  return c;
}

double polyval(const std::vector<double>& coef, double x) {
  double y = 0.0;
  for (double c : coef) y = y * x + c;
  return y;
}

std::vector<double> poly1d_coeffs(const std::vector<double>& coef) {
  std::size_t first = 0;
  while (first < coef.size() && coef[first] == 0.0) ++first;
  if (first == coef.size()) return {0.0};
  return {coef.begin() + static_cast<std::ptrdiff_t>(first), coef.end()};
}

std::vector<double> polyder(const std::vector<double>& coef) {
  std::vector<double> d;
  const std::size_t n = coef.size() ? coef.size() - 1 : 0;
  for (std::size_t i = 0; i < n; ++i) d.push_back(coef[i] * static_cast<double>(n - i));
  return poly1d_coeffs(d);
}

std::vector<std::complex<double>> roots(const std::vector<double>& coef) {
  std::size_t first = coef.size(), last = 0;
  for (std::size_t i = 0; i < coef.size(); ++i) {
    if (coef[i] != 0.0 || std::isnan(coef[i])) {
      if (first == coef.size()) first = i;
      last = i;
    }
  }
  if (first == coef.size()) return {};
  const std::size_t trailing_zeros = coef.size() - last - 1;
  std::vector<double> p(coef.begin() + static_cast<std::ptrdiff_t>(first),
                        coef.begin() + static_cast<std::ptrdiff_t>(last) + 1);
  std::vector<std::complex<double>> out;
  const std::size_t n = p.size();
  if (n > 1) {
    const std::size_t k = n - 1;
    std::vector<double> a(k * k, 0.0);  // column-major companion matrix
    for (std::size_t i = 1; i < k; ++i) a[(i - 1) * k + i] = 1.0;
    for (std::size_t j = 0; j < k; ++j) a[j * k] = -p[j + 1] / p[0];
    for (double v : a)
      if (!std::isfinite(v)) raise(ErrorKind::ValueError, "Array must not contain infs or NaNs");
    std::vector<double> wr(k), wi(k);
    lapack_int info = LAPACKE_dgeev(LAPACK_COL_MAJOR, 'N', 'N', static_cast<lapack_int>(k), a.data(),
                                    static_cast<lapack_int>(k), wr.data(), wi.data(), nullptr, 1, nullptr, 1);
    if (info > 0) raise(ErrorKind::ValueError, "Eigenvalues did not converge");
    if (info < 0) raise(ErrorKind::RuntimeError, "dgeev: invalid argument " + std::to_string(-info));
    for (std::size_t i = 0; i < k; ++i) out.emplace_back(wr[i], wi[i]);
  }
  out.insert(out.end(), trailing_zeros, std::complex<double>(0.0, 0.0));
  return out;
}

}  // namespace trelvo
