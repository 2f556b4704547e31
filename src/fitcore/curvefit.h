#pragma once
// Non-linear least squares as SciPy's curve_fit does it without bounds
// (Levenberg-Marquardt, MINPACK lmdif with forward-difference Jacobian).
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fitcore/export.h"
#include "fitcore/modelfunction.h"

namespace trelvo {

struct CurveFitOptions {
  // Most evaluations of the model MINPACK may make.
  int maxfev = 0;
  // Relative step of the forward differences; values below machine precision
  // make MINPACK take the step from machine precision.
  double epsfcn = -2.0;
};

// Fits `model` to (x, y), minimising the sum of (model(x, p) - y)^2, from the
// start `p0` (all ones when unset; its length is the number of parameters).
// Returns the fitted parameters. Throws, in this order:
//   ValueError "Unable to determine number of fit parameters." (no p0 and a
//     model with fewer than two arguments);
//   ValueError "array must not contain infs or NaNs" (a NaN or infinity in y
//     or x);
//   ValueError "`ydata` must not be empty!";
//   TypeError "The number of func parameters=N must not exceed the number of
//     data points=M";
//   whatever the model throws (its first evaluation comes before the next
//     check; an exception thrown during the iteration stops MINPACK and is
//     rethrown unchanged once MINPACK has returned);
//   TypeError "Improper input: func input vector length N=.. must not exceed
//     func output vector length M=..";
//   ValueError "operands could not be broadcast together with shapes ..."
//     for a model giving an array of another length than y;
//   RuntimeError "Optimal parameters not found: " + MINPACK's reason (for
//     example "Number of calls to function has reached maxfev = 1000."), or
//     "Optimal parameters not found: the model is not finite at the fitted
//     parameters." when MINPACK stops on NaN or infinite residuals.
// Issues UserWarning "Covariance of the parameters could not be estimated"
// when the fit succeeds on no more points than parameters or with a singular
// Jacobian.
TRELVO_EXPORT std::vector<double> curve_fit(const ModelFunction& model, std::span<const double> x,
                                            std::span<const double> y,
                                            const std::optional<std::vector<double>>& p0,
                                            const CurveFitOptions& options);

}  // namespace trelvo
