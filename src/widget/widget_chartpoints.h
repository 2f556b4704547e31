#pragma once
// The points a chart series is given: no more than its plot area can show.
// QtCharts strokes every segment of a line series and builds a spline through
// every point of a spline series; a series denser than
// limits::kChartPointsPerPixelColumn points per device-pixel column of the
// plot area is given a reduced list instead that draws the same path at the
// view's size.
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>

#include <vector>

#include "fitcore/export.h"

class QChart;
class QValueAxis;
class QWidget;
class QXYSeries;

namespace trelvo::chartpoints {

// `points` reduced to `columns` pixel columns spanning [xmin, xmax] (x below
// xmin and above xmax fall in a column of their own on either side): each
// maximal run of consecutive points, in list order, whose x falls in one
// column becomes its first point, its point of smallest y, its point of
// largest y and its last point, in list order and each once (the first of
// equal extremes). A point with a coordinate that is not finite forms a run
// of its own. With columns < 1 the list is returned as it is.
TRELVO_EXPORT QList<QPointF> reduce(const QList<QPointF>& points, double xmin, double xmax, int columns);

// Device-pixel columns of `chart`'s plot area as `view` shows it; the view's
// width while the chart has not been laid out yet.
TRELVO_EXPORT int plotColumns(const QChart* chart, const QWidget* view);

// Keeps the full point list of each series given to show() for as long as the
// series lives, and gives the series that list, or, above the density limit,
// its reduction to the plot area's columns over `xAxis`' range; recomputed
// when the plot area or that range changes.
class TRELVO_EXPORT SeriesPoints : public QObject {
  Q_OBJECT

 public:
  SeriesPoints(QChart* chart, QValueAxis* xAxis, QWidget* view, QObject* parent = nullptr);

  // Replaces `series`' points by `points` (reduced when dense) and keeps
  // `points` for later recomputation until the series is destroyed.
  void show(QXYSeries* series, QList<QPointF> points);

  // The full list last given to show() for `series`; null for a series never
  // given to show() or destroyed since.
  const QList<QPointF>* points(const QXYSeries* series) const;

  // Number of series whose full lists are kept.
  int trackedSeries() const { return static_cast<int>(entries_.size()); }

 private:
  struct Entry {
    QXYSeries* series;
    // The same object, compared with the sender of `destroyed`.
    const QObject* object;
    QList<QPointF> full;
    // The view the shown points were made for; columns 0 when they are the
    // full list.
    int columns = 0;
    double xmin = 0, xmax = 0;
  };

  void update(Entry& entry, bool force);
  void updateAll();
  void forget(QObject* series);

  QPointer<QChart> chart_;
  QPointer<QValueAxis> xAxis_;
  QPointer<QWidget> view_;
  std::vector<Entry> entries_;
};

}  // namespace trelvo::chartpoints
