// The window's built-in model functions: values on the vector path against
// libm's scalar formula, and a single x against the same x inside an array.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "common/ulp.h"
#include "fitcore/vecmath.h"
#include "fitcore/fitmodels.h"

namespace {

using trelvo::test::ulp_distance;

using trelvo::vecmath::Isa;

const char* isaName(Isa isa) {
  switch (isa) {
    case Isa::Scalar: return "scalar";
    case Isa::Avx2: return "avx2";
    case Isa::Avx512: return "avx512";
  }
  return "?";
}

struct ModelCase {
  const char* name;
  std::function<std::shared_ptr<const trelvo::ModelFunction>()> model;
  std::vector<double> params;
  std::function<double(double, const std::vector<double>&)> scalar;  // libm's formula
  double xlow, xhigh;
};

const ModelCase kModels[] = {
    {"power", trelvo::power_model, {2.5, 1.37}, [](double x, const auto& p) { return p[0] * std::pow(x, p[1]); },
     1e-3, 1e3},
    {"power_large_exponent", trelvo::power_model, {1.0, -41.3},
     [](double x, const auto& p) { return p[0] * std::pow(x, p[1]); }, 0.05, 20.0},
    {"logarithmic", trelvo::logarithmic_model, {1.5, 2.0},
     [](double x, const auto& p) { return p[0] + p[1] * std::log(x); }, 3.0, 1e6},
    {"exponential", trelvo::exponential_model, {1.0, 2.0, 0.5},
     [](double x, const auto& p) { return p[0] + p[1] * std::exp(p[2] * x); }, -10.0, 40.0},
    {"exponential2", trelvo::exponential2_model, {3.0, -1.25},
     [](double x, const auto& p) { return p[0] * std::exp(p[1] * x); }, -50.0, 50.0},
    {"exponential2_fixed_a", [] { return trelvo::exponential2_fixed_model(0.75); }, {0.3},
     [](double x, const auto& p) { return 0.75 * std::exp(p[0] * x); }, -100.0, 100.0},
};

class BuiltInModel : public ::testing::TestWithParam<std::tuple<ModelCase, Isa>> {
 protected:
  void SetUp() override {
    previous_ = trelvo::vecmath::active_isa();
    const Isa isa = std::get<1>(GetParam());
    if (trelvo::vecmath::set_isa(isa) != isa) GTEST_SKIP() << "the CPU lacks this instruction set";
  }
  void TearDown() override { trelvo::vecmath::set_isa(previous_); }

 private:
  Isa previous_ = Isa::Scalar;
};

TEST_P(BuiltInModel, ArrayValuesAreLibmsWithinFourUlpAndEqualASingleX) {
  const ModelCase& c = std::get<0>(GetParam());
  const auto model = c.model();
  std::vector<double> xs(1001);
  for (std::size_t i = 0; i < xs.size(); ++i)
    xs[i] = c.xlow + (c.xhigh - c.xlow) * static_cast<double>(i) / static_cast<double>(xs.size() - 1);
  const trelvo::Value all = model->call(xs, c.params);
  ASSERT_TRUE(all.is_array());
  ASSERT_EQ(all.a.size(), xs.size());
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const double want = c.scalar(xs[i], c.params);
    ASSERT_TRUE(std::isfinite(want));
    EXPECT_LE(ulp_distance(all.a[i], want), 4u) << "x=" << xs[i] << ": " << all.a[i] << " vs " << want;
    const double one = model->call(xs[i], c.params).as_double();
    EXPECT_EQ(std::memcmp(&one, &all.a[i], sizeof one), 0) << "x=" << xs[i];
  }
}

TEST_P(BuiltInModel, ValuesOutsideTheDomainAreLibmsClass) {
  const ModelCase& c = std::get<0>(GetParam());
  const auto model = c.model();
  const std::vector<double> xs = {0.0, -0.0, -2.0, -1.0, std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(), std::nan(""), 1e308, 5.0};
  const trelvo::Value all = model->call(xs, c.params);
  ASSERT_EQ(all.a.size(), xs.size());
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const double want = c.scalar(xs[i], c.params), got = all.a[i];
    EXPECT_EQ(std::isnan(got), std::isnan(want)) << "x=" << xs[i];
    EXPECT_EQ(std::isinf(got), std::isinf(want)) << "x=" << xs[i];
    if (std::isfinite(want)) EXPECT_LE(ulp_distance(got, want), 4u) << "x=" << xs[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BuiltInModel,
                         ::testing::Combine(::testing::ValuesIn(kModels),
                                            ::testing::Values(Isa::Scalar, Isa::Avx2, Isa::Avx512)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  isaName(std::get<1>(info.param));
                         });

}  // namespace
