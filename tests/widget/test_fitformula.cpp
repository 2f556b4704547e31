// The output pane's texts of each model kind: notations, dropped terms,
// joined signs, and the custom model's name replacement; and a fitted
// polynomial's texts giving the model's value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "fitcore/evaluator.h"
#include "fitcore/expression.h"
#include "fitflow_fixture.h"
#include "widget/widget_fitformula.h"

namespace ff = trelvo::fitformula;

namespace {

struct PaneCase {
  const char* name;
  std::function<ff::PaneText()> make;
  QString text;
};

class PaneTexts : public ::testing::TestWithParam<PaneCase> {};

TEST_P(PaneTexts, Exactly) { EXPECT_EQ(GetParam().make().text.toStdString(), GetParam().text.toStdString()); }

QString four(const char* r2, const char* formula, const char* pyHeader, const char* py, const char* cHeader,
             const char* c, const char* ps) {
  return QString("[R²]\n%1\n[Formula]\n%2\n[%3]\n%4\n[%5]\n%6\n[PowerShell]\n%7\n")
      .arg(r2, formula, pyHeader, py, cHeader, c, ps);
}

INSTANTIATE_TEST_SUITE_P(
    Models, PaneTexts,
    ::testing::Values(
        PaneCase{"polynomial_fixed6", [] { return ff::polynomialPane(0.98765, {1.5, -2, 0.25}, false, 6); },
                 four("r2 = 0.987650", "y = 1.500000 -2.000000 * x + 0.250000 * x^2", "Python/Fortran",
                      "y = 1.500000 -2.000000 * x + 0.250000 * x**2", "C/C++",
                      "y = 1.500000 -2.000000 * x + 0.250000 * pow(x, 2)",
                      "$y = 1.500000 -2.000000 * $x + 0.250000 * [math]::pow($x, 2)")},
        PaneCase{"polynomial_degree1", [] { return ff::polynomialPane(1, {1, 2}, false, 1); },
                 four("r2 = 1.0", "y = 1.0 + 2.0 * x", "Python/Fortran", "y = 1.0 + 2.0 * x", "C/C++",
                      "y = 1.0 + 2.0 * x", "$y = 1.0 + 2.0 * $x")},
        PaneCase{"polynomial_vanishing_terms_dropped",
                 [] { return ff::polynomialPane(1, {0, 3e-13, -1, 0, 0, 0, 0, 0, 0, 0, 2}, false, 6); },
                 four("r2 = 1.000000", "y = -1.000000 * x^2 + 2.000000 * x^10", "Python/Fortran",
                      "y = -1.000000 * x**2 + 2.000000 * x**10", "C/C++",
                      "y = -1.000000 * pow(x, 2) + 2.000000 * pow(x, 10)",
                      "$y = -1.000000 * [math]::pow($x, 2) + 2.000000 * [math]::pow($x, 10)")},
        PaneCase{"polynomial_scientific_keeps_small_term", [] { return ff::polynomialPane(1, {1, 3e-7}, true, 6); },
                 four("r2 = 1.000000e+00", "y = 1.000000e+00 + 3.000000e-07 * x", "Python/Fortran",
                      "y = 1.000000e+00 + 3.000000e-07 * x", "C/C++", "y = 1.000000e+00 + 3.000000e-07 * x",
                      "$y = 1.000000e+00 + 3.000000e-07 * $x")},
        // A coefficient whose text reads zero is left out, whatever the data.
        PaneCase{"polynomial_rounded_zero_term_dropped",
                 [] { return ff::polynomialPane(1, {2.11, 0.009, 0.0004}, false, 3, {1e6, 1}); },
                 four("r2 = 1.000", "y = 2.110 + 0.009 * x", "Python/Fortran", "y = 2.110 + 0.009 * x", "C/C++",
                      "y = 2.110 + 0.009 * x", "$y = 2.110 + 0.009 * $x")},
        // Tiny coefficients of high powers carry the fit at large x.
        PaneCase{"polynomial_small_coefficient_large_x_kept",
                 [] { return ff::polynomialPane(1, {1, 1e-7, 3e-13}, true, 6, {1e6, 1.4}); },
                 four("r2 = 1.000000e+00", "y = 1.000000e+00 + 1.000000e-07 * x + 3.000000e-13 * x^2",
                      "Python/Fortran", "y = 1.000000e+00 + 1.000000e-07 * x + 3.000000e-13 * x**2", "C/C++",
                      "y = 1.000000e+00 + 1.000000e-07 * x + 3.000000e-13 * pow(x, 2)",
                      "$y = 1.000000e+00 + 1.000000e-07 * $x + 3.000000e-13 * [math]::pow($x, 2)")},
        // The same coefficient is negligible against large y, or at small x.
        PaneCase{"polynomial_small_contribution_dropped",
                 [] { return ff::polynomialPane(1, {1, 1e-7, 3e-13}, true, 1, {1e3, 1e6}); },
                 four("r2 = 1.0e+00", "y = 1.0e+00 + 1.0e-07 * x", "Python/Fortran", "y = 1.0e+00 + 1.0e-07 * x",
                      "C/C++", "y = 1.0e+00 + 1.0e-07 * x", "$y = 1.0e+00 + 1.0e-07 * $x")},
        PaneCase{"polynomial_constant_below_threshold_dropped",
                 [] { return ff::polynomialPane(1, {5e-13, 2}, true, 1, {1e9, 1e9}); },
                 four("r2 = 1.0e+00", "y = 2.0e+00 * x", "Python/Fortran", "y = 2.0e+00 * x", "C/C++",
                      "y = 2.0e+00 * x", "$y = 2.0e+00 * $x")},
        PaneCase{"polynomial_every_term_vanishes", [] { return ff::polynomialPane(0, {0, 0, 0}, false, 2); },
                 four("r2 = 0.00", "y = 0.00", "Python/Fortran", "y = 0.00", "C/C++", "y = 0.00", "$y = 0.00")},
        PaneCase{"power_fixed3", [] { return ff::powerPane(0.99, 2, 0.5, false, 3); },
                 four("r2 = 0.990", "y = 2.000 * x^0.500", "Python/Fortran", "y = 2.000 * x**0.500", "C/C++",
                      "y = 2.000 * pow(x, 0.500)", "$y = 2.000 * [math]::pow($x, 0.500)")},
        PaneCase{"power_negative_exponent_not_joined", [] { return ff::powerPane(1, 2, -0.5, false, 6); },
                 four("r2 = 1.000000", "y = 2.000000 * x^-0.500000", "Python/Fortran",
                      "y = 2.000000 * x**-0.500000", "C/C++", "y = 2.000000 * pow(x, -0.500000)",
                      "$y = 2.000000 * [math]::pow($x, -0.500000)")},
        PaneCase{"logarithmic_negative_b", [] { return ff::logarithmicPane(1, 1.5, -2, false, 6); },
                 four("r2 = 1.000000", "y = 1.500000 -2.000000 * ln(x)", "Python",
                      "y = 1.500000 -2.000000 * math.log(x)", "C/C++/Fortran", "y = 1.500000 -2.000000 * log(x)",
                      "$y = 1.500000 -2.000000 * [math]::log($x)")},
        PaneCase{"logarithmic_rounded_zero_a_dropped", [] { return ff::logarithmicPane(1, 3e-7, 2, false, 6); },
                 four("r2 = 1.000000", "y = 2.000000 * ln(x)", "Python", "y = 2.000000 * math.log(x)",
                      "C/C++/Fortran", "y = 2.000000 * log(x)", "$y = 2.000000 * [math]::log($x)")},
        PaneCase{"logarithmic_scientific_small_a_kept", [] { return ff::logarithmicPane(1, 3e-7, 2, true, 6); },
                 four("r2 = 1.000000e+00", "y = 3.000000e-07 + 2.000000e+00 * ln(x)", "Python",
                      "y = 3.000000e-07 + 2.000000e+00 * math.log(x)", "C/C++/Fortran",
                      "y = 3.000000e-07 + 2.000000e+00 * log(x)",
                      "$y = 3.000000e-07 + 2.000000e+00 * [math]::log($x)")},
        PaneCase{"logarithmic_vanishing_a", [] { return ff::logarithmicPane(1, 3e-13, 2, false, 6); },
                 four("r2 = 1.000000", "y = 2.000000 * ln(x)", "Python", "y = 2.000000 * math.log(x)",
                      "C/C++/Fortran", "y = 2.000000 * log(x)", "$y = 2.000000 * [math]::log($x)")},
        PaneCase{"logarithmic_nan_a_kept", [] { return ff::logarithmicPane(1, NAN, 2, false, 1); },
                 four("r2 = 1.0", "y = nan + 2.0 * ln(x)", "Python", "y = nan + 2.0 * math.log(x)",
                      "C/C++/Fortran", "y = nan + 2.0 * log(x)", "$y = nan + 2.0 * [math]::log($x)")},
        PaneCase{"exponential_fixed3", [] { return ff::exponentialPane(0.99, 1.5, -2, 0.5, false, 3); },
                 four("r2 = 0.990", "y = 1.500 -2.000 * e^(0.500 * x)", "Python",
                      "y = 1.500 -2.000 * math.exp(0.500 * x)", "C/C++/Fortran", "y = 1.500 -2.000 * exp(0.500 * x)",
                      "$y = 1.500 -2.000 * [math]::exp(0.500 * $x)")},
        PaneCase{"exponential_vanishing_a", [] { return ff::exponentialPane(1, -3e-13, 2, -0.5, false, 3); },
                 four("r2 = 1.000", "y = 2.000 * e^(-0.500 * x)", "Python", "y = 2.000 * math.exp(-0.500 * x)",
                      "C/C++/Fortran", "y = 2.000 * exp(-0.500 * x)", "$y = 2.000 * [math]::exp(-0.500 * $x)")},
        PaneCase{"exponential2_scientific2", [] { return ff::exponential2Pane(0.95, 2, 0.3, true, 2); },
                 four("r2 = 9.50e-01", "y = 2.00e+00 * e^(3.00e-01 * x)", "Python",
                      "y = 2.00e+00 * math.exp(3.00e-01 * x)", "C/C++/Fortran", "y = 2.00e+00 * exp(3.00e-01 * x)",
                      "$y = 2.00e+00 * [math]::exp(3.00e-01 * $x)")},
        PaneCase{"exponential2_keeps_zero_a", [] { return ff::exponential2Pane(1, 0, 1, false, 0); },
                 four("r2 = 1", "y = 0 * e^(1 * x)", "Python", "y = 0 * math.exp(1 * x)", "C/C++/Fortran",
                      "y = 0 * exp(1 * x)", "$y = 0 * [math]::exp(1 * $x)")},
        PaneCase{"custom_sections_only",
                 [] { return ff::customPane(0.5, "a*x+b", {"a", "b"}, {-2, 0.5}, false, 6); },
                 "[R²]\nr2 = 0.500000\n[Formula]\ny = -2.000000*x+0.500000\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct CustomCase {
  const char* name;
  QString expression;
  QStringList names;
  std::vector<double> coef;
  QString formula;
};

class CustomFormula : public ::testing::TestWithParam<CustomCase> {};

TEST_P(CustomFormula, ReplacesWholeNamesAndJoinsSigns) {
  const CustomCase& c = GetParam();
  EXPECT_EQ(ff::customPane(1, c.expression, c.names, c.coef, false, 6).formula.toStdString(),
            c.formula.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CustomFormula,
    ::testing::Values(
        CustomCase{"minus_negative_becomes_plus", "a*x - b", {"a", "b"}, {2, -0.5}, "y = 2.000000*x +0.500000"},
        CustomCase{"leading_double_minus", "-a*x", {"a"}, {-2}, "y =2.000000*x"},
        CustomCase{"name_inside_longer_name", "a*x+a1", {"a", "a1"}, {1, 2}, "y = 1.000000*x+2.000000"},
        CustomCase{"name_inside_function_name", "e*exp(x)+b", {"b", "e"}, {1, 2}, "y = 2.000000*exp(x)+1.000000"},
        CustomCase{"inserted_value_not_rewritten", "a+e", {"a", "e"}, {1.5, 2}, "y = 1.500000+2.000000"},
        CustomCase{"typed_text_kept", "c^x+b*sin(x)", {"b", "c"}, {1, 2}, "y = 2.000000^x+1.000000*sin(x)"},
        CustomCase{"number_literal_kept", "2e5*a+1E-3", {"a", "e"}, {3, 4}, "y = 2e5*3.000000+1E-3"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// A value's own "e" (scientific text) is never taken for a parameter named e.
TEST(CustomFormulaScientific, InsertedExponentIsNotAName) {
  EXPECT_EQ(ff::customPane(1, "a+e", {"a", "e"}, {1.5, 2}, true, 2).formula, QString("y = 1.50e+00+2.00e+00"));
}

// ---- the pane of a real fit reproduces the model ----------------------------

namespace {

using trelvo::test::FitflowTest;

// The notation under `header` in the pane text, as a model expression: the
// right side of "y = ", PowerShell's and Python's prefixes removed.
QString notation(const QString& pane, const QString& header) {
  const QStringList lines = pane.split('\n');
  const qsizetype at = lines.indexOf(header);
  if (at < 0 || at + 1 >= lines.size()) return {};
  QString line = lines[at + 1];
  line.remove(QStringLiteral("[math]::")).remove(QStringLiteral("math.")).remove(QLatin1Char('$'));
  return line.startsWith(QStringLiteral("y = ")) ? line.mid(4) : QString();
}

// The text's value at x, through the engine's own expression checker and
// evaluator; nan when the engine refuses the text.
double evaluateAt(const QString& expression, double x) {
  try {
    const auto [converted, names] = parse_expression(expression.toStdString(), true);
    return trelvo::Expression::compile(converted, names).eval_model(x, {}).as_double();
  } catch (const std::exception& e) {
    ADD_FAILURE() << expression.toStdString() << ": " << e.what();
    return NAN;
  }
}

struct ReproduceCase {
  const char* name;
  int degree;
  std::vector<double> x;
  double (*truth)(double);
};

void PrintTo(const ReproduceCase& c, std::ostream* os) { *os << c.name; }

std::vector<double> steps(double from, double step, int n) {
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back(from + step * i);
  return v;
}

class FormulaReproducesModel : public FitflowTest, public ::testing::WithParamInterface<ReproduceCase> {};

TEST_P(FormulaReproducesModel, AtTheLargestX) {
  const ReproduceCase& c = GetParam();
  std::vector<double> y;
  for (double v : c.x) y.push_back(c.truth(v));
  setData(c.x, y);
  ui().numberSpin->setValue(c.degree);
  ASSERT_TRUE(ui().scientificOutCheck->isChecked());  // the default notation
  fit(0);
  ASSERT_TRUE(boxes.empty());
  ASSERT_TRUE(w().fit_class && w().fit_class->fitted());
  const double xmax = *std::max_element(c.x.begin(), c.x.end());
  const double model = w().fit_class->yval(xmax);
  ASSERT_NEAR(model, c.truth(xmax), 1e-6 * std::fabs(c.truth(xmax)));
  const QString pane = paneText();
  for (const char* header : {"[Formula]", "[Python/Fortran]", "[C/C++]", "[PowerShell]"}) {
    const QString text = notation(pane, header);
    ASSERT_FALSE(text.isEmpty()) << header << "\n" << pane.toStdString();
    EXPECT_NEAR(evaluateAt(text, xmax), model, 1e-4 * std::fabs(model)) << header << ": " << text.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Polynomials, FormulaReproducesModel,
    ::testing::Values(
        ReproduceCase{"degree5_x_in_hundreds", 5, steps(400, 10, 31),
                      [](double x) { return 2 + 4e-14 * std::pow(x, 5); }},
        ReproduceCase{"degree2_x_up_to_a_million", 2, steps(0, 1e5, 11),
                      [](double x) { return 1 + 1e-7 * x + 3e-13 * x * x; }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
