// Saving the grid's content rectangle as CSV, XLSX and XLS.
#include <sys/stat.h>
#include <unistd.h>

#include <QDirIterator>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include "filetestutil.h"
#include "sheetgrid/io/xls.h"
#include "sheetgrid/io/xlsx.h"

using trelvo::test::LogCapture;
using trelvo::test::ModalGuard;
using trelvo::test::Modals;
using trelvo::test::snapshot;

namespace {

enum class Saver { Csv, Xlsx, Xls };

void save(CleverTableWidget& grid, Saver saver, const QString& path) {
  switch (saver) {
    case Saver::Csv: grid.save_csv(path); break;
    case Saver::Xlsx: grid.save_excel(path); break;
    case Saver::Xls: grid.save_excel03(path); break;
  }
}

void load(CleverTableWidget& grid, Saver saver, const QString& path) {
  switch (saver) {
    case Saver::Csv: grid.load_csv(path); break;
    case Saver::Xlsx: grid.load_excel(path); break;
    case Saver::Xls: grid.load_excel03(path); break;
  }
}

QString suffix(Saver saver) {
  switch (saver) {
    case Saver::Csv: return QStringLiteral(".csv");
    case Saver::Xlsx: return QStringLiteral(".xlsx");
    case Saver::Xls: return QStringLiteral(".xls");
  }
  return {};
}

// A grid holding `rows` ("|" between cells; "" leaves a cell without item),
// with its extent brought up to date.
void setGrid(CleverTableWidget& grid, const QStringList& rows) {
  int cols = 0;
  for (const QString& row : rows) cols = std::max(cols, static_cast<int>(row.split(QLatin1Char('|')).size()));
  grid.setRowCount(static_cast<int>(rows.size()));
  grid.setColumnCount(cols);
  for (int r = 0; r < rows.size(); ++r) {
    const QStringList cells = rows[r].split(QLatin1Char('|'));
    for (int c = 0; c < cells.size(); ++c)
      if (!cells[c].isEmpty()) grid.set_cell_text(r, c, cells[c]);
  }
  grid.get_max_content_pos();
}

// The first sheet of a saved workbook as "|"-joined rows ("" for no value).
QStringList readBack(Saver saver, const QString& path, QString* sheet = nullptr) {
  trelvo::io::Table table;
  if (saver == Saver::Xlsx) {
    const trelvo::io::XlsxReader reader(path);
    if (reader.sheetNames().size() != 1) return {QStringLiteral("<sheets: %1>").arg(reader.sheetNames().join(','))};
    table = reader.readSheet(0);
  } else {
    const trelvo::io::XlsReader reader(path);
    if (reader.sheetNames().size() != 1) return {QStringLiteral("<sheets: %1>").arg(reader.sheetNames().join(','))};
    table = reader.readSheet(0);
  }
  if (sheet) *sheet = table.sheet_name;
  QStringList rows;
  for (const auto& row : table.dense_rows()) {
    QStringList cells;
    for (int c = 0; c < table.width; ++c)
      cells << (c < static_cast<int>(row.size()) && row[c] ? *row[c] : QString());
    rows << cells.join(QLatin1Char('|'));
  }
  return rows;
}

// The layout entries of a chain of `n` links in `folder` ("" for the root):
// stem1 -> stem2 -> ... -> stemN -> `end`, each text relative to the folder.
QStringList linkChain(const QString& folder, const QString& stem, int n, const QString& end) {
  const QString at = folder.isEmpty() ? QString() : folder + QLatin1Char('/');
  QStringList entries;
  for (int i = 1; i <= n; ++i)
    entries << QStringLiteral("link %1%2%3 %4").arg(at, stem).arg(i).arg(i < n ? stem + QString::number(i + 1) : end);
  return entries;
}

// Makes the layout's entries under `root`: "dir NAME", "file NAME" (holding
// "old"), "link NAME TEXT" (a symbolic link; "@" in TEXT stands for `root`).
bool makeLayout(const QString& root, const QStringList& layout) {
  for (const QString& entry : layout) {
    const QStringList words = entry.split(QLatin1Char(' '));
    const QString name = root + QLatin1Char('/') + words.value(1);
    if (words[0] == QStringLiteral("dir") && !QDir().mkpath(name)) return false;
    if (words[0] == QStringLiteral("file") && !trelvo::test::writeBytes(name, "old")) return false;
    if (words[0] == QStringLiteral("link")) {
      const QByteArray text = QFile::encodeName(QString(words.value(2)).replace(QLatin1Char('@'), root));
      if (::symlink(text.constData(), QFile::encodeName(name).constData()) != 0) return false;
    }
  }
  return true;
}

// Everything under `root`, not following links: "name/" for a folder,
// "name -> text" for a link, "name" for a file.
QStringList tree(const QString& root) {
  QStringList entries;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString name = QDir(root).relativeFilePath(path);
    const QByteArray bytes = QFile::encodeName(path);
    struct stat st;
    if (::lstat(bytes.constData(), &st) != 0) {
      entries << name + QStringLiteral(" ?");
    } else if (S_ISLNK(st.st_mode)) {
      char text[4096];
      const ssize_t n = ::readlink(bytes.constData(), text, sizeof text);
      entries << name + QStringLiteral(" -> ") + QFile::decodeName(QByteArray(text, n < 0 ? 0 : int(n)));
    } else {
      entries << name + (S_ISDIR(st.st_mode) ? QStringLiteral("/") : QString());
    }
  }
  entries.sort();
  return entries;
}

}  // namespace

Q_DECLARE_METATYPE(Saver)

class GridSaveTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  int n_ = 0;
  QString target(Saver saver) { return dir_.filePath(QStringLiteral("out%1").arg(++n_) + suffix(saver)); }

 private slots:
  // The rectangle as the extent stands; empty places as one blank; quotes
  // where needed; CR LF; no byte-order mark.
  void csv_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("extentRow");  // -2: the extent as computed
    QTest::addColumn<int>("extentCol");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("rectangle with empty places and quoting")
        << QStringList{"a||x,y", "|say \"hi\"|", "=1+2|| "} << -2 << -2
        << QByteArray("a, ,\"x,y\"\r\n ,\"say \"\"hi\"\"\", \r\n3, , \r\n");
    QTest::newRow("all cells empty: one blank") << QStringList{"||", "||"} << -2 << -2 << QByteArray(" \r\n");
    QTest::newRow("line ends quoted") << QStringList{"l1\nl2|b"} << -2 << -2 << QByteArray("\"l1\nl2\",b\r\n");
    QTest::newRow("stale extent: cells outside not written")
        << QStringList{"a|b|c", "d|e|f"} << 0 << 1 << QByteArray("a,b\r\n");
    QTest::newRow("stale extent past the grid") << QStringList{"a"} << 1 << 1 << QByteArray("a, \r\n , \r\n");
    QTest::newRow("extent without columns: one empty record") << QStringList{"", ""} << 0 << -1
                                                              << QByteArray("\r\n");
    QTest::newRow("extent without rows: empty file") << QStringList{} << -1 << -1 << QByteArray();
    QTest::newRow("two blanks kept, utf-8") << QStringList{"  |温度"} << -2 << -2 << QByteArray("  ,温度\r\n");
    QTest::newRow("formula error saved as shown")
        << QStringList{"=B9"} << -2 << -2 << QByteArray("#ERR: B9 is empty\r\n");
  }
  void csv() {
    QFETCH(QStringList, cells);
    QFETCH(int, extentRow);
    QFETCH(int, extentCol);
    QFETCH(QByteArray, bytes);
    CleverTableWidget grid;
    setGrid(grid, cells);
    if (extentRow != -2) {
      grid.max_content_row = extentRow;
      grid.max_content_col = extentCol;
    }
    const QStringList before = snapshot(grid);
    Modals modals;
    ModalGuard guard(modals.action());
    LogCapture log;
    QSignalSpy spy(&grid, &CleverTableWidget::ContentsChangeSignal);
    const QString path = target(Saver::Csv);
    grid.save_csv(path);
    QCOMPARE(trelvo::test::readBytes(path), bytes);
    QCOMPARE(modals.boxes, QStringList{QStringLiteral("保存成功\n文件已保存至：") + path});
    QCOMPARE(modals.icons.value(0), QMessageBox::Information);
    QVERIFY(log.contains(QStringLiteral("Saved file: ") + path));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(snapshot(grid), before);
  }

  void formattedNumberSavedAsTyped() {
    CleverTableWidget grid;
    setGrid(grid, {"3.14159|2"});
    asFormulaCell(grid.item(0, 0))->setFormat(2, true);
    QCOMPARE(grid.item(0, 0)->data(Qt::DisplayRole).toString(), QStringLiteral("3.14e+00"));
    ModalGuard guard;
    const QString path = target(Saver::Csv);
    grid.save_csv(path);
    QCOMPARE(trelvo::test::readBytes(path), QByteArray("3.14159,2\r\n"));
  }

  // One sheet "Sheet1" of text cells at their places; empty places left out.
  void workbooks_data() {
    QTest::addColumn<Saver>("saver");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("readBack");
    for (Saver saver : {Saver::Xlsx, Saver::Xls}) {
      const char* name = saver == Saver::Xlsx ? "xlsx" : "xls";
      QTest::addRow("%s: numbers stay text", name)
          << saver << QStringList{"3|2.50", "=1+2|1e5"} << QStringList{"3|2.50", "3|1e5"};
      QTest::addRow("%s: grid cell (2, 1) at B3", name)
          << saver << QStringList{"", "", "|x"} << QStringList{"|", "|", "|x"};
      QTest::addRow("%s: empty places and blanks left out", name)
          << saver << QStringList{"a| |b", "|  |"} << QStringList{"a||b", "|  |"};
      QTest::addRow("%s: all empty gives a sheet without cells", name)
          << saver << QStringList{" |", "|"} << QStringList{};
      QTest::addRow("%s: formula text saved as its result", name)
          << saver << QStringList{"=2*3|=A1*2"} << QStringList{"6|12.0"};
    }
  }
  void workbooks() {
    QFETCH(Saver, saver);
    QFETCH(QStringList, cells);
    QFETCH(QStringList, readBack);
    CleverTableWidget grid;
    setGrid(grid, cells);
    Modals modals;
    ModalGuard guard(modals.action());
    LogCapture log;
    const QString path = target(saver);
    save(grid, saver, path);
    QCOMPARE(modals.boxes, QStringList{QStringLiteral("保存成功\n文件已保存至：") + path});
    QVERIFY(log.contains(QStringLiteral("Saved file: ") + path));
    QString sheet;
    QCOMPARE(::readBack(saver, path, &sheet), readBack);
    QCOMPARE(sheet, QStringLiteral("Sheet1"));
  }

  // A failed save shows "保存错误" (never the success box) and leaves an
  // existing file of that name as it was.
  void failures_data() {
    QTest::addColumn<Saver>("saver");
    QTest::addColumn<QString>("where");  // "missing folder", "file as folder", or "" (the temp folder)
    QTest::addColumn<QString>("problem");
    for (Saver saver : {Saver::Csv, Saver::Xlsx, Saver::Xls}) {
      const QString s = suffix(saver).mid(1);
      QTest::addRow("%s: folder missing", qPrintable(s)) << saver << "missing folder" << "";
      QTest::addRow("%s: folder is a file", qPrintable(s)) << saver << "file as folder" << "";
    }
    QTest::addRow("csv: unpaired surrogate") << Saver::Csv << "" << "surrogate";
    QTest::addRow("xlsx: unpaired surrogate") << Saver::Xlsx << "" << "surrogate";
    for (Saver saver : {Saver::Xlsx, Saver::Xls}) {
      const QString s = suffix(saver).mid(1);
      QTest::addRow("%s: cell too long", qPrintable(s)) << saver << "" << "long";
    }
    QTest::addRow("xls: more rows than the format holds") << Saver::Xls << "" << "rows";
    QTest::addRow("xls: more columns than the format holds") << Saver::Xls << "" << "cols";
  }
  void failures() {
    QFETCH(Saver, saver);
    QFETCH(QString, where);
    QFETCH(QString, problem);
    CleverTableWidget grid;
    setGrid(grid, {"a|b"});
    if (problem == QStringLiteral("surrogate")) grid.set_cell_text(0, 1, QString(QChar(0xD800)));
    if (problem == QStringLiteral("long")) grid.set_cell_text(0, 1, QString(32768, QLatin1Char('x')));
    if (problem == QStringLiteral("rows")) grid.max_content_row = 65536;
    if (problem == QStringLiteral("cols")) {
      grid.set_cell_text(0, 256, QStringLiteral("z"));
      grid.get_max_content_pos();
      QCOMPARE(grid.max_content_col, 256);
    }

    QString path;
    if (where == QStringLiteral("missing folder")) {
      path = dir_.filePath(QStringLiteral("no/such/folder/x") + suffix(saver));
    } else if (where == QStringLiteral("file as folder")) {
      const QString file = dir_.filePath(QStringLiteral("plain%1").arg(++n_));
      QVERIFY(trelvo::test::writeBytes(file, "x"));
      path = file + QStringLiteral("/x") + suffix(saver);
    } else {
      path = target(saver);
      QVERIFY(trelvo::test::writeBytes(path, "old content"));
    }
    Modals modals;
    ModalGuard guard(modals.action());
    LogCapture log;
    save(grid, saver, path);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    QCOMPARE(modals.boxes.size(), 1);
    QVERIFY2(modals.boxes[0].startsWith(QStringLiteral("保存错误\n保存文件时出现错误\n\n")) &&
                 modals.boxes[0].size() > QStringLiteral("保存错误\n保存文件时出现错误\n\n").size(),
             qPrintable(modals.boxes[0]));
    QCOMPARE(modals.icons.value(0), QMessageBox::Critical);
    QVERIFY(log.anyStartsWith(QStringLiteral("Error saving file: ")));
    QVERIFY(!log.anyStartsWith(QStringLiteral("Saved file: ")));
    if (where.isEmpty()) {
      QCOMPARE(trelvo::test::readBytes(path), QByteArray("old content"));
      // No temporary file is left behind either.
      QCOMPARE(QDir(QFileInfo(path).path()).entryList({QStringLiteral(".trelvo-*.tmp")}, QDir::Files | QDir::Hidden),
               QStringList{});
    } else {
      QVERIFY(!QFileInfo::exists(path));
    }
  }

  // A save through symbolic links replaces the file that opening the name
  // reaches, the one a load of that name reads: each link's text counts from
  // the real folder that holds the link. The links stay and nothing else
  // appears. A name the system cannot open (a loop, more links than it
  // follows in one path) fails to save as it fails to load, and changes
  // nothing.
  void throughLinks_data() {
    QTest::addColumn<Saver>("saver");
    QTest::addColumn<QStringList>("layout");  // see makeLayout
    QTest::addColumn<QString>("path");        // saved and then loaded, under the root
    QTest::addColumn<QString>("reaches");     // the file written; "" when the name cannot be opened
    const QStringList linkedFolder{"dir real/sub", "file real/t", "link dirlink real/sub"};
    struct Layout {
      const char* name;
      QStringList layout;
      QString path;
      QString reaches;
    };
    const std::vector<Layout> layouts{
        {"relative target through a linked folder", linkedFolder + QStringList{"link real/sub/link ../t"},
         "dirlink/link", "real/t"},
        {"link reached by .. after a linked folder", linkedFolder + QStringList{"link real/link sub/../t"},
         "dirlink/../link", "real/t"},
        {"absolute target through a linked folder and ..", linkedFolder + QStringList{"link abs @/dirlink/../t"},
         "abs", "real/t"},
        {"absolute target", {"dir real", "file real/t", "link abs @/real/t"}, "abs", "real/t"},
        {"dangling link: the file it names is made", linkedFolder + QStringList{"link real/sub/new ../made"},
         "dirlink/new", "real/made"},
        {"chain of 40 links", QStringList{"dir real", "file real/t"} + linkChain("", "l", 40, "real/t"), "l1",
         "real/t"},
        {"chain of 41 links", QStringList{"dir real", "file real/t"} + linkChain("", "l", 41, "real/t"), "l1", ""},
        {"20 folder links and 20 final links",
         QStringList{"dir real", "file real/t"} + linkChain("", "d", 20, "real") + linkChain("real", "f", 20, "t"),
         "d1/f1", "real/t"},
        {"20 folder links and 21 final links",
         QStringList{"dir real", "file real/t"} + linkChain("", "d", 20, "real") + linkChain("real", "f", 21, "t"),
         "d1/f1", ""},
        {"loop of two links", {"link a b", "link b a"}, "a", ""},
    };
    for (Saver saver : {Saver::Csv, Saver::Xlsx, Saver::Xls})
      for (const Layout& l : layouts)
        QTest::addRow("%s: %s", qPrintable(suffix(saver).mid(1)), l.name)
            << saver << l.layout << l.path << l.reaches;
  }
  void throughLinks() {
    QFETCH(Saver, saver);
    QFETCH(QStringList, layout);
    QFETCH(QString, path);
    QFETCH(QString, reaches);
    const QString root = dir_.filePath(QStringLiteral("links%1").arg(++n_));
    QVERIFY(QDir().mkpath(root));
    QVERIFY(makeLayout(root, layout));
    const QStringList before = tree(root);
    const QStringList cells{"new|cells", "of|text"};
    CleverTableWidget grid;
    setGrid(grid, cells);
    Modals modals;
    ModalGuard guard(modals.action());
    save(grid, saver, root + QLatin1Char('/') + path);
    CleverTableWidget loaded(nullptr, 1, 1);
    load(loaded, saver, root + QLatin1Char('/') + path);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    if (reaches.isEmpty()) {
      const QString reason = QStringLiteral("[Errno 40] Too many levels of symbolic links");
      QCOMPARE(modals.boxes.size(), 2);
      QVERIFY2(modals.boxes[0].startsWith(QStringLiteral("保存错误\n")) && modals.boxes[0].contains(reason),
               qPrintable(modals.boxes[0]));
      QVERIFY2(modals.boxes[1].startsWith(QStringLiteral("加载错误\n")) && modals.boxes[1].contains(reason),
               qPrintable(modals.boxes[1]));
      QCOMPARE(tree(root), before);
      return;
    }
    QCOMPARE(modals.boxes, QStringList{QStringLiteral("保存成功\n文件已保存至：") + root + QLatin1Char('/') + path});
    QCOMPARE(snapshot(loaded), cells);
    CleverTableWidget target(nullptr, 1, 1);
    load(target, saver, root + QLatin1Char('/') + reaches);
    QCOMPARE(snapshot(target), cells);
    QStringList after = before;
    if (!after.contains(reaches)) after << reaches;
    after.sort();
    QCOMPARE(tree(root), after);
  }

  void overwritesExistingFile_data() {
    QTest::addColumn<Saver>("saver");
    QTest::newRow("csv") << Saver::Csv;
    QTest::newRow("xlsx") << Saver::Xlsx;
    QTest::newRow("xls") << Saver::Xls;
  }
  void overwritesExistingFile() {
    QFETCH(Saver, saver);
    CleverTableWidget grid;
    setGrid(grid, {"new"});
    const QString path = target(saver);
    QVERIFY(trelvo::test::writeBytes(path, QByteArray(10000, 'o')));
    Modals modals;
    ModalGuard guard(modals.action());
    save(grid, saver, path);
    QCOMPARE(modals.boxes.size(), 1);
    QVERIFY(modals.boxes[0].startsWith(QStringLiteral("保存成功")));
    if (saver == Saver::Csv)
      QCOMPARE(trelvo::test::readBytes(path), QByteArray("new\r\n"));
    else
      QCOMPARE(readBack(saver, path), QStringList{"new"});
  }

  void emptyPathDoesNothing_data() { overwritesExistingFile_data(); }
  void emptyPathDoesNothing() {
    QFETCH(Saver, saver);
    CleverTableWidget grid;
    setGrid(grid, {"a"});
    ModalGuard guard;
    LogCapture log;
    const QStringList before = QDir::current().entryList(QDir::Files);
    save(grid, saver, QString());
    QVERIFY(guard.seen().isEmpty());
    QVERIFY(log.lines().isEmpty());
    QCOMPARE(QDir::current().entryList(QDir::Files), before);
  }

  // Saved and loaded again, every text comes back at its place (empty
  // places stay empty), in a read-only grid too; so do texts that a workbook
  // stores escaped (CR, a literal _xHHHH_).
  void roundTrip_data() {
    QTest::addColumn<Saver>("saver");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QStringList>("cells");
    const QStringList cells{"x|y|note", "1|0.1|a,b", "2|0.3|say \"hi\"", "3||  two blanks", "|温度|l1\nl2"};
    const QStringList escaped{"a\rb|a_x000D_b|_x005F_", "_x0041\r|a_x005F_x000D_b|under_score"};
    QTest::newRow("csv") << Saver::Csv << true << cells;
    QTest::newRow("xlsx") << Saver::Xlsx << true << cells;
    QTest::newRow("xls") << Saver::Xls << true << cells;
    QTest::newRow("csv, read-only grid") << Saver::Csv << false << cells;
    QTest::newRow("xls, read-only grid") << Saver::Xls << false << cells;
    QTest::newRow("csv, escaped texts") << Saver::Csv << true << escaped;
    QTest::newRow("xlsx, escaped texts") << Saver::Xlsx << true << escaped;
    QTest::newRow("xls, escaped texts") << Saver::Xls << true << escaped;
    // What a workbook's _x0001_ and _xFFFE_ load as, which XML cannot hold.
    const QStringList unheld{QStringLiteral("a\x01|b") + QChar(0xFFFE) + QStringLiteral("|\x1f") + QChar(0xFFFF)};
    QTest::newRow("xlsx, characters XML cannot hold") << Saver::Xlsx << true << unheld;
  }
  void roundTrip() {
    QFETCH(Saver, saver);
    QFETCH(bool, editable);
    QFETCH(QStringList, cells);
    CleverTableWidget source(nullptr, 0, 0, editable);
    setGrid(source, cells);
    const QString path = target(saver);
    Modals modals;
    ModalGuard guard(modals.action());
    save(source, saver, path);
    CleverTableWidget copy(nullptr, 1, 1);
    switch (saver) {
      case Saver::Csv: copy.load_csv(path); break;
      case Saver::Xlsx: copy.load_excel(path); break;
      case Saver::Xls: copy.load_excel03(path); break;
    }
    QCOMPARE(modals.boxes.size(), 1);
    QCOMPARE(snapshot(copy), cells);
  }
};

TRELVO_REGISTER_TEST(GridSaveTest)
#include "test_save.moc"
