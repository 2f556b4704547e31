#include "plotwindow.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTimer>

namespace demo {

void show_plot(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& fitted) {
  auto* scatter = new QScatterSeries();
  scatter->setName(QStringLiteral("Original Data"));
  auto* line = new QLineSeries();
  line->setName(QStringLiteral("Fitted Curve"));
  for (size_t i = 0; i < x.size(); ++i) {
    scatter->append(x[i], y[i]);
    if (i < fitted.size()) line->append(x[i], fitted[i]);
  }
  auto* chart = new QChart();
  chart->addSeries(scatter);
  chart->addSeries(line);
  chart->createDefaultAxes();
  chart->legend()->setVisible(true);

  QChartView view(chart);
  view.setRenderHint(QPainter::Antialiasing);
  view.resize(640, 480);
  view.show();
  bool ok = false;
  const int close_ms = qEnvironmentVariableIntValue("TRELVO_DEMO_CLOSE_MS", &ok);
  if (ok) QTimer::singleShot(close_ms, &view, &QWidget::close);
  QApplication::exec();
}

}  // namespace demo
