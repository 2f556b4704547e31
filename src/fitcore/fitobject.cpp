#include "fitcore/fitobject.h"

#include <algorithm>
#include <cmath>

#include "fitcore/errors.h"
#include "fitcore/numtext.h"

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
  const auto noSolution = [y] {
    raise(ErrorKind::ValueError, "No solution found for y value " + repr_double(y) + ".");
  };
  Solution s;
  if (const auto* f = linear()) {
    s = f->solveval(y, false);
    std::vector<double> found = s.kind == Solution::Kind::Multiple ? s.xs : std::vector<double>{s.x};
    if (s.kind == Solution::Kind::None) found.clear();
    std::vector<double> xs;
    for (double x : found) {
      if (reaches(f->yval(x), y)) xs.push_back(x);
    }
    std::sort(xs.begin(), xs.end());
    std::vector<double> merged;
    for (std::size_t i = 0; i < xs.size();) {
      std::size_t j = i + 1;
      double sum = xs[i];
      while (j < xs.size() && xs[j] - xs[j - 1] <= 1e-6 * std::max(1.0, std::fabs(xs[j - 1]))) sum += xs[j++];
      merged.push_back(sum / static_cast<double>(j - i));
      i = j;
    }
    if (merged.empty()) noSolution();
    Solution out;
    if (merged.size() == 1) {
      out.kind = Solution::Kind::Value;
      out.x = merged.front();
    } else {
      out.kind = Solution::Kind::Multiple;
      out.xs = std::move(merged);
      out.y = y;
    }
    return out;
  }
  const NonLinearFit& f = *nonlinear();
  s.kind = Solution::Kind::Value;
  if (!inverse_) {
    s.x = f.solveval(y, false);
    return s;
  }
  f.require_fitted();
  f.warn_out_of_range(y);
  const std::optional<double> x = inverse_(y, *f.params);
  if (!x || !reaches(f.yval(*x).as_double(), y)) noSolution();
  s.x = *x;
  return s;
}

}  // namespace trelvo
