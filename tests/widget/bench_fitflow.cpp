// Times the fitting workflow on 100,000 data points from the button press to
// the chart (polynomial of degree 3, and a + b·e^(c·x)). The fit button's
// work (both starts for a + b·e^(c·x), and R²) is set against NumPy and SciPy
// doing the same (bench/fitflow_scipy.py); the curve and the drawing have no
// counterpart there and are shown alone.
#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <map>

#include "common/benchboxes.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "fitcore/fitobject.h"

namespace {

constexpr int kPoints = 100000;

std::map<QString, double> scipyTimes() {
  std::map<QString, double> out;
  QProcess python;
  python.start("/usr/bin/python3", {QStringLiteral(TRELVO_SOURCE_DIR "/bench/fitflow_scipy.py"),
                                    QString::number(kPoints)});
  if (!python.waitForFinished(300000)) return out;
  for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() == 2) out[QString::fromUtf8(parts[0])] = parts[1].toDouble();
  }
  return out;
}

struct Timing {
  double fit = 0, curve = 0, render = 0;
};

Timing timeOnce(Widget& w, int kind) {
  Timing t;
  QElapsedTimer clock;
  w.ui->comboBox->setCurrentIndex(kind);
  QApplication::processEvents();
  clock.start();
  w.ui->fitBtn->click();
  t.fit = clock.nsecsElapsed() / 1e6;
  clock.restart();
  w.ui->curveBtn->click();
  t.curve = clock.nsecsElapsed() / 1e6;
  clock.restart();
  (void)w.chartView->grab();
  t.render = clock.nsecsElapsed() / 1e6;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_LOGGING_RULES", "default.debug=false");
  QApplication app(argc, argv);
  trelvo::test::BoxCloser closer;  // no box may wait for an answer in a benchmark

  Widget w;
  w.xList.resize(kPoints);
  w.yList.resize(kPoints);
  const auto scipy = scipyTimes();

  struct Case {
    const char* key;
    const char* label;
    int kind;
    double (*f)(double);
  } cases[] = {
      {"polynomial3", "polynomial degree 3", 0, [](double x) { return 1 - 2 * x + 0.5 * x * x + 0.1 * x * x * x; }},
      {"exponential", "a + b*e^(c*x)      ", 1, [](double x) { return 1 + 2 * std::exp(0.5 * x); }},
  };
  int status = 0;
  std::printf("fitting workflow, %d points (ms, best of 3: fit button, curve button, chart drawn into an image;\n"
              "ratio = window's fit button / NumPy+SciPy's same fit)\n",
              kPoints);
  for (const Case& c : cases) {
    for (int i = 0; i < kPoints; ++i) {
      w.xList[i] = i * (3.0 / (kPoints - 1));
      w.yList[i] = c.f(w.xList[i]) + 0.01 * std::sin(7.3 * i + 0.4);
    }
    w.ui->numberSpin->setValue(3);
    Timing best{1e300, 1e300, 1e300};
    for (int run = 0; run < 3; ++run) {
      const Timing t = timeOnce(w, c.kind);
      if (t.fit + t.curve + t.render < best.fit + best.curve + best.render) best = t;
    }
    if (!w.fit_class || !w.fit_class->fitted()) status = 1;
    const auto it = scipy.find(QString::fromLatin1(c.key));
    const bool known = it != scipy.end() && it->second > 0;
    std::printf("  %s  fit %7.1f  SciPy %s  ratio %s   then curve %7.1f + drawing %7.1f\n", c.label, best.fit,
                known ? qPrintable(QString::asprintf("%7.1f", it->second)) : "    n/a",
                known ? qPrintable(QString::asprintf("%5.2fx", best.fit / it->second)) : "  n/a", best.curve,
                best.render);
  }
  return status;
}
