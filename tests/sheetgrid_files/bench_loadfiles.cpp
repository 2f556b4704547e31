// Loads of small workbooks whose content costs far more than their size: one
// long formula shared by many cells, and a sparse sheet with cells in columns
// A and XFD. Each load runs in a child process of its own, which prints its
// time, its peak RSS and what the load ended in.
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

#include "common/zipwriter.h"
#include "sheetgrid/clevertablewidget.h"

namespace {

const char* const kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// A one-sheet workbook with the given rows and shared strings.
QByteArray workbook(const QByteArray& rows, const QByteArray& strings) {
  const QByteArray types =
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
      "<Override PartName=\"/xl/sharedStrings.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/></Types>";
  const QByteArray book = QByteArray("<workbook xmlns=\"") + kMain +
                          "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                          "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
  const QByteArray rels =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
      "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>";
  const QByteArray sheet = QByteArray("<worksheet xmlns=\"") + kMain + "\"><sheetData>" + rows + "</sheetData></worksheet>";
  const QByteArray sst = QByteArray("<sst xmlns=\"") + kMain + "\">" + strings + "</sst>";
  return trelvo::test::zip_archive({{"[Content_Types].xml", types, true},
                                    {"xl/workbook.xml", book, true},
                                    {"xl/_rels/workbook.xml.rels", rels, true},
                                    {"xl/worksheets/sheet1.xml", sheet, true},
                                    {"xl/sharedStrings.xml", sst, true}});
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
  t.start();
  grid.load_excel(path);
  const qint64 ms = t.elapsed();
  const double peak = status_mib("VmHWM");
  std::printf("%-50s %7lld ms  peak RSS %5.0f MiB  %s\n", qPrintable(what), static_cast<long long>(ms), peak,
              box.isEmpty() ? "loaded" : qPrintable(box.left(120)));
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
  return ok ? 0 : 1;
}
