#pragma once
// Non-linear least-squares fit of a model function y = f(x, p1, ..., pn),
// n >= 1, to x/y data, with evaluation, R² and solving x for a given y.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fitcore/export.h"
#include "fitcore/modelfunction.h"
#include "fitcore/value.h"

namespace trelvo {
// True when a model value counts as reaching y: |value - y| <= 1e-6·max(1, |y|).
TRELVO_EXPORT bool reaches(double value, double y);
}  // namespace trelvo

class TRELVO_EXPORT NonLinearFit {
 public:
  // Checks in this order, each a ValueError, and stores nothing on failure:
  //   "Function must have at least two arguments (x, *params)" (argcount < 2),
  //   "p0 length must match function parameters count",
  //   "x_data and y_data must have the same length.",
  //   "x_data must be sorted in ascending or descending order." (ties allowed).
  NonLinearFit(std::vector<double> x_data, std::vector<double> y_data,
               std::shared_ptr<const trelvo::ModelFunction> func,
               std::optional<std::vector<double>> p0 = std::nullopt);

  // Builds the model from a model expression (parse_expression, then the
  // evaluator) and constructs the fit with it. parse_expression's ValueError
  // and the evaluator's SyntaxError pass unchanged; an expression without
  // parameters fails the argument-count check.
  static NonLinearFit from_expr(std::vector<double> x_data, std::vector<double> y_data,
                                const std::string& expr,
                                std::optional<std::vector<double>> p0 = std::nullopt);

  std::vector<double> x_data;
  std::vector<double> y_data;
  std::shared_ptr<const trelvo::ModelFunction> func;
  std::optional<std::vector<double>> p0;
  std::optional<std::vector<double>> params;

  // True when x_data is non-decreasing.
  bool x_data_order() const;
  // Stores `p` as the initial guess; same ValueErrors as the constructor's
  // first two checks.
  void set_p0(std::vector<double> p);
  // Stores a given guess at once (unchecked, kept even when the fit fails),
  // then fits with at most 10^(argcount+1) evaluations. Throws ValueError
  // "Model fit failed: " + the fitting library's reason (cause kept),
  // ValueError "Parameter fit failed." when the fitted count differs from the
  // names after x, ValueError "array must not contain infs or NaNs" for
  // non-finite data, and other errors of the fitting library or the model
  // unchanged. On failure `params` keeps its previous value.
  const std::vector<double>& fit(std::optional<std::vector<double>> guess = std::nullopt);
  // The model's variable names, x first.
  std::vector<std::string> args() const;
  // DeprecationWarning "Unable to capture the source code of lambda expression
  // wrapped in eval()." on every call; then ValueError when unfitted; then the
  // model's text, or nullopt after writing "An error occurred while capturing
  // the source code : <reason>" through `print_line` (default: standard output).
  std::optional<std::string> source(
      const std::function<void(const std::string&)>& print_line = nullptr) const;

  // Every member below throws ValueError "Model has not been fitted yet."
  // first while params is unset.

  // The model's value at x, as the model gives it (Int, Float, or what a
  // strange model returns).
  trelvo::Value yval(double x) const;
  // The model at every x (x_data when unset). A model that gives one number
  // for an array of x is refused with TypeError.
  std::vector<double> ylist(const std::optional<std::vector<double>>& x = std::nullopt) const;
  // Coefficient of determination of y_pred (ylist() when unset) against
  // y_data; 1.0 when all y are equal. ValueError "predicted values length [n]
  // must match actual values length [m]." on a length mismatch.
  double r_squared(const std::optional<std::vector<double>>& y_pred = std::nullopt) const;
  // The x where the model reaches y, by the secant method from the first and
  // last x with at most 10^(argcount+1) iterations. Warns UserWarning
  // "y value <y> is out of range." outside [min y_data, max y_data] and goes
  // on. Throws ValueError "Solution failed: " + the reason (cause kept) when
  // the search stops at a non-finite step, does not converge to a finite x,
  // or ends at an x where the model misses y (reaches() false); ValueError
  // "x1 and x0 must be different" when the first and last x are equal.
  // `limit` has no effect.
  double solveval(double y, bool limit = true) const;
  // The UserWarning "y value <y> is out of range." of solveval, when y lies
  // outside [min y_data, max y_data]; ValueError when y_data is empty.
  void warn_out_of_range(double y) const;
  // solveval for each y in order.
  std::vector<double> solve(const std::vector<double>& y, bool limit = true) const;

  // Throws the not-fitted ValueError while params is unset.
  void require_fitted() const;
  // 10^(argcount+1), saturated at the largest int.
  int evaluation_budget() const;
};
