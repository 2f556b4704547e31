#pragma once
// The main window's current fit: a polynomial fit (LinearFit) or a non-linear
// fit (NonLinearFit) behind the few operations the fitting workflow uses.
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "fitcore/export.h"
#include "fitcore/linearfit.h"
#include "fitcore/nonlinearfit.h"
#include "fitcore/fitinverse.h"

namespace trelvo {

class TRELVO_EXPORT FitObject {
 public:
  explicit FitObject(LinearFit fit) : fit_(std::move(fit)) {}
  explicit FitObject(NonLinearFit fit) : fit_(std::move(fit)) {}

  // The wrapped object; nullptr when it is of the other kind.
  LinearFit* linear() { return std::get_if<LinearFit>(&fit_); }
  NonLinearFit* nonlinear() { return std::get_if<NonLinearFit>(&fit_); }
  const LinearFit* linear() const { return std::get_if<LinearFit>(&fit_); }
  const NonLinearFit* nonlinear() const { return std::get_if<NonLinearFit>(&fit_); }

  // Unset until fit() succeeds; LinearFit: highest power first.
  const std::optional<std::vector<double>>& params() const;
  // A fitted model exists: params set and not empty.
  bool fitted() const;

  // The wrapped fit()'s result and errors.
  std::vector<double> fit();
  double r_squared() const;
  std::vector<double> ylist(const std::vector<double>& xs) const;
  // The model at one x as a float (an integer result converted).
  double yval(double x) const;
  // x for y with an unlimited search: Kind::Value or Kind::Multiple (the
  // real solutions ascending, roots within 1e-6·max(1, |x|) of each other
  // merged into their mean). Every x returned reaches y within
  // 1e-6·max(1, |y|). A non-linear model uses its closed-form inverse when it
  // has one, else the engine's solve. Throws trelvo::Error(ValueError) when
  // no solution exists.
  Solution solveval(double y) const;

  // The closed-form inverse of a non-linear model; none by default.
  void setInverse(fitinverse::Inverse inverse) { inverse_ = std::move(inverse); }

 private:
  std::variant<LinearFit, NonLinearFit> fit_;
  fitinverse::Inverse inverse_;
};

}  // namespace trelvo
