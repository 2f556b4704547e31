#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "common/ulp.h"
#include "fitcore/evaluator.h"
#include "fitcore/fitmodels.h"
#include "fitcore/modelfunction.h"
#include "fitcore/vecmath.h"

namespace {

using trelvo::test::ulp_distance;

using trelvo::vecmath::Func;
using trelvo::vecmath::Isa;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMinNormal = std::numeric_limits<double>::min();
constexpr double kMinDenormal = std::numeric_limits<double>::denorm_min();
constexpr double kMax = std::numeric_limits<double>::max();

double libm(Func f, double v) {
  switch (f) {
    case Func::Exp: return std::exp(v);
    case Func::Log: return std::log(v);
    case Func::Sin: return std::sin(v);
    case Func::Cos: return std::cos(v);
  }
  return kNan;
}

const char* func_name(Func f) {
  switch (f) {
    case Func::Exp: return "exp";
    case Func::Log: return "log";
    case Func::Sin: return "sin";
    case Func::Cos: return "cos";
  }
  return "?";
}

const char* isa_name(Isa isa) {
  switch (isa) {
    case Isa::Scalar: return "scalar";
    case Isa::Avx2: return "avx2";
    case Isa::Avx512: return "avx512";
  }
  return "?";
}

// nan, +inf, -inf, +0, -0, subnormal or normal, with the sign for the last two.
std::string value_class(double v) {
  if (std::isnan(v)) return "nan";
  const std::string sign = std::signbit(v) ? "-" : "+";
  if (std::isinf(v)) return sign + "inf";
  if (v == 0.0) return sign + "0";
  return sign + (std::fpclassify(v) == FP_SUBNORMAL ? "subnormal" : "normal");
}

// Expects `got` to be libm's `want` within 4 ulp, of the same class.
void expect_close_to_libm(double got, double want, const std::string& where) {
  EXPECT_EQ(value_class(got), value_class(want)) << where << ": " << got << " vs libm " << want;
  if (std::isfinite(want) && std::isfinite(got)) EXPECT_LE(ulp_distance(got, want), 4u) << where;
}

struct SpecialCase {
  const char* name;
  Func func;
  double x;
};

const SpecialCase kSpecialCases[] = {
    {"exp_zero", Func::Exp, 0.0},
    {"exp_minus_zero", Func::Exp, -0.0},
    {"exp_one", Func::Exp, 1.0},
    {"exp_denormal_argument", Func::Exp, kMinDenormal},
    {"exp_largest_finite", Func::Exp, 709.78},
    {"exp_overflow", Func::Exp, 710.0},
    {"exp_far_overflow", Func::Exp, 1e300},
    {"exp_normal_limit", Func::Exp, -708.39},
    {"exp_denormal_result", Func::Exp, -740.0},
    {"exp_smallest_denormal_result", Func::Exp, -745.13},
    {"exp_underflow_to_zero", Func::Exp, -746.0},
    {"exp_far_underflow", Func::Exp, -1e300},
    {"exp_inf", Func::Exp, kInf},
    {"exp_minus_inf", Func::Exp, -kInf},
    {"exp_nan", Func::Exp, kNan},
    {"log_zero", Func::Log, 0.0},
    {"log_minus_zero", Func::Log, -0.0},
    {"log_negative", Func::Log, -1.0},
    {"log_negative_denormal", Func::Log, -kMinDenormal},
    {"log_one", Func::Log, 1.0},
    {"log_near_one", Func::Log, 1.0000000001},
    {"log_below_one", Func::Log, 0.9999999999},
    {"log_smallest_denormal", Func::Log, kMinDenormal},
    {"log_denormal", Func::Log, 1e-310},
    {"log_smallest_normal", Func::Log, kMinNormal},
    {"log_largest", Func::Log, kMax},
    {"log_inf", Func::Log, kInf},
    {"log_minus_inf", Func::Log, -kInf},
    {"log_nan", Func::Log, kNan},
    {"sin_zero", Func::Sin, 0.0},
    {"sin_minus_zero", Func::Sin, -0.0},
    {"sin_denormal", Func::Sin, -1e-310},
    {"sin_tiny", Func::Sin, 1e-300},
    {"sin_half_pi", Func::Sin, 1.5707963267948966},
    {"sin_pi", Func::Sin, 3.141592653589793},
    {"sin_large", Func::Sin, 1e6},
    {"sin_huge", Func::Sin, 1e22},
    {"sin_largest", Func::Sin, kMax},
    {"sin_inf", Func::Sin, kInf},
    {"sin_minus_inf", Func::Sin, -kInf},
    {"sin_nan", Func::Sin, kNan},
    {"cos_zero", Func::Cos, 0.0},
    {"cos_minus_zero", Func::Cos, -0.0},
    {"cos_denormal", Func::Cos, 1e-310},
    {"cos_half_pi", Func::Cos, 1.5707963267948966},
    {"cos_pi", Func::Cos, -3.141592653589793},
    {"cos_large", Func::Cos, -1e6},
    {"cos_huge", Func::Cos, 1e22},
    {"cos_largest", Func::Cos, -kMax},
    {"cos_inf", Func::Cos, kInf},
    {"cos_nan", Func::Cos, kNan},
};

// Runs a test body with one instruction set in use; skipped when the CPU
// lacks it.
class VecmathIsa : public testing::TestWithParam<Isa> {
 protected:
  void SetUp() override {
    previous_ = trelvo::vecmath::active_isa();
    if (trelvo::vecmath::set_isa(GetParam()) != GetParam()) GTEST_SKIP() << "the CPU lacks " << isa_name(GetParam());
  }
  void TearDown() override { trelvo::vecmath::set_isa(previous_); }

 private:
  Isa previous_ = Isa::Scalar;
};

TEST_P(VecmathIsa, SpecialValuesMatchLibm) {
  for (const SpecialCase& c : kSpecialCases) expect_close_to_libm(trelvo::vecmath::apply(c.func, c.x), libm(c.func, c.x), c.name);
}

// Every special value at every lane and in the tail of arrays of several
// lengths, among ordinary neighbours: the result is the one it has alone.
TEST_P(VecmathIsa, ResultDoesNotDependOnPositionOrLength) {
  for (const SpecialCase& c : kSpecialCases) {
    const double alone = trelvo::vecmath::apply(c.func, c.x);
    for (std::size_t n : {1u, 3u, 4u, 7u, 8u, 9u, 17u}) {
      for (std::size_t at = 0; at < n; ++at) {
        std::vector<double> in(n, 0.5), out(n);
        in[at] = c.x;
        trelvo::vecmath::map(c.func, in.data(), out.data(), n);
        const std::string where = std::string(c.name) + " n=" + std::to_string(n) + " at " + std::to_string(at);
        if (std::isnan(alone))
          EXPECT_TRUE(std::isnan(out[at])) << where;
        else
          EXPECT_EQ(std::memcmp(&out[at], &alone, sizeof alone), 0) << where << ": " << out[at] << " vs " << alone;
        for (std::size_t k = 0; k < n; ++k)
          if (k != at) EXPECT_EQ(out[k], trelvo::vecmath::apply(c.func, 0.5)) << where;
      }
    }
  }
}

TEST_P(VecmathIsa, InPlaceMapMatchesCopy) {
  std::vector<double> in(1003);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = -20.0 + 0.04 * static_cast<double>(i);
  for (Func f : {Func::Exp, Func::Log, Func::Sin, Func::Cos}) {
    std::vector<double> copy(in.size()), same = in;
    trelvo::vecmath::map(f, in.data(), copy.data(), in.size());
    trelvo::vecmath::map(f, same.data(), same.data(), same.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
      if (std::isnan(copy[i]))
        EXPECT_TRUE(std::isnan(same[i]));
      else
        EXPECT_EQ(same[i], copy[i]) << func_name(f) << " at " << in[i];
    }
  }
}

struct Domain {
  Func func;
  double low, high;
};

// Random arguments over each function's working range, within 4 ulp of libm.
TEST_P(VecmathIsa, RandomArgumentsWithinFourUlp) {
  const Domain domains[] = {{Func::Exp, -745.0, 709.7}, {Func::Exp, -1.0, 1.0}, {Func::Log, 1e-300, 1e300},
                            {Func::Log, 0.5, 2.0},       {Func::Sin, -100.0, 100.0}, {Func::Sin, -1e5, 1e5},
                            {Func::Cos, -100.0, 100.0},  {Func::Cos, -1e5, 1e5}};
  std::mt19937_64 rng(7);
  for (const Domain& d : domains) {
    std::vector<double> in(4099), out(in.size());
    const bool logarithmic = d.func == Func::Log && d.high / d.low > 1e3;
    std::uniform_real_distribution<double> u(logarithmic ? std::log(d.low) : d.low, logarithmic ? std::log(d.high) : d.high);
    for (double& v : in) v = logarithmic ? std::exp(u(rng)) : u(rng);
    trelvo::vecmath::map(d.func, in.data(), out.data(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
      expect_close_to_libm(out[i], libm(d.func, in[i]), std::string(func_name(d.func)) + "(" + std::to_string(in[i]) + ")");
  }
}

TEST_P(VecmathIsa, EvaluatorArraysMatchItsScalars) {
  const trelvo::Expression ex = trelvo::Expression::compile("np.exp(x) + np.log(x) * np.sin(x) - np.cos(a*x)", {"x", "a"});
  std::vector<double> xs(5000);
  for (std::size_t i = 0; i < xs.size(); ++i) xs[i] = -5.0 + 0.01 * static_cast<double>(i);
  xs[3] = kInf;
  xs[1500] = kNan;
  const std::vector<double> params = {0.75};
  const trelvo::Value all = ex.eval_model(xs, params);
  ASSERT_EQ(all.a.size(), xs.size());
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const std::vector<trelvo::Value> one = {trelvo::Value::np_real(xs[i]), trelvo::Value::np_real(params[0])};
    const double expected = ex.eval(one).as_double();
    if (std::isnan(expected))
      EXPECT_TRUE(std::isnan(all.a[i])) << "x=" << xs[i];
    else
      EXPECT_EQ(all.a[i], expected) << "x=" << xs[i];
  }
}

struct PowCase {
  const char* name;
  double x, e;
};

const PowCase kPowCases[] = {
    {"square", 3.0, 2.0},
    {"root", 2.0, 0.5},
    {"one_base", 1.0, kNan},
    {"zero_exponent", kNan, 0.0},
    {"zero_base", 0.0, 1.5},
    {"zero_base_negative_exponent", 0.0, -1.5},
    {"minus_zero_odd", -0.0, 3.0},
    {"minus_zero_odd_negative", -0.0, -3.0},
    {"negative_base_integer", -2.0, 3.0},
    {"negative_base_even", -2.0, 4.0},
    {"negative_base_fraction", -2.0, 1.5},
    {"minus_one_inf", -1.0, kInf},
    {"inf_base", kInf, 0.5},
    {"inf_base_negative", kInf, -2.0},
    {"minus_inf_odd", -kInf, 3.0},
    {"inf_exponent_small_base", 0.5, kInf},
    {"minus_inf_exponent", 0.5, -kInf},
    {"nan_base", kNan, 2.0},
    {"nan_exponent", 2.0, kNan},
    {"overflow", 10.0, 400.0},
    {"underflow", 10.0, -400.0},
    {"denormal_result", 10.0, -310.0},
    {"denormal_base", 1e-310, 0.5},
    {"large_b_log_x", 1.0000001, 1e9},
    {"large_b_log_x_negative", 0.9999999, 1e9},
    {"huge_base", kMax, 0.999},
};

TEST_P(VecmathIsa, PowSpecialValuesMatchLibm) {
  for (const PowCase& c : kPowCases) {
    expect_close_to_libm(trelvo::vecmath::apply_pow(c.x, c.e), std::pow(c.x, c.e), c.name);
    for (std::size_t n : {3u, 4u, 8u, 9u}) {
      for (std::size_t at = 0; at < n; ++at) {
        std::vector<double> in(n, 1.5), out(n);
        in[at] = c.x;
        trelvo::vecmath::map_pow(in.data(), c.e, out.data(), n);
        const double alone = trelvo::vecmath::apply_pow(c.x, c.e);
        const std::string where = std::string(c.name) + " n=" + std::to_string(n) + " at " + std::to_string(at);
        EXPECT_TRUE(std::isnan(alone) ? std::isnan(out[at]) : std::memcmp(&out[at], &alone, sizeof alone) == 0)
            << where;
      }
    }
  }
}

// Bases over many magnitudes and exponents up to 50 in size: within 4 ulp of
// libm where exp(e * log(x)) loses many more.
TEST_P(VecmathIsa, PowRandomArgumentsWithinFourUlp) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> logBase(std::log(1e-5), std::log(1e5)), exponent(-50.0, 50.0);
  std::vector<double> in(4099), out(in.size());
  for (int round = 0; round < 8; ++round) {
    for (double& v : in) v = std::exp(logBase(rng));
    const double e = round == 0 ? 1.5 : exponent(rng);
    trelvo::vecmath::map_pow(in.data(), e, out.data(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
      expect_close_to_libm(out[i], std::pow(in[i], e), "pow(" + std::to_string(in[i]) + ", " + std::to_string(e) + ")");
  }
}

// Operands of ** with NumPy's special cases: negative bases (nan for a
// fractional exponent), signed zeros (0 to a negative power is inf), inf, nan,
// a subnormal, integers and fractions.
const std::vector<double> kPowOperands = {-2.0, -1.0, -0.5, -0.0, 0.0, 1e-310, 0.5, 1.0, 1.5, 2.0, 3.0,
                                          10.0, 1e300, kInf, -kInf, kNan, -3.0, 0.75};

// ** on arrays of the evaluator: each element within 4 ulp of the scalar
// path (libm's pow, as the host gives for one number) and of its class, with
// the array as base, as exponent or both, from ** and np.pow, and with an
// integer literal as exponent.
TEST_P(VecmathIsa, ArrayPowerMatchesTheScalarPath) {
  struct Case {
    const char* text;
    std::vector<double> params;
  };
  std::vector<Case> cases = {{"x**x", {0.0}}, {"x**3", {0.0}}, {"x**-2", {0.0}}, {"2**x", {0.0}},
                             {"(-8)**x", {0.0}}, {"0**x", {0.0}}};
  // x**0.5 is left out: on an array it is np.sqrt, as in NumPy (-0.0 and nan
  // for -0.0 and -inf, where pow gives 0.0 and inf).
  for (double b : {1.5, -1.5, 3.0, -3.0, 4.0, 0.0, -0.0, 2.0, 1.0, -1.0, 1e9, kInf, -kInf, kNan, -2.5}) {
    cases.push_back({"x**b", {b}});
    cases.push_back({"np.pow(x, b)", {b}});
  }
  for (double b : kPowOperands) {
    cases.push_back({"b**x", {b}});
    cases.push_back({"np.pow(b, x)", {b}});
  }
  for (const Case& c : cases) {
    const trelvo::Expression ex = trelvo::Expression::compile(c.text, {"x", "b"});
    // Every length up to the operand list's, so that each element also sits
    // in a vector's tail.
    for (std::size_t n = 1; n <= kPowOperands.size(); ++n) {
      const std::vector<double> xs(kPowOperands.begin(), kPowOperands.begin() + static_cast<std::ptrdiff_t>(n));
      const trelvo::Value all = ex.eval_model(xs, c.params);
      ASSERT_EQ(all.a.size(), n) << c.text;
      for (std::size_t i = 0; i < n; ++i) {
        const std::vector<trelvo::Value> one = {trelvo::Value::np_real(xs[i]), trelvo::Value::np_real(c.params[0])};
        expect_close_to_libm(all.a[i], ex.eval(one).as_double(),
                             std::string(c.text) + " x=" + std::to_string(xs[i]) + " b=" + std::to_string(c.params[0]) +
                                 " n=" + std::to_string(n));
      }
    }
  }
}

// A model written as a*x**b gives the built-in power model's values bit for
// bit: ** on an array runs the same vector pow.
TEST_P(VecmathIsa, WrittenPowerModelIsTheBuiltInOne) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> logBase(std::log(1e-3), std::log(1e3));
  std::vector<double> xs(4099);
  for (double& v : xs) v = std::exp(logBase(rng));
  const auto builtIn = trelvo::power_model();
  const trelvo::Expression written = trelvo::Expression::compile("a*x**b", {"x", "a", "b"});
  for (const double b : {1.37, -0.61, 7.5}) {
    const std::vector<double> params = {2.5, b};
    const std::vector<double> want = builtIn->call(xs, params).a;
    const std::vector<double> got = written.eval_model(xs, params).a;
    ASSERT_EQ(got.size(), want.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) differing += std::memcmp(&got[i], &want[i], sizeof(double)) != 0;
    EXPECT_EQ(differing, 0u) << "b=" << b;
  }
}

INSTANTIATE_TEST_SUITE_P(Vecmath, VecmathIsa, testing::Values(Isa::Scalar, Isa::Avx2, Isa::Avx512),
                         [](const auto& info) { return std::string(isa_name(info.param)); });

// The fallback is libm itself, bit for bit, for CPUs without AVX2.
TEST(Vecmath, ScalarFallbackIsLibm) {
  const Isa previous = trelvo::vecmath::active_isa();
  ASSERT_EQ(trelvo::vecmath::set_isa(Isa::Scalar), Isa::Scalar);
  for (const SpecialCase& c : kSpecialCases) {
    const double got = trelvo::vecmath::apply(c.func, c.x), want = libm(c.func, c.x);
    EXPECT_TRUE(std::isnan(want) ? std::isnan(got) : std::memcmp(&got, &want, sizeof got) == 0) << c.name;
  }
  const trelvo::Expression ex = trelvo::Expression::compile("np.exp(x)", {"x"});
  std::vector<double> xs(5000);
  for (std::size_t i = 0; i < xs.size(); ++i) xs[i] = -700.0 + 0.28 * static_cast<double>(i);
  const trelvo::Value v = ex.eval_model(xs, {});
  for (std::size_t i = 0; i < xs.size(); ++i) EXPECT_EQ(v.a[i], std::exp(xs[i])) << xs[i];
  trelvo::vecmath::set_isa(previous);
}

TEST(Vecmath, IsaIsClampedToTheCpu) {
  const Isa previous = trelvo::vecmath::active_isa();
  const Isa best = trelvo::vecmath::supported_isa();
  EXPECT_EQ(trelvo::vecmath::set_isa(Isa::Avx512), best);
  EXPECT_EQ(trelvo::vecmath::active_isa(), best);
  trelvo::vecmath::set_isa(previous);
}

}  // namespace
