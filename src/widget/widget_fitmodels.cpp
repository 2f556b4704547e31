#include "widget/widget_fitmodels.h"

#include <cmath>
#include <string>
#include <vector>

#include "fitcore/errors.h"

namespace trelvo {
namespace {

// A model y = f(x, params) over a fixed list of names (x first). `F` is a
// callable double(double x, const double* params).
template <typename F>
class NativeModel : public ModelFunction {
 public:
  NativeModel(std::vector<std::string> names, F f) : names_(std::move(names)), f_(std::move(f)) {}

  int argcount() const override { return static_cast<int>(names_.size()); }
  std::vector<std::string> varnames() const override { return names_; }

  Value call(double x, std::span<const double> params) const override {
    check(params.size());
    return Value::np_real(f_(x, params.data()));
  }

  Value call(std::span<const double> x, std::span<const double> params) const override {
    check(params.size());
    std::vector<double> out(x.size());
    const double* p = params.data();
    for (std::size_t i = 0; i < x.size(); ++i) out[i] = f_(x[i], p);
    return Value::array(std::move(out));
  }

  std::optional<std::string> source(std::string& error) const override {
    error = "could not get source code";
    return std::nullopt;
  }

 private:
  void check(std::size_t given) const {
    if (given + 1 != names_.size())
      raise(ErrorKind::TypeError, "the model takes " + std::to_string(names_.size() - 1) + " parameters, " +
                                      std::to_string(given) + " given");
  }

  std::vector<std::string> names_;
  F f_;
};

template <typename F>
std::shared_ptr<const ModelFunction> make(std::vector<std::string> names, F f) {
  return std::make_shared<const NativeModel<F>>(std::move(names), std::move(f));
}

}  // namespace

std::shared_ptr<const ModelFunction> power_model() {
  return make({"x", "a", "b"}, [](double x, const double* p) { return p[0] * std::pow(x, p[1]); });
}

std::shared_ptr<const ModelFunction> logarithmic_model() {
  return make({"x", "a", "b"}, [](double x, const double* p) { return p[0] + p[1] * std::log(x); });
}

std::shared_ptr<const ModelFunction> exponential_model() {
  return make({"x", "a", "b", "c"}, [](double x, const double* p) { return p[0] + p[1] * std::exp(p[2] * x); });
}

std::shared_ptr<const ModelFunction> exponential2_model() {
  return make({"x", "a", "b"}, [](double x, const double* p) { return p[0] * std::exp(p[1] * x); });
}

std::shared_ptr<const ModelFunction> exponential2_fixed_model(double a) {
  return make({"x", "b"}, [a](double x, const double* p) { return a * std::exp(p[0] * x); });
}

}  // namespace trelvo
