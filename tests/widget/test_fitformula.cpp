// The output pane's texts of each model kind: notations, the rule that drops
// a term, joined signs, and the custom model's name replacement; and the
// texts of real fits giving the model's value.
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

struct VanishCase {
  const char* name;
  const char* text;  // the coefficient's number text
  int power;
  ff::DataSpan span;
  bool vanishes;
};

class TermVanishes : public ::testing::TestWithParam<VanishCase> {};

TEST_P(TermVanishes, AgainstTheDataSpan) {
  const VanishCase& c = GetParam();
  EXPECT_EQ(ff::vanishes(c.text, c.power, c.span), c.vanishes);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, TermVanishes,
    ::testing::Values(
        // What fixed decimals round to zero goes, whatever the data.
        VanishCase{"text_reading_zero", "0.000000", 0, {1, 1e-13}, true},
        VanishCase{"text_reading_negative_zero", "-0.000000", 3, {1e9, 1e-13}, true},
        // A constant of small data is the data: it stays.
        VanishCase{"small_constant_of_small_y", "1.000000e-13", 0, {1, 6e-13}, false},
        VanishCase{"small_constant_of_large_y", "5.0e-13", 0, {1e9, 1e9}, true},
        VanishCase{"small_term_of_small_y", "5.000000e-13", 1, {1, 6e-13}, false},
        VanishCase{"small_term_reaching_large_y", "5.000000e-22", 2, {1e9, 1.0005}, false},
        VanishCase{"small_term_short_of_y", "5.000000e-22", 2, {1e4, 1.0005}, true},
        VanishCase{"every_y_zero", "3.0e-13", 2, {1e9, 0}, true},
        VanishCase{"reach_overflowing", "1.0e-13", 99, {1e9, 1}, false},
        // Only a text below 1e-12 is ever tested against the data.
        VanishCase{"text_above_threshold", "2.0e-12", 5, {1e-3, 1e9}, false},
        VanishCase{"nan_text", "nan", 0, {1, 1}, false}),
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
// right side of "y = ", PowerShell's and Python's prefixes removed, and the
// Formula notation's ln and e^ written as the evaluator's log and exp.
QString notation(const QString& pane, const QString& header) {
  const QStringList lines = pane.split('\n');
  const qsizetype at = lines.indexOf(header);
  if (at < 0 || at + 1 >= lines.size()) return {};
  QString line = lines[at + 1];
  line.remove(QStringLiteral("[math]::")).remove(QStringLiteral("math.")).remove(QLatin1Char('$'));
  line.replace(QStringLiteral("ln("), QStringLiteral("log(")).replace(QStringLiteral("e^("), QStringLiteral("exp("));
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

constexpr int kPolynomial = 0;
constexpr int kExponential = 1;
constexpr int kLogarithmic = 3;

struct ReproduceCase {
  const char* name;
  int kind;    // the model chooser's index
  int degree;  // the polynomial's
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

// Every notation of the pane, in scientific notation with 6 decimals,
// evaluated at the largest x, gives the fitted model's value there: no term
// that carries the data is left out, however small the data are.
TEST_P(FormulaReproducesModel, AtTheLargestX) {
  const ReproduceCase& c = GetParam();
  std::vector<double> y;
  for (double v : c.x) y.push_back(c.truth(v));
  setData(c.x, y);
  ui().numberSpin->setValue(c.degree);
  ASSERT_TRUE(ui().scientificOutCheck->isChecked());  // the default notation
  ASSERT_EQ(ui().decimalOutBox->value(), 6);
  fit(c.kind);
  ASSERT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
  ASSERT_TRUE(w().fit_class && w().fit_class->fitted());
  const double xmax = *std::max_element(c.x.begin(), c.x.end());
  const double model = w().fit_class->yval(xmax);
  ASSERT_NEAR(model, c.truth(xmax), 1e-6 * std::fabs(c.truth(xmax)));
  const QString pane = paneText();
  const bool polynomial = c.kind == kPolynomial;
  for (const char* header : {"[Formula]", polynomial ? "[Python/Fortran]" : "[Python]",
                             polynomial ? "[C/C++]" : "[C/C++/Fortran]", "[PowerShell]"}) {
    const QString text = notation(pane, header);
    ASSERT_FALSE(text.isEmpty()) << header << "\n" << pane.toStdString();
    EXPECT_NEAR(evaluateAt(text, xmax), model, 1e-4 * std::fabs(model)) << header << ": " << text.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Models, FormulaReproducesModel,
    ::testing::Values(
        ReproduceCase{"degree5_x_in_hundreds", kPolynomial, 5, steps(400, 10, 31),
                      [](double x) { return 2 + 4e-14 * std::pow(x, 5); }},
        ReproduceCase{"degree2_x_up_to_a_million", kPolynomial, 2, steps(0, 1e5, 11),
                      [](double x) { return 1 + 1e-7 * x + 3e-13 * x * x; }},
        // The x² term is written 5e-22 yet carries 5e-4 of y at x = 1e9.
        ReproduceCase{"degree2_x_up_to_1e9", kPolynomial, 2, steps(0, 1e8, 11),
                      [](double x) { return 1 + 5e-22 * x * x; }},
        ReproduceCase{"degree1_y_of_size_1e_minus13", kPolynomial, 1, steps(0, 0.1, 11),
                      [](double x) { return 1e-13 + 5e-13 * x; }},
        ReproduceCase{"degree1_y_of_size_1e9", kPolynomial, 1, steps(0, 0.1, 11),
                      [](double x) { return 2e9 - 3e9 * x; }},
        ReproduceCase{"logarithmic_y_of_size_1e_minus13", kLogarithmic, 2, steps(1, 0.5, 19),
                      [](double x) { return 3e-13 + 4e-13 * std::log(x); }},
        ReproduceCase{"logarithmic_y_of_size_1e9", kLogarithmic, 2, steps(1, 0.5, 19),
                      [](double x) { return 3e9 + 4e9 * std::log(x); }},
        ReproduceCase{"exponential_y_of_size_1e_minus13", kExponential, 2, steps(0, 0.1, 31),
                      [](double x) { return 2e-13 + 5e-13 * std::exp(-2 * x); }},
        ReproduceCase{"exponential_y_of_size_1e9", kExponential, 2, steps(0, 0.1, 31),
                      [](double x) { return 2e9 + 5e9 * std::exp(-2 * x); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
