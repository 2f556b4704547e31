// Start values from the data and the choice between the all-ones fit and
// the fit from the data's start.
#include <gtest/gtest.h>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fitcore/errors.h"
#include "fitcore/fitmodels.h"
#include "fitcore/fitstart.h"

namespace {

namespace fs = trelvo::fitstart;
using trelvo::Value;

// y = a·x + b that fails on its first call when started from a chosen start.
class LineFailingAt : public trelvo::ModelFunction {
 public:
  explicit LineFailingAt(std::vector<std::vector<double>> failing) : failing_(std::move(failing)) {}
  int argcount() const override { return 3; }
  std::vector<std::string> varnames() const override { return {"x", "a", "b"}; }
  Value call(double x, std::span<const double> p) const override { return Value::real(p[0] * x + p[1]); }
  Value call(std::span<const double> x, std::span<const double> p) const override {
    for (const auto& f : failing_)
      if (f == std::vector<double>(p.begin(), p.end()))
        trelvo::raise(trelvo::ErrorKind::RuntimeError, "start " + std::to_string(p[0]));
    std::vector<double> out;
    for (double v : x) out.push_back(p[0] * v + p[1]);
    return Value::array(std::move(out));
  }

 private:
  std::vector<std::vector<double>> failing_;
};

struct ChoiceCase {
  const char* name;
  std::vector<std::vector<double>> failing;
  std::optional<std::vector<double>> dataStart;
  std::optional<std::vector<double>> keptStart;  // the kept fit's p0 (none: the all-ones fit)
  const char* error;                             // both fail: the error shown
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class Choice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(Choice, KeepsAllOnesUnlessTheOtherIsBetterOrAlone) {
  const ChoiceCase& c = GetParam();
  NonLinearFit fit({0, 1, 2, 3}, {1, 3, 5, 7}, std::make_shared<LineFailingAt>(c.failing));
  if (c.error) {
    try {
      fs::fitFromBetterStart(fit, c.dataStart);
      ADD_FAILURE() << "no error";
    } catch (const trelvo::Error& e) {
      EXPECT_EQ(std::string(e.what()), c.error);
    }
    EXPECT_FALSE(fit.params);
    return;
  }
  const std::vector<double> p = fs::fitFromBetterStart(fit, c.dataStart);
  EXPECT_EQ(fit.p0, c.keptStart);
  ASSERT_TRUE(fit.params);
  EXPECT_EQ(p, *fit.params);
  EXPECT_NEAR(p[0], 2, 1e-9);
  EXPECT_NEAR(p[1], 1, 1e-9);
}

const std::vector<double> kOnes{1, 1};
const std::vector<double> kData{2.5, 0.5};

INSTANTIATE_TEST_SUITE_P(
    Starts, Choice,
    ::testing::Values(ChoiceCase{"no_data_start", {}, std::nullopt, std::nullopt, nullptr},
                      ChoiceCase{"same_fit_keeps_all_ones", {}, kData, std::nullopt, nullptr},
                      ChoiceCase{"all_ones_fails", {kOnes}, kData, kData, nullptr},
                      ChoiceCase{"data_start_fails", {kData}, kData, std::nullopt, nullptr},
                      ChoiceCase{"both_fail_all_ones_error", {kOnes, kData}, kData, std::nullopt,
                                 "Model fit failed: start 1.000000"},
                      ChoiceCase{"all_ones_fails_alone", {kOnes}, std::nullopt, std::nullopt,
                                 "Model fit failed: start 1.000000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Choice, BetterDataStartReplacesTheFit) {
  // a·x^b on x^-4 data: from all ones the fit ends at b = -43.
  std::vector<double> x, y;
  for (int i = 0; i < 15; ++i) {
    x.push_back(1 + 19.0 * i / 14);
    y.push_back(1e6 * std::pow(x.back(), -4) * (1 + 0.01 * std::sin(7.3 * i + 0.4)));
  }
  NonLinearFit ones(x, y, trelvo::power_model());
  ones.fit();
  NonLinearFit fit(x, y, trelvo::power_model());
  const auto start = fs::powerStart(x, y);
  ASSERT_TRUE(start);
  const std::vector<double> p = fs::fitFromBetterStart(fit, start);
  EXPECT_EQ(fit.p0, start);
  EXPECT_NEAR(p[1], -4, 0.05);
  EXPECT_LT(fit.r_squared(), 1.0);
  EXPECT_GT(fit.r_squared(), ones.r_squared());
}

struct StartCase {
  const char* name;
  std::optional<std::vector<double>> (*start)(const std::vector<double>&, const std::vector<double>&);
  std::vector<double> x, y;
  std::optional<std::vector<double>> expected;  // none: no start from these data
  double tolerance;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class Starts : public ::testing::TestWithParam<StartCase> {};

TEST_P(Starts, FromTheData) {
  const StartCase& c = GetParam();
  const auto got = c.start(c.x, c.y);
  ASSERT_EQ(got.has_value(), c.expected.has_value());
  if (!got) return;
  ASSERT_EQ(got->size(), c.expected->size());
  for (std::size_t i = 0; i < got->size(); ++i) EXPECT_NEAR((*got)[i], (*c.expected)[i], c.tolerance) << i;
}

std::vector<double> map(const std::vector<double>& x, double (*f)(double)) {
  std::vector<double> y;
  for (double v : x) y.push_back(f(v));
  return y;
}

const std::vector<double> kX{1, 2, 3, 4, 5, 6};

std::optional<std::vector<double>> fixedTwo(const std::vector<double>& x, const std::vector<double>& y) {
  return fs::exponential2FixedStart(x, y, 2.0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Starts,
    ::testing::Values(
        StartCase{"exponential2_exact", fs::exponential2Start, kX,
                  map(kX, [](double x) { return 2 * std::exp(0.5 * x); }),
                  std::vector<double>{2, 0.5}, 1e-12},
        StartCase{"exponential2_zero_y", fs::exponential2Start, {1, 2}, {0, 1}, std::nullopt, 0},
        StartCase{"exponential2_fixed_exact", fixedTwo, kX, map(kX, [](double x) { return 2 * std::exp(-0.3 * x); }),
                  std::vector<double>{-0.3}, 1e-12},
        StartCase{"power_exact", fs::powerStart, kX, map(kX, [](double x) { return 2 * std::pow(x, 1.5); }),
                  std::vector<double>{2, 1.5}, 1e-12},
        StartCase{"power_negative_y", fs::powerStart, kX, map(kX, [](double x) { return 3 - x; }), std::nullopt, 0},
        StartCase{"power_single_point", fs::powerStart, {2}, {3}, std::nullopt, 0},
        // The grid lands near the rate; its sign follows the curvature.
        StartCase{"exponential_decay", fs::exponentialStart, kX,
                  map(kX, [](double x) { return 1 + 20 * std::exp(-0.7 * x); }), std::vector<double>{1, 20, -0.7},
                  0.3},
        StartCase{"exponential_growth", fs::exponentialStart, kX,
                  map(kX, [](double x) { return 5 - 0.5 * std::exp(0.4 * x); }), std::vector<double>{5, -0.5, 0.4},
                  0.2},
        StartCase{"exponential_no_x_spread", fs::exponentialStart, {1, 1, 1}, {1, 2, 3}, std::nullopt, 0},
        StartCase{"exponential_two_points", fs::exponentialStart, {1, 2}, {1, 2}, std::nullopt, 0}),
    [](const auto& info) { return std::string(info.param.name); });

#if defined(__x86_64__)
// Whether XGETBV can tell which register states are in use (XINUSE).
bool canReadStateInUse() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_OSXSAVE) || !(c & bit_AVX)) return false;
  if (!__get_cpuid_count(0xD, 1, &a, &b, &c, &d)) return false;
  return (a & 4u) != 0;
}

// Sets the upper half of a ymm register, as AVX code that returns without
// vzeroupper leaves it; then runs `f` and tells whether the upper halves
// are still in use when it returns.
template <class F>
bool upperStateInUseAfter(F f) {
  asm volatile("vpcmpeqd %%ymm15, %%ymm15, %%ymm15" ::: "xmm15");
  f();
  std::uint32_t eax, edx;
  asm volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(1));
  return (eax & 4u) != 0;
}

// The start search runs on clean vector state whatever the code before it
// left (scalar code on dirty upper halves is many times slower on some
// CPUs), as the fits do.
TEST(StartSearch, RunsOnCleanUpperVectorState) {
  if (!canReadStateInUse()) GTEST_SKIP() << "XGETBV cannot read the state in use";
#if !defined(__OPTIMIZE__)
  GTEST_SKIP() << "an unoptimized build's vector code returns without vzeroupper";
#endif
  std::vector<double> x(3000), ye(x.size()), yp(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    x[i] = 0.5 + 0.001 * static_cast<double>(i);
    ye[i] = 1 + 2 * std::exp(0.5 * x[i]);
    yp[i] = 2 * std::pow(x[i], 1.5);
  }
  std::optional<std::vector<double>> got;
  EXPECT_FALSE(upperStateInUseAfter([&] { got = fs::exponentialStart(x, ye); })) << "a + b*e^(c*x)";
  EXPECT_TRUE(got);
  EXPECT_FALSE(upperStateInUseAfter([&] { got = fs::exponential2Start(x, ye); })) << "a*e^(b*x)";
  EXPECT_TRUE(got);
  EXPECT_FALSE(upperStateInUseAfter([&] { got = fs::exponential2FixedStart(x, ye, 2.0); })) << "a*e^(b*x), a fixed";
  EXPECT_TRUE(got);
  EXPECT_FALSE(upperStateInUseAfter([&] { got = fs::powerStart(x, yp); })) << "a*x^b";
  EXPECT_TRUE(got);
}
#endif

}  // namespace
