#include "fitcore/fitstart.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

#include "fitcore/vecmath.h"

namespace trelvo::fitstart {
namespace {

bool allFinite(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double d) { return std::isfinite(d); });
}

bool allPositive(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double d) { return d > 0.0; });
}

struct Line {
  double intercept, slope;
};

// Least-squares line of v on u; nullopt when u has no spread.
std::optional<Line> lineFit(const std::vector<double>& u, const std::vector<double>& v) {
  const std::size_t n = u.size();
  if (n < 2 || v.size() != n) return std::nullopt;
  double mu = 0.0, mv = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    mu += u[i];
    mv += v[i];
  }
  mu /= static_cast<double>(n);
  mv /= static_cast<double>(n);
  double suu = 0.0, suv = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    suu += (u[i] - mu) * (u[i] - mu);
    suv += (u[i] - mu) * (v[i] - mv);
  }
  if (!(suu > 0.0) || !std::isfinite(suu)) return std::nullopt;
  const double slope = suv / suu;
  const Line l{mv - slope * mu, slope};
  if (!std::isfinite(l.intercept) || !std::isfinite(l.slope)) return std::nullopt;
  return l;
}

std::vector<double> logOf(const std::vector<double>& v) {
  std::vector<double> out(v.size());
  vecmath::map(vecmath::Func::Log, v.data(), out.data(), v.size());
  return out;
}

// Sum of squared residuals of the fitted model; +inf when it cannot be had.
double residualSquares(const NonLinearFit& fit) {
  try {
    const std::vector<double> pred = fit.ylist();
    if (pred.size() != fit.y_data.size()) return std::numeric_limits<double>::infinity();
    double s = 0.0;
    for (std::size_t i = 0; i < pred.size(); ++i) s += (fit.y_data[i] - pred[i]) * (fit.y_data[i] - pred[i]);
    return std::isnan(s) ? std::numeric_limits<double>::infinity() : s;
  } catch (const std::exception&) {
    return std::numeric_limits<double>::infinity();
  }
}

}  // namespace

// Each start runs its loops as the fits do: on the vector exp and log, after
// clearing the vector registers' upper halves that code run before (the
// window's, in the same pass of its event loop) may have left dirty.

std::optional<std::vector<double>> exponentialStart(const std::vector<double>& xAll, const std::vector<double>& yAll) {
  vecmath::clear_upper_state();
  if (xAll.size() < 3 || yAll.size() != xAll.size() || !allFinite(xAll) || !allFinite(yAll)) return std::nullopt;
  // A start needs no more than a few thousand evenly strided points.
  constexpr std::size_t kMaxPoints = 2000;
  const std::size_t stride = (xAll.size() + kMaxPoints - 1) / kMaxPoints;
  std::vector<double> x, y;
  for (std::size_t i = 0; i < xAll.size(); i += stride) {
    x.push_back(xAll[i]);
    y.push_back(yAll[i]);
  }
  const std::size_t n = x.size();
  const auto [lo, hi] = std::minmax_element(xAll.begin(), xAll.end());
  const double xmin = *lo, xmax = *hi, span = xmax - xmin;
  if (!(span > 0.0) || !std::isfinite(span)) return std::nullopt;

  // Rates from 1/100 to 100 e-folds over the x span, each sign. The basis
  // e^(c·(x - ref)) with ref at the end where it is largest stays in (0, 1].
  constexpr int kRates = 61;
  std::vector<double> u(n);
  double bestSsr = std::numeric_limits<double>::infinity();
  std::optional<std::vector<double>> best;
  for (const double sign : {-1.0, 1.0}) {
    const double ref = sign > 0 ? xmax : xmin;
    for (int k = 0; k < kRates; ++k) {
      const double c = sign * std::pow(10.0, -2.0 + 4.0 * k / (kRates - 1)) / span;
      for (std::size_t i = 0; i < n; ++i) u[i] = c * (x[i] - ref);
      vecmath::map(vecmath::Func::Exp, u.data(), u.data(), n);
      const auto l = lineFit(u, y);
      if (!l) continue;
      double ssr = 0.0;
      for (std::size_t i = 0; i < n; ++i) {
        const double r = y[i] - l->intercept - l->slope * u[i];
        ssr += r * r;
      }
      if (!(ssr < bestSsr)) continue;
      const double b = l->slope * std::exp(-c * ref);
      if (!std::isfinite(b)) continue;
      bestSsr = ssr;
      best = std::vector<double>{l->intercept, b, c};
    }
  }
  return best;
}

std::optional<std::vector<double>> exponential2Start(const std::vector<double>& x, const std::vector<double>& y) {
  vecmath::clear_upper_state();
  if (!allFinite(x) || !allFinite(y) || !allPositive(y)) return std::nullopt;
  const auto l = lineFit(x, logOf(y));
  if (!l) return std::nullopt;
  const double a = std::exp(l->intercept);
  if (!std::isfinite(a)) return std::nullopt;
  return std::vector<double>{a, l->slope};
}

std::optional<std::vector<double>> exponential2FixedStart(const std::vector<double>& x, const std::vector<double>& y,
                                                          double a) {
  vecmath::clear_upper_state();
  if (x.size() != y.size() || !allFinite(x) || !allFinite(y) || !allPositive(y) || !(a > 0.0) ||
      !std::isfinite(a))
    return std::nullopt;
  std::vector<double> l(y.size());
  for (std::size_t i = 0; i < y.size(); ++i) l[i] = y[i] / a;
  vecmath::map(vecmath::Func::Log, l.data(), l.data(), l.size());
  double sxx = 0.0, sxl = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sxx += x[i] * x[i];
    sxl += x[i] * l[i];
  }
  const double b = sxl / sxx;
  if (!(sxx > 0.0) || !std::isfinite(b)) return std::nullopt;
  return std::vector<double>{b};
}

std::optional<std::vector<double>> powerStart(const std::vector<double>& x, const std::vector<double>& y) {
  vecmath::clear_upper_state();
  if (!allFinite(x) || !allFinite(y) || !allPositive(x) || !allPositive(y)) return std::nullopt;
  const auto l = lineFit(logOf(x), logOf(y));
  if (!l) return std::nullopt;
  const double a = std::exp(l->intercept);
  if (!std::isfinite(a)) return std::nullopt;
  return std::vector<double>{a, l->slope};
}

std::vector<double> fitFromBetterStart(NonLinearFit& fit, const std::optional<std::vector<double>>& dataStart) {
  if (!dataStart) return fit.fit();
  NonLinearFit other = fit;
  std::exception_ptr onesError;
  try {
    fit.fit();
  } catch (...) {
    onesError = std::current_exception();
  }
  try {
    other.fit(*dataStart);
  } catch (...) {
    if (onesError) std::rethrow_exception(onesError);
    return *fit.params;
  }
  if (onesError) {
    fit = std::move(other);
    return *fit.params;
  }
  const double ones = residualSquares(fit);
  const double data = residualSquares(other);
  const bool dataBetter = std::isfinite(data) && (!std::isfinite(ones) || data < ones - 1e-9 * ones);
  if (dataBetter) fit = std::move(other);
  return *fit.params;
}

}  // namespace trelvo::fitstart
