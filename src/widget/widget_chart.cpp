// The data chart, and the chart view's size.
#include <QChart>
#include <QChartView>
#include <QDebug>
#include <QLegend>
#include <QLineSeries>
#include <QMessageBox>
#include <QPainter>
#include <QPen>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "fitcore/numtext.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "widget/widget_chartpoints.h"

namespace {

// The axis label pattern of the chosen notation.
QString labelFormat(bool scientific, int decimals) {
  return QString::fromStdString(trelvo::number_pattern(scientific, decimals));
}

// The smallest and largest finite value of `v`; none when no value is finite.
std::optional<std::pair<double, double>> finiteRange(const std::vector<double>& v) {
  double lo = INFINITY, hi = -INFINITY;
  for (double d : v) {
    if (!std::isfinite(d)) continue;
    lo = std::min(lo, d);
    hi = std::max(hi, d);
  }
  if (lo > hi) return std::nullopt;
  return std::pair{lo, hi};
}

}  // namespace

bool Widget::dataListsUsable() {
  if (xList.empty() || yList.empty()) {
    QMessageBox::warning(this, tr("输入错误"), tr("请先输入X轴和Y轴数据"));
    return false;
  }
  if (xList.size() != yList.size()) {
    QMessageBox::warning(this, tr("输入错误"), tr("X轴和Y轴数据长度不一致"));
    return false;
  }
  return true;
}

void Widget::onPlotBtnClicked() {
  if (!readChosenColumnsIfStale()) return;
  if (!dataListsUsable()) return;
  if (ui->titleIn->text().isEmpty()) {
    QMessageBox::warning(this, tr("输入错误"), tr("图表标题不能为空"));
    return;
  }
  // The axes span the finite values only (infinite ends make the chart
  // library loop); without any there is no range to draw in.
  const auto xRange = finiteRange(xList);
  const auto yRange = finiteRange(yList);
  if (!xRange || !yRange) {
    QMessageBox::warning(this, tr("输入错误"), tr("数据中含有无效数值（NaN 或无穷大），无法绘图"));
    return;
  }
  plotTitle = ui->titleIn->text();
  chart->removeAllSeries();
  if (chart->axes().contains(xAxis)) chart->removeAxis(xAxis);
  if (chart->axes().contains(yAxis)) chart->removeAxis(yAxis);

  xAxis->setTitleText(ui->xLabelCheck->isChecked() ? ui->xLabelIn->text() : QString());
  xAxis->setRange(xRange->first, xRange->second);
  xAxis->setLabelFormat(ui->xLabelCheck->isChecked()
                            ? labelFormat(ui->scientificXCheck->isChecked(), ui->decimalXBox->value())
                            : QString());

  yAxis->setTitleText(ui->yLabelCheck->isChecked() ? ui->yLabelIn->text() : QString());
  yAxis->setRange(yRange->first, yRange->second);
  yAxis->setLabelFormat(ui->yLabelCheck->isChecked()
                            ? labelFormat(ui->scientificYCheck->isChecked(), ui->decimalYBox->value())
                            : QString());

  auto* series = new QLineSeries();
  series->setName(dataName);
  series->setPen(QPen(QBrush(dataColor), dataSize, dataPenStyle));
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(xList.size()));
  for (size_t i = 0; i < xList.size(); ++i) points.append(QPointF(xList[i], yList[i]));
  seriesPoints->show(series, std::move(points));

  chart->addSeries(series);
  chart->addAxis(xAxis, Qt::AlignBottom);
  chart->addAxis(yAxis, Qt::AlignLeft);
  series->attachAxis(xAxis);
  series->attachAxis(yAxis);
  // Points that are not finite split the line into pieces drawn alike.
  seriesPoints->placePieces(series);

  chart->setTitle(ui->titleDisplayCheck->isChecked() ? *plotTitle : QString());
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->legend()->setVisible(ui->legendShowCheck->isChecked());

  chartView->setRenderHint(QPainter::Antialiasing);
  chartView->show();
}

void Widget::onAdjustPlotBtnClicked() {
  chartView->setFixedSize(ui->sarea->width(), ui->sarea->height());
  qDebug().noquote() << QString("ChartView size: [%1 x %2]").arg(chartView->width()).arg(chartView->height());
}
