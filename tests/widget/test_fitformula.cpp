// The output pane's texts of each model kind: notations, dropped terms,
// joined signs, and the custom model's name replacement.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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
        // A term whose coefficient only rounds to zero keeps its place.
        PaneCase{"polynomial_rounded_zero_term_kept",
                 [] { return ff::polynomialPane(1, {2.11, 0.009, 0.0004}, false, 3); },
                 four("r2 = 1.000", "y = 2.110 + 0.009 * x + 0.000 * x^2", "Python/Fortran",
                      "y = 2.110 + 0.009 * x + 0.000 * x**2", "C/C++", "y = 2.110 + 0.009 * x + 0.000 * pow(x, 2)",
                      "$y = 2.110 + 0.009 * $x + 0.000 * [math]::pow($x, 2)")},
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
        PaneCase{"logarithmic_rounded_zero_a_kept", [] { return ff::logarithmicPane(1, 3e-7, 2, false, 6); },
                 four("r2 = 1.000000", "y = 0.000000 + 2.000000 * ln(x)", "Python",
                      "y = 0.000000 + 2.000000 * math.log(x)", "C/C++/Fortran", "y = 0.000000 + 2.000000 * log(x)",
                      "$y = 0.000000 + 2.000000 * [math]::log($x)")},
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
