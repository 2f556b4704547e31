#pragma once
// The secant root finder of SciPy's root_scalar for two starting points
// (newton without a derivative): same steps, stop rules and texts.
#include <cstdint>
#include <functional>
#include <string>

#include "fitcore/export.h"

namespace trelvo {

struct SecantResult {
  double root = 0.0;
  std::int64_t iterations = 0;
  std::int64_t function_calls = 0;
  // False when the iteration limit was reached, when the step stalled
  // (f(x0) == f(x1) at distinct points), or when a step or the function's
  // value at it is not finite (the search stops there).
  bool converged = false;
  // Why it did not converge: "Failed to converge after N iterations, value
  // is V.", "Tolerance of D reached." or "The function is F at x = X after
  // N iterations."; empty when converged.
  std::string message;
};

// Finds x with f(x) = 0 from x0 and x1, stopping when two iterates are within
// xtol of each other (no relative tolerance). Throws ValueError
// "x1 and x0 must be different", "tol too small (T <= 0)" or
// "maxiter must be greater than 0"; exceptions of f pass unchanged.
TRELVO_EXPORT SecantResult secant(const std::function<double(double)>& f, double x0, double x1,
                                  double xtol, std::int64_t maxiter);

}  // namespace trelvo
