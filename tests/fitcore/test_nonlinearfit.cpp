#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fitcore/curvefit.h"
#include "fitcore/errors.h"
#include "fitcore/nonlinearfit.h"
#include "fitcore/secant.h"
#include "fitcore/warnings.h"

namespace {

using trelvo::Error;
using trelvo::ErrorKind;
using trelvo::Value;
using Params = std::span<const double>;
using Fn = std::function<double(double, Params)>;

// A model written in C++: element-wise on arrays, one number for one x.
class LambdaModel : public trelvo::ModelFunction {
 public:
  LambdaModel(std::vector<std::string> names, Fn fn, std::vector<std::string> locals = {})
      : names_(std::move(names)), locals_(std::move(locals)), fn_(std::move(fn)) {}
  int argcount() const override { return static_cast<int>(names_.size()); }
  std::vector<std::string> varnames() const override {
    std::vector<std::string> v = names_;
    v.insert(v.end(), locals_.begin(), locals_.end());
    return v;
  }
  Value call(double x, Params p) const override {
    ++calls;
    return Value::real(fn_(x, p));
  }
  Value call(std::span<const double> x, Params p) const override {
    ++calls;
    std::vector<double> out(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) out[i] = fn_(x[i], p);
    return Value::array(std::move(out));
  }
  mutable int calls = 0;

 private:
  std::vector<std::string> names_;
  std::vector<std::string> locals_;
  Fn fn_;
};

// A model whose value does not depend on x: one number even for an array.
class ScalarModel : public trelvo::ModelFunction {
 public:
  int argcount() const override { return 2; }
  std::vector<std::string> varnames() const override { return {"x", "a"}; }
  Value call(double, Params p) const override { return Value::real(std::exp(p[0])); }
  Value call(std::span<const double>, Params p) const override { return Value::real(std::exp(p[0])); }
};

// Throws a foreign exception from its `fail_at`-th evaluation on.
class ThrowingModel : public LambdaModel {
 public:
  explicit ThrowingModel(int fail_at)
      : LambdaModel({"x", "a", "b"}, [](double x, Params p) { return p[0] * x + p[1]; }), fail_at_(fail_at) {}
  Value call(std::span<const double> x, Params p) const override {
    if (calls + 1 >= fail_at_) throw std::logic_error("model broke");
    return LambdaModel::call(x, p);
  }

 private:
  int fail_at_;
};

std::shared_ptr<LambdaModel> exp2() {
  return std::make_shared<LambdaModel>(std::vector<std::string>{"x", "a", "b"},
                                       [](double x, Params p) { return p[0] * std::exp(p[1] * x); });
}

std::shared_ptr<LambdaModel> line() {
  return std::make_shared<LambdaModel>(std::vector<std::string>{"x", "a", "b"},
                                       [](double x, Params p) { return p[0] * x + p[1]; });
}

std::shared_ptr<LambdaModel> one_arg() {
  return std::make_shared<LambdaModel>(std::vector<std::string>{"x"}, [](double x, Params) { return x; });
}

// Collects the warnings issued while it lives.
struct WarningLog {
  std::vector<std::pair<trelvo::WarningKind, std::string>> seen;
  trelvo::ScopedWarningSink sink{[this](trelvo::WarningKind k, const std::string& m) { seen.emplace_back(k, m); }};
};

template <class F>
Error expect_error(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e;
  }
  ADD_FAILURE() << "no trelvo::Error thrown";
  return Error(ErrorKind::RuntimeError, "<none>");
}

// ---- construction --------------------------------------------------------

struct ConstructCase {
  std::string name;
  std::function<std::shared_ptr<const trelvo::ModelFunction>()> model;
  std::vector<double> x, y;
  std::optional<std::vector<double>> p0;
  std::string error;  // empty: accepted
};

class Construction : public testing::TestWithParam<ConstructCase> {};

TEST_P(Construction, ChecksInOrder) {
  const ConstructCase& c = GetParam();
  if (c.error.empty()) {
    NonLinearFit f(c.x, c.y, c.model(), c.p0);
    EXPECT_EQ(f.x_data, c.x);
    EXPECT_FALSE(f.params.has_value());
    return;
  }
  Error e = expect_error([&] { NonLinearFit f(c.x, c.y, c.model(), c.p0); });
  EXPECT_EQ(e.kind(), ErrorKind::ValueError);
  EXPECT_EQ(std::string(e.what()), c.error);
}

const char* kArgs = "Function must have at least two arguments (x, *params)";
const char* kP0 = "p0 length must match function parameters count";
const char* kLen = "x_data and y_data must have the same length.";
const char* kSort = "x_data must be sorted in ascending or descending order.";

INSTANTIATE_TEST_SUITE_P(
    NonLinearFit, Construction,
    testing::Values(
        ConstructCase{"one_argument_model_before_lengths", one_arg, {1, 2, 3}, {1, 2}, std::nullopt, kArgs},
        ConstructCase{"p0_too_long_before_lengths", exp2, {1, 2, 3}, {1, 2}, std::vector<double>{1, 2, 3}, kP0},
        ConstructCase{"p0_too_short", exp2, {1, 2}, {1, 2}, std::vector<double>{1}, kP0},
        ConstructCase{"unequal_lengths_before_order", exp2, {3, 1, 2}, {1, 2}, std::nullopt, kLen},
        ConstructCase{"unsorted", exp2, {1, 3, 2}, {1, 2, 3}, std::nullopt, kSort},
        ConstructCase{"ascending_with_ties", exp2, {1, 1, 2}, {1, 2, 3}, std::nullopt, ""},
        ConstructCase{"descending_with_ties", exp2, {3, 3, 1}, {1, 2, 3}, std::nullopt, ""},
        ConstructCase{"empty_data", exp2, {}, {}, std::vector<double>{1, 1}, ""}),
    [](const testing::TestParamInfo<ConstructCase>& i) { return i.param.name; });

TEST(NonLinearFit, OrderAndGuessChecks) {
  NonLinearFit down({3, 2, 1}, {1, 2, 3}, exp2());
  EXPECT_FALSE(down.x_data_order());
  NonLinearFit up({1, 1, 2}, {1, 2, 3}, exp2());
  EXPECT_TRUE(up.x_data_order());
  EXPECT_EQ(std::string(expect_error([&] { up.set_p0({1.0}); }).what()), kP0);
  up.set_p0({2.0, 0.5});
  EXPECT_EQ(*up.p0, (std::vector<double>{2.0, 0.5}));
}

TEST(NonLinearFit, BudgetGrowsWithParameterCount) {
  auto three = std::make_shared<LambdaModel>(std::vector<std::string>{"x", "a", "b", "c"},
                                             [](double x, Params p) { return p[0] + p[1] * std::exp(p[2] * x); });
  EXPECT_EQ(NonLinearFit({1}, {1}, exp2()).evaluation_budget(), 10'000);
  EXPECT_EQ(NonLinearFit({1}, {1}, three).evaluation_budget(), 100'000);
  auto many = std::make_shared<LambdaModel>(std::vector<std::string>(12, "p"), [](double, Params) { return 0.0; });
  EXPECT_EQ(NonLinearFit({1}, {1}, many).evaluation_budget(), 2147483647);
}

// ---- fitting against certified values -------------------------------------

struct NistCase {
  std::string name;
  int start;  // 1 or 2
  std::vector<std::string> names;
  Fn model;
  double rel_tol;
};

struct NistData {
  std::vector<double> x, y;
  std::vector<double> start1, start2, certified;
};

NistData load_nist(const std::string& name) {
  const char* src = std::getenv("TRELVO_SOURCE_DIR");
  const std::string path = std::string(src ? src : ".") + "/tests/data/fitcore/nist/" + name + ".dat";
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open " + path);
  NistData d;
  std::vector<std::pair<double, double>> points;
  const std::regex param(R"(^\s*b\d+\s*=\s*(\S+)\s+(\S+)\s+(\S+)\s+(\S+))");
  const std::regex data_head(R"(^Data:\s+y\s+x)");
  bool in_data = false;
  std::string l;
  while (std::getline(in, l)) {
    std::smatch m;
    if (!in_data && std::regex_search(l, m, param)) {
      d.start1.push_back(std::stod(m[1]));
      d.start2.push_back(std::stod(m[2]));
      d.certified.push_back(std::stod(m[3]));
    } else if (std::regex_search(l, data_head)) {
      in_data = true;
    } else if (in_data) {
      std::istringstream s(l);
      double y, x;
      if (s >> y >> x) points.emplace_back(x, y);
    }
  }
  std::stable_sort(points.begin(), points.end(), [](auto& a, auto& b) { return a.first < b.first; });
  for (auto& [x, y] : points) {
    d.x.push_back(x);
    d.y.push_back(y);
  }
  return d;
}

class Certified : public testing::TestWithParam<NistCase> {};

TEST_P(Certified, ReachesCertifiedParameters) {
  const NistCase& c = GetParam();
  const NistData d = load_nist(c.name);
  ASSERT_EQ(d.certified.size() + 1, c.names.size());
  NonLinearFit f(d.x, d.y, std::make_shared<LambdaModel>(c.names, c.model));
  WarningLog log;
  const std::vector<double>& p = f.fit(c.start == 1 ? d.start1 : d.start2);
  ASSERT_EQ(p.size(), d.certified.size());
  for (std::size_t i = 0; i < p.size(); ++i) {
    EXPECT_NEAR(p[i], d.certified[i], c.rel_tol * std::fabs(d.certified[i])) << "b" << i + 1;
  }
  EXPECT_EQ(&p, &*f.params);
  EXPECT_TRUE(log.seen.empty());
  EXPECT_GT(f.r_squared(), 0.9);
}

Fn misra1c = [](double x, Params b) { return b[0] * (1 - std::pow(1 + 2 * b[1] * x, -.5)); };
Fn misra1d = [](double x, Params b) { return b[0] * b[1] * x * std::pow(1 + b[1] * x, -1); };
Fn chwirut1 = [](double x, Params b) { return std::exp(-b[0] * x) / (b[1] + b[2] * x); };
Fn rat43 = [](double x, Params b) { return b[0] / std::pow(1 + std::exp(b[1] - b[2] * x), 1 / b[3]); };
Fn kirby2 = [](double x, Params b) {
  return (b[0] + b[1] * x + b[2] * x * x) / (1 + b[3] * x + b[4] * x * x);
};

INSTANTIATE_TEST_SUITE_P(
    NonLinearFit, Certified,
    testing::Values(NistCase{"Misra1c", 1, {"x", "b1", "b2"}, misra1c, 1e-7},
                    NistCase{"Misra1c", 2, {"x", "b1", "b2"}, misra1c, 1e-7},
                    NistCase{"Misra1d", 1, {"x", "b1", "b2"}, misra1d, 1e-7},
                    NistCase{"Misra1d", 2, {"x", "b1", "b2"}, misra1d, 1e-7},
                    NistCase{"Chwirut1", 1, {"x", "b1", "b2", "b3"}, chwirut1, 5e-6},
                    NistCase{"Chwirut1", 2, {"x", "b1", "b2", "b3"}, chwirut1, 5e-6},
                    NistCase{"Rat43", 1, {"x", "b1", "b2", "b3", "b4"}, rat43, 5e-5},
                    NistCase{"Kirby2", 1, {"x", "b1", "b2", "b3", "b4", "b5"}, kirby2, 5e-6}),
    [](const testing::TestParamInfo<NistCase>& i) {
      return i.param.name + "_start" + std::to_string(i.param.start);
    });

// ---- fit failures ---------------------------------------------------------

TEST(NonLinearFit, ExhaustedBudgetIsModelFitFailedWithCause) {
  // e^(-a) x against zeros: the optimum lies at infinity.
  auto model = std::make_shared<LambdaModel>(std::vector<std::string>{"x", "a"},
                                             [](double x, Params p) { return std::exp(-p[0]) * x; });
  NonLinearFit f({1, 2, 3, 4, 5}, {0, 0, 0, 0, 0}, model);
  Error e = expect_error([&] { f.fit(); });
  EXPECT_EQ(e.kind(), ErrorKind::ValueError);
  EXPECT_EQ(std::string(e.what()),
            "Model fit failed: Optimal parameters not found: Number of calls to function has reached maxfev = 1000.");
  ASSERT_TRUE(e.has_cause());
  EXPECT_EQ(e.cause_kind(), ErrorKind::RuntimeError);
  EXPECT_EQ(e.cause_message(), "Optimal parameters not found: Number of calls to function has reached maxfev = 1000.");
  EXPECT_FALSE(f.params.has_value());
}

TEST(NonLinearFit, InfiniteResidualsAreNoFit) {
  // log(a - 1) x is -inf at the start a = 1; MINPACK reports convergence there.
  auto model = std::make_shared<LambdaModel>(std::vector<std::string>{"x", "a"},
                                             [](double x, Params p) { return std::log(p[0] - 1) * x; });
  NonLinearFit f({1, 2, 3, 4, 5}, {1, 3, 2, 5, 4}, model);
  Error e = expect_error([&] { f.fit(); });
  EXPECT_EQ(e.kind(), ErrorKind::ValueError);
  EXPECT_EQ(std::string(e.what()).rfind("Model fit failed: Optimal parameters not found: ", 0), 0u) << e.what();
  EXPECT_FALSE(f.params.has_value());
}

TEST(NonLinearFit, FailedFitKeepsGuessAndParams) {
  auto m = line();
  NonLinearFit f({0, 1, 2}, {1, 3, 5}, m);
  f.fit();
  const std::vector<double> before = *f.params;
  // Too many parameters for the data: refused inside the fitting call.
  Error e = expect_error([&] { f.fit(std::vector<double>{1, 1, 1, 1}); });
  EXPECT_EQ(e.kind(), ErrorKind::TypeError);
  EXPECT_EQ(std::string(e.what()), "The number of func parameters=4 must not exceed the number of data points=3");
  EXPECT_EQ(*f.params, before);
  EXPECT_EQ(f.p0->size(), 4u);
  f.fit(std::vector<double>{2, 1});
  // A later fit without guess starts from the stored one again.
  m->calls = 0;
  f.fit();
  EXPECT_EQ(*f.p0, (std::vector<double>{2, 1}));
  EXPECT_NEAR((*f.params)[0], 2.0, 1e-9);
  EXPECT_NEAR((*f.params)[1], 1.0, 1e-9);
}

struct DataErrorCase {
  std::string name;
  std::vector<double> x, y;
  ErrorKind kind;
  std::string error;
};

class FitDataErrors : public testing::TestWithParam<DataErrorCase> {};

TEST_P(FitDataErrors, Refused) {
  const DataErrorCase& c = GetParam();
  NonLinearFit f(c.x, c.y, line());
  Error e = expect_error([&] { f.fit(); });
  EXPECT_EQ(e.kind(), c.kind);
  EXPECT_EQ(std::string(e.what()), c.error);
  EXPECT_FALSE(f.params.has_value());
}

const double kNan = std::nan("");
const double kInf = INFINITY;

INSTANTIATE_TEST_SUITE_P(
    NonLinearFit, FitDataErrors,
    testing::Values(
        DataErrorCase{"nan_y", {1, 2, 3}, {1, kNan, 3}, ErrorKind::ValueError, "array must not contain infs or NaNs"},
        DataErrorCase{"inf_y", {1, 2, 3}, {1, kInf, 3}, ErrorKind::ValueError, "array must not contain infs or NaNs"},
        DataErrorCase{"nan_x", {1, kNan, 3}, {1, 2, 3}, ErrorKind::ValueError, "array must not contain infs or NaNs"},
        DataErrorCase{"empty", {}, {}, ErrorKind::ValueError, "`ydata` must not be empty!"},
        DataErrorCase{"one_point_two_parameters", {1}, {2}, ErrorKind::TypeError,
                      "Improper input: func input vector length N=2 must not exceed func output vector length M=1"}),
    [](const testing::TestParamInfo<DataErrorCase>& i) { return i.param.name; });

TEST(NonLinearFit, ModelExceptionStopsMinpackAndPassesUnchanged) {
  for (int fail_at : {1, 4}) {
    auto m = std::make_shared<ThrowingModel>(fail_at);
    NonLinearFit f({0, 1, 2, 3}, {1, 3, 5, 7.5}, m);
    EXPECT_THROW(f.fit(), std::logic_error) << fail_at;
    EXPECT_EQ(m->calls, fail_at - 1);
    EXPECT_FALSE(f.params.has_value());
  }
}

// MINPACK's arrays are kept between fits on a thread: a fit after a larger
// or smaller one, and a fit run by a model in the middle of another fit, give
// what a fit alone gives.
TEST(CurveFit, FitsAfterAndInsideOtherFitsAreUnchanged) {
  auto line_data = [](std::size_t n, std::vector<double>& x, std::vector<double>& y) {
    x.resize(n);
    y.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      x[i] = static_cast<double>(i) / static_cast<double>(n);
      y[i] = 0.5 + 3.0 * std::exp(-1.3 * x[i]) + 0.01 * std::sin(37.0 * static_cast<double>(i));
    }
  };
  trelvo::CurveFitOptions options;
  options.maxfev = 10000;
  const LambdaModel decay({"x", "a", "b", "c"}, [](double x, Params p) { return p[0] + p[1] * std::exp(p[2] * x); });
  std::vector<double> xs, ys, xl, yl;
  line_data(50, xs, ys);
  line_data(3000, xl, yl);
  const std::vector<double> small = trelvo::curve_fit(decay, xs, ys, std::nullopt, options);
  const std::vector<double> large = trelvo::curve_fit(decay, xl, yl, std::nullopt, options);
  EXPECT_EQ(trelvo::curve_fit(decay, xs, ys, std::nullopt, options), small);
  EXPECT_EQ(trelvo::curve_fit(decay, xl, yl, std::nullopt, options), large);

  std::vector<std::vector<double>> inner;
  const LambdaModel nesting({"x", "a", "b", "c"}, [&](double x, Params p) {
    if (x == xl.front()) inner.push_back(trelvo::curve_fit(decay, xs, ys, std::nullopt, options));
    return p[0] + p[1] * std::exp(p[2] * x);
  });
  EXPECT_EQ(trelvo::curve_fit(nesting, xl, yl, std::nullopt, options), large);
  ASSERT_FALSE(inner.empty());
  for (const auto& p : inner) EXPECT_EQ(p, small);
}

TEST(NonLinearFit, ExtraLocalNamesMakeParameterFitFail) {
  auto m = std::make_shared<LambdaModel>(std::vector<std::string>{"x", "a", "b"},
                                         [](double x, Params p) { return p[0] * x + p[1]; },
                                         std::vector<std::string>{"tmp"});
  NonLinearFit f({0, 1, 2}, {1, 3, 5}, m);
  EXPECT_EQ(std::string(expect_error([&] { f.fit(); }).what()), "Parameter fit failed.");
  EXPECT_FALSE(f.params.has_value());
}

TEST(NonLinearFit, CovarianceWarningOnExactlyDeterminedFit) {
  NonLinearFit f({0, 1}, {1, 3}, line());
  WarningLog log;
  f.fit();
  ASSERT_EQ(log.seen.size(), 1u);
  EXPECT_EQ(log.seen[0].second, "Covariance of the parameters could not be estimated");
  EXPECT_NEAR((*f.params)[0], 2.0, 1e-9);
}

// ---- evaluation, R², solving ----------------------------------------------

TEST(NonLinearFit, UnfittedRefusesEveryOperation) {
  NonLinearFit f({1, 2, 3}, {1, 2, 3}, exp2());
  WarningLog log;
  std::vector<std::function<void()>> ops = {
      [&] { f.yval(1); },          [&] { f.ylist(); },           [&] { f.r_squared(); },
      [&] { f.solveval(100); },    [&] { f.solve({}); },         [&] { f.source(); }};
  for (auto& op : ops) {
    Error e = expect_error(op);
    EXPECT_EQ(std::string(e.what()), "Model has not been fitted yet.");
  }
  // Only source's deprecation notice; no range warning before the check.
  ASSERT_EQ(log.seen.size(), 1u);
  EXPECT_EQ(log.seen[0].first, trelvo::WarningKind::DeprecationWarning);
  EXPECT_EQ(log.seen[0].second, "Unable to capture the source code of lambda expression wrapped in eval().");
}

TEST(NonLinearFit, SourceOfModelWithoutTextPrintsReason) {
  NonLinearFit f({0, 1, 2}, {1, 3, 5}, line());
  f.fit();
  WarningLog log;
  std::vector<std::string> printed;
  EXPECT_FALSE(f.source([&](const std::string& l) { printed.push_back(l); }).has_value());
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0], "An error occurred while capturing the source code : could not get source code");
}

class Fitted : public testing::Test {
 protected:
  // y = 2 e^(0.5 x) exactly.
  std::vector<double> x{0, 1, 2, 3, 4};
  std::vector<double> y = [this] {
    std::vector<double> v;
    for (double xi : x) v.push_back(2 * std::exp(0.5 * xi));
    return v;
  }();
  NonLinearFit f{x, y, exp2()};
  void SetUp() override { f.fit(); }
};

TEST_F(Fitted, ValuesAndRSquared) {
  EXPECT_NEAR((*f.params)[0], 2.0, 1e-8);
  EXPECT_NEAR((*f.params)[1], 0.5, 1e-8);
  EXPECT_NEAR(f.yval(2).as_double(), 2 * std::exp(1.0), 1e-7);
  const std::vector<double> yl = f.ylist();
  ASSERT_EQ(yl.size(), 5u);
  EXPECT_NEAR(yl[4], y[4], 1e-6);
  EXPECT_TRUE(f.ylist(std::vector<double>{}).empty());
  EXPECT_NEAR(f.r_squared(), 1.0, 1e-12);
  EXPECT_EQ(std::string(expect_error([&] { f.r_squared(std::vector<double>{1, 2, 3}); }).what()),
            "predicted values length [3] must match actual values length [5].");
  // A given prediction is used as it is.
  const double mean = (y[0] + y[1] + y[2] + y[3] + y[4]) / 5;
  EXPECT_DOUBLE_EQ(f.r_squared(std::vector<double>(5, mean)), 0.0);
}

TEST(NonLinearFit, EqualYGivesRSquaredOne) {
  NonLinearFit f({0, 1, 2}, {4, 4, 4}, line());
  f.fit();
  EXPECT_EQ(f.r_squared(std::vector<double>{0, 0, 0}), 1.0);
  // The mean of three 0.1 rounds to 0.10000000000000002: no spread all the same.
  NonLinearFit g({0, 1, 2}, {0.1, 0.1, 0.1}, line());
  g.fit();
  EXPECT_EQ(g.r_squared(std::vector<double>{0, 0, 0}), 1.0);
}

struct SolveCase {
  std::string name;
  double y;
  bool warns;
};

class FittedSolve : public Fitted, public testing::WithParamInterface<SolveCase> {};

TEST_P(FittedSolve, SolvesWithRangeWarning) {
  const SolveCase& c = GetParam();
  WarningLog log;
  const double root = f.solveval(c.y);
  EXPECT_NEAR(root, 2 * std::log(c.y / 2), 1e-9);
  EXPECT_EQ(f.solveval(c.y, false), root);
  if (c.warns) {
    ASSERT_EQ(log.seen.size(), 2u);
    EXPECT_EQ(log.seen[0].first, trelvo::WarningKind::UserWarning);
  } else {
    EXPECT_TRUE(log.seen.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(NonLinearFit, FittedSolve,
                         testing::Values(SolveCase{"smallest_y", 2.0, false}, SolveCase{"largest_y", 2 * std::exp(2.0), false},
                                         SolveCase{"inside", 5.0, false}, SolveCase{"below", 1.5, true},
                                         SolveCase{"above", 20.0, true}),
                         [](const testing::TestParamInfo<SolveCase>& i) { return i.param.name; });

TEST_F(Fitted, RangeWarningWritesYAsPython) {
  WarningLog log;
  f.solveval(30);
  ASSERT_EQ(log.seen.size(), 1u);
  EXPECT_EQ(log.seen[0].second, "y value 30.0 is out of range.");
}

TEST_F(Fitted, SolveKeepsOrder) {
  EXPECT_TRUE(f.solve({}).empty());
  const std::vector<double> r = f.solve({3, 4, 5});
  ASSERT_EQ(r.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(r[i], 2 * std::log((3 + i) / 2.0), 1e-9);
}

TEST_F(Fitted, UnreachableYIsSolutionFailed) {
  // a e^(b x) never reaches -1: the secant search runs away.
  WarningLog log;
  Error e = expect_error([&] { f.solveval(-1); });
  EXPECT_EQ(e.kind(), ErrorKind::ValueError);
  EXPECT_EQ(std::string(e.what()).rfind("Solution failed: ", 0), 0u) << e.what();
  EXPECT_TRUE(e.has_cause());
  EXPECT_EQ(log.seen.size(), 1u);
}

TEST(NonLinearFit, ScalarModelFitsButHasNoList) {
  NonLinearFit f({0, 1, 2}, {2, 3, 4}, std::make_shared<ScalarModel>());
  f.fit();
  EXPECT_NEAR(std::exp((*f.params)[0]), 3.0, 1e-7);
  EXPECT_EQ(expect_error([&] { f.ylist(); }).kind(), ErrorKind::TypeError);
  EXPECT_EQ(expect_error([&] { f.r_squared(); }).kind(), ErrorKind::TypeError);
  EXPECT_NEAR(f.yval(7).as_double(), 3.0, 1e-7);
}

TEST(NonLinearFit, SolveStopsAtTheFirstNonFiniteStep) {
  // Five parameters: without the stop the search would run 10^7 iterations.
  auto m = std::make_shared<LambdaModel>(std::vector<std::string>{"x", "a", "b", "c", "d", "e"}, [](double x, Params p) {
    return p[0] + p[1] * std::log(x) + p[2] + p[3] + p[4];
  });
  NonLinearFit f({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, std::vector<double>(10, 6.0), m);
  f.params = std::vector<double>{5, 1, 0, 0, 0};
  WarningLog log;
  Error e = expect_error([&] { f.solveval(0); });
  EXPECT_EQ(std::string(e.what()),
            "Solution failed: The function is nan at x = -18.54325168564633 after 1 iterations.");
  EXPECT_TRUE(e.has_cause());
  EXPECT_EQ(m->calls, 3);
}

// A cliff: the model is a - 1e20 left of 0 and a from 0 on, so it never
// reaches 0 for a = 1. The secant's second step lands back on x = 1 and the
// search counts as converged there, where the model gives 1.
TEST(NonLinearFit, SolveRefusesAnXWhereTheModelMissesY) {
  auto m = std::make_shared<LambdaModel>(std::vector<std::string>{"x", "a"},
                                         [](double x, Params p) { return p[0] + (x < 0 ? -1e20 : 0.0); });
  NonLinearFit f({-1, 0, 1}, {0, 1, 1}, m);
  f.params = std::vector<double>{1};
  ASSERT_TRUE(trelvo::secant([&](double x) { return f.yval(x).as_double(); }, -1, 1, 1e-12, 100).converged);
  WarningLog log;
  Error e = expect_error([&] { f.solveval(0); });
  EXPECT_EQ(e.kind(), ErrorKind::ValueError);
  EXPECT_EQ(std::string(e.what()), "Solution failed: The model gives 1.0 at x = 1.0, not 0.0.");
  EXPECT_TRUE(e.has_cause());
  // Within 1e-6·max(1, |y|) counts as reached.
  EXPECT_TRUE(trelvo::reaches(1e-6, 0));
  EXPECT_FALSE(trelvo::reaches(1.1e-6, 0));
  EXPECT_TRUE(trelvo::reaches(1000.001, 1000));
  EXPECT_FALSE(trelvo::reaches(1000.002, 1000));
}

TEST(NonLinearFit, SinglePointCannotBeSolved) {
  auto m = std::make_shared<LambdaModel>(std::vector<std::string>{"x", "a"}, [](double x, Params p) { return p[0] * x; });
  NonLinearFit f({2}, {4}, m);
  f.fit();
  Error e = expect_error([&] { f.solveval(4); });
  EXPECT_EQ(std::string(e.what()), "x1 and x0 must be different");
  EXPECT_FALSE(e.has_cause());
}

// ---- secant ----------------------------------------------------------------

struct SecantCase {
  std::string name;
  std::function<double(double)> f;
  double x0, x1;
  std::int64_t maxiter;
  bool converged;
  double root;          // when converged
  std::string message;  // when not
};

class Secant : public testing::TestWithParam<SecantCase> {};

TEST_P(Secant, StepsAndStops) {
  const SecantCase& c = GetParam();
  const trelvo::SecantResult r = trelvo::secant(c.f, c.x0, c.x1, 1e-12, c.maxiter);
  EXPECT_EQ(r.converged, c.converged);
  if (c.converged) {
    EXPECT_NEAR(r.root, c.root, 1e-12);
    EXPECT_TRUE(r.message.empty());
  } else {
    EXPECT_EQ(r.message, c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    NonLinearFit, Secant,
    testing::Values(
        SecantCase{"square_root_of_two", [](double x) { return x * x - 2; }, 1, 2, 100, true, std::sqrt(2.0), ""},
        SecantCase{"reversed_start", [](double x) { return x * x - 2; }, 2, 1, 100, true, std::sqrt(2.0), ""},
        SecantCase{"linear_in_one_step", [](double x) { return 3 * x - 6; }, 0, 5, 100, true, 2.0, ""},
        SecantCase{"flat_function_stalls", [](double) { return 1.0; }, 0, 1, 100, false, 0, "Tolerance of 1.0 reached."},
        SecantCase{"iteration_limit", [](double x) { return std::exp(x) + 1; }, 0, 1, 3, false, 0,
                   "Failed to converge after 3 iterations, value is -8.323357334639503."},
        // A step to negative x under a logarithm ends the search at once.
        SecantCase{"nan_value_stops", [](double x) { return std::log(x) + 5; }, 1, 10, 1000000, false, 0,
                   "The function is nan at x = -18.54325168564633 after 1 iterations."},
        SecantCase{"nan_step_stops", [](double x) { return x < 0.5 ? NAN : x - 2; }, 0, 1, 1000000, false, 0,
                   "Failed to converge after 1 iterations, value is nan."}),
    [](const testing::TestParamInfo<SecantCase>& i) { return i.param.name; });

TEST(NonLinearFit, SecantRefusesEqualStarts) {
  Error e = expect_error([] { trelvo::secant([](double x) { return x; }, 1, 1, 1e-12, 10); });
  EXPECT_EQ(e.kind(), ErrorKind::ValueError);
  EXPECT_EQ(std::string(e.what()), "x1 and x0 must be different");
}

}  // namespace
