// Loads of small files whose content costs far more than their size: one
// long formula shared by many cells, a sparse sheet with cells in columns A
// and XFD, distinct long formulas that use the whole formula-work budget of a
// load, and 2,000,000 distinct short formula cells. Each load runs in a child
// process of its own, which prints its time (wall clock, and the CPU time of
// the process, which other work on a shared machine disturbs less), its peak
// RSS and what the load ended in.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>

#include "common/workbookparts.h"
#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"

namespace {

// A one-sheet workbook with the given rows and shared strings.
QByteArray workbook(const QByteArray& rows, const QByteArray& strings) {
  return trelvo::test::one_sheet_workbook(trelvo::test::worksheet_part(rows), strings);
}

// `cells` cells (1,000 a row, in column A onwards) of shared string 0: the
// formula =min(1,1,...) with 30,000 arguments.
QByteArray shared_formula(int cells) {
  QByteArray formula = "=min(1";
  for (int i = 1; i < 30000; ++i) formula += ",1";
  formula += ")";
  QByteArray rows;
  const int per_row = 1000;
  for (int r = 0; r * per_row < cells; ++r) {
    rows += "<row>";
    for (int c = 0; c < per_row && r * per_row + c < cells; ++c) rows += "<c t=\"s\"><v>0</v></c>";
    rows += "</row>";
  }
  return workbook(rows, "<si><t>" + formula + "</t></si>");
}

// 2,000,000 cells (1,000 a row) of shared string 0, the text "1".
QByteArray shared_number() {
  QByteArray row = "<row>";
  for (int c = 0; c < 1000; ++c) row += "<c t=\"s\"><v>0</v></c>";
  row += "</row>";
  return workbook(row.repeated(2000), "<si><t>1</t></si>");
}

// `rows` rows with one text in A and one in XFD.
QByteArray sparse_wide(int rows) {
  QByteArray body;
  for (int r = 1; r <= rows; ++r) {
    const QByteArray n = QByteArray::number(r);
    body += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"s\"><v>0</v></c><c r=\"XFD" + n +
            "\" t=\"s\"><v>1</v></c></row>";
  }
  return workbook(body, "<si><t>left</t></si><si><t>right</t></si>");
}

// =min(k,1,1,...) of 60,002 characters: distinct for each k.
QByteArray long_min_formula(int k) {
  QByteArray f = "=min(" + QByteArray::number(k);
  while (f.size() < 60000) f += ",1";
  return f + ")";
}

// The formula work of one such text without references: its check (its
// length) and its evaluation (the rewritten text, "np." longer, "=" shorter).
qint64 min_formula_work(const QByteArray& f) { return 2LL * f.size() + 2; }

// One cell each of as many distinct 60 KB formulas as the formula-work
// budget of a load admits, as shared strings in one column.
QByteArray budget_workbook() {
  QByteArray rows, strings;
  qint64 work = 0;
  for (int k = 0;; ++k) {
    const QByteArray f = long_min_formula(k);
    if (work + min_formula_work(f) > trelvo::limits::kMaxLoadFormulaWork) break;
    work += min_formula_work(f);
    rows += "<row><c t=\"s\"><v>" + QByteArray::number(k) + "</v></c></row>";
    strings += "<si><t>" + f + "</t></si>";
  }
  return workbook(rows, strings);
}

// A CSV of 1,000 numbers in column A and, in column B, distinct 45 KB sums
// over them (references, functions, powers), as many as the formula-work
// budget admits: each text is checked, reads its references and evaluates.
QByteArray budget_csv() {
  QByteArray out;
  for (int r = 1; r <= 1000; ++r) out += QByteArray::number(r * 0.25) + "\n";
  qint64 work = 0;
  for (int k = 0;; ++k) {
    QByteArray f = "=" + QByteArray::number(k);
    std::set<int> refs;
    qint64 terms = 0;
    for (int t = 0; f.size() < 45000; ++t, ++terms) {
      const int a = (t + k) % 1000 + 1, b = t % 997 + 1, c = t % 991 + 1, d = t % 983 + 1;
      refs.insert({a, b, c, d});
      f += "+A" + QByteArray::number(a) + "*2.5-sin(A" + QByteArray::number(b) + ")^2/3+sqrt(abs(A" +
           QByteArray::number(c) + "))*1.5e-3-exp(-A" + QByteArray::number(d) + "/10)";
    }
    // Its check, its references, and the evaluation of the rewritten text
    // (no "=", 18 characters longer a term: np. three times, np.absolute
    // for abs, ** for ^), which stays within the evaluator's length limit.
    const qint64 cost = f.size() + static_cast<qint64>(refs.size()) + (f.size() - 1 + 18 * terms);
    if (work + cost > trelvo::limits::kMaxLoadFormulaWork) break;
    work += cost;
    out += "," + f + "\n";
  }
  return out;
}

// 2,000,000 formula cells on 1,000,000 rows of two, each its own text.
// `chained` false: =A1*2, =A2*2, ... in reading order (all but the first
// refer to cells after them and report them empty). `chained` true: A1 is
// =1*2, then each cell doubles the one before it (=A1*2 in B1, =B1*2 in A2,
// ...), so that every formula reads a number, compiles and evaluates.
QByteArray short_formulas_csv(bool chained) {
  QByteArray out;
  out.reserve(24 * 1000000);
  for (int r = 1; r <= 1000000; ++r) {
    const QByteArray n = QByteArray::number(r);
    if (!chained)
      out += "=A" + QByteArray::number(2 * r - 1) + "*2,=A" + QByteArray::number(2 * r) + "*2\n";
    else
      out += (r == 1 ? QByteArray("=1*2") : "=B" + QByteArray::number(r - 1) + "*2") + ",=A" + n + "*2\n";
  }
  return out;
}

double status_mib(const char* key) {
  QFile file(QStringLiteral("/proc/self/status"));
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray prefix = QByteArray(key) + ':';
  for (const QByteArray& line : file.readAll().split('\n'))
    if (line.startsWith(prefix)) return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
  return -1;
}

// Child: loads `path` into a window-like grid; a message box is answered at
// once and its title reported.
int load_child(const QString& path, const QString& what) {
  CleverTableWidget grid;
  grid.resize(800, 600);
  grid.show();
  grid.enable_infinite();
  QApplication::processEvents();
  QString box;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&box] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* m = qobject_cast<QMessageBox*>(w); m && m->isVisible()) {
        box = m->windowTitle() + QLatin1Char(' ') + m->text().section(QLatin1Char('\n'), -1);
        m->accept();
      }
  });
  closer.start(10);
  QElapsedTimer t;
  const std::clock_t cpu0 = std::clock();
  t.start();
  if (path.endsWith(QLatin1String(".csv")))
    grid.load_csv(path);
  else
    grid.load_excel(path);
  const qint64 ms = t.elapsed();
  const double cpu_ms = 1000.0 * static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
  const double peak = status_mib("VmHWM");
  std::printf("%-56s %7lld ms (CPU %7.0f ms)  peak RSS %5.0f MiB  %s\n", qPrintable(what),
              static_cast<long long>(ms), cpu_ms, peak, box.isEmpty() ? "loaded" : qPrintable(box.left(120)));
  return 0;
}

bool run_case(const QString& program, const QTemporaryDir& dir, const QString& name, const QByteArray& bytes,
              const QString& what) {
  const QString path = dir.filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return false;
  file.close();
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  child.start(program, {QStringLiteral("--load"), path,
                        QStringLiteral("%1 (%2 KB)").arg(what).arg((bytes.size() + 512) / 1024)});
  if (!child.waitForFinished(-1)) return false;
  return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type != QtDebugMsg) std::fprintf(stderr, "%s\n", qPrintable(msg));
  });
  QApplication app(argc, argv);
  if (argc == 4 && std::strcmp(argv[1], "--load") == 0)
    return load_child(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
  // "bench_loadfiles N" runs case N (0-based) alone.
  const int only = argc == 2 ? std::atoi(argv[1]) : -1;
  QTemporaryDir dir;
  const QString self = QCoreApplication::applicationFilePath();
  bool ok = true;
  const auto run = [&](int n, const char* name, const QByteArray& bytes, const char* what) {
    if (only < 0 || only == n) ok = run_case(self, dir, QLatin1String(name), bytes, QLatin1String(what)) && ok;
  };
  run(0, "formula1k.xlsx", shared_formula(1000), "60 KB formula shared by 1,000 cells");
  run(1, "formula2m.xlsx", shared_formula(2000000), "60 KB formula shared by 2,000,000 cells");
  run(2, "sparse.xlsx", sparse_wide(1219), "cells in A and XFD on 1,219 rows");
  run(3, "number2m.xlsx", shared_number(), "one shared number in 2,000,000 cells");
  run(4, "budget.xlsx", budget_workbook(), "distinct 60 KB =min(...), the whole formula budget");
  run(5, "budget.csv", budget_csv(), "distinct 45 KB sums over A1:A1000, whole budget");
  run(6, "short2m.csv", short_formulas_csv(false), "2,000,000 formulas =A1*2, =A2*2, ...");
  run(7, "chain2m.csv", short_formulas_csv(true), "2,000,000 formulas =B1*2, =A2*2, ... evaluated");
  return ok ? 0 : 1;
}
