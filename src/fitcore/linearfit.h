#pragma once
// The polynomial least-squares model: one set of x/y data, a degree and an
// optional fixed intercept (the value at x = 0).
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

// Result of solving x for one y: a single x, no x (limited search without a
// solution inside the data's x range), or several x (unlimited search).
struct Solution {
  enum class Kind { Value, None, Multiple };
  Kind kind = Kind::None;
  double x = 0.0;              // Kind::Value
  std::vector<double> xs;      // Kind::Multiple: every real root, in the root finder's order
  double y = 0.0;              // Kind::Multiple: the asked y
};

}  // namespace trelvo

class TRELVO_EXPORT LinearFit {
 public:
  // Empty data, degree 2, no intercept.
  LinearFit();

  // Checks, in order, raising trelvo::Error(ValueError) with the first failure:
  // "x_data and y_data must have the same length.", "Degree must be at least 1.",
  // "x_data must be sorted in ascending or descending order.", and, with an
  // intercept, "x_data cannot contain <x> if <y_intercept> is provided." for the
  // first x within 1e-10 of the intercept. `x_is_int` / `y_is_int` (empty: all
  // floats) say which values the host holds as integers; they decide how x is
  // written in that message (2 rather than 2.0) and how the fitted data are
  // printed.
  LinearFit(std::vector<double> x_data, std::vector<double> y_data, int degree = 2,
            std::optional<double> y_intercept = std::nullopt, std::vector<bool> x_is_int = {},
            std::vector<bool> y_is_int = {});

  std::vector<double> x_data;
  std::vector<double> y_data;
  std::optional<double> y_intercept;
  int degree = 2;
  // Highest power first; nullopt until fitted.
  std::optional<std::vector<double>> params;
  std::vector<bool> x_is_int;
  std::vector<bool> y_is_int;

  // True when x_data is non-decreasing (constant data included).
  bool x_data_order() const;

  // The data with the point (0, y0) added where the intercept belongs; nullopt
  // when no intercept is known (argument and attribute both unset). A given
  // value is stored in y_intercept first. Throws IndexError
  // "list index out of range" for empty data with an intercept.
  struct InterceptData {
    std::vector<double> x, y;
    std::vector<bool> x_is_int, y_is_int;
  };
  std::optional<InterceptData> insert_y_intercept(std::optional<double> y_intercept = std::nullopt);

  // Fits and returns params. With an intercept, prints "Fitting x list: ..."
  // and "Fitting y list: ..." (NumPy's array form) on stdout and fits the other
  // coefficients by least squares with the constant held at the intercept.
  // Throws ValueError "Degree must be at least 1." (nothing changed),
  // ValueError for NaN or infinite data or intercept, TypeError
  // "expected non-empty vector for x" for empty data (a new degree stays
  // stored, params keeps its value). May emit RankWarning.
  const std::vector<double>& fit(std::optional<int> degree = std::nullopt);

  // Each of the following throws ValueError "Model has not been fitted yet."
  // while params is unset.
  double yval(double x) const;
  std::vector<double> ylist(const std::optional<std::vector<double>>& x = std::nullopt) const;
  // Throws ValueError "predicted values length [n] must match actual values
  // length [m]." for a y_pred of another length.
  double r_squared(const std::optional<std::vector<double>>& y_pred = std::nullopt) const;
  // Deprecated Newton solver; always emits its DeprecationWarning first.
  std::pair<std::vector<double>, std::vector<long long>> predict(const std::vector<double>& y) const;
  // Real roots of the polynomial minus y. Warns (UserWarning) when y lies
  // outside the data's y range and when there are several roots. Throws
  // ValueError "No solution found for y value <y>." without a real root.
  trelvo::Solution solveval(double y, bool limit = true) const;
  std::vector<trelvo::Solution> solve(const std::vector<double>& ylist, bool limit = true) const;
  // "2.000 * x**2 - 3.000 * x + 1.000"; a negative `decimal` throws
  // ValueError "Format specifier missing precision".
  std::string formula(const std::string& x = "x", int decimal = 3, bool scientific = false) const;

 private:
  const std::vector<double>& fitted() const;
};
