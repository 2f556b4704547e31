// The fitted curve on the chart.
#include <QChart>
#include <QChartView>
#include <QDebug>
#include <QMessageBox>
#include <QPen>
#include <QSplineSeries>
#include <QValueAxis>

#include <cmath>
#include <new>

#include "fitcore/limits.h"
#include "fitcore/linspace.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "widget/widget_chartpoints.h"
#include "fitcore/fitobject.h"

void Widget::onCurveBtnClicked() {
  // Read here, the lists are fresh for the redraw below, which reads nothing.
  if (!readChosenColumnsIfStale()) return;
  if (!fit_class || !fit_class->fitted()) {
    QMessageBox::warning(this, tr("输入错误"), tr("请先进行拟合"));
    return;
  }
  std::vector<double> xs = xList;
  qDebug().noquote() << QStringLiteral("length of x_list: %1").arg(xs.size());
  // Without x values there is nothing to sample (nor a first and last x).
  if (xs.empty()) {
    QMessageBox::warning(this, tr("输入错误"), tr("请先输入X轴和Y轴数据"));
    return;
  }

  const int level = ui->refineSP->value();
  const double points = std::pow(10.0, level);
  std::vector<double> ys;
  try {
    if (ui->refineCB->isChecked() && points > static_cast<double>(xs.size())) {
      if (points > static_cast<double>(trelvo::limits::kMaxCurvePoints)) {
        QMessageBox::warning(this, tr("警告"), tr("细化等级过大，无法绘制"));
        return;
      }
      if (level > trelvo::limits::kCurveLevelAsked) {
        const auto answer = QMessageBox::warning(this, tr("警告"), tr("细化等级太小可能导致进程假死！"),
                                                 QMessageBox::Ok | QMessageBox::Cancel);
        if (answer != QMessageBox::Ok) return;
      }
      xs = trelvo::linspace(xs.front(), xs.back(), static_cast<std::int64_t>(points));
      qDebug().noquote() << QStringLiteral("extended length of x_list: %1").arg(xs.size());
    }
    ys = fit_class->ylist(xs);
  } catch (const std::bad_alloc&) {
    QMessageBox::warning(this, tr("警告"), tr("细化等级过大，无法绘制"));
    return;
  }

  ui->tabWidget->setCurrentIndex(1);
  onPlotBtnClicked();

  auto* series = new QSplineSeries();
  series->setName(curveName);
  series->setPen(QPen(QBrush(curveColor), curveSize, curvePenSytle));
  QList<QPointF> curve;
  curve.reserve(static_cast<qsizetype>(xs.size()));
  for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i) curve.append(QPointF(xs[i], ys[i]));
  seriesPoints->show(series, std::move(curve));
  chart->addSeries(series);
  series->attachAxis(xAxis);
  series->attachAxis(yAxis);
  // A sample that is not finite (a pole, a logarithm at 0) splits the curve
  // into pieces drawn alike.
  seriesPoints->placePieces(series);

  // The y range over the fitted and the measured values; values that are not
  // finite cannot span an axis and are left out.
  double lo = INFINITY, hi = -INFINITY;
  for (const auto* list : {&ys, &yList}) {
    for (double v : *list) {
      if (!std::isfinite(v)) continue;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  if (lo <= hi) yAxis->setRange(lo, hi);
  chartView->show();
}
