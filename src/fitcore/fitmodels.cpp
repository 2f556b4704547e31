#include "fitcore/fitmodels.h"

#include <cmath>
#include <string>
#include <vector>

#include "fitcore/errors.h"
#include "fitcore/vecmath.h"

namespace trelvo {
namespace {

// A model y = f(x, params) over a fixed list of names (x first), evaluated on
// the vector math path. `F` is a callable void(const double* x, const double*
// params, double* out, std::size_t n) that writes f at each of the n x; a
// single x is computed as an array of one, so that it gives the same value as
// it does inside an array.
template <typename F>
class NativeModel : public ModelFunction {
 public:
  NativeModel(std::vector<std::string> names, F f) : names_(std::move(names)), f_(std::move(f)) {}

  int argcount() const override { return static_cast<int>(names_.size()); }
  std::vector<std::string> varnames() const override { return names_; }

  Value call(double x, std::span<const double> params) const override {
    check(params.size());
    double y;
    f_(&x, params.data(), &y, 1);
    return Value::np_real(y);
  }

  Value call(std::span<const double> x, std::span<const double> params) const override {
    check(params.size());
    std::vector<double> out(x.size());
    f_(x.data(), params.data(), out.data(), x.size());
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
  return make({"x", "a", "b"}, [](const double* x, const double* p, double* out, std::size_t n) {
    vecmath::map_pow(x, p[1], out, n);
    for (std::size_t i = 0; i < n; ++i) out[i] = p[0] * out[i];
  });
}

std::shared_ptr<const ModelFunction> logarithmic_model() {
  return make({"x", "a", "b"}, [](const double* x, const double* p, double* out, std::size_t n) {
    vecmath::map(vecmath::Func::Log, x, out, n);
    for (std::size_t i = 0; i < n; ++i) out[i] = p[0] + p[1] * out[i];
  });
}

std::shared_ptr<const ModelFunction> exponential_model() {
  return make({"x", "a", "b", "c"}, [](const double* x, const double* p, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = p[2] * x[i];
    vecmath::map(vecmath::Func::Exp, out, out, n);
    for (std::size_t i = 0; i < n; ++i) out[i] = p[0] + p[1] * out[i];
  });
}

std::shared_ptr<const ModelFunction> exponential2_model() {
  return make({"x", "a", "b"}, [](const double* x, const double* p, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = p[1] * x[i];
    vecmath::map(vecmath::Func::Exp, out, out, n);
    for (std::size_t i = 0; i < n; ++i) out[i] = p[0] * out[i];
  });
}

std::shared_ptr<const ModelFunction> exponential2_fixed_model(double a) {
  return make({"x", "b"}, [a](const double* x, const double* p, double* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = p[0] * x[i];
    vecmath::map(vecmath::Func::Exp, out, out, n);
    for (std::size_t i = 0; i < n; ++i) out[i] = a * out[i];
  });
}

}  // namespace trelvo
