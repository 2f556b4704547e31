// Hostile files and faults: loads that would break the grid are refused and
// leave it as it was; saves that fail say so and leave the old file intact;
// saves keep the file's rules.
#include <dlfcn.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <cstring>

#include "common/workbookparts.h"
#include "filetestutil.h"
#include "fitcore/limits.h"
#include "sheetgrid/io/atomicfile.h"
#include "sheetgrid/io/csv.h"
#include "sheetgrid/io/xls.h"
#include "sheetgrid/io/xlsx.h"

using trelvo::test::ModalGuard;
using trelvo::test::Modals;
using trelvo::test::snapshot;

namespace {

enum class Format { Csv, Xlsx, Xls };

QString suffix(Format f) {
  switch (f) {
    case Format::Csv: return QStringLiteral(".csv");
    case Format::Xlsx: return QStringLiteral(".xlsx");
    case Format::Xls: return QStringLiteral(".xls");
  }
  return {};
}

void load(CleverTableWidget& grid, Format f, const QString& path) {
  switch (f) {
    case Format::Csv: grid.load_csv(path); break;
    case Format::Xlsx: grid.load_excel(path); break;
    case Format::Xls: grid.load_excel03(path); break;
  }
}

void save(CleverTableWidget& grid, Format f, const QString& path) {
  switch (f) {
    case Format::Csv: grid.save_csv(path); break;
    case Format::Xlsx: grid.save_excel(path); break;
    case Format::Xls: grid.save_excel03(path); break;
  }
}

// A table of `rows` rows whose only text is "x" in the last row's column
// `cols` - 1 (every row holds an empty text, so that no CSV record is blank).
trelvo::io::TextRows cornerTable(int rows, int cols) {
  trelvo::io::TextRows t(static_cast<std::size_t>(rows), std::vector<QString>(1));
  t.back().assign(static_cast<std::size_t>(cols), QString());
  t.back().back() = QStringLiteral("x");
  return t;
}

void writeTable(Format f, const QString& path, const trelvo::io::TextRows& rows) {
  switch (f) {
    case Format::Csv: trelvo::test::writeBytes(path, trelvo::io::format_csv(rows)); break;
    case Format::Xlsx: trelvo::io::write_xlsx(path, rows); break;
    case Format::Xls: trelvo::io::write_xls(path, rows); break;
  }
}

// Every file of `folder`, hidden ones included, by name.
QStringList filesIn(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// How a forked child ended: its exit status, or why it has none.
struct ChildEnd {
  int status = -1;
  QString failure;  // empty when the child exited by itself
};

// Runs `body` in a forked child and waits at most `deadline_ms` for it to
// exit; a child still running then is killed and the failure says so, so a
// hung load fails its test instead of blocking it. The child leaves with
// _exit, running no destructor.
ChildEnd inChild(const std::function<int()>& body, int deadline_ms = 60'000) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  if (pid < 0) return {-1, QStringLiteral("fork failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)))};
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) {
      if (WIFEXITED(status)) return {WEXITSTATUS(status), QString()};
      return {-1, WIFSIGNALED(status) ? QStringLiteral("the child was ended by signal %1").arg(WTERMSIG(status))
                                      : QStringLiteral("the child ended abnormally")};
    }
    if (ended < 0 && errno != EINTR) return {-1, QStringLiteral("waitpid failed: %1").arg(errno)};
    if (waited.elapsed() > deadline_ms) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      return {-1, QStringLiteral("the child ran past its deadline of %1 ms and was killed").arg(deadline_ms)};
    }
    QThread::msleep(10);
  }
}

// A one-sheet workbook whose sheet holds `rows` and whose one shared string
// is `text`.
QByteArray sharedStringWorkbook(const QByteArray& rows, const QByteArray& text) {
  return trelvo::test::one_sheet_workbook(trelvo::test::worksheet_part(rows), "<si><t>" + text + "</t></si>");
}

const QString kLoadFailed = QStringLiteral("加载错误\n加载文件失败\n\n");
const QString kSaveFailed = QStringLiteral("保存错误\n保存文件时出现错误\n\n");
const QString kNotRegular = QStringLiteral("Not a regular file");

// Sets the read-back hook of the grid's own copy of the file code, inside
// its shared library (this test links another copy).
void set_grid_read_back_hook(trelvo::io::ReadBackHook hook) {
  void* grid = ::dlopen("libtrelvo_sheetgrid.so", RTLD_NOW | RTLD_NOLOAD);
  QVERIFY(grid);
  const auto set = reinterpret_cast<void (*)(trelvo::io::ReadBackHook)>(::dlsym(grid, "trelvo_io_set_read_back_hook"));
  QVERIFY(set);
  set(hook);
  ::dlclose(grid);
}

}  // namespace

Q_DECLARE_METATYPE(Format)

class GridHostileFilesTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  int n_ = 0;
  QString freshFolder() {
    const QString folder = dir_.filePath(QStringLiteral("f%1").arg(++n_));
    QDir().mkpath(folder);
    return folder;
  }

 private slots:
  // Each load is refused with the failure box, and the grid keeps its size,
  // its cells and its titles.
  void refusedLoads_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("file");  // what the file is, made by the test
    QTest::addColumn<int>("gridRows");  // the grid before the load
    QTest::addColumn<int>("gridCols");
    QTest::addColumn<QString>("reason");  // what the box says, when the row names it
    QTest::newRow("csv filling more cells than a load may place")
        << Format::Csv << QStringLiteral("full") << 2 << 2 << QString();
    QTest::newRow("xls filling more cells than a load may place")
        << Format::Xls << QStringLiteral("full") << 2 << 2 << QString();
    QTest::newRow("xlsx of 70 KB filling more cells than a load may place")
        << Format::Xlsx << QStringLiteral("@filled_beyond_limit.xlsx") << 2 << 2 << QString();
    for (Format f : {Format::Csv, Format::Xlsx, Format::Xls}) {
      const QByteArray s = suffix(f).mid(1).toLatin1();
      QTest::addRow("%s: a FIFO", s.constData()) << f << QStringLiteral("fifo") << 2 << 2 << kNotRegular;
      QTest::addRow("%s: /dev/zero", s.constData()) << f << QStringLiteral("/dev/zero") << 2 << 2 << kNotRegular;
    }
    QTest::newRow("xls: /dev/urandom") << Format::Xls << QStringLiteral("/dev/urandom") << 2 << 2 << QString();
    QTest::newRow("xlsx: one 32,767-character text in 4,097 cells, more text than a load may place")
        << Format::Xlsx << QStringLiteral("long shared text") << 2 << 2 << QString();
    QTest::newRow("xlsx: one formula of 32 K characters with a reference in 2,100 cells, past the formula budget")
        << Format::Xlsx << QStringLiteral("formula budget") << 2 << 2 << QString();
  }
  void refusedLoads() {
    QFETCH(Format, format);
    QFETCH(QString, file);
    QFETCH(int, gridRows);
    QFETCH(int, gridCols);
    QFETCH(QString, reason);
    const QString folder = freshFolder();
    QString path = folder + QStringLiteral("/hostile") + suffix(format);
    if (file == QStringLiteral("full")) {
      // Rows of 250 values, one more value than a load may place.
      const qint64 filled = trelvo::limits::kMaxFilledCells + 1;
      trelvo::io::TextRows rows(static_cast<std::size_t>((filled + 249) / 250));
      for (qint64 i = 0; i < filled; ++i) rows[static_cast<std::size_t>(i / 250)].push_back(QStringLiteral("1"));
      writeTable(format, path, rows);
    } else if (file == QStringLiteral("long shared text") || file == QStringLiteral("formula budget")) {
      // One text in every cell: the workbook stores it once, as a shared string.
      QString text;
      int cells = 0;
      if (file == QStringLiteral("long shared text")) {
        text = QString(trelvo::limits::kMaxXlsxCellChars, QLatin1Char('t'));
        cells = static_cast<int>(trelvo::limits::kMaxTextUnits / text.size()) + 1;
      } else {
        text = QStringLiteral("=min(A1") + QStringLiteral(",1").repeated(16380) + QStringLiteral(")");
        cells = static_cast<int>(trelvo::limits::kMaxLoadFormulaWork / text.size()) + 50;
      }
      QByteArray sheet = "<row><c t=\"inlineStr\"><is><t>2</t></is></c></row>";
      for (int i = 0; i < cells; i += 100) {
        sheet += "<row>";
        for (int j = i; j < std::min(cells, i + 100); ++j) sheet += "<c t=\"s\"><v>0</v></c>";
        sheet += "</row>";
      }
      QVERIFY(trelvo::test::writeBytes(path, sharedStringWorkbook(sheet, text.toUtf8())));
    } else if (file == QStringLiteral("fifo")) {
      QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (file.startsWith(QLatin1Char('@'))) {
      path = trelvo::test::fixture(file.mid(1));
    } else {
      path = file;
    }

    // The grid as an earlier load left it: its size, "old" in its corner
    // cells and a title of its own.
    CleverTableWidget grid;
    {
      const QString first = folder + QStringLiteral("/first.csv");
      trelvo::io::TextRows rows = cornerTable(gridRows, gridCols);
      rows.front().front() = QStringLiteral("old");
      rows.back().back() = QStringLiteral("old");
      writeTable(Format::Csv, first, rows);
      ModalGuard guard;
      grid.load_csv(first);
      QVERIFY(guard.seen().isEmpty());
    }
    QCOMPARE(grid.rowCount(), gridRows);
    QCOMPARE(grid.columnCount(), gridCols);
    grid.setHorizontalHeaderItem(0, new CleverTableWidgetItem(QStringLiteral("own")));
    const QStringList before = snapshot(grid);

    Modals modals;
    modals.chooser = [](int) { return 0; };
    ModalGuard guard(modals.action());
    load(grid, format, path);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    QCOMPARE(modals.boxes.size(), 1);
    QVERIFY2(modals.boxes[0].startsWith(kLoadFailed) && modals.boxes[0].size() > kLoadFailed.size(),
             qPrintable(modals.boxes[0]));
    if (!reason.isEmpty()) QVERIFY2(modals.boxes[0].contains(reason), qPrintable(modals.boxes[0]));
    QCOMPARE(grid.rowCount(), gridRows);
    QCOMPARE(grid.columnCount(), gridCols);
    QVERIFY(snapshot(grid) == before);
    QCOMPARE(cellText(grid.horizontalHeaderItem(0)), QStringLiteral("own"));
  }

  // A table that fits the limits on its own loads whatever the grid held
  // before: the grid's lines beyond the table, which the load empties, go as
  // far as the limits need (a row of 16,384 columns keeps 1,220 of 65,536
  // rows, a column of 65,536 rows 305 of 16,384 columns), with their cells
  // and titles; the lines kept keep their titles where the grid did not grow.
  void loadsDropLinesBeyondTheTable_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<bool>("wide");  // 1 x 16,384 after 65,536 x 1, else 65,536 x 1 after 1 x 16,384
    QTest::newRow("csv of 16,384 columns after a load of 65,536 rows") << Format::Csv << true;
    QTest::newRow("xlsx of 16,384 columns after a load of 65,536 rows") << Format::Xlsx << true;
    QTest::newRow("xls of 65,536 rows after a load of 16,384 columns") << Format::Xls << false;
  }
  void loadsDropLinesBeyondTheTable() {
    QFETCH(Format, format);
    QFETCH(bool, wide);
    namespace L = trelvo::limits;
    const int tableRows = wide ? 1 : 65536, tableCols = wide ? L::kMaxCols : 1;
    const int gridRows = wide ? 65536 : 1, gridCols = wide ? 1 : L::kMaxCols;
    const QString folder = freshFolder();
    const QString path = folder + QStringLiteral("/table") + suffix(format);
    writeTable(format, path, cornerTable(tableRows, tableCols));
    CleverTableWidget grid;
    {
      const QString first = folder + QStringLiteral("/first.csv");
      trelvo::io::TextRows rows = cornerTable(gridRows, gridCols);
      rows.front().front() = QStringLiteral("old");
      rows.back().back() = QStringLiteral("old");
      writeTable(Format::Csv, first, rows);
      ModalGuard guard;
      grid.load_csv(first);
      QVERIFY(guard.seen().isEmpty());
    }
    QCOMPARE(grid.rowCount(), gridRows);
    QCOMPARE(grid.columnCount(), gridCols);
    // A title of its own on a line of the dimension that shrinks.
    if (wide)
      grid.setVerticalHeaderItem(1, new CleverTableWidgetItem(QStringLiteral("kept")));
    else
      grid.setHorizontalHeaderItem(1, new CleverTableWidgetItem(QStringLiteral("kept")));

    Modals modals;
    ModalGuard guard(modals.action());
    load(grid, format, path);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    QCOMPARE(modals.boxes, QStringList());
    const int kept = static_cast<int>(L::kMaxCells / (wide ? tableCols : tableRows));
    QCOMPARE(grid.rowCount(), wide ? kept : tableRows);
    QCOMPARE(grid.columnCount(), wide ? tableCols : kept);
    QCOMPARE(cellText(grid.item(tableRows - 1, tableCols - 1)), QStringLiteral("x"));
    QVERIFY(!grid.item(0, 0));  // "old" emptied
    QCOMPARE(cellText(wide ? grid.verticalHeaderItem(1) : grid.horizontalHeaderItem(1)), QStringLiteral("kept"));
  }

  // Under an address-space limit a load either fits or is refused before
  // the grid changes (Qt would crash on a failed allocation while the grid
  // grows, and a grid cleared before its new cells exist would lose its
  // content).
  void loadsUnderAddressSpaceLimit_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("roomMiB");  // address space left above the child's present size
    QTest::addColumn<bool>("farCell");  // the grid also holds a cell at AL1
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("reason");  // what the failure box says, when the row names it
    QTest::newRow("xlsx: two cells at A1 and XFD1219, 100 MiB of room")
        << Format::Xlsx << QStringLiteral("wide corner") << 100 << false << false << QString();
    QTest::newRow("csv: 2,000,000 cells, 600 MiB of room")
        << Format::Csv << QStringLiteral("2m") << 600 << false << false << QString();
    // The load would drop column AL, but only once every check has passed.
    QTest::newRow("csv: 2,000,000 cells, 600 MiB of room, a cell at AL1")
        << Format::Csv << QStringLiteral("2m") << 600 << true << false << QString();
    QTest::newRow("csv: 1,000 cells, 600 MiB of room")
        << Format::Csv << QStringLiteral("1k") << 600 << false << true << QString();
  }
  void loadsUnderAddressSpaceLimit() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer reserves more address space than any limit here");
#endif
    QFETCH(Format, format);
    QFETCH(QString, file);
    QFETCH(int, roomMiB);
    QFETCH(bool, farCell);
    QFETCH(bool, loads);
    QFETCH(QString, reason);
    const QString path = freshFolder() + QStringLiteral("/big") + suffix(format);
    if (file == QStringLiteral("wide corner")) {
      trelvo::io::TextRows rows = cornerTable(1219, trelvo::limits::kMaxCols);
      rows.front().front() = QStringLiteral("x");
      writeTable(format, path, rows);
    } else {
      const int records = file == QStringLiteral("2m") ? 1'000'000 : 500;
      QByteArray bytes;
      for (int r = 0; r < records; ++r) bytes += QByteArray::number(r) + ",1\n";
      QVERIFY(trelvo::test::writeBytes(path, bytes));
    }
    CleverTableWidget grid;
    trelvo::test::fillGrid(grid, 2, 2, QStringLiteral("old"));
    if (farCell) grid.set_cell_text(0, 37, QStringLiteral("99"));
    const QStringList before = snapshot(grid);
    const ChildEnd end = inChild([&] {
      QFile status_file(QStringLiteral("/proc/self/status"));
      if (!status_file.open(QIODevice::ReadOnly)) return 3;
      qint64 size = -1;
      for (const QByteArray& line : status_file.readAll().split('\n'))
        if (line.startsWith("VmSize:")) size = line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
      if (size <= 0) return 3;
      const rlim_t cap = static_cast<rlim_t>(size + qint64(roomMiB) * 1024 * 1024);
      const rlimit limit{cap, cap};
      if (::setrlimit(RLIMIT_AS, &limit) != 0) return 3;
      Modals modals;
      ModalGuard guard(modals.action());
      load(grid, format, path);
      if (!guard.failures().isEmpty()) return 4;
      if (loads) return modals.boxes.isEmpty() && cellText(grid.item(499, 0)) == QStringLiteral("499") ? 0 : 5;
      if (modals.boxes.size() != 1 || !modals.boxes[0].startsWith(kLoadFailed)) return 6;
      if (!modals.boxes[0].contains(reason)) return 8;
      return snapshot(grid) == before ? 0 : 7;
    });
    QVERIFY2(end.failure.isEmpty(), qPrintable(end.failure));
    QCOMPARE(end.status, 0);
  }

  // The forked loads above end in time or fail: a child that runs past its
  // deadline is killed, and the test says so instead of waiting on it.
  void childPastDeadlineKilled() {
    const ChildEnd end = inChild([] {
      ::pause();
      return 0;
    }, 200);
    QCOMPARE(end.status, -1);
    QVERIFY2(end.failure.contains(QStringLiteral("past its deadline")), qPrintable(end.failure));
  }

  // A save that fails shows "保存错误", never "保存成功", and the old file
  // keeps every byte (and its mode); no temporary file stays behind.
  void failedSaves_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("fault");
    for (Format f : {Format::Csv, Format::Xlsx, Format::Xls}) {
      const QByteArray s = suffix(f).mid(1).toLatin1();
      QTest::addRow("%s: file size limit", s.constData()) << f << QStringLiteral("file size limit");
      QTest::addRow("%s: read-only target", s.constData()) << f << QStringLiteral("read-only");
      QTest::addRow("%s: file changed before the rename", s.constData()) << f << QStringLiteral("changed");
    }
  }
  void failedSaves() {
    QFETCH(Format, format);
    QFETCH(QString, fault);
    // Texts that compress well, so that the workbook's scratch files pass
    // the size limit while the zip itself stays below it.
    CleverTableWidget grid;
    const int rows = 2000;
    grid.setRowCount(rows);
    grid.setColumnCount(2);
    for (int r = 0; r < rows; ++r) {
      grid.set_cell_text(r, 0, QString(200, QLatin1Char('t')) + QString::number(r));
      grid.set_cell_text(r, 1, QString::number(r));
    }
    grid.get_max_content_pos();

    const QString folder = freshFolder();
    const QString path = folder + QStringLiteral("/old") + suffix(format);
    const QByteArray old("old bytes\r\n");
    QVERIFY(trelvo::test::writeBytes(path, old));
    const mode_t mode = fault == QStringLiteral("read-only") ? 0444 : 0644;
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);

    QStringList boxes;
    if (fault == QStringLiteral("file size limit")) {
      // In a child: the limit and the ignored SIGXFSZ stay there.
      const ChildEnd end = inChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
        Modals modals;
        ModalGuard guard(modals.action());
        save(grid, format, path);
        if (!guard.failures().isEmpty() || modals.boxes.size() != 1) return 2;
        return modals.boxes[0].startsWith(kSaveFailed) ? 0 : 1;
      });
      QVERIFY2(end.failure.isEmpty(), qPrintable(end.failure));
      QCOMPARE(end.status, 0);
    } else {
      // One byte of the written file flipped, as a failing disk would.
      if (fault == QStringLiteral("changed")) {
        set_grid_read_back_hook([](const QString& temp) {
          QFile f(temp);
          if (!f.open(QIODevice::ReadWrite) || !f.seek(f.size() / 2)) return;
          char c = 0;
          f.getChar(&c);
          f.seek(f.size() / 2);
          f.putChar(static_cast<char>(c ^ 0x5A));
        });
      }
      Modals modals;
      ModalGuard guard(modals.action());
      save(grid, format, path);
      set_grid_read_back_hook(nullptr);
      QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
      QCOMPARE(modals.boxes.size(), 1);
      QVERIFY2(modals.boxes[0].startsWith(kSaveFailed), qPrintable(modals.boxes[0]));
    }
    QCOMPARE(trelvo::test::readBytes(path), old);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode);
    QCOMPARE(filesIn(folder), QStringList{QFileInfo(path).fileName()});
  }

  // A name of 255 bytes saves (the temporary name is short) and reads back.
  void longestNameSaves_data() {
    QTest::addColumn<Format>("format");
    QTest::newRow("csv") << Format::Csv;
    QTest::newRow("xlsx") << Format::Xlsx;
    QTest::newRow("xls") << Format::Xls;
  }
  void longestNameSaves() {
    QFETCH(Format, format);
    const QString folder = freshFolder();
    const QString name = QString(255 - suffix(format).size(), QLatin1Char('n')) + suffix(format);
    QCOMPARE(QFile::encodeName(name).size(), 255);
    const QString path = folder + QLatin1Char('/') + name;
    CleverTableWidget grid;
    trelvo::test::fillGrid(grid, 2, 2, QStringLiteral("v"));
    grid.get_max_content_pos();
    Modals modals;
    ModalGuard guard(modals.action());
    save(grid, format, path);
    QCOMPARE(modals.boxes, QStringList{QStringLiteral("保存成功\n文件已保存至：") + path});
    QCOMPARE(filesIn(folder), QStringList{name});
    CleverTableWidget copy(nullptr, 1, 1);
    load(copy, format, path);
    QCOMPARE(snapshot(copy), (QStringList{"v|v", "v|v"}));
  }

  // The temporary file a killed save left is removed by the next save of the
  // same file; one of another file, and one of a save still running, stay.
  void staleTemporaryRemoved_data() { longestNameSaves_data(); }
  void staleTemporaryRemoved() {
    QFETCH(Format, format);
    const QString folder = freshFolder();
    const QString path = folder + QStringLiteral("/data") + suffix(format);
    const QString other = folder + QStringLiteral("/other") + suffix(format);
    QVERIFY(trelvo::test::writeBytes(path, "old"));
    // Saves killed after they wrote part of their file.
    for (const QString& target : {path, other}) {
      const ChildEnd end = inChild([&] {
        trelvo::io::AtomicFile file(target);
        file.write(QByteArray(1000, 'p'));
        ::_exit(0);
        return 1;
      });
      QVERIFY2(end.failure.isEmpty(), qPrintable(end.failure));
      QCOMPARE(end.status, 0);
    }
    const QRegularExpression tempName(QStringLiteral("^\\.trelvo-[0-9a-f]{8}-.{6}\\.tmp$"));
    const QStringList stale = filesIn(folder).filter(tempName);
    QCOMPARE(stale.size(), 2);
    const trelvo::io::AtomicFile running(path);
    const QString runningName = QFileInfo(running.tempPath()).fileName();
    QVERIFY(runningName.contains(tempName));
    // The same target gives the same start of the name, another target another.
    const QStringList ofPath = stale.filter(runningName.left(17));
    QCOMPARE(ofPath.size(), 1);

    CleverTableWidget grid;
    trelvo::test::fillGrid(grid, 1, 1, QStringLiteral("new"));
    grid.get_max_content_pos();
    Modals modals;
    ModalGuard guard(modals.action());
    save(grid, format, path);
    QCOMPARE(modals.boxes, QStringList{QStringLiteral("保存成功\n文件已保存至：") + path});
    QStringList expected{QFileInfo(path).fileName(), runningName};
    for (const QString& name : stale)
      if (name != ofPath.front()) expected << name;
    expected.sort();
    QCOMPARE(filesIn(folder), expected);
  }

  // Of two sheets of one name, the one chosen is the one loaded.
  void sameNamedSheets_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("loaded");
    QTest::newRow("xlsx: the second chosen") << Format::Xlsx << "same_named_sheets.xlsx" << 1 << "second";
    QTest::newRow("xlsx: the first chosen") << Format::Xlsx << "same_named_sheets.xlsx" << 0 << "first";
    QTest::newRow("xls: the second chosen") << Format::Xls << "same_named_sheets.xls" << 1 << "second";
  }
  void sameNamedSheets() {
    QFETCH(Format, format);
    QFETCH(QString, file);
    QFETCH(int, row);
    QFETCH(QString, loaded);
    CleverTableWidget grid(nullptr, 1, 1);
    Modals modals;
    modals.chooser = [row](int) { return row; };
    ModalGuard guard(modals.action());
    load(grid, format, trelvo::test::fixture(file));
    QCOMPARE(modals.chooser_shown, 1);
    QCOMPARE(modals.chooser_items.size(), 2);
    QCOMPARE(modals.chooser_items.value(0), modals.chooser_items.value(1));
    QCOMPARE(modals.boxes, QStringList{});
    QCOMPARE(snapshot(grid), QStringList{loaded});
  }
};

TRELVO_REGISTER_TEST(GridHostileFilesTest)
#include "test_hostile.moc"
