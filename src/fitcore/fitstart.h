#pragma once
// Start values for the window's built-in non-linear kinds, taken from the
// data, and the fit that runs from both the all-ones start and the data's
// start and keeps the better result.
#include <optional>
#include <vector>

#include "fitcore/export.h"
#include "fitcore/nonlinearfit.h"

namespace trelvo::fitstart {

// Each gives the start in the order of the model's parameters, or nullopt
// when the data give none (fewer than two points, a non-finite value, no
// spread in x, or a logarithm of a value <= 0).

// y = a + b·e^(c·x): for c on a grid of rates of both signs, a and b by
// linear least squares; the (a, b, c) of the smallest sum of squares.
TRELVO_EXPORT std::optional<std::vector<double>> exponentialStart(const std::vector<double>& x,
                                                                  const std::vector<double>& y);
// y = a·e^(b·x): ln y on x.
TRELVO_EXPORT std::optional<std::vector<double>> exponential2Start(const std::vector<double>& x,
                                                                   const std::vector<double>& y);
// y = a·e^(b·x) with a fixed: ln(y/a) on x through the origin, giving b.
TRELVO_EXPORT std::optional<std::vector<double>> exponential2FixedStart(const std::vector<double>& x,
                                                                        const std::vector<double>& y, double a);
// y = a·x^b: ln y on ln x.
TRELVO_EXPORT std::optional<std::vector<double>> powerStart(const std::vector<double>& x,
                                                            const std::vector<double>& y);

// Fits `fit` from its own start (all ones unless it holds a guess) and,
// when `dataStart` is given, a copy of it from `dataStart`. The all-ones
// result stays unless the other's sum of squared residuals is smaller by
// more than 1e-9 relative (or the all-ones fit failed); `fit` then becomes
// that copy. Returns the kept parameters. When both fits fail, throws the
// all-ones fit's error; when only one fails, the other's result is kept.
TRELVO_EXPORT std::vector<double> fitFromBetterStart(NonLinearFit& fit,
                                                     const std::optional<std::vector<double>>& dataStart);

}  // namespace trelvo::fitstart
