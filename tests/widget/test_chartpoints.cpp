// The points the chart's series are given: the reduction of dense lists to
// the plot area's pixel columns, and the window's series that use it.
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QSplineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "fitcore/limits.h"
#include "fitflow_fixture.h"
#include "widget/widget_chartpoints.h"

using trelvo::chartpoints::plotColumns;
using trelvo::chartpoints::reduce;
using trelvo::test::FitflowTest;

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

QList<QPointF> pointsOf(const std::vector<double>& x, const std::vector<double>& y) {
  QList<QPointF> out;
  for (std::size_t i = 0; i < x.size(); ++i) out.append(QPointF(x[i], y[i]));
  return out;
}

struct ReduceCase {
  const char* name;
  std::vector<double> x, y;
  double xmin, xmax;
  int columns;
  std::vector<int> kept;  // indexes into x and y
};

class Reduce : public ::testing::TestWithParam<ReduceCase> {};

TEST_P(Reduce, KeepsTheRunsFirstMinMaxLast) {
  const ReduceCase& c = GetParam();
  QList<QPointF> expected;
  for (int i : c.kept) expected.append(QPointF(c.x[i], c.y[i]));
  const QList<QPointF> got = reduce(pointsOf(c.x, c.y), c.xmin, c.xmax, c.columns);
  ASSERT_EQ(got.size(), expected.size());
  for (qsizetype i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].x(), expected[i].x()) << i;
    if (std::isnan(expected[i].y()))
      EXPECT_TRUE(std::isnan(got[i].y())) << i;
    else
      EXPECT_EQ(got[i].y(), expected[i].y()) << i;
  }
}

const double kRunX[] = {0.01, 0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.08};

INSTANTIATE_TEST_SUITE_P(
    Cases, Reduce,
    ::testing::Values(
        ReduceCase{"max_before_min", {kRunX, kRunX + 8}, {5, 7, 9, 3, 1, 6, 8, 4}, 0, 1, 10, {0, 2, 4, 7}},
        ReduceCase{"min_before_max", {kRunX, kRunX + 5}, {5, 1, 3, 9, 4}, 0, 1, 10, {0, 1, 3, 4}},
        ReduceCase{"rising_run_keeps_its_ends_once", {kRunX, kRunX + 5}, {1, 2, 3, 4, 5}, 0, 1, 10, {0, 4}},
        ReduceCase{"first_of_equal_extremes", {kRunX, kRunX + 6}, {2, 9, 0, 9, 0, 2}, 0, 1, 10, {0, 1, 2, 5}},
        ReduceCase{"one_run_per_column",
                   {0.01, 0.02, 0.03, 0.04, 0.51, 0.52, 0.53, 0.54},
                   {1, 3, 0, 2, 5, 5, 6, 5},
                   0, 1, 2, {0, 1, 2, 3, 4, 6, 7}},
        // Unsorted x: each return to a column starts a new run, so the path
        // between the columns is kept.
        ReduceCase{"unsorted_back_and_forth",
                   {0.1, 0.9, 0.15, 0.95, 0.12, 0.92},
                   {1, 2, 3, 4, 5, 6},
                   0, 1, 2, {0, 1, 2, 3, 4, 5}},
        ReduceCase{"unsorted_runs",
                   {0.1, 0.2, 0.15, 0.12, 0.8, 0.9, 0.85, 0.11, 0.13, 0.14, 0.12},
                   {0, 5, -5, 1, 0, 1, 0, 3, 9, -9, 3},
                   0, 1, 2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        ReduceCase{"unsorted_long_runs",
                   {0.1, 0.2, 0.15, 0.12, 0.14, 0.8, 0.11, 0.13, 0.14, 0.12, 0.11},
                   {0, 5, -5, 1, 2, 0, 3, 9, -9, 4, 3},
                   0, 1, 2, {0, 1, 2, 4, 5, 6, 7, 8, 10}},
        ReduceCase{"not_finite_point_splits_a_run",
                   {kRunX, kRunX + 7},
                   {1, 5, 2, kNan, 3, 0, 4},
                   0, 1, 10, {0, 1, 2, 3, 4, 5, 6}},
        ReduceCase{"outside_the_range_are_columns_of_their_own",
                   {-2, -1, 0.05, 0.06, 3, 4, 5},
                   {1, 2, 3, 4, 9, 7, 8},
                   0, 1, 10, {0, 1, 2, 3, 4, 5, 6}},
        ReduceCase{"last_x_in_the_last_column", {0.95, 0.97, 1.0, 0.99}, {1, 0, 3, 2}, 0, 1, 10, {0, 1, 2, 3}},
        ReduceCase{"equal_ends_one_column", {2, 2, 2, 2, 2, 2}, {1, 4, 0, 3, 6, 2}, 2, 2, 100, {0, 2, 4, 5}},
        ReduceCase{"no_columns_keeps_all", {0.1, 0.2, 0.3}, {3, 1, 2}, 0, 1, 0, {0, 1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

// The reduced list is a subsequence of the original, in order, and each run
// of one column keeps its first and last point and its y extremes.
void expectFaithful(const QList<QPointF>& full, const QList<QPointF>& reduced, double xmin, double xmax,
                    int columns) {
  auto column = [&](double x) {
    if (x < xmin) return -1;
    if (x > xmax) return columns;
    return std::min(static_cast<int>((x - xmin) * (columns / (xmax - xmin))), columns - 1);
  };
  qsizetype r = 0;
  for (qsizetype i = 0; i < full.size();) {
    qsizetype j = i;
    double lo = full[i].y(), hi = full[i].y();
    while (j + 1 < full.size() && column(full[j + 1].x()) == column(full[i].x())) {
      ++j;
      lo = std::min(lo, full[j].y());
      hi = std::max(hi, full[j].y());
    }
    ASSERT_LT(r, reduced.size());
    EXPECT_EQ(reduced[r], full[i]) << "run from " << i;
    double rlo = reduced[r].y(), rhi = reduced[r].y();
    qsizetype k = i;
    for (; r < reduced.size() && k <= j; ++r) {
      while (k <= j && full[k] != reduced[r]) ++k;
      if (k > j) break;
      rlo = std::min(rlo, reduced[r].y());
      rhi = std::max(rhi, reduced[r].y());
    }
    EXPECT_EQ(reduced[r - 1], full[j]) << "run to " << j;
    EXPECT_EQ(rlo, lo) << "run from " << i;
    EXPECT_EQ(rhi, hi) << "run from " << i;
    i = j + 1;
  }
  EXPECT_EQ(r, reduced.size());
}

TEST(ReduceRandom, SortedAndUnsortedDataAreFaithful) {
  std::mt19937_64 rng(3);
  std::normal_distribution<double> noise(0.0, 1.0);
  for (const bool sorted : {true, false}) {
    QList<QPointF> full;
    for (int i = 0; i < 20000; ++i) {
      const double x = sorted ? i * 0.001 : std::fmod(i * 0.6180339887, 20.0);
      full.append(QPointF(x, std::sin(x) + 0.1 * noise(rng)));
    }
    const QList<QPointF> reduced = reduce(full, 0, 20, 300);
    if (sorted) EXPECT_LE(reduced.size(), 4 * 300);
    expectFaithful(full, reduced, 0, 20, 300);
  }
}

// ---- finite pieces -------------------------------------------------------------

struct RunsCase {
  const char* name;
  std::vector<double> x, y;
  int most;
  std::vector<std::pair<qsizetype, qsizetype>> runs;
};

class FiniteRuns : public ::testing::TestWithParam<RunsCase> {};

TEST_P(FiniteRuns, SplitAtPointsThatAreNotFinite) {
  const RunsCase& c = GetParam();
  EXPECT_EQ(trelvo::chartpoints::finiteRuns(pointsOf(c.x, c.y), c.most), c.runs);
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, FiniteRuns,
    ::testing::Values(
        RunsCase{"all_finite", {1, 2, 3}, {1, 2, 3}, 8, {{0, 3}}},
        RunsCase{"empty", {}, {}, 8, {}},
        RunsCase{"none_finite", {1, kNan}, {kInf, 2}, 8, {}},
        RunsCase{"ends_and_middle", {0, 1, 2, 3, 4, 5, 6}, {kNan, 1, 2, -kInf, 4, 5, kNan}, 8, {{1, 3}, {4, 6}}},
        RunsCase{"x_not_finite_splits_too", {1, kNan, 3, 4}, {1, 2, 3, 4}, 8, {{0, 1}, {2, 4}}},
        RunsCase{"runs_of_nan_one_gap", {0, 1, 2, 3, 4}, {1, kNan, kNan, kNan, 5}, 8, {{0, 1}, {4, 5}}},
        // Gaps 1→3 (2), 4→8 (4), 9→10 (1): with two pieces allowed the two
        // narrowest are bridged.
        RunsCase{"narrowest_gaps_bridged",
                 {0, 1, 2, 3, 4, 5, 8, 9, 9.5, 10},
                 {0, 1, kNan, 3, 4, kNan, 8, 9, kNan, 10},
                 2, {{0, 5}, {6, 10}}},
        RunsCase{"equal_gaps_first_bridged", {0, 1, 2, 3, 4}, {0, kNan, 2, kNan, 4}, 2, {{0, 3}, {4, 5}}},
        RunsCase{"no_bound", {0, 1, 2, 3, 4}, {0, kNan, 2, kNan, 4}, 0, {{0, 1}, {2, 3}, {4, 5}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the window's series -------------------------------------------------------

QLineSeries* dataSeriesOf(Widget& w) {
  for (QAbstractSeries* s : w.chart->series()) {
    if (s->type() == QAbstractSeries::SeriesTypeLine) return static_cast<QLineSeries*>(s);
  }
  return nullptr;
}

QSplineSeries* curveSeriesOf(Widget& w) {
  for (QAbstractSeries* s : w.chart->series()) {
    if (auto* spline = qobject_cast<QSplineSeries*>(s)) return spline;
  }
  return nullptr;
}

class ChartPointsTest : public FitflowTest {
 protected:
  // n points of a noisy parabola over [0, 10], in x order or shuffled in
  // blocks of ten.
  void setDense(int n, bool sorted = true) {
    std::vector<double> x(n), y(n);
    for (int i = 0; i < n; ++i) {
      const int k = sorted ? i : (i / 10) * 10 + (9 - i % 10) * ((i / 10) % 2) + (i % 10) * (1 - (i / 10) % 2);
      x[i] = 10.0 * k / (n - 1);
      y[i] = x[i] * x[i] + std::sin(37.0 * i);
    }
    setData(x, y);
  }
  int columns() { return plotColumns(w().chart, w().chartView); }
  // The series holds the reduction of its full list for the current view.
  void expectReducedForTheView(QXYSeries* series) {
    const QList<QPointF>* full = w().seriesPoints->points(series);
    ASSERT_TRUE(full);
    const int cols = columns();
    ASSERT_GT(full->size(), trelvo::limits::kChartPointsPerPixelColumn * cols);
    EXPECT_EQ(series->points(), reduce(*full, w().xAxis->min(), w().xAxis->max(), cols));
    expectFaithful(*full, series->points(), w().xAxis->min(), w().xAxis->max(), cols);
  }
};

TEST_F(ChartPointsTest, DenseDataSeriesHoldsItsReductionWithNameAndPen) {
  setDense(20000);
  ui().plotBtn->click();
  QLineSeries* series = dataSeriesOf(w());
  ASSERT_TRUE(series);
  EXPECT_EQ(series->name(), "Data Series");
  EXPECT_EQ(series->pen().color(), QColor(Qt::red));
  EXPECT_EQ(series->pen().width(), 2);
  EXPECT_EQ(series->pen().style(), Qt::SolidLine);
  EXPECT_LE(series->count(), 4 * columns());
  ASSERT_EQ(w().seriesPoints->points(series)->size(), 20000);
  expectReducedForTheView(series);
  EXPECT_EQ(series->at(0), QPointF(w().xList.front(), w().yList.front()));
}

TEST_F(ChartPointsTest, UnsortedDataKeepTheirPath) {
  setDense(20000, false);
  ui().plotBtn->click();
  QLineSeries* series = dataSeriesOf(w());
  ASSERT_TRUE(series);
  expectReducedForTheView(series);
}

// Every point its own run: x alternates between the two halves.
TEST_F(ChartPointsTest, DataJumpingBetweenColumnsKeepEveryPoint) {
  std::vector<double> x(10000), y(10000);
  for (int i = 0; i < 10000; ++i) {
    x[i] = (i % 2 ? 9.0 : 1.0) + i * 1e-5;
    y[i] = i;
  }
  setData(x, y);
  ui().plotBtn->click();
  QLineSeries* series = dataSeriesOf(w());
  ASSERT_TRUE(series);
  EXPECT_EQ(series->count(), 10000);
}

TEST_F(ChartPointsTest, BelowTheDensityEveryPointIsKept) {
  setDense(100);
  ui().plotBtn->click();
  QApplication::processEvents();
  const int n = trelvo::limits::kChartPointsPerPixelColumn * columns();
  setDense(n);
  ui().plotBtn->click();
  QApplication::processEvents();
  ASSERT_EQ(columns() * trelvo::limits::kChartPointsPerPixelColumn, n);
  QLineSeries* series = dataSeriesOf(w());
  ASSERT_TRUE(series);
  ASSERT_EQ(series->count(), n);
  for (int i = 0; i < n; ++i) ASSERT_EQ(series->at(i), QPointF(w().xList[i], w().yList[i])) << i;
}

TEST_F(ChartPointsTest, RecomputedWhenThePlotAreaOrTheXRangeChanges) {
  setDense(20000);
  fit(0);
  ui().curveBtn->click();
  QLineSeries* data = dataSeriesOf(w());
  QSplineSeries* curve = curveSeriesOf(w());
  ASSERT_TRUE(data && curve);
  const int before = columns();
  w().chartView->setFixedSize(400, 300);
  w().show();
  QApplication::processEvents();
  ASSERT_NE(columns(), before);
  expectReducedForTheView(data);
  expectReducedForTheView(curve);
  w().xAxis->setRange(2, 3);
  expectReducedForTheView(data);
  expectReducedForTheView(curve);
}

TEST_F(ChartPointsTest, RedrawnCurvesKeepOnlyTheShownSeries) {
  setDense(20000);
  for (int kind : {0, 1, 0}) {
    fit(kind);
    ui().curveBtn->click();
    EXPECT_EQ(w().seriesPoints->trackedSeries(), 2);
  }
  QSplineSeries* curve = curveSeriesOf(w());
  ASSERT_TRUE(curve);
  EXPECT_EQ(curve->name(), "Fitted Curve");
  EXPECT_EQ(curve->pen().style(), Qt::DashLine);
  EXPECT_EQ(curve->pen().color(), QColor(Qt::black));
  expectReducedForTheView(curve);
  ui().plotBtn->click();
  EXPECT_EQ(w().seriesPoints->trackedSeries(), 1);
}

// ---- lists with points that are not finite --------------------------------------

bool finitePoint(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

// The finite values of the lists together: the range an axis must span.
std::pair<double, double> finiteSpan(std::initializer_list<const std::vector<double>*> lists) {
  double lo = INFINITY, hi = -INFINITY;
  for (const auto* list : lists) {
    for (double v : *list) {
      if (!std::isfinite(v)) continue;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  return {lo, hi};
}

struct PieceCase {
  const char* name;
  // Custom model fitted to `truth` on `fitX`; null: no fit, the data chart
  // only.
  const char* model;
  double (*truth)(double);
  std::vector<double> fitX;
  int refine;  // refinement level; 0: the curve at the data x
  // The data the chart shows (after the fit).
  std::vector<double> x, y;
  int dataPieces, curvePieces;
};

void PrintTo(const PieceCase& c, std::ostream* os) { *os << c.name; }

std::vector<double> dense(int n) {
  std::vector<double> x;
  for (int i = 0; i < n; ++i) x.push_back((i - n / 3) / double(n / 3));  // -1 … 2, 0 exactly
  return x;
}

double kPole(double x) { return 2 / x + 1; }

std::vector<double> pole(const std::vector<double>& x) {
  std::vector<double> y;
  for (double v : x) y.push_back(kPole(v));
  return y;
}

class NotFinitePoints : public ChartPointsTest, public ::testing::WithParamInterface<PieceCase> {
 protected:
  // The series drawn for `series` (itself and its further pieces): each
  // finite, alike, and holding together the finite points of its full list
  // (reduced when dense).
  void expectPieces(QXYSeries* series, int count) {
    const QList<QXYSeries*> pieces = w().seriesPoints->pieces(series);
    ASSERT_EQ(pieces.size(), count);
    const QList<QPointF>* full = w().seriesPoints->points(series);
    ASSERT_TRUE(full);
    QList<QPointF> finite;
    for (const QPointF& p : *full) {
      if (finitePoint(p)) finite.append(p);
    }
    const bool reduced = finite.size() > trelvo::limits::kChartPointsPerPixelColumn * columns();
    QList<QPointF> joined;
    for (QXYSeries* piece : pieces) {
      EXPECT_EQ(piece->chart(), w().chart);
      EXPECT_EQ(piece->type(), series->type());
      EXPECT_EQ(piece->name(), series->name());
      EXPECT_EQ(piece->pen(), series->pen());
      EXPECT_EQ(piece->attachedAxes(), series->attachedAxes());
      EXPECT_FALSE(piece->points().isEmpty());
      for (const QPointF& p : piece->points()) ASSERT_TRUE(finitePoint(p)) << p.x() << ", " << p.y();
      joined += piece->points();
    }
    if (reduced) {
      EXPECT_LE(joined.size(), 4 * (columns() + 2) * count);
      EXPECT_EQ(joined.front(), finite.front());
      EXPECT_EQ(joined.back(), finite.back());
    } else {
      EXPECT_EQ(joined, finite);
    }
  }
};

TEST_P(NotFinitePoints, SplitIntoFinitePiecesWithOneLegendEntry) {
  const PieceCase& c = GetParam();
  w().chartView->setFixedSize(600, 400);
  w().show();
  QApplication::processEvents();
  ui().legendShowCheck->setChecked(true);
  if (c.model) {
    std::vector<double> fy;
    for (double v : c.fitX) fy.push_back(c.truth(v));
    setData(c.fitX, fy);
    ui().funcInput->setText(c.model);
    fit(5);
    ASSERT_TRUE(boxes.empty());
    ui().refineCB->setChecked(c.refine > 0);
    ui().refineSP->setValue(c.refine);
  }
  setData(c.x, c.y);
  if (c.model)
    ui().curveBtn->click();
  else
    ui().plotBtn->click();
  ASSERT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
  QApplication::processEvents();

  // No point that is not finite reaches the chart.
  for (QAbstractSeries* s : w().chart->series()) {
    for (const QPointF& p : static_cast<QXYSeries*>(s)->points()) ASSERT_TRUE(finitePoint(p));
  }
  QLineSeries* data = dataSeriesOf(w());
  ASSERT_TRUE(data);
  expectPieces(data, c.dataPieces);
  int shown = c.dataPieces;
  std::vector<double> curveY;
  if (c.model) {
    QSplineSeries* curve = curveSeriesOf(w());
    ASSERT_TRUE(curve);
    const QList<QPointF>* samples = w().seriesPoints->points(curve);
    ASSERT_TRUE(samples);
    ASSERT_FALSE(std::all_of(samples->begin(), samples->end(), finitePoint));
    for (const QPointF& p : *samples) curveY.push_back(p.y());
    expectPieces(curve, c.curvePieces);
    shown += c.curvePieces;
  }
  EXPECT_EQ(w().chart->series().size(), shown);

  // One legend entry per series, whatever its pieces.
  QStringList entries;
  for (QLegendMarker* m : w().chart->legend()->markers()) {
    if (m->isVisible()) entries << m->label();
  }
  EXPECT_EQ(entries, c.model ? QStringList({"Data Series", "Fitted Curve"}) : QStringList({"Data Series"}));

  const auto [xlo, xhi] = finiteSpan({&c.x});
  EXPECT_EQ(w().xAxis->min(), xlo);
  EXPECT_EQ(w().xAxis->max(), xhi);
  const auto [ylo, yhi] = finiteSpan({&c.y, &curveY});
  EXPECT_EQ(w().yAxis->min(), ylo);
  EXPECT_EQ(w().yAxis->max(), yhi);

  // Redrawn for another view, the pieces stay finite and alike; a redraw of
  // the data alone leaves no piece of the curve behind.
  w().chartView->setFixedSize(300, 200);
  QApplication::processEvents();
  expectPieces(data, c.dataPieces);
  ui().plotBtn->click();
  QApplication::processEvents();
  EXPECT_EQ(w().chart->series().size(), c.dataPieces);
  EXPECT_EQ(w().seriesPoints->trackedSeries(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NotFinitePoints,
    ::testing::Values(
        PieceCase{"data_nan_and_inf", nullptr, nullptr, {}, 0, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 4, kNan, 2, 5, kInf, 3, 9}, 3, 0},
        PieceCase{"data_x_not_finite_at_the_ends", nullptr, nullptr, {}, 0, {-kInf, 2, 3, 4, kNan}, {1, 4, -2, 6, 7}, 1, 0},
        PieceCase{"data_every_third_nan_bridged", nullptr, nullptr, {}, 0, dense(3001),
                  [] {
                    std::vector<double> y = pole(dense(3001));
                    for (std::size_t i = 0; i < y.size(); i += 3) y[i] = kNan;
                    return y;
                  }(),
                  trelvo::limits::kMaxChartPieces, 0},
        // linspace(-1, 2, 10) samples x = 0 exactly.
        PieceCase{"curve_refined_through_a_pole", "a/x+b", kPole, {-1, -0.5, 0.5, 1, 1.5, 2}, 1,
                  {-1, -0.5, 0.5, 1, 1.5, 2}, pole({-1, -0.5, 0.5, 1, 1.5, 2}), 1, 2},
        PieceCase{"logarithm_at_zero_and_below", "a*log(b*x)", [](double x) { return 2 * std::log(3 * x); }, {0.5, 1, 1.5, 2, 3}, 0, {-1, 0, 0.5, 1, 2, 3},
                  {1, 1, 1, 2, 3, 4}, 1, 1},
        PieceCase{"dense_pole_in_data_and_curve", "a/x+b", kPole, {-1, -0.5, 0.5, 1, 1.5, 2}, 0, dense(30001),
                  pole(dense(30001)), 2, 2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
