// The load and save buttons: the file dialogs, the dispatch by the path's
// ending and the extent line written before it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QToolButton>

#include "common/logcapture.h"
#include "common/modalguard.h"
#include "common/qtapp.h"
#include "sheetgrid/clevertablewidget.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "windowtools.h"

namespace {

using trelvo::test::app;
using trelvo::test::LogCapture;

// Answers the file dialog with `answer` ("" cancels) and records what the
// dialog and the boxes after it showed.
struct Session {
  QString answer;
  QString dialogTitle;
  QStringList filters;
  QString selectedFilter;
  QString proposed;
  QString selected;
  bool dialogParentIsWindow = false;
  QStringList boxes;

  trelvo::test::ModalGuard::Action action(QWidget* window) {
    return [this, window](QWidget* w) {
      if (auto* fd = qobject_cast<QFileDialog*>(w)) {
        dialogTitle = fd->windowTitle();
        filters = fd->nameFilters();
        selectedFilter = fd->selectedNameFilter();
        proposed = fd->selectedFiles().value(0);
        dialogParentIsWindow = fd->parentWidget() == window;
        if (answer.isEmpty()) {
          fd->reject();
        } else {
          // done() rather than accept(): the dialog's own check would open
          // a nested box while its file list is still loading.
          // selectFile leaves a focused name field as it is: type the path.
          if (auto* edit = fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) edit->setText(answer);
          else fd->selectFile(answer);
          selected = fd->selectedFiles().value(0);
          static_cast<QDialog*>(fd)->done(QDialog::Accepted);
        }
      } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
        boxes << box->windowTitle() + QStringLiteral("\n") + box->text();
        box->accept();
      } else if (auto* dialog = qobject_cast<QDialog*>(w)) {
        dialog->accept();
      }
    };
  }
};

QStringList gridTexts(const CleverTableWidget* grid) {
  QStringList rows;
  for (int r = 0; r < grid->rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c) cells << cellText(grid->item(r, c));
    rows << cells.join(QLatin1Char('|'));
  }
  return rows;
}

QString fixture(const QString& name) {
  return qEnvironmentVariable("TRELVO_SOURCE_DIR") + QStringLiteral("/tests/data/sheetgrid_files/") + name;
}

QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QStringList kFilters{QStringLiteral("CSV Files (*.csv)"), QStringLiteral("Excel Files (*.xlsx)"),
                           QStringLiteral("Excel 97-2003 Files (*.xls)"), QStringLiteral("All Files (*)")};

}  // namespace

class DataFileButtons : public ::testing::TestWithParam<bool> {};

// Cancelling either dialog changes nothing and writes nothing; the dialogs
// carry their caption, the shared filters (CSV first) and, for saving, the
// chart title as the proposed name.
TEST_P(DataFileButtons, CancelledDialogDoesNothing) {
  app();
  const bool saving = GetParam();
  Widget w;
  const QStringList before = gridTexts(w.ui->inputTable);
  Session session;
  trelvo::test::ModalGuard guard(session.action(&w));
  LogCapture log;
  (saving ? w.ui->saveBtn : w.ui->loadBtn)->click();
  EXPECT_TRUE(guard.failures().isEmpty()) << guard.failures().join("; ").toStdString();
  EXPECT_EQ(session.dialogTitle, saving ? QStringLiteral("保存文件") : QStringLiteral("打开文件"));
  EXPECT_TRUE(session.dialogParentIsWindow);
  EXPECT_EQ(session.filters, kFilters);
  EXPECT_EQ(session.selectedFilter, kFilters.first());
  if (saving) {
    ASSERT_TRUE(w.plotTitle.has_value());
    EXPECT_TRUE(session.proposed.endsWith(QStringLiteral("/") + *w.plotTitle)) << session.proposed.toStdString();
  }
  EXPECT_TRUE(session.boxes.isEmpty());
  EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join("; ").toStdString();
  EXPECT_EQ(gridTexts(w.ui->inputTable), before);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DataFileButtons, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Save" : "Load"; });

struct DispatchCase {
  const char* name;
  bool save;
  const char* file;     // name in the temporary folder
  const char* source;   // load: fixture copied to `file`, or "csv:" bytes; save: unused
  const char* box;      // the one box expected, "" for none
  const char* check;    // load: expected text of cell (0,0); save: leading bytes of the file, "" for no file
};

class DataFileDispatch : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(DataFileDispatch, ChoosesByExactEnding) {
  app();
  const DispatchCase& tc = GetParam();
  QTemporaryDir dir;
  const QString path = dir.filePath(QString::fromUtf8(tc.file));
  const QString source = QString::fromUtf8(tc.source);
  if (!tc.save) {
    if (source.startsWith(QStringLiteral("csv:"))) {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(source.mid(4).toUtf8());
    } else {
      ASSERT_TRUE(QFile::copy(fixture(source), path));
    }
  }
  Widget w;
  const QStringList before = gridTexts(w.ui->inputTable);
  Session session;
  session.answer = path;
  trelvo::test::ModalGuard guard(session.action(&w));
  LogCapture log;
  (tc.save ? w.ui->saveBtn : w.ui->loadBtn)->click();
  EXPECT_TRUE(guard.failures().isEmpty()) << guard.failures().join("; ").toStdString();
  ASSERT_EQ(session.selected, path);

  // The extent of the start-up sample grid is logged before the dispatch.
  const qsizetype extentLine = log.lines().indexOf(QStringLiteral("input_max_content_pos: 4, 1"));
  EXPECT_GE(extentLine, 0) << log.lines().join("\n").toStdString();
  const qsizetype fileLine = log.indexOfPrefix(tc.save ? QStringLiteral("Saved file: ") : QStringLiteral("Loaded file: "));
  if (fileLine >= 0) EXPECT_LT(extentLine, fileLine);

  const QString box = QString::fromUtf8(tc.box);
  if (box.isEmpty())
    EXPECT_TRUE(session.boxes.isEmpty() || session.boxes.first().startsWith(QStringLiteral("保存成功")))
        << session.boxes.join("; ").toStdString();
  else
    ASSERT_EQ(session.boxes.size(), 1) << session.boxes.join("; ").toStdString();
  if (!box.isEmpty()) EXPECT_TRUE(session.boxes.first().startsWith(box)) << session.boxes.first().toStdString();

  const QString check = QString::fromUtf8(tc.check);
  if (tc.save) {
    if (check.isEmpty()) {
      EXPECT_FALSE(QFile::exists(path));
    } else {
      EXPECT_EQ(session.boxes, QStringList{QStringLiteral("保存成功\n文件已保存至：") + path});
      EXPECT_TRUE(readBytes(path).startsWith(QByteArray::fromHex(check.toLatin1())));
    }
    EXPECT_EQ(gridTexts(w.ui->inputTable), before);
  } else if (check.isEmpty()) {
    EXPECT_EQ(gridTexts(w.ui->inputTable), before);
  } else {
    EXPECT_EQ(cellText(w.ui->inputTable->item(0, 0)), check);
  }
}

// Load checks: the text of cell (0, 0) after the load. Save checks: the
// file's first bytes in hex ("322c" is "2,", "504b" a zip, "d0cf11e0" OLE2).
INSTANTIATE_TEST_SUITE_P(
    Endings, DataFileDispatch,
    ::testing::Values(
        DispatchCase{"LoadCsv", false, "data.csv", "csv:7,8\n9,10\n", "", "7"},
        DispatchCase{"LoadXlsx", false, "book.xlsx", "one_sheet.xlsx", "", "x"},
        DispatchCase{"LoadXls", false, "book.xls", "one_sheet.xls", "", "x"},
        DispatchCase{"LoadXlsEndingGoesTo97Loader", false, "really_xlsx.xls", "one_sheet.xlsx", "加载错误\n加载文件失败\n\n", ""},
        DispatchCase{"LoadUpperCsvRefused", false, "data.CSV", "csv:7,8\n", "加载失败\n不支持的文件格式", ""},
        DispatchCase{"LoadMixedXlsxRefused", false, "book.Xlsx", "one_sheet.xlsx", "加载失败\n不支持的文件格式", ""},
        DispatchCase{"LoadUpperXlsRefused", false, "book.XLS", "one_sheet.xls", "加载失败\n不支持的文件格式", ""},
        DispatchCase{"LoadOtherEndingRefused", false, "data.txt", "csv:7,8\n", "加载失败\n不支持的文件格式", ""},
        DispatchCase{"SaveCsv", true, "out.csv", "", "", "322c302e310d0a"},
        DispatchCase{"SaveXlsx", true, "out.xlsx", "", "", "504b0304"},
        DispatchCase{"SaveXls", true, "out.xls", "", "", "d0cf11e0a1b11ae1"},
        DispatchCase{"SaveUpperCsvRefused", true, "out.CSV", "", "保存失败\n不支持的文件格式", ""},
        DispatchCase{"SaveMixedXlsxRefused", true, "out.Xlsx", "", "保存失败\n不支持的文件格式", ""},
        DispatchCase{"SaveWithoutEndingRefused", true, "Flow-PressureDrop", "", "保存失败\n不支持的文件格式", ""}),
    [](const ::testing::TestParamInfo<DispatchCase>& info) { return std::string(info.param.name); });

// A load changes only the grid: the data lists keep the values read before
// it until Refresh reads the loaded columns.
TEST(DataFileButtons, LoadedColumnsReadOnRefresh) {
  app();
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("xy.csv"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("1,3\n2,5\n3,7\n");
  }
  Widget w;
  const std::vector<double> xBefore = w.xList;
  const std::vector<double> yBefore = w.yList;
  ASSERT_FALSE(xBefore.empty());
  Session session;
  session.answer = path;
  trelvo::test::ModalGuard guard(session.action(&w));
  w.ui->loadBtn->click();
  EXPECT_TRUE(session.boxes.isEmpty()) << session.boxes.join("; ").toStdString();
  EXPECT_EQ(w.xList, xBefore);
  EXPECT_EQ(w.yList, yBefore);
  w.ui->refreshBtn->click();
  EXPECT_EQ(w.xList, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(w.yList, (std::vector<double>{3, 5, 7}));
}

// A table loaded by the button into the window's input grid holding many
// rows: when the load ends in a refit (the table is wider than the grid, so
// its columns change on a tall grid; or the window shrinks meanwhile), the
// trailing empty rows beyond the view go in one row change, down to the row
// the view reaches, as the grid removes them one by one.
struct RefitCase {
  const char* name;
  int columns;  // of the small table
  int shrink;   // pixels the window loses while the load runs
};

class LoadIntoTallGrid : public ::testing::TestWithParam<RefitCase> {};

TEST_P(LoadIntoTallGrid, RemovesTrailingRowsInOneChange) {
  app();
  const RefitCase& tc = GetParam();
  constexpr int tall = 3000, small = 5;
  QTemporaryDir dir;
  const auto write = [&dir](const char* name, int rows, int columns) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return QString();
    for (int r = 0; r < rows; ++r) {
      QByteArray line = QByteArray::number(r);
      for (int c = 1; c < columns; ++c) line += ',' + QByteArray::number(r * 10 + c);
      f.write(line + '\n');
    }
    return path;
  };
  const QString tallPath = write("tall.csv", tall, 2);
  const QString smallPath = write("small.csv", small, tc.columns);
  ASSERT_FALSE(tallPath.isEmpty() || smallPath.isEmpty());
  auto w = trelvo::test::shownWindow();
  CleverTableWidget* grid = w->ui->inputTable;
  Session session;
  trelvo::test::ModalGuard guard(session.action(w.get()));
  session.answer = tallPath;
  w->ui->loadBtn->click();
  QCoreApplication::processEvents();
  ASSERT_EQ(grid->rowCount(), tall);
  ASSERT_LT(grid->columnCount(), 12);

  int removals = 0;
  QStringList wrong;
  QObject::connect(grid->model(), &QAbstractItemModel::rowsAboutToBeRemoved, grid,
                   [&](const QModelIndex&, int first, int last) {
                     ++removals;
                     const int h = grid->viewport()->height();
                     if (last != grid->rowCount() - 1 || grid->rowViewportPosition(first) <= h ||
                         (grid->rowViewportPosition(first - 1) > h && grid->row_is_empty(first - 1)))
                       wrong << QStringLiteral("rows %1-%2 of %3").arg(first).arg(last).arg(grid->rowCount());
                   });
  if (tc.shrink > 0)
    QObject::connect(
        grid, &QTableWidget::cellChanged, grid, [&] { w->resize(w->size() - QSize(0, tc.shrink)); },
        Qt::SingleShotConnection);
  session.answer = smallPath;
  w->ui->loadBtn->click();
  EXPECT_TRUE(guard.failures().isEmpty()) << guard.failures().join("; ").toStdString();
  EXPECT_TRUE(session.boxes.isEmpty()) << session.boxes.join("; ").toStdString();
  EXPECT_EQ(removals, 1);
  EXPECT_TRUE(wrong.isEmpty()) << wrong.size() << " wrong removals, first " << wrong.value(0).toStdString();
  const int rows = grid->rowCount();
  EXPECT_GE(rows, small);
  EXPECT_LT(rows, 100);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < grid->columnCount(); ++c) {
      const QString expected =
          r < small && c < tc.columns ? QString::number(c == 0 ? r : r * 10 + c) : QString();
      ASSERT_EQ(cellText(grid->item(r, c)), expected) << r << "," << c;
    }
  QCoreApplication::processEvents();
  EXPECT_EQ(grid->verticalHeader()->count(), rows);
  EXPECT_EQ(cellText(grid->verticalHeaderItem(rows - 1)), QString::number(rows));
}

INSTANTIATE_TEST_SUITE_P(Refits, LoadIntoTallGrid,
                         ::testing::Values(RefitCase{"WiderTable", 12, 0}, RefitCase{"WindowShrinks", 2, 120}),
                         [](const ::testing::TestParamInfo<RefitCase>& info) { return std::string(info.param.name); });
