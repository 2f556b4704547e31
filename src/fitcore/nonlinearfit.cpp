#include "fitcore/nonlinearfit.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "fitcore/curvefit.h"
#include "fitcore/errors.h"
#include "fitcore/expression.h"
#include "fitcore/expressionmodel.h"
#include "fitcore/fitdata.h"
#include "fitcore/numtext.h"
#include "fitcore/statistics.h"
#include "fitcore/secant.h"
#include "fitcore/vecmath.h"
#include "fitcore/warnings.h"

using trelvo::Error;
using trelvo::ErrorKind;
using trelvo::raise;

namespace {

constexpr const char* kTooFewArguments = "Function must have at least two arguments (x, *params)";
constexpr const char* kP0Length = "p0 length must match function parameters count";
constexpr const char* kNotFitted = "Model has not been fitted yet.";


// 10^(argcount+1) for the fit's budget and the solver's iteration limit.
long long power_of_ten(int exponent, long long cap) {
  long long r = 1;
  for (int i = 0; i < exponent; ++i) {
    if (r > cap / 10) return cap;
    r *= 10;
  }
  return r;
}

// Python's min()/max() over a list of floats: keeps the first of equals and
// skips nothing (a leading NaN stays).
double python_min(const std::vector<double>& v) {
  double r = v.front();
  for (std::size_t i = 1; i < v.size(); ++i) {
    if (v[i] < r) r = v[i];
  }
  return r;
}

double python_max(const std::vector<double>& v) {
  double r = v.front();
  for (std::size_t i = 1; i < v.size(); ++i) {
    if (v[i] > r) r = v[i];
  }
  return r;
}

}  // namespace

bool trelvo::reaches(double value, double y) { return std::fabs(value - y) <= 1e-6 * std::max(1.0, std::fabs(y)); }

NonLinearFit::NonLinearFit(std::vector<double> x_data_, std::vector<double> y_data_,
                           std::shared_ptr<const trelvo::ModelFunction> func_,
                           std::optional<std::vector<double>> p0_) {
  if (!func_) raise(ErrorKind::TypeError, "func must be a model function");
  const int argcount = func_->argcount();
  if (argcount < 2) raise(ErrorKind::ValueError, kTooFewArguments);
  if (p0_ && p0_->size() != static_cast<std::size_t>(argcount - 1)) raise(ErrorKind::ValueError, kP0Length);
  trelvo::require_same_length(x_data_, y_data_);
  trelvo::require_sorted(x_data_);
  x_data = std::move(x_data_);
  y_data = std::move(y_data_);
  func = std::move(func_);
  p0 = std::move(p0_);
  params.reset();
}

NonLinearFit NonLinearFit::from_expr(std::vector<double> x_data, std::vector<double> y_data,
                                     const std::string& expr, std::optional<std::vector<double>> p0) {
  auto [text, names] = parse_expression(expr, true);
  auto model = std::make_shared<const trelvo::ExpressionModel>(text, std::move(names));
  return NonLinearFit(std::move(x_data), std::move(y_data), std::move(model), std::move(p0));
}

bool NonLinearFit::x_data_order() const { return trelvo::non_decreasing(x_data); }

void NonLinearFit::set_p0(std::vector<double> p) {
  const int count = func->argcount() - 1;
  if (count < 1) raise(ErrorKind::ValueError, kTooFewArguments);
  if (p.size() != static_cast<std::size_t>(count)) raise(ErrorKind::ValueError, kP0Length);
  p0 = std::move(p);
}

int NonLinearFit::evaluation_budget() const {
  return static_cast<int>(power_of_ten(func->argcount() + 1, INT_MAX));
}

const std::vector<double>& NonLinearFit::fit(std::optional<std::vector<double>> guess) {
  if (guess) p0 = std::move(guess);
  trelvo::CurveFitOptions options;
  options.maxfev = evaluation_budget();
  options.epsfcn = -2.0;
  std::vector<double> fitted;
  try {
    fitted = trelvo::curve_fit(*func, x_data, y_data, p0, options);
  } catch (const Error& e) {
    if (e.kind() != ErrorKind::RuntimeError) throw;
    throw Error(ErrorKind::ValueError, std::string("Model fit failed: ") + e.what(), e.kind(), e.what());
  }
  if (fitted.size() + 1 != args().size()) raise(ErrorKind::ValueError, "Parameter fit failed.");
  params = std::move(fitted);
  return *params;
}

std::vector<std::string> NonLinearFit::args() const { return func->varnames(); }

std::optional<std::string> NonLinearFit::source(const std::function<void(const std::string&)>& print_line) const {
  trelvo::warn(trelvo::WarningKind::DeprecationWarning,
               "Unable to capture the source code of lambda expression wrapped in eval().");
  require_fitted();
  std::string error;
  std::optional<std::string> text = func->source(error);
  if (text) return text;
  const std::string line = "An error occurred while capturing the source code : " + error;
  if (print_line) {
    print_line(line);
  } else {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
  }
  return std::nullopt;
}

void NonLinearFit::require_fitted() const {
  if (!params) raise(ErrorKind::ValueError, kNotFitted);
}

trelvo::Value NonLinearFit::yval(double x) const {
  require_fitted();
  return func->call(x, *params);
}

std::vector<double> NonLinearFit::ylist(const std::optional<std::vector<double>>& x) const {
  require_fitted();
  const std::vector<double>& xs = x ? *x : x_data;
  trelvo::vecmath::clear_upper_state();
  trelvo::Value v = func->call(xs, *params);
  if (!v.is_array()) {
    raise(ErrorKind::TypeError,
          "the model function gave a single number for an array of x, not one value for each x");
  }
  return std::move(v.a);
}

double NonLinearFit::r_squared(const std::optional<std::vector<double>>& y_pred) const {
  require_fitted();
  return trelvo::r_squared(y_data, y_pred ? *y_pred : ylist());
}

void NonLinearFit::warn_out_of_range(double y) const {
  if (y_data.empty()) raise(ErrorKind::ValueError, "min() arg is an empty sequence");
  if (y < python_min(y_data) || y > python_max(y_data)) {
    trelvo::warn(trelvo::WarningKind::UserWarning, "y value " + trelvo::repr_double(y) + " is out of range.");
  }
}

double NonLinearFit::solveval(double y, bool /*limit*/) const {
  require_fitted();
  warn_out_of_range(y);
  if (x_data.empty()) raise(ErrorKind::IndexError, "list index out of range");
  const std::vector<double>& p = *params;
  auto func_solve = [this, &p, y](double X) { return func->call(X, p).as_double() - y; };
  const long long maxiter = power_of_ten(func->argcount() + 1, LLONG_MAX);
  const trelvo::SecantResult r = trelvo::secant(func_solve, x_data.front(), x_data.back(), 1e-12, maxiter);
  if (!r.converged) {
    throw Error(ErrorKind::ValueError, "Solution failed: " + r.message, ErrorKind::RuntimeError, r.message);
  }
  // The search can settle where the model does not reach y (a step past a
  // pole, a flat stretch): such an x is no solution.
  const double reached = func->call(r.root, p).as_double();
  if (!trelvo::reaches(reached, y)) {
    const std::string message = "The model gives " + trelvo::repr_double(reached) + " at x = " +
                                trelvo::repr_double(r.root) + ", not " + trelvo::repr_double(y) + ".";
    throw Error(ErrorKind::ValueError, "Solution failed: " + message, ErrorKind::RuntimeError, message);
  }
  return r.root;
}

std::vector<double> NonLinearFit::solve(const std::vector<double>& y, bool limit) const {
  require_fitted();
  std::vector<double> out;
  out.reserve(y.size());
  for (double v : y) out.push_back(solveval(v, limit));
  return out;
}
