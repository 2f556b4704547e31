// The y-from-x and x-from-y calculators.
#include <cmath>

#include "fitflow_fixture.h"

using trelvo::test::FitflowTest;

namespace {

struct CalcCase {
  const char* name;
  int kind;
  std::vector<double> x;
  std::vector<double> y;
  int decimals;
  bool scientific;
  bool solveX;  // false: y from x
  QString input;
  QString output;  // empty: a warning instead
  QString warning;
  int degree = 2;
  double fixedA = 0;  // > 0: a·e^(b·x) with this a fixed
};

void PrintTo(const CalcCase& c, std::ostream* os) { *os << c.name; }

class Calculators : public FitflowTest, public ::testing::WithParamInterface<CalcCase> {};

TEST_P(Calculators, ShowNumberTextOrWarn) {
  const CalcCase& c = GetParam();
  setData(c.x, c.y);
  ui().numberSpin->setValue(c.degree);
  ui().interceptCheck->setChecked(c.fixedA > 0);
  ui().interceptIn->setText(QString::number(c.fixedA));
  fit(c.kind);
  ASSERT_TRUE(boxes.empty());
  ui().decimalOutBox->setValue(c.decimals);
  ui().scientificOutCheck->setChecked(c.scientific);
  QLineEdit* in = c.solveX ? ui().yIn : ui().xIn;
  QLineEdit* out = c.solveX ? ui().xOut : ui().yOut;
  out->setText("old");
  in->setText(c.input);
  (c.solveX ? ui().calcXOut : ui().calcYOut)->click();
  const auto box = takeBox();
  if (c.output.isEmpty()) {
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, "输入错误");
    EXPECT_EQ(box->text, c.warning);
    EXPECT_EQ(out->text(), "old");
  } else {
    EXPECT_FALSE(box) << box->text.toStdString();
    EXPECT_EQ(out->text(), c.output);
  }
}

// y = (x - 1)(x - 3) = x² - 4x + 3 on x = 0..4; several solutions show in
// ascending order (NumPy's roots gives 3, then 1).
const std::vector<double> kX{0, 1, 2, 3, 4};
const std::vector<double> kParabola{3, 0, -1, 0, 3};
// y = (x - 2)²: a double root, shown once.
const std::vector<double> kSquare{4, 1, 0, 1, 4};
// y = 1 + 2·e^(0.5x).
const std::vector<double> kExpC{3, 1 + 2 * std::exp(0.5), 1 + 2 * std::exp(1.0), 1 + 2 * std::exp(1.5),
                                1 + 2 * std::exp(2.0)};
// y = 1.5 + 2·ln x and y = 2·x^0.5 on x = 1..5.
const std::vector<double> kX1{1, 2, 3, 4, 5};
const std::vector<double> kLog{1.5, 1.5 + 2 * std::log(2.0), 1.5 + 2 * std::log(3.0), 1.5 + 2 * std::log(4.0),
                               1.5 + 2 * std::log(5.0)};
const std::vector<double> kPow{2, 2 * std::sqrt(2.0), 2 * std::sqrt(3.0), 4, 2 * std::sqrt(5.0)};
// y = 1e8·x² on x = -2..2: for y = -1e-4 NumPy's roots give x = ±1e-6·i, whose
// real part (about -8.7e-17) the engine offers; the window keeps only an x at
// which the model reaches y.
const std::vector<double> kXSym{-2, -1, 0, 1, 2};
const std::vector<double> kSteep{4e8, 1e8, 0, 1e8, 4e8};
// y = 2x + 1.
const std::vector<double> kLine{1, 3, 5, 7, 9};
// y = 2·e^(0.5x).
const std::vector<double> kExp{2, 2 * std::exp(0.5), 2 * std::exp(1.0), 2 * std::exp(1.5), 2 * std::exp(2.0)};

INSTANTIATE_TEST_SUITE_P(
    Cases, Calculators,
    ::testing::Values(
        CalcCase{"y_from_x_fixed", 0, kX, kParabola, 3, false, false, " 2.5 ", "-0.750"},
        CalcCase{"y_from_x_scientific", 0, kX, kLine, 3, true, false, "1.25", "3.500e+00", "", 1},
        CalcCase{"y_from_x_nonlinear", 2, kX, kExp, 4, false, false, "2", "5.4366"},
        CalcCase{"y_from_x_empty", 0, kX, kLine, 3, false, false, "", "", "请输入有效的数字"},
        CalcCase{"y_from_x_letters", 0, kX, kLine, 3, false, false, "abc", "", "请输入有效的数字"},
        CalcCase{"x_one_solution", 0, kX, kLine, 2, false, true, "6", "2.50", "", 1},
        CalcCase{"x_two_solutions_fixed", 0, kX, kParabola, 6, false, true, "0", "1.000000, 3.000000"},
        CalcCase{"x_two_solutions_scientific", 0, kX, kParabola, 6, true, true, "0",
                 "1.000000e+00, 3.000000e+00"},
        CalcCase{"x_double_root_once", 0, kX, kSquare, 6, false, true, "0", "2.000000"},
        CalcCase{"x_no_real_solution", 0, kX, kParabola, 6, false, true, "-2", "", "解不存在"},
        CalcCase{"x_root_that_misses_y", 0, kXSym, kSteep, 6, false, true, "-1e-4", "", "解不存在"},
        CalcCase{"x_nonlinear", 2, kX, kExp, 4, false, true, "4", "1.3863"},
        CalcCase{"x_nonlinear_no_solution", 2, kX, kExp, 4, false, true, "-1", "", "解不存在"},
        CalcCase{"x_exponential2_fixed_a", 2, kX, kExp, 4, false, true, "4", "1.3863", "", 2, 2.0},
        CalcCase{"x_exponential2_fixed_a_no_solution", 2, kX, kExp, 4, false, true, "0", "", "解不存在", 2, 2.0},
        CalcCase{"x_exponential", 1, kX, kExpC, 4, false, true, "6.43656365691809", "2.0000"},
        CalcCase{"x_exponential_below_asymptote", 1, kX, kExpC, 4, false, true, "0.5", "", "解不存在"},
        CalcCase{"x_logarithmic", 3, kX1, kLog, 4, false, true, "3.6972245773362196", "3.0000"},
        CalcCase{"x_power", 4, kX1, kPow, 4, false, true, "4", "4.0000"},
        CalcCase{"x_power_negative_y", 4, kX1, kPow, 4, false, true, "-1", "", "解不存在"},
        CalcCase{"x_from_y_not_a_number", 0, kX, kLine, 3, false, true, "1,5", "", "请输入有效的数字"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FitflowTest, CalculatorsNeedAFittedModel) {
  setData({1, 2}, {1, 2});
  fit(1);
  ASSERT_EQ(takeBox()->title, "拟合错误");
  for (QToolButton* button : {ui().calcYOut, ui().calcXOut}) {
    ui().xIn->setText("1");
    ui().yIn->setText("1");
    ui().xOut->setText("old");
    ui().yOut->setText("old");
    button->click();
    const auto box = takeBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "请先进行拟合");
    EXPECT_EQ(ui().xOut->text(), "old");
    EXPECT_EQ(ui().yOut->text(), "old");
  }
}

// The custom model has no closed-form inverse: the engine's secant search,
// whose result must reach y.
TEST_F(FitflowTest, CustomModelSolvesBySearchAndShowsOnlySolutions) {
  setData(kX, kExp);
  ui().funcInput->setText("a*exp(b*x)");
  fit(5);
  ASSERT_TRUE(boxes.empty());
  ui().decimalOutBox->setValue(4);
  ui().scientificOutCheck->setChecked(false);
  ui().yIn->setText("4");
  ui().calcXOut->click();
  EXPECT_FALSE(takeBox());
  EXPECT_EQ(ui().xOut->text(), "1.3863");
  ui().yIn->setText("-1");
  ui().calcXOut->click();
  const auto box = takeBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "解不存在");
  EXPECT_EQ(ui().xOut->text(), "1.3863");
}

// The textbook decay of the fit tests: y = 100 lies above the data; the x
// shown must be where the model reaches 100 (about 0.034), or none at all.
TEST_F(FitflowTest, DecayShowsTheTrueXForY100) {
  setData({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {63.42, 39.35, 26.6, 17.56, 13.3, 9.53, 7.97, 6.34, 6.36, 5.54});
  fit(1);
  ASSERT_TRUE(boxes.empty());
  ui().decimalOutBox->setValue(12);
  ui().scientificOutCheck->setChecked(true);
  ui().yIn->setText("100");
  ui().calcXOut->click();
  ASSERT_FALSE(takeBox());
  bool ok = false;
  const double x = ui().xOut->text().toDouble(&ok);
  ASSERT_TRUE(ok) << ui().xOut->text().toStdString();
  EXPECT_NEAR(w().fit_class->yval(x), 100, 1e-4);
  EXPECT_NEAR(x, 0.0338, 1e-3);
}

}  // namespace
