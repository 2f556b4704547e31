#pragma once
// Closed-form inverses of the window's built-in non-linear kinds: the x
// where the model with the given parameters reaches y.
#include <functional>
#include <optional>
#include <vector>

#include "fitcore/export.h"

namespace trelvo::fitinverse {

// x for y from the fitted parameters (in the model's order); nullopt when y
// lies outside the model's range (the argument of a log or root is out of
// its domain, or a zero coefficient makes the model constant).
using Inverse = std::function<std::optional<double>(double y, const std::vector<double>& params)>;

// a·e^(b·x): ln(y/a)/b.
TRELVO_EXPORT Inverse exponential2Inverse();
// a·e^(b·x) with a fixed: ln(y/a)/b, parameters (b).
TRELVO_EXPORT Inverse exponential2FixedInverse(double a);
// a + b·e^(c·x): ln((y − a)/b)/c.
TRELVO_EXPORT Inverse exponentialInverse();
// a + b·ln x: e^((y − a)/b).
TRELVO_EXPORT Inverse logarithmicInverse();
// a·x^b: (y/a)^(1/b), for x > 0.
TRELVO_EXPORT Inverse powerInverse();

}  // namespace trelvo::fitinverse
