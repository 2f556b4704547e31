#include "widget/widget_chartpoints.h"

#include <QChart>
#include <QDebug>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QSplineSeries>
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

std::vector<std::pair<qsizetype, qsizetype>> finiteRuns(const QList<QPointF>& points, int most) {
  auto finite = [](const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); };
  std::vector<std::pair<qsizetype, qsizetype>> runs;
  const qsizetype n = points.size();
  for (qsizetype i = 0; i < n;) {
    if (!finite(points[i])) {
      ++i;
      continue;
    }
    qsizetype j = i + 1;
    while (j < n && finite(points[j])) ++j;
    runs.emplace_back(i, j);
    i = j;
  }
  if (most < 1 || runs.size() <= static_cast<std::size_t>(most)) return runs;
  // Gap g lies between runs g and g + 1; the narrowest (first of equal
  // widths) are bridged.
  std::vector<std::size_t> gaps(runs.size() - 1);
  for (std::size_t g = 0; g < gaps.size(); ++g) gaps[g] = g;
  auto width = [&](std::size_t g) {
    return std::fabs(points[runs[g + 1].first].x() - points[runs[g].second - 1].x());
  };
  const std::size_t bridged = runs.size() - static_cast<std::size_t>(most);
  std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(bridged - 1), gaps.end(),
                   [&](std::size_t a, std::size_t b) {
                     const double wa = width(a), wb = width(b);
                     return wa < wb || (wa == wb && a < b);
                   });
  std::vector<char> bridge(gaps.size(), 0);
  for (std::size_t k = 0; k < bridged; ++k) bridge[gaps[k]] = 1;
  std::vector<std::pair<qsizetype, qsizetype>> joined;
  joined.reserve(static_cast<std::size_t>(most));
  joined.push_back(runs[0]);
  for (std::size_t g = 0; g < gaps.size(); ++g) {
    if (bridge[g])
      joined.back().second = runs[g + 1].second;
    else
      joined.push_back(runs[g + 1]);
  }
  return joined;
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
    Entry entry;
    entry.series = series;
    entry.object = series;
    entries_.push_back(std::move(entry));
    it = entries_.end() - 1;
  }
  dropPieces(*it);
  it->full = std::move(points);
  it->runs = finiteRuns(it->full, limits::kMaxChartPieces);
  it->finite = 0;
  for (const auto& [first, last] : it->runs) it->finite += last - first;
  it->allFinite = it->finite == it->full.size();
  makePieces(*it);
  update(*it, true);
}

QList<QXYSeries*> SeriesPoints::pieces(const QXYSeries* series) const {
  QList<QXYSeries*> out;
  for (const Entry& e : entries_) {
    if (e.series != series) continue;
    out.append(e.series);
    for (const auto& p : e.extra) {
      if (p) out.append(p.data());
    }
  }
  return out;
}

void SeriesPoints::placePieces(QXYSeries* series) {
  for (Entry& e : entries_) {
    if (e.series != series) continue;
    QChart* chart = series->chart();
    if (!chart) return;
    const QList<QAbstractAxis*> axes = series->attachedAxes();
    for (const auto& p : e.extra) {
      if (!p || p->chart()) continue;
      chart->addSeries(p.data());
      for (QAbstractAxis* axis : axes) p->attachAxis(axis);
      for (QLegendMarker* marker : chart->legend()->markers(p.data())) marker->setVisible(false);
    }
    return;
  }
}

void SeriesPoints::makePieces(Entry& entry) {
  if (entry.runs.size() < 2) return;
  const bool spline = qobject_cast<QSplineSeries*>(entry.series) != nullptr;
  entry.extra.reserve(entry.runs.size() - 1);
  for (std::size_t k = 1; k < entry.runs.size(); ++k) {
    QXYSeries* piece = spline ? new QSplineSeries() : new QLineSeries();
    piece->setName(entry.series->name());
    piece->setPen(entry.series->pen());
    piece->setPointsVisible(entry.series->pointsVisible());
    entry.extra.emplace_back(piece);
  }
}

void SeriesPoints::dropPieces(Entry& entry) {
  for (const auto& p : entry.extra) {
    if (!p) continue;
    if (QChart* chart = p->chart()) chart->removeSeries(p.data());
    delete p.data();
  }
  entry.extra.clear();
}

void SeriesPoints::distribute(Entry& entry, int columns, double xmin, double xmax) {
  auto give = [&](QXYSeries* target, const QList<QPointF>& points) {
    target->replace(columns > 0 ? reduce(points, xmin, xmax, columns) : points);
  };
  if (entry.allFinite) {
    give(entry.series, entry.full);
    return;
  }
  if (entry.runs.empty()) {
    entry.series->replace(QList<QPointF>());
    return;
  }
  for (std::size_t k = 0; k < entry.runs.size(); ++k) {
    QXYSeries* target = k == 0 ? entry.series : (k - 1 < entry.extra.size() ? entry.extra[k - 1].data() : nullptr);
    if (!target) continue;
    const auto [first, last] = entry.runs[k];
    QList<QPointF> points;
    points.reserve(last - first);
    for (qsizetype i = first; i < last; ++i) {
      const QPointF& p = entry.full[i];
      if (std::isfinite(p.x()) && std::isfinite(p.y())) points.append(p);
    }
    give(target, points);
  }
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
                     entry.finite > qsizetype{limits::kChartPointsPerPixelColumn} * columns;
  if (!dense) {
    if (force || entry.columns != 0) distribute(entry, 0, 0, 0);
    entry.columns = 0;
    return;
  }
  const double xmin = xAxis_->min(), xmax = xAxis_->max();
  if (!force && entry.columns == columns && entry.xmin == xmin && entry.xmax == xmax) return;
  distribute(entry, columns, xmin, xmax);
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
  std::vector<QPointer<QXYSeries>> orphans;
  std::erase_if(entries_, [&](Entry& e) {
    if (e.object != series) return false;
    for (auto& p : e.extra) orphans.push_back(std::move(p));
    return true;
  });
  if (orphans.empty()) return;
  // Inside the chart's removeAllSeries() the pieces are removed and deleted
  // right after the series; only pieces left once it returns are taken away.
  QMetaObject::invokeMethod(
      this,
      [orphans = std::move(orphans)] {
        for (const auto& p : orphans) {
          if (!p) continue;
          if (QChart* chart = p->chart()) chart->removeSeries(p.data());
          delete p.data();
        }
      },
      Qt::QueuedConnection);
}

}  // namespace trelvo::chartpoints
