#include "widget/widget_chartpoints.h"

#include <QChart>
#include <QDebug>
#include <QValueAxis>
#include <QWidget>
#include <QXYSeries>

#include <algorithm>
#include <cmath>
#include <exception>

#include "fitcore/limits.h"

namespace trelvo::chartpoints {

QList<QPointF> reduce(const QList<QPointF>& points, double xmin, double xmax, int columns) {
  if (columns < 1) return points;
  const double scale = xmax > xmin ? columns / (xmax - xmin) : 0.0;
  // Columns -1 and `columns` hold the x outside the range.
  auto column = [&](double x) -> std::int64_t {
    if (x < xmin) return -1;
    if (x > xmax) return columns;
    return std::min<std::int64_t>(static_cast<std::int64_t>((x - xmin) * scale), columns - 1);
  };
  auto finite = [](const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); };

  QList<QPointF> out;
  out.reserve(std::min<qsizetype>(points.size(), qsizetype{4} * (columns + 2)));
  const qsizetype n = points.size();
  qsizetype i = 0;
  while (i < n) {
    if (!finite(points[i])) {
      out.append(points[i++]);
      continue;
    }
    const std::int64_t c = column(points[i].x());
    qsizetype lo = i, hi = i, j = i + 1;
    for (; j < n && finite(points[j]) && column(points[j].x()) == c; ++j) {
      if (points[j].y() < points[lo].y()) lo = j;
      if (points[j].y() > points[hi].y()) hi = j;
    }
    const qsizetype keep[4] = {i, std::min(lo, hi), std::max(lo, hi), j - 1};
    for (int k = 0; k < 4; ++k) {
      if (k == 0 || keep[k] != keep[k - 1]) out.append(points[keep[k]]);
    }
    i = j;
  }
  return out;
}

int plotColumns(const QChart* chart, const QWidget* view) {
  double width = chart ? chart->plotArea().width() : 0.0;
  if (!(width > 0) && view) width = view->width();
  const double ratio = view ? view->devicePixelRatioF() : 1.0;
  return width > 0 ? static_cast<int>(std::ceil(width * ratio)) : 0;
}

SeriesPoints::SeriesPoints(QChart* chart, QValueAxis* xAxis, QWidget* view, QObject* parent)
    : QObject(parent), chart_(chart), xAxis_(xAxis), view_(view) {
  connect(chart, &QChart::plotAreaChanged, this, &SeriesPoints::updateAll);
  connect(xAxis, &QValueAxis::rangeChanged, this, &SeriesPoints::updateAll);
}

void SeriesPoints::show(QXYSeries* series, QList<QPointF> points) {
  auto it = std::find_if(entries_.begin(), entries_.end(), [series](const Entry& e) { return e.series == series; });
  if (it == entries_.end()) {
    connect(series, &QObject::destroyed, this, &SeriesPoints::forget);
    entries_.push_back(Entry{series, series, {}});
    it = entries_.end() - 1;
  }
  it->full = std::move(points);
  update(*it, true);
}

const QList<QPointF>* SeriesPoints::points(const QXYSeries* series) const {
  for (const Entry& e : entries_) {
    if (e.series == series) return &e.full;
  }
  return nullptr;
}

void SeriesPoints::update(Entry& entry, bool force) {
  const int columns = plotColumns(chart_, view_);
  const bool dense = xAxis_ && columns > 0 &&
                     entry.full.size() > qsizetype{limits::kChartPointsPerPixelColumn} * columns;
  if (!dense) {
    if (force || entry.columns != 0) entry.series->replace(entry.full);
    entry.columns = 0;
    return;
  }
  const double xmin = xAxis_->min(), xmax = xAxis_->max();
  if (!force && entry.columns == columns && entry.xmin == xmin && entry.xmax == xmax) return;
  entry.series->replace(reduce(entry.full, xmin, xmax, columns));
  entry.columns = columns;
  entry.xmin = xmin;
  entry.xmax = xmax;
}

void SeriesPoints::updateAll() {
  try {
    for (Entry& entry : entries_) update(entry, false);
  } catch (const std::exception& e) {
    qDebug().noquote() << QStringLiteral("SeriesPoints: ") + QString::fromUtf8(e.what());
  }
}

void SeriesPoints::forget(QObject* series) {
  std::erase_if(entries_, [series](const Entry& e) { return e.object == series; });
}

}  // namespace trelvo::chartpoints
