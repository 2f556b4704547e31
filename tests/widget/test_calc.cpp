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
};

void PrintTo(const CalcCase& c, std::ostream* os) { *os << c.name; }

class Calculators : public FitflowTest, public ::testing::WithParamInterface<CalcCase> {};

TEST_P(Calculators, ShowNumberTextOrWarn) {
  const CalcCase& c = GetParam();
  setData(c.x, c.y);
  ui().numberSpin->setValue(c.degree);
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

// y = (x - 1)(x - 3) = x² - 4x + 3 on x = 0..4; several solutions come in
// the root finder's order (NumPy's roots gives 3, then 1).
const std::vector<double> kX{0, 1, 2, 3, 4};
const std::vector<double> kParabola{3, 0, -1, 0, 3};
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
        CalcCase{"x_two_solutions_fixed", 0, kX, kParabola, 6, false, true, "0", "3.000000, 1.000000"},
        CalcCase{"x_two_solutions_scientific", 0, kX, kParabola, 6, true, true, "0",
                 "3.000000e+00, 1.000000e+00"},
        CalcCase{"x_no_real_solution", 0, kX, kParabola, 6, false, true, "-2", "", "解不存在"},
        CalcCase{"x_nonlinear", 2, kX, kExp, 4, false, true, "4", "1.3863"},
        CalcCase{"x_nonlinear_no_solution", 2, kX, kExp, 4, false, true, "-1", "", "解不存在"},
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

}  // namespace
