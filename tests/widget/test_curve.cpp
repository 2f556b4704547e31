// The fitted curve: its points, refinement and its limits, the y range.
#include <QChart>
#include <QSplineSeries>
#include <QValueAxis>

#include <cmath>

#include "fitflow_fixture.h"
#include "widget/widget_chartpoints.h"

using trelvo::test::FitflowTest;

namespace {

QSplineSeries* curveOf(Widget& w) {
  QSplineSeries* found = nullptr;
  int count = 0;
  for (QAbstractSeries* s : w.chart->series()) {
    if (auto* spline = qobject_cast<QSplineSeries*>(s)) {
      found = spline;
      ++count;
    }
  }
  EXPECT_LE(count, 1);
  return found;
}

}  // namespace

TEST_F(FitflowTest, StartUpDrawsTheCurveAtTheDataX) {
  QSplineSeries* curve = curveOf(w());
  ASSERT_TRUE(curve);
  EXPECT_EQ(curve->name(), "Fitted Curve");
  EXPECT_EQ(curve->pen().style(), Qt::DashLine);
  EXPECT_EQ(curve->pen().width(), 2);
  ASSERT_EQ(curve->count(), 5);
  for (int i = 0; i < 5; ++i) {
    const double x = 2.0 * (i + 1);
    EXPECT_EQ(curve->at(i).x(), x);
    EXPECT_NEAR(curve->at(i).y(), 0.06 - 0.014285714285714 * x + 0.017857142857143 * x * x, 1e-12);
  }
  EXPECT_EQ(ui().tabWidget->currentIndex(), 1);
  EXPECT_EQ(w().chart->series().size(), 2);
}

struct RefineCase {
  const char* name;
  int points;  // data points from 2 to 10 (evenly spaced)
  bool refine;
  int level;
  int expected;  // curve points
};

class Refinement : public FitflowTest, public ::testing::WithParamInterface<RefineCase> {};

TEST_P(Refinement, SamplesEvenlyFromFirstToLastX) {
  const RefineCase& c = GetParam();
  std::vector<double> x, y;
  for (int i = 0; i < c.points; ++i) {
    x.push_back(2 + 8.0 * i / (c.points - 1));
    y.push_back(x.back() * x.back());
  }
  setData(x, y);
  fit(0);
  ui().refineCB->setChecked(c.refine);
  ui().refineSP->setValue(c.level);
  answer = QMessageBox::Ok;
  ui().curveBtn->click();
  QSplineSeries* curve = curveOf(w());
  ASSERT_TRUE(curve);
  // The samples; the series holds them all or, when dense, their reduction.
  const QList<QPointF>* samples = w().seriesPoints->points(curve);
  ASSERT_TRUE(samples);
  ASSERT_EQ(samples->size(), c.expected);
  EXPECT_EQ(samples->front().x(), 2.0);
  EXPECT_EQ(samples->back().x(), 10.0);
  const int mid = c.expected / 3;
  const double xm = c.expected == c.points ? x[mid] : 2 + 8.0 * mid / (c.expected - 1);
  EXPECT_NEAR(samples->at(mid).x(), xm, 1e-12);
  EXPECT_NEAR(samples->at(mid).y(), xm * xm, 1e-9);
  if (c.expected < 1000) {
    EXPECT_EQ(curve->points(), *samples);
  } else {
    EXPECT_LT(curve->count(), 4 * 720 * 2);
  }
  EXPECT_EQ(curve->at(0), samples->front());
  EXPECT_EQ(curve->at(curve->count() - 1), samples->back());
  EXPECT_EQ(boxes.size(), c.level > 5 && c.expected != c.points ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, Refinement,
    ::testing::Values(RefineCase{"off", 5, false, 3, 5}, RefineCase{"level0_never", 5, true, 0, 5},
                      RefineCase{"level1_five_points", 5, true, 1, 10},
                      RefineCase{"level1_twelve_points_not_refined", 12, true, 1, 12},
                      RefineCase{"level5_no_question", 5, true, 5, 100000},
                      RefineCase{"level6_confirmed", 5, true, 6, 1000000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FitflowTest, RefinementLevelOneGivesLinspacePoints) {
  ui().refineCB->setChecked(true);
  ui().refineSP->setValue(1);
  ui().curveBtn->click();
  QSplineSeries* curve = curveOf(w());
  ASSERT_EQ(curve->count(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_DOUBLE_EQ(curve->at(i).x(), 2 + i * (8.0 / 9));
}

TEST_F(FitflowTest, DescendingDataGiveDescendingSamples) {
  setData({10, 8, 6, 4, 2}, {1.7, 1.1, 0.6, 0.3, 0.1});
  fit(0);
  ui().refineCB->setChecked(true);
  ui().refineSP->setValue(1);
  ui().curveBtn->click();
  QSplineSeries* curve = curveOf(w());
  ASSERT_EQ(curve->count(), 10);
  EXPECT_EQ(curve->at(0).x(), 10.0);
  EXPECT_EQ(curve->at(9).x(), 2.0);
}

// Cancelling the confirmation, and levels beyond the point cap, change nothing.
struct RefusedCase {
  const char* name;
  int level;
  std::optional<QMessageBox::StandardButton> answer;
  QString title;
  QString text;
};

class RefusedCurve : public FitflowTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedCurve, LeavesTabAndChart) {
  const RefusedCase& c = GetParam();
  ui().tabWidget->setCurrentIndex(2);
  QSplineSeries* before = curveOf(w());
  ui().refineCB->setChecked(true);
  ui().refineSP->setValue(c.level);
  answer = c.answer;
  ui().curveBtn->click();
  const auto box = takeBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, c.title);
  EXPECT_EQ(box->text, c.text);
  EXPECT_EQ(ui().tabWidget->currentIndex(), 2);
  EXPECT_EQ(curveOf(w()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, RefusedCurve,
    ::testing::Values(RefusedCase{"level6_cancelled", 6, QMessageBox::Cancel, "警告", "细化等级太小可能导致进程假死！"},
                      RefusedCase{"level6_closed", 6, std::nullopt, "警告", "细化等级太小可能导致进程假死！"},
                      RefusedCase{"level7_over_the_cap", 7, QMessageBox::Ok, "警告", "细化等级过大，无法绘制"},
                      RefusedCase{"level8_over_the_cap", 8, QMessageBox::Ok, "警告", "细化等级过大，无法绘制"},
                      RefusedCase{"level12_over_the_cap", 12, QMessageBox::Ok, "警告", "细化等级过大，无法绘制"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FitflowTest, EmptyXListIsRefused) {
  ui().tabWidget->setCurrentIndex(2);
  w().xList.clear();
  ui().curveBtn->click();
  const auto box = takeBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, "输入错误");
  EXPECT_EQ(box->text, "请先输入X轴和Y轴数据");
  EXPECT_EQ(ui().tabWidget->currentIndex(), 2);
}

TEST_F(FitflowTest, NoCurveWithoutAFittedModel) {
  setData({1, 2}, {1, 2});
  fit(1);  // built, then too few points for three parameters
  ASSERT_EQ(takeBox()->title, "拟合错误");
  ui().curveBtn->click();
  const auto box = takeBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, "输入错误");
  EXPECT_EQ(box->text, "请先进行拟合");
}

TEST_F(FitflowTest, PressingTwiceShowsOneCurveAndTheYAxisCoversIt) {
  // A straight line through data whose fitted values lie beyond the data at the ends.
  setData({0, 1, 2, 3, 4}, {0, 3, 1, 3, 0});
  ui().numberSpin->setValue(1);
  fit(0);
  setData({0, 1, 2, 3, 4}, {0.5, 0.6, 0.7, 0.8, 0.9});
  ui().curveBtn->click();
  ui().curveBtn->click();
  QSplineSeries* curve = curveOf(w());
  ASSERT_TRUE(curve);
  EXPECT_EQ(w().chart->series().size(), 2);
  EXPECT_NEAR(w().yAxis->min(), 0.5, 1e-12);
  EXPECT_NEAR(w().yAxis->max(), 1.4, 1e-12);
}
