// Times the window's steps on a two-column CSV of 10^4, 10^5 and 10^6 rows
// (load, refresh, plot, polynomial fit, non-linear fit, curve) and its peak
// resident memory, next to NumPy + Matplotlib (Agg) doing the same
// (bench/window_reference.py); then each built-in model kind's fit against
// SciPy's curve_fit from the same start.
//
// Each size runs in a child process of its own ("bench_window --child N CSV"),
// so that its peak memory is its own.
#include <QApplication>
#include <QChartView>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "common/benchboxes.h"
#include "fitcore/nonlinearfit.h"
#include "sheetgrid/clevertablewidget.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "fitcore/fitmodels.h"
#include "fitcore/fitobject.h"

namespace {

// The sizes, unless given on the command line.
const std::vector<int> kDefaultSizes = {10000, 100000, 1000000};
const char* const kSteps[] = {"load", "refresh", "tab", "plot", "polynomial", "nonlinear", "curve"};
// "show plot tab" is the grid's own work (its deferred resize, flushed when
// the window is drawn); the script has no such step.
const char* const kStepLabels[] = {"load CSV", "refresh", "show plot tab", "plot", "polynomial fit (3)",
                                   "a+b*e^(c*x) fit", "curve"};

using Lines = std::map<QString, double>;

// "<name> <number>" lines.
Lines parseLines(const QByteArray& text) {
  Lines out;
  for (const QByteArray& line : text.split('\n')) {
    const QList<QByteArray> parts = line.trimmed().split(' ');
    if (parts.size() == 2) out[QString::fromUtf8(parts[0])] = parts[1].toDouble();
  }
  return out;
}

// The lines `program` prints; none when it fails or runs longer than
// `limitMs` (it is then killed).
Lines run(const QString& program, const QStringList& args, int limitMs = -1) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(program, args);
  if (!p.waitForFinished(limitMs)) {
    p.kill();
    p.waitForFinished(-1);
    std::fprintf(stderr, "%s %s did not finish within %d s\n", qPrintable(program), qPrintable(args.join(' ')),
                 limitMs / 1000);
    return {};
  }
  if (p.exitCode() != 0) std::fprintf(stderr, "%s %s failed\n", qPrintable(program), qPrintable(args.join(' ')));
  return parseLines(p.readAllStandardOutput());
}

// Longest run of one window child.
constexpr int kChildLimitMs = 15 * 60 * 1000;

QString script() { return QStringLiteral(TRELVO_SOURCE_DIR "/bench/window_reference.py"); }

// A "VmHWM" (peak) or "VmRSS" (current) line of /proc/self/status, in KiB.
double statusKiB(const char* key) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  const QByteArray prefix = QByteArray(key) + ':';
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(prefix)) return line.mid(prefix.size()).trimmed().split(' ').front().toDouble();
  }
  return 0;
}

// y = 1 + 2·e^(0.5·x) with a little noise, x evenly from 0 to 3.
bool writeCsv(const QString& path, int n) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  QByteArray out;
  out.reserve(n * 48);
  for (int i = 0; i < n; ++i) {
    const double x = i * (3.0 / (n - 1));
    const double y = 1 + 2 * std::exp(0.5 * x) + 0.01 * std::sin(7.3 * i + 0.4);
    out += QByteArray::number(x, 'g', 17) + ',' + QByteArray::number(y, 'g', 17) + "\r\n";
  }
  return f.write(out) == out.size();
}

// What the event loop does between two user actions: pending events, and
// objects whose deletion was deferred (the chart's items of removed series).
void settle() {
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The child: one window, each step timed up to the moment its result is on
// screen (pending events handled, the chart drawn). With a CSV the window
// loads it and reads its columns; without one (`csv` empty) the data lists
// are set directly, the grid left out, and only the chart and fit steps run.
int child(int n, const QString& csv) {
  Widget w;
  w.show();
  w.onAdjustPlotBtnClicked();
  // Every tab laid out once before the data come: a grid of many rows that
  // is resized grows by whole columns, each one rows × columns moves in
  // Qt 6.4's table model.
  w.ui->tabWidget->setCurrentIndex(1);
  QApplication::processEvents();
  (void)w.grab();
  w.ui->tabWidget->setCurrentIndex(0);
  QApplication::processEvents();
  (void)w.grab();
  std::vector<std::pair<const char*, double>> times;
  QElapsedTimer clock;
  auto step = [&](const char* name, const std::function<void()>& body) {
    clock.start();
    body();
    settle();
    times.emplace_back(name, clock.nsecsElapsed() / 1e6);
  };
  if (csv.isEmpty()) {
    w.xList.resize(static_cast<std::size_t>(n));
    w.yList.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      w.xList[i] = i * (3.0 / (n - 1));
      w.yList[i] = 1 + 2 * std::exp(0.5 * w.xList[i]) + 0.01 * std::sin(7.3 * i + 0.4);
    }
    w.ui->tabWidget->setCurrentIndex(1);
    settle();
  } else {
    step("load", [&] { w.ui->inputTable->load_csv(csv); });
    step("refresh", [&] { w.ui->refreshBtn->click(); });
    step("tab", [&] {
      w.ui->tabWidget->setCurrentIndex(1);
      QApplication::processEvents();
      (void)w.grab();
    });
  }
  step("plot", [&] {
    w.ui->plotBtn->click();
    QApplication::processEvents();
    (void)w.chartView->grab();
  });
  // The model is chosen as a user does, the event loop running before the
  // fit button is pressed.
  w.ui->comboBox->setCurrentIndex(0);
  w.ui->numberSpin->setValue(3);
  settle();
  step("polynomial", [&] { w.ui->fitBtn->click(); });
  w.ui->comboBox->setCurrentIndex(1);
  settle();
  step("nonlinear", [&] { w.ui->fitBtn->click(); });
  step("curve", [&] {
    w.ui->curveBtn->click();
    QApplication::processEvents();
    (void)w.chartView->grab();
  });
  // The same fit pressed in the event loop's pass that changed the model
  // (a script or a test driving the window does so).
  w.ui->comboBox->setCurrentIndex(0);
  settle();
  w.ui->comboBox->setCurrentIndex(1);
  step("samepass", [&] { w.ui->fitBtn->click(); });
  const bool ok = w.xList.size() == static_cast<std::size_t>(n) && w.fit_class && w.fit_class->fitted();
  const double peak = statusKiB("VmHWM");
  // Curves redrawn with new fits: what they leave in memory.
  const double resident = statusKiB("VmRSS");
  for (int round = 0; round < 3; ++round) {
    for (const int kind : {0, 1}) {
      w.ui->comboBox->setCurrentIndex(kind);
      w.ui->fitBtn->click();
      w.ui->curveBtn->click();
      settle();
      (void)w.chartView->grab();
    }
  }
  for (const auto& [name, ms] : times) std::printf("%s %.3f\n", name, ms);
  std::printf("rss %.0f\n", peak);
  std::printf("regrowth %.0f\n", statusKiB("VmRSS") - resident);
  return ok ? 0 : 1;
}

struct KindCase {
  const char* key;
  const char* label;
  std::shared_ptr<const trelvo::ModelFunction> (*model)();
  double (*truth)(double);
  bool positiveX;
};

std::vector<double> kindX(const KindCase& c, int n) {
  std::vector<double> x(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) x[i] = (c.positiveX ? 0.5 : 0.0) + i * (3.0 / (n - 1));
  return x;
}

double bestFitMs(const KindCase& c, int n) {
  const std::vector<double> x = kindX(c, n);
  std::vector<double> y(x.size());
  for (int i = 0; i < n; ++i) y[i] = c.truth(x[i]) + 0.01 * std::sin(7.3 * i + 0.4);
  double best = 1e300;
  for (int run = 0; run < 3; ++run) {
    NonLinearFit fit(x, y, c.model());
    QElapsedTimer clock;
    clock.start();
    fit.fit();
    best = std::min(best, clock.nsecsElapsed() / 1e6);
  }
  return best;
}

QString ratio(double a, double b) {
  return a >= 0 && b > 0 ? QString::asprintf("%6.2fx", a / b) : QStringLiteral("   n/a");
}

int parent(const QString& self, const std::vector<int>& sizes) {
  int status = 0;
  QTemporaryDir dir;
  std::printf("window steps vs NumPy + Matplotlib (Agg), two-column CSV (ms; ratio = window / script)\n");
  std::printf("'direct': the same window with its data lists set directly, the grid left out\n");
  std::printf("%9s  %-20s %11s %11s %11s %8s %8s\n", "rows", "step", "window", "direct", "script", "ratio",
              "direct");
  for (const int n : sizes) {
    const QString csv = dir.filePath(QStringLiteral("data_%1.csv").arg(n));
    if (!writeCsv(csv, n)) return 1;
    const Lines ref = run(QStringLiteral("/usr/bin/python3"), {script(), QStringLiteral("window"), csv});
    const Lines win = run(self, {QStringLiteral("--child"), QString::number(n), csv}, kChildLimitMs);
    const Lines direct = run(self, {QStringLiteral("--child"), QString::number(n), QString()}, kChildLimitMs);
    if (win.empty() || direct.empty()) status = 1;
    auto value = [](const Lines& lines, const QString& key) { return lines.count(key) ? lines.at(key) : -1.0; };
    double totals[3] = {0, 0, 0};
    for (std::size_t s = 0; s < std::size(kSteps); ++s) {
      const QString key = QString::fromLatin1(kSteps[s]);
      const double a = value(win, key), d = value(direct, key), b = value(ref, key);
      totals[0] += std::max(a, 0.0);
      totals[1] += std::max(d, 0.0);
      totals[2] += std::max(b, 0.0);
      std::printf("%9d  %-20s %11.1f %11.1f %11.1f %8s %8s\n", n, kStepLabels[s], a, d, b, qPrintable(ratio(a, b)),
                  qPrintable(ratio(d, b)));
    }
    {
      const double a = value(win, QStringLiteral("samepass")), d = value(direct, QStringLiteral("samepass"));
      const double b = value(ref, QStringLiteral("nonlinear"));
      std::printf("%9d  %-20s %11.1f %11.1f %11.1f %8s %8s   (fit in the pass that changed the model)\n", n,
                  kStepLabels[5], a, d, b, qPrintable(ratio(a, b)), qPrintable(ratio(d, b)));
    }
    std::printf("%9d  %-20s %11.1f %11.1f %11.1f %8s\n", n, "whole path", win.empty() ? -1.0 : totals[0], totals[1],
                totals[2], qPrintable(ratio(win.empty() ? -1.0 : totals[0], totals[2])));
    auto mib = [&](const Lines& lines, const char* key) { return value(lines, QString::fromLatin1(key)) / 1024; };
    std::printf("%9d  %-20s %7.0f MiB %7.0f MiB %7.0f MiB %8s\n", n, "peak RSS", mib(win, "rss"), mib(direct, "rss"),
                mib(ref, "rss"), qPrintable(ratio(mib(win, "rss"), mib(ref, "rss"))));
    std::printf("%9d  %-20s %7.1f MiB %7.1f MiB\n", n, "RSS added, 6 refits", mib(win, "regrowth"),
                mib(direct, "regrowth"));
    std::fflush(stdout);
  }

  const KindCase kinds[] = {
      {"exponential", "a + b*e^(c*x)", trelvo::exponential_model, [](double x) { return 1 + 2 * std::exp(0.5 * x); },
       false},
      {"exponential2", "a*e^(b*x)", trelvo::exponential2_model, [](double x) { return 2 * std::exp(0.5 * x); }, false},
      {"logarithmic", "a + b*ln(x)", trelvo::logarithmic_model, [](double x) { return 1 + 2 * std::log(x); }, true},
      {"power", "a*x^b", trelvo::power_model, [](double x) { return 2 * std::pow(x, 1.5); }, true},
  };
  std::printf("\nbuilt-in model kinds: fit from all-ones start vs SciPy curve_fit (ms, best of 3)\n");
  std::printf("%9s  %-20s %11s %11s %8s\n", "points", "kind", "window", "curve_fit", "ratio");
  for (const int n : sizes) {
    const Lines ref = run(QStringLiteral("/usr/bin/python3"), {script(), QStringLiteral("kinds"), QString::number(n)});
    for (const KindCase& c : kinds) {
      const double a = bestFitMs(c, n);
      const QString key = QString::fromLatin1(c.key);
      const double b = ref.count(key) ? ref.at(key) : -1;
      std::printf("%9d  %-20s %11.2f %11.2f %8s\n", n, c.label, a, b, qPrintable(ratio(a, b)));
    }
    std::fflush(stdout);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_LOGGING_RULES", "default.debug=false");
  QApplication app(argc, argv);
  trelvo::test::BoxCloser closer;  // no box may wait for an answer in a benchmark
  const QStringList args = QApplication::arguments();
  if (args.size() >= 3 && args[1] == QLatin1String("--child"))
    return child(args[2].toInt(), args.size() > 3 ? args[3] : QString());
  std::vector<int> sizes;
  for (int i = 1; i < args.size(); ++i) sizes.push_back(args[i].toInt());
  return parent(QApplication::applicationFilePath(), sizes.empty() ? kDefaultSizes : sizes);
}
