#pragma once
// The window's built-in model functions, evaluated natively: each one keeps
// the model it was made for (a fixed a is copied in at construction), so a fit
// object computes the same model for as long as it lives.
#include <memory>

#include "fitcore/export.h"
#include "fitcore/modelfunction.h"

namespace trelvo {

// y = a * x**b; parameters x, a, b.
TRELVO_EXPORT std::shared_ptr<const ModelFunction> power_model();
// y = a + b * log(x); parameters x, a, b.
TRELVO_EXPORT std::shared_ptr<const ModelFunction> logarithmic_model();
// y = a + b * exp(c * x); parameters x, a, b, c.
TRELVO_EXPORT std::shared_ptr<const ModelFunction> exponential_model();
// y = a * exp(b * x); parameters x, a, b.
TRELVO_EXPORT std::shared_ptr<const ModelFunction> exponential2_model();
// y = a * exp(b * x) with a fixed to `a`; parameters x, b.
TRELVO_EXPORT std::shared_ptr<const ModelFunction> exponential2_fixed_model(double a);

}  // namespace trelvo
