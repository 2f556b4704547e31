#pragma once
// The points a chart series is given: no more than its plot area can show.
// QtCharts strokes every segment of a line series and builds a spline through
// every point of a spline series; a series denser than
// limits::kChartPointsPerPixelColumn points per device-pixel column of the
// plot area is given a reduced list instead that draws the same path at the
// view's size.
//
// QtCharts draws nothing of a series that holds a point it cannot place (a
// coordinate that is nan or infinite), and a line cannot be broken within one
// series: a list with such points is drawn as its finite pieces, one Qt series
// each, that look like the first and share its one legend entry.
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>

#include <utility>
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

// The maximal runs of consecutive finite points of `points`, as index ranges
// [first, second). With more than `most` runs, the narrowest gaps (by the x
// distance of the finite points on either side) are bridged until `most`
// remain; a bridged range holds the points that are not finite between its
// runs. With most < 1 nothing is bridged.
TRELVO_EXPORT std::vector<std::pair<qsizetype, qsizetype>> finiteRuns(const QList<QPointF>& points, int most);

// Keeps the full point list of each series given to show() for as long as the
// series lives, and gives the series that list, or, above the density limit,
// its reduction to the plot area's columns over `xAxis`' range; recomputed
// when the plot area or that range changes. A list with points that are not
// finite is shown as its finite pieces (finiteRuns with
// limits::kMaxChartPieces): the first in the series itself, each further one
// in a series of the same kind, name and pen, in the same chart and on the
// same axes, whose legend marker is hidden. The density limit counts the
// finite points of all pieces together.
class TRELVO_EXPORT SeriesPoints : public QObject {
  Q_OBJECT

 public:
  SeriesPoints(QChart* chart, QValueAxis* xAxis, QWidget* view, QObject* parent = nullptr);

  // Replaces `series`' points by `points` (reduced when dense) and keeps
  // `points` for later recomputation until the series is destroyed. The
  // further pieces take `series`' name and pen as they are now; they join
  // the chart in placePieces().
  void show(QXYSeries* series, QList<QPointF> points);
  // Adds the further pieces of `series` to its chart and attaches them to its
  // axes: called once `series` is in the chart on its axes. The chart's
  // removeAllSeries() removes them with `series`; a series destroyed alone
  // takes its pieces with it once control returns to the event loop.
  void placePieces(QXYSeries* series);

  // The full list last given to show() for `series`; null for a series never
  // given to show() or destroyed since.
  const QList<QPointF>* points(const QXYSeries* series) const;

  // The series that show `series`' pieces, `series` first; empty for a
  // series never given to show() or destroyed since.
  QList<QXYSeries*> pieces(const QXYSeries* series) const;

  // Number of series whose full lists are kept.
  int trackedSeries() const { return static_cast<int>(entries_.size()); }

 private:
  struct Entry {
    QXYSeries* series = nullptr;
    // The same object, compared with the sender of `destroyed`.
    const QObject* object = nullptr;
    QList<QPointF> full;
    // The finite pieces of `full` (finiteRuns) and their finite point count;
    // `allFinite`: one piece, the whole list.
    std::vector<std::pair<qsizetype, qsizetype>> runs;
    qsizetype finite = 0;
    bool allFinite = true;
    // The series of the pieces after the first, in order.
    std::vector<QPointer<QXYSeries>> extra;
    // The view the shown points were made for; columns 0 when they are the
    // full list.
    int columns = 0;
    double xmin = 0, xmax = 0;
  };

  void update(Entry& entry, bool force);
  // Gives each piece its finite points, reduced to `columns` over
  // [xmin, xmax] unless columns is 0.
  static void distribute(Entry& entry, int columns, double xmin, double xmax);
  void makePieces(Entry& entry);
  static void dropPieces(Entry& entry);
  void updateAll();
  void forget(QObject* series);

  QPointer<QChart> chart_;
  QPointer<QValueAxis> xAxis_;
  QPointer<QWidget> view_;
  std::vector<Entry> entries_;
};

}  // namespace trelvo::chartpoints
