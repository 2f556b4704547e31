#include "fitcore/linearfit.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "fitcore/errors.h"
#include "fitcore/fitdata.h"
#include "fitcore/numpyprint.h"
#include "fitcore/numtext.h"
#include "fitcore/output.h"
#include "fitcore/polynomial.h"
#include "fitcore/statistics.h"
#include "fitcore/vecmath.h"
#include "fitcore/warnings.h"

using trelvo::ErrorKind;
using trelvo::raise;

namespace {

constexpr const char* kNotFitted = "Model has not been fitted yet.";
constexpr double kEqualTolerance = 1e-10;
// A root is real when its imaginary part is at most this times max(1, |real|).
constexpr double kRealRootTolerance = 1e-6;

bool flag(const std::vector<bool>& flags, std::size_t i) { return i < flags.size() && flags[i]; }

// The host's text of a number held as an int or a float.
std::string host_number_text(double v, bool is_int) {
  if (is_int && std::isfinite(v)) return trelvo::format_f(v, 0);
  return trelvo::repr_double(v);
}

// NumPy's printed form of the array the host builds from these values: an
// integer array when every value is an int, a float array otherwise.
std::string host_array_text(const std::vector<double>& values, const std::vector<bool>& is_int) {
  bool all_int = !values.empty();
  for (std::size_t i = 0; i < values.size() && all_int; ++i)
    all_int = flag(is_int, i) && std::fabs(values[i]) < 9.2e18;
  if (!all_int) return trelvo::numpy_array_str(values);
  std::vector<long long> ints(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) ints[i] = static_cast<long long>(values[i]);
  return trelvo::numpy_int_array_str(ints);
}

bool all_finite(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double d) { return std::isfinite(d); });
}

// np.min / np.max: NaN when any value is NaN.
std::pair<double, double> min_max(const std::vector<double>& v) {
  double lo = v.empty() ? NAN : v[0], hi = lo;
  for (double d : v) {
    if (std::isnan(d)) return {NAN, NAN};
    lo = std::min(lo, d);
    hi = std::max(hi, d);
  }
  return {lo, hi};
}

}  // namespace

LinearFit::LinearFit() = default;

LinearFit::LinearFit(std::vector<double> x, std::vector<double> y, int degree_, std::optional<double> y0,
                     std::vector<bool> x_int, std::vector<bool> y_int) {
  trelvo::require_same_length(x, y);
  if (degree_ < 1) raise(ErrorKind::ValueError, "Degree must be at least 1.");
  trelvo::require_sorted(x);
  if (y0) {
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (std::fabs(x[i] - *y0) < kEqualTolerance)
        raise(ErrorKind::ValueError, "x_data cannot contain " + host_number_text(x[i], flag(x_int, i)) +
                                         " if " + trelvo::repr_double(*y0) + " is provided.");
    }
  }
  x_data = std::move(x);
  y_data = std::move(y);
  degree = degree_;
  y_intercept = y0;
  x_is_int = std::move(x_int);
  y_is_int = std::move(y_int);
}

bool LinearFit::x_data_order() const { return trelvo::non_decreasing(x_data); }

std::optional<LinearFit::InterceptData> LinearFit::insert_y_intercept(std::optional<double> value) {
  if (value) y_intercept = value;
  if (!y_intercept) return std::nullopt;
  const double y0 = *y_intercept;
  const bool ascending = x_data_order();
  InterceptData d;
  d.x = x_data;
  d.y = y_data;
  d.x_is_int.resize(d.x.size());
  d.y_is_int.resize(d.y.size());
  for (std::size_t i = 0; i < d.x.size(); ++i) d.x_is_int[i] = flag(x_is_int, i);
  for (std::size_t i = 0; i < d.y.size(); ++i) d.y_is_int[i] = flag(y_is_int, i);
  if (d.x.empty()) raise(ErrorKind::IndexError, "list index out of range");

  auto insert_at = [&](std::size_t i) {
    d.x.insert(d.x.begin() + static_cast<std::ptrdiff_t>(i), 0.0);
    d.x_is_int.insert(d.x_is_int.begin() + static_cast<std::ptrdiff_t>(i), true);
    d.y.insert(d.y.begin() + static_cast<std::ptrdiff_t>(std::min(i, d.y.size())), y0);
    d.y_is_int.insert(d.y_is_int.begin() + static_cast<std::ptrdiff_t>(std::min(i, d.y_is_int.size())),
                      false);
  };
  const double first = d.x.front(), last = d.x.back();
  if (first > 0 && last > 0) {
    insert_at(0);
  } else if (first < 0 && last < 0) {
    insert_at(d.x.size());
  } else {
    for (std::size_t i = 0; i < d.x.size(); ++i) {
      if ((ascending && d.x[i] > 0) || (!ascending && d.x[i] < 0)) {
        insert_at(i);
        break;
      }
    }
  }
  return d;
}

const std::vector<double>& LinearFit::fit(std::optional<int> new_degree) {
  if (new_degree) {
    if (*new_degree < 1) raise(ErrorKind::ValueError, "Degree must be at least 1.");
    degree = *new_degree;
  }
  std::vector<double> coef;
  if (y_intercept) {
    auto d = insert_y_intercept();
    trelvo::print_line("Fitting x list: " + host_array_text(d->x, d->x_is_int));
    trelvo::print_line("Fitting y list: " + host_array_text(d->y, d->y_is_int));
    if (!d->x.empty() && d->x.size() == d->y.size() && (!all_finite(d->x) || !all_finite(d->y)))
      raise(ErrorKind::ValueError, "x_data and y_data must not contain NaN or infinite values.");
    if (!std::isfinite(*y_intercept)) raise(ErrorKind::ValueError, "y_intercept must be a finite number.");
    coef = trelvo::polyfit_fixed_constant(d->x, d->y, degree, *y_intercept);
  } else {
    if (!x_data.empty() && x_data.size() == y_data.size() && (!all_finite(x_data) || !all_finite(y_data)))
      raise(ErrorKind::ValueError, "x_data and y_data must not contain NaN or infinite values.");
    coef = trelvo::polyfit(x_data, y_data, degree);
  }
  params = std::move(coef);
  return *params;
}

const std::vector<double>& LinearFit::fitted() const {
  if (!params) raise(ErrorKind::ValueError, kNotFitted);
  return *params;
}

double LinearFit::yval(double x) const { return trelvo::polyval(fitted(), x); }

std::vector<double> LinearFit::ylist(const std::optional<std::vector<double>>& x) const {
  const std::vector<double> coef = trelvo::poly1d_coeffs(fitted());
  const std::vector<double>& xs = x ? *x : x_data;
  std::vector<double> out(xs.size());
  trelvo::vecmath::clear_upper_state();
  for (std::size_t i = 0; i < xs.size(); ++i) out[i] = trelvo::polyval(coef, xs[i]);
  return out;
}

double LinearFit::r_squared(const std::optional<std::vector<double>>& y_pred) const {
  fitted();
  return trelvo::r_squared(y_data, y_pred ? *y_pred : ylist());
}

std::pair<std::vector<double>, std::vector<long long>> LinearFit::predict(const std::vector<double>& y) const {
  trelvo::warn(trelvo::WarningKind::DeprecationWarning,
               "function predict is deprecated, use function solve instead");
  const std::vector<double> p = trelvo::poly1d_coeffs(fitted());
  const std::vector<double> dp = trelvo::polyder(p);
  const double max_iterations = std::pow(10.0, static_cast<double>(params->size() + 2));
  constexpr double tolerance = 1e-12;
  std::pair<std::vector<double>, std::vector<long long>> out;
  const double slope0 = trelvo::polyval(dp, 0.0);
  for (double y_val : y) {
    double x0 = std::fabs(slope0) < tolerance ? 0.0 : y_val / slope0;
    long long n_iter = 0;
    bool converged = false;
    while (static_cast<double>(n_iter) < max_iterations) {
      const double y0 = trelvo::polyval(p, x0);
      if (std::fabs(y0 - y_val) < tolerance) {
        converged = true;
        break;
      }
      const double h0 = trelvo::polyval(dp, x0);
      if (std::fabs(h0) < tolerance) {
        x0 += (y0 - y_val < 0) ? 0.1 : -0.1;
      } else {
        x0 = x0 - (y0 - y_val) / h0;
      }
      ++n_iter;
    }
    out.first.push_back(converged ? x0 : NAN);
    out.second.push_back(n_iter);
  }
  return out;
}

trelvo::Solution LinearFit::solveval(double y, bool limit) const {
  std::vector<double> coef = fitted();
  auto [ymin, ymax] = min_max(y_data);
  if (y < ymin || y > ymax)
    trelvo::warn(trelvo::WarningKind::UserWarning, "y value " + trelvo::repr_double(y) + " is out of range.");
  if (coef.empty()) raise(ErrorKind::IndexError, "list index out of range");
  coef.back() -= y;
  std::vector<double> real;
  for (const std::complex<double>& r : trelvo::roots(trelvo::poly1d_coeffs(coef))) {
    if (std::fabs(r.imag()) <= kRealRootTolerance * std::max(1.0, std::fabs(r.real()))) real.push_back(r.real());
  }
  if (real.empty()) raise(ErrorKind::ValueError, "No solution found for y value " + trelvo::repr_double(y) + ".");
  trelvo::Solution s;
  if (real.size() == 1) {
    s.kind = trelvo::Solution::Kind::Value;
    s.x = real.front();
    return s;
  }
  trelvo::warn(trelvo::WarningKind::UserWarning, "Multiple solutions found " + trelvo::numpy_array_str(real) +
                                                     " for y value " + trelvo::repr_double(y));
  if (!limit) {
    s.kind = trelvo::Solution::Kind::Multiple;
    s.xs = std::move(real);
    s.y = y;
    return s;
  }
  auto [xmin, xmax] = min_max(x_data);
  for (double r : real) {
    if (r > xmin && r < xmax) {
      s.kind = trelvo::Solution::Kind::Value;
      s.x = r;
      return s;
    }
  }
  s.kind = trelvo::Solution::Kind::None;
  return s;
}

std::vector<trelvo::Solution> LinearFit::solve(const std::vector<double>& ys, bool limit) const {
  fitted();
  std::vector<trelvo::Solution> out;
  out.reserve(ys.size());
  for (double y : ys) out.push_back(solveval(y, limit));
  return out;
}

std::string LinearFit::formula(const std::string& x, int decimal, bool scientific) const {
  const std::vector<double>& p = fitted();
  std::string text;
  const std::size_t n = p.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t k = n - 1 - i;
    const std::string c = trelvo::format_number(p[i], scientific, decimal);
    if (k > 0) {
      text += c + " * " + x + "**" + std::to_string(k) + " + ";
    } else if (p[i] == 0.0) {
      text = text.size() > 3 ? text.substr(0, text.size() - 3) : std::string();
    } else {
      text += c;
    }
  }
  auto replace_all = [&](const std::string& from, const std::string& to) {
    std::string out;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(from, pos)) != std::string::npos; pos = hit + from.size())
      out += text.substr(pos, hit - pos) + to;
    text = out + text.substr(pos);
  };
  replace_all("+ -", "- ");
  replace_all("+-", "- ");
  // "x**1" not followed by a digit becomes "x".
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, 4, "x**1") == 0 && !(i + 4 < text.size() && text[i + 4] >= '0' && text[i + 4] <= '9')) {
      out += 'x';
      i += 4;
    } else {
      out += text[i++];
    }
  }
  return out;
}
