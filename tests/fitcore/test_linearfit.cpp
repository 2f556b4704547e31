// The polynomial fit model and the NumPy-style polynomial numerics under it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fitcore/errors.h"
#include "fitcore/linearfit.h"
#include "fitcore/output.h"
#include "fitcore/polynomial.h"
#include "fitcore/statistics.h"
#include "fitcore/warnings.h"

namespace {

using trelvo::Error;
using trelvo::ErrorKind;
using trelvo::WarningKind;

struct Captured {
  std::vector<std::pair<WarningKind, std::string>> warnings;
  std::vector<std::string> lines;
};

// Records warnings and printed lines for the life of the fixture.
class Capture {
 public:
  Capture()
      : sink_([this](WarningKind k, const std::string& m) { got.warnings.emplace_back(k, m); }),
        previous_out_(trelvo::set_output_sink([this](const std::string& l) { got.lines.push_back(l); })) {}
  ~Capture() { trelvo::set_output_sink(previous_out_); }
  Captured got;

 private:
  trelvo::ScopedWarningSink sink_;
  trelvo::OutputSink previous_out_;
};

template <class F>
std::pair<ErrorKind, std::string> error_of(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return {e.kind(), e.what()};
  }
  return {ErrorKind::RuntimeError, "<no error>"};
}

// --- constructor checks ---------------------------------------------------------

struct CtorCase {
  const char* name;
  std::vector<double> x, y;
  int degree;
  std::optional<double> y0;
  std::vector<bool> x_is_int;
  std::string message;  // empty: accepted
};

class Constructor : public ::testing::TestWithParam<CtorCase> {};

TEST_P(Constructor, ChecksInOrder) {
  const auto& c = GetParam();
  auto [kind, msg] = error_of([&] { LinearFit f(c.x, c.y, c.degree, c.y0, c.x_is_int); });
  if (c.message.empty()) {
    EXPECT_EQ(msg, "<no error>");
  } else {
    EXPECT_EQ(kind, ErrorKind::ValueError);
    EXPECT_EQ(msg, c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Constructor,
    ::testing::Values(
        CtorCase{"length_first", {1, 2}, {1}, 0, {}, {}, "x_data and y_data must have the same length."},
        CtorCase{"degree_zero", {1, 2}, {1, 2}, 0, {}, {}, "Degree must be at least 1."},
        CtorCase{"unsorted", {1, 3, 2}, {1, 2, 3}, 2, {}, {}, "x_data must be sorted in ascending or descending order."},
        CtorCase{"ties_ascending", {1, 1, 2}, {1, 2, 3}, 2, {}, {}, ""},
        CtorCase{"constant", {2, 2, 2}, {1, 2, 3}, 2, {}, {}, ""},
        CtorCase{"descending", {3, 2, 2}, {1, 2, 3}, 2, {}, {}, ""},
        CtorCase{"empty", {}, {}, 1, {}, {}, ""},
        CtorCase{"clash_float", {1, 2, 3}, {1, 2, 3}, 2, 2.0, {}, "x_data cannot contain 2.0 if 2.0 is provided."},
        CtorCase{"clash_int", {1, 2, 3}, {1, 2, 3}, 2, 2.0, {true, true, true},
                 "x_data cannot contain 2 if 2.0 is provided."},
        CtorCase{"clash_within_tolerance", {1, 2.00000000001}, {1, 2}, 1, 2.0, {},
                 "x_data cannot contain 2.00000000001 if 2.0 is provided."},
        CtorCase{"zero_allowed_with_other_intercept", {0, 1, 2}, {1, 2, 3}, 2, 2.5, {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// --- intercept point placement ----------------------------------------------------

struct PlacementCase {
  const char* name;
  std::vector<double> x;
  std::vector<double> expected;
};

class InterceptPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(InterceptPlacement, PointGoesWhereTheDataAllow) {
  const auto& c = GetParam();
  std::vector<double> y(c.x.size());
  for (std::size_t i = 0; i < y.size(); ++i) y[i] = 10.0 + c.x[i];
  LinearFit f(c.x, y, 1, 5.0);
  auto d = f.insert_y_intercept();
  ASSERT_TRUE(d);
  EXPECT_EQ(d->x, c.expected);
  // The added point carries y0 = 5.0; every data point keeps its own y.
  ASSERT_EQ(d->y.size(), c.expected.size());
  for (std::size_t i = 0, j = 0; i < d->y.size(); ++i) {
    if (d->y[i] == 5.0) {
      EXPECT_EQ(d->x[i], 0.0);
    } else {
      EXPECT_EQ(d->y[i], y[j++]);
    }
  }
  Capture cap;
  EXPECT_EQ(f.fit().back(), 5.0);
  ASSERT_EQ(cap.got.lines.size(), 2u);
  EXPECT_EQ(cap.got.lines[0].rfind("Fitting x list: [", 0), 0u);
  EXPECT_EQ(cap.got.lines[1].rfind("Fitting y list: [", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InterceptPlacement,
    ::testing::Values(PlacementCase{"ascending_positive", {1, 2, 3}, {0, 1, 2, 3}},
                      PlacementCase{"descending_positive", {3, 2, 1}, {0, 3, 2, 1}},
                      PlacementCase{"ascending_negative", {-3, -2, -1}, {-3, -2, -1, 0}},
                      PlacementCase{"descending_negative", {-1, -2, -3}, {-1, -2, -3, 0}},
                      PlacementCase{"straddle_ascending", {-2, -1, 1, 2}, {-2, -1, 0, 1, 2}},
                      PlacementCase{"straddle_descending", {2, 1, -1, -2}, {2, 1, 0, -1, -2}},
                      PlacementCase{"own_zero_kept", {0, 1, 2}, {0, 0, 1, 2}},
                      PlacementCase{"ends_at_zero", {-2, -1, 0}, {-2, -1, 0}},
                      PlacementCase{"descends_to_zero", {2, 1, 0}, {2, 1, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InterceptData, PrintedLinesUseNumpyArrayForms) {
  Capture cap;
  LinearFit ints({1, 2, 3}, {2, 4, 7}, 1, 5.0, {true, true, true}, {true, true, true});
  ints.fit();
  LinearFit floats({1.5, 2, 3}, {2, 4, 7}, 1, 5.0);
  floats.fit();
  EXPECT_EQ(cap.got.lines, (std::vector<std::string>{"Fitting x list: [0 1 2 3]", "Fitting y list: [5. 2. 4. 7.]",
                                                     "Fitting x list: [0.  1.5 2.  3. ]",
                                                     "Fitting y list: [5. 2. 4. 7.]"}));
}

TEST(InterceptData, NoInterceptGivesNothingAndValueIsStored) {
  Capture cap;
  LinearFit f({1, 2, 3}, {2, 4, 7}, 1);
  EXPECT_FALSE(f.insert_y_intercept());
  EXPECT_TRUE(cap.got.lines.empty());
  ASSERT_TRUE(f.insert_y_intercept(1.5));
  EXPECT_EQ(f.y_intercept, 1.5);
  EXPECT_EQ(f.fit().back(), 1.5);
}

// --- fitting -----------------------------------------------------------------

TEST(Fit, LineThroughPointsAndConstrainedIntercept) {
  LinearFit f({0, 1, 2}, {1, 3, 5}, 1);
  auto p = f.fit();
  ASSERT_EQ(p.size(), 2u);
  EXPECT_NEAR(p[0], 2.0, 1e-12);
  EXPECT_NEAR(p[1], 1.0, 1e-12);
  // y = 2x + 1 with the intercept held at 0: slope by least squares on y - 0.
  LinearFit g({1, 2, 3}, {3, 5, 7}, 1, 0.0);
  Capture cap;
  auto q = g.fit();
  EXPECT_NEAR(q[0], (3 * 1 + 5 * 2 + 7 * 3) / 14.0, 1e-12);
  EXPECT_EQ(q[1], 0.0);
}

TEST(Fit, Errors) {
  LinearFit f({0, 1, 2}, {1, 3, 5}, 1);
  EXPECT_EQ(error_of([&] { f.fit(0); }), std::make_pair(ErrorKind::ValueError, std::string("Degree must be at least 1.")));
  EXPECT_EQ(f.degree, 1);
  LinearFit empty({}, {}, 1);
  EXPECT_EQ(error_of([&] { empty.fit(3); }),
            std::make_pair(ErrorKind::TypeError, std::string("expected non-empty vector for x")));
  EXPECT_EQ(empty.degree, 3);
  EXPECT_FALSE(empty.params);
  LinearFit empty_intercept({}, {}, 1, 1.0);
  EXPECT_EQ(error_of([&] { empty_intercept.fit(); }).first, ErrorKind::IndexError);
  LinearFit with_nan({0, 1, 2}, {1, NAN, 5}, 1);
  EXPECT_EQ(error_of([&] { with_nan.fit(); }),
            std::make_pair(ErrorKind::ValueError, std::string("x_data and y_data must not contain NaN or infinite values.")));
  EXPECT_FALSE(with_nan.params);
}

TEST(Fit, RankWarningWhenUnderdetermined) {
  Capture cap;
  LinearFit f({1, 2}, {1, 2}, 3);
  auto p = f.fit();
  EXPECT_EQ(p.size(), 4u);
  ASSERT_EQ(cap.got.warnings.size(), 1u);
  EXPECT_EQ(cap.got.warnings[0], std::make_pair(WarningKind::RankWarning, std::string("Polyfit may be poorly conditioned")));
}

// --- evaluation, R², solving, formula -----------------------------------------

TEST(Evaluate, UnfittedModelRefusesEveryMember) {
  LinearFit f({0, 1, 2}, {1, 3, 5}, 1);
  const std::string msg = "Model has not been fitted yet.";
  EXPECT_EQ(error_of([&] { f.yval(1); }).second, msg);
  EXPECT_EQ(error_of([&] { f.ylist(); }).second, msg);
  EXPECT_EQ(error_of([&] { f.r_squared(); }).second, msg);
  EXPECT_EQ(error_of([&] { f.solveval(1); }).second, msg);
  EXPECT_EQ(error_of([&] { f.solve({}); }).second, msg);
  EXPECT_EQ(error_of([&] { f.formula(); }).second, msg);
  Capture cap;
  EXPECT_EQ(error_of([&] { f.predict({1}); }).second, msg);
  ASSERT_EQ(cap.got.warnings.size(), 1u);
  EXPECT_EQ(cap.got.warnings[0].first, WarningKind::DeprecationWarning);
}

TEST(Evaluate, RSquared) {
  LinearFit f({0, 1, 2}, {1, 3, 5}, 1);
  f.fit();
  EXPECT_NEAR(f.r_squared(), 1.0, 1e-12);
  EXPECT_NEAR(f.yval(3), 7.0, 1e-12);
  EXPECT_EQ(error_of([&] { f.r_squared(std::vector<double>{1.0}); }).second,
            "predicted values length [1] must match actual values length [3].");
  LinearFit flat({1, 2, 3}, {0.1, 0.1, 0.1}, 1);
  flat.fit();
  EXPECT_EQ(flat.r_squared(std::vector<double>{5, 6, 7}), 1.0);
}

LinearFit with_params(std::vector<double> x, std::vector<double> params) {
  LinearFit f(x, std::vector<double>(x.size(), 0.0), 2);
  for (std::size_t i = 0; i < x.size(); ++i) f.y_data[i] = -1.0 + static_cast<double>(i);
  f.params = std::move(params);
  return f;
}

TEST(Solve, RealRootsOnly) {
  Capture cap;
  // (x - 1)(x - 3) over x in [0, 2].
  LinearFit f = with_params({0, 1, 2}, {1, -4, 3});
  auto limited = f.solveval(0.0);
  EXPECT_EQ(limited.kind, trelvo::Solution::Kind::Value);
  EXPECT_NEAR(limited.x, 1.0, 1e-12);
  auto all = f.solveval(0.0, false);
  ASSERT_EQ(all.kind, trelvo::Solution::Kind::Multiple);
  ASSERT_EQ(all.xs.size(), 2u);
  EXPECT_NEAR(all.xs[0], 3.0, 1e-12);
  EXPECT_NEAR(all.xs[1], 1.0, 1e-12);
  ASSERT_EQ(cap.got.warnings.size(), 2u);
  EXPECT_EQ(cap.got.warnings[0].second, "Multiple solutions found [3. 1.] for y value 0.0");

  // x^2 + 1 = y has complex roots for y < 1.
  LinearFit g = with_params({-1, 0, 1}, {1, 0, 1});
  EXPECT_EQ(error_of([&] { g.solveval(0.5); }),
            std::make_pair(ErrorKind::ValueError, std::string("No solution found for y value 0.5.")));
  // x^3 - x^2 + x - 1 = (x - 1)(x^2 + 1): one real root among three.
  LinearFit h = with_params({0, 1, 2}, {1, -1, 1, -1});
  cap.got.warnings.clear();
  auto one = h.solveval(0.0, false);
  EXPECT_EQ(one.kind, trelvo::Solution::Kind::Value);
  EXPECT_NEAR(one.x, 1.0, 1e-12);
  EXPECT_TRUE(cap.got.warnings.empty());
  // A constant has no root at all.
  LinearFit k = with_params({0, 1, 2}, {0, 0, 4});
  EXPECT_EQ(error_of([&] { k.solveval(1.0); }).first, ErrorKind::ValueError);
}

TEST(Solve, OutOfRangeWarningAndLineRootOutsideRange) {
  Capture cap;
  LinearFit f({0, 1, 2}, {1, 3, 5}, 1);
  f.fit();
  auto s = f.solveval(21);
  EXPECT_EQ(s.kind, trelvo::Solution::Kind::Value);
  EXPECT_NEAR(s.x, 10.0, 1e-9);
  ASSERT_EQ(cap.got.warnings.size(), 1u);
  EXPECT_EQ(cap.got.warnings[0], std::make_pair(WarningKind::UserWarning, std::string("y value 21.0 is out of range.")));
  cap.got.warnings.clear();
  f.solveval(5.0);
  f.solveval(1.0);
  EXPECT_TRUE(cap.got.warnings.empty());  // the extremes are in range
}

TEST(Solve, RootOnRangeEndIsNotInside) {
  Capture cap;
  LinearFit f = with_params({0, 0.25, 0.5}, {1, -1, 0});  // roots 1 and exactly 0
  EXPECT_EQ(f.solveval(0.0).kind, trelvo::Solution::Kind::None);
}

struct FormulaCase {
  const char* name;
  std::vector<double> params;
  std::string x;
  int decimal;
  bool scientific;
  std::string expected;
};

class Formula : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(Formula, Text) {
  const auto& c = GetParam();
  LinearFit f = with_params({0, 1, 2}, c.params);
  EXPECT_EQ(f.formula(c.x, c.decimal, c.scientific), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Formula,
    ::testing::Values(FormulaCase{"quadratic", {2, -3, 1}, "x", 3, false, "2.000 * x**2 - 3.000 * x + 1.000"},
                      FormulaCase{"zero_constant", {2, -3, 0}, "x", 3, false, "2.000 * x**2 - 3.000 * x"},
                      FormulaCase{"negative_zero_constant", {2, -3, -0.0}, "x", 3, false, "2.000 * x**2 - 3.000 * x"},
                      FormulaCase{"scientific", {2, -3, 1}, "x", 3, true, "2.000e+00 * x**2 - 3.000e+00 * x + 1.000e+00"},
                      FormulaCase{"other_name_keeps_power_one", {1, 2}, "t", 3, false, "1.000 * t**1 + 2.000"},
                      FormulaCase{"zero_terms_written", {1.5, 0, 0}, "x", 3, false, "1.500 * x**2 + 0.000 * x"},
                      FormulaCase{"tenth_power", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}, "x", 0, false,
                                  "1 * x**10 + 0 * x**9 + 0 * x**8 + 0 * x**7 + 0 * x**6 + 0 * x**5 + 0 * x**4 + "
                                  "0 * x**3 + 0 * x**2 + 0 * x + 2"},
                      FormulaCase{"rounds_to_negative_zero", {1, -0.0001}, "x", 3, false, "1.000 * x - 0.000"},
                      FormulaCase{"only_zero_constant", {0.0}, "x", 3, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormulaErrors, NegativeDecimalIsValueError) {
  LinearFit f = with_params({0, 1, 2}, {1, 2});
  EXPECT_EQ(error_of([&] { f.formula("x", -1); }).first, ErrorKind::ValueError);
}

TEST(Predict, NewtonStepsAndDivergence) {
  Capture cap;
  LinearFit line = with_params({0, 1, 2}, {2, 1});
  auto [xs, ns] = line.predict({7.0});
  ASSERT_EQ(xs.size(), 1u);
  EXPECT_NEAR(xs[0], 3.0, 1e-12);
  EXPECT_EQ(ns[0], 1);
  LinearFit at_start = with_params({0, 1, 2}, {2, 0});
  EXPECT_EQ(at_start.predict({0.0}).second[0], 0);
  // x^2 + 1 never reaches 0: NaN after the iteration limit (10^(3+2)).
  LinearFit never = with_params({0, 1, 2}, {1, 0, 1});
  auto [nx, nn] = never.predict({0.0});
  EXPECT_TRUE(std::isnan(nx[0]));
  EXPECT_EQ(nn[0], 100000);
}

// --- numerics: roots and sums as NumPy gives them --------------------------------

TEST(Roots, TrailingZerosAndStrippedLeadingZeros) {
  auto r = trelvo::roots({0, 0, 1, -3, 2, 0, 0});
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[2], std::complex<double>(0, 0));
  EXPECT_EQ(r[3], std::complex<double>(0, 0));
  EXPECT_NEAR(r[0].real() * r[1].real(), 2.0, 1e-12);
  EXPECT_TRUE(trelvo::roots({0, 0}).empty());
  EXPECT_TRUE(trelvo::roots({5}).empty());
  EXPECT_EQ(error_of([] { trelvo::roots({1, NAN}); }).first, ErrorKind::ValueError);
}

TEST(NumpySum, PairwiseInBlocks) {
  std::vector<double> v(20000);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = 0.1 * static_cast<double>(i % 7) + 1e-3;
  double naive = 0.0;
  for (double d : v) naive += d;
  EXPECT_NEAR(trelvo::numpy_sum(v.data(), v.size()), naive, 1e-6);
  EXPECT_EQ(trelvo::numpy_sum(v.data(), 0), 0.0);
}

}  // namespace
