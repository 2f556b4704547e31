#include "widget/widget_fitobject.h"

#include "fitcore/errors.h"

namespace trelvo {

const std::optional<std::vector<double>>& FitObject::params() const {
  return std::visit([](const auto& f) -> const std::optional<std::vector<double>>& { return f.params; }, fit_);
}

bool FitObject::fitted() const {
  const auto& p = params();
  return p.has_value() && !p->empty();
}

std::vector<double> FitObject::fit() {
  return std::visit([](auto& f) { return std::vector<double>(f.fit()); }, fit_);
}

double FitObject::r_squared() const {
  return std::visit([](const auto& f) { return f.r_squared(); }, fit_);
}

std::vector<double> FitObject::ylist(const std::vector<double>& xs) const {
  return std::visit([&](const auto& f) { return f.ylist(xs); }, fit_);
}

double FitObject::yval(double x) const {
  if (const auto* f = linear()) return f->yval(x);
  return nonlinear()->yval(x).as_double();
}

Solution FitObject::solveval(double y) const {
  Solution s;
  if (const auto* f = linear()) {
    s = f->solveval(y, false);
    if (s.kind == Solution::Kind::None) raise(ErrorKind::ValueError, "No solution found for y value.");
    return s;
  }
  s.kind = Solution::Kind::Value;
  s.x = nonlinear()->solveval(y, false);
  return s;
}

}  // namespace trelvo
