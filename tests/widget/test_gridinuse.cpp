// The window used as a user would: Fit, Plot and Curve use what the grid
// shows (typed, pasted, loaded) with x and y kept in pairs, the grid's keys
// work after a mouse selection, the bar empties and follows its cell.
#include <QApplication>
#include <QChart>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

#include "common/logcapture.h"
#include "fitcore/limits.h"
#include "fitflow_fixture.h"

using trelvo::test::FitflowTest;
using trelvo::test::LogCapture;

namespace {

// y = 1 + 2x at x = 1..6: a degree-2 fit gives a0 = 1, a1 = 2, a2 = 0.
const QStringList kLineX = {"1", "2", "3", "4", "5", "6"};
const QStringList kLineY = {"3", "5", "7", "9", "11", "13"};
const QStringList kLineCoefficients = {"1.000000e+00", "2.000000e+00"};

class GridInUse : public FitflowTest {
 public:
  using FitflowTest::boxes;
  using FitflowTest::ui;
  using FitflowTest::w;
  void SetUp() override {
    FitflowTest::SetUp();
    ui().tabWidget->setCurrentIndex(0);
    w().show();
    w().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w()));
    grid = ui().inputTable;
  }

  QRect cellRect(int row, int col) const { return grid->visualRect(grid->model()->index(row, col)); }
  void clickCell(int row, int col) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellRect(row, col).center());
  }
  // A mouse drag over the cells from (r0, c0) to (r1, c1).
  void dragCells(int r0, int c0, int r1, int c1) {
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, cellRect(r0, c0).center());
    QTest::mouseMove(grid->viewport(), cellRect(r1, c1).center());
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, cellRect(r1, c1).center());
  }
  static void keys(QKeySequence::StandardKey key) {
    const QKeyCombination k = QKeySequence(key)[0];
    QTest::keyClick(QApplication::focusWidget(), k.key(), k.keyboardModifiers());
  }
  static void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(QApplication::focusWidget(), k, m); }
  QString cell(int row, int col) const { return cellText(grid->item(row, col)); }
  QTextEdit* bar() { return ui().inputEdit; }
  // The coefficients a0 and a1 of the output grid.
  QStringList firstCoefficients() { return outputValues().mid(1, 2); }
  void writeColumns(const QStringList& x, const QStringList& y) {
    for (int r = 0; r < x.size(); ++r) {
      grid->set_cell_text(r, 0, x[r]);
      grid->set_cell_text(r, 1, y[r]);
    }
  }

  CleverTableWidget* grid = nullptr;
};

// ---- Fit uses what the grid shows ---------------------------------------------

struct NewDataCase {
  const char* name;
  std::function<void(GridInUse&)> enter;
};
void PrintTo(const NewDataCase& c, std::ostream* os) { *os << c.name; }

class NewData : public GridInUse, public ::testing::WithParamInterface<NewDataCase> {};

TEST_P(NewData, FitWithoutRefreshFitsTheNewData) {
  GetParam().enter(*this);
  ASSERT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
  ui().fitBtn->click();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(firstCoefficients(), kLineCoefficients);
  EXPECT_EQ(w().xList.size(), 6u);
}

INSTANTIATE_TEST_SUITE_P(
    Entered, NewData,
    ::testing::Values(
        NewDataCase{"typed_into_the_bar",
                    [](GridInUse& t) {
                      for (int r = 0; r < kLineX.size(); ++r)
                        for (int c = 0; c < 2; ++c) {
                          t.clickCell(r, c);
                          QTest::keyClicks(QApplication::focusWidget(), (c ? kLineY : kLineX)[r]);
                        }
                    }},
        NewDataCase{"written_into_cells", [](GridInUse& t) { t.writeColumns(kLineX, kLineY); }},
        NewDataCase{"pasted",
                    [](GridInUse& t) {
                      QStringList lines;
                      for (int r = 0; r < kLineX.size(); ++r) lines << kLineX[r] + "\t" + kLineY[r];
                      QApplication::clipboard()->setText(lines.join("\n"));
                      auto& g = *t.grid;
                      g.clearSelection();
                      g.setRangeSelected(QTableWidgetSelectionRange(0, 0, 0, 0), true);
                      g.paste_selection();
                    }},
        NewDataCase{"loaded",
                    [](GridInUse& t) {
                      QTemporaryDir dir;
                      QFile file(dir.filePath("line.csv"));
                      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                      for (int r = 0; r < kLineX.size(); ++r) file.write((kLineX[r] + "," + kLineY[r] + "\n").toUtf8());
                      file.close();
                      t.grid->load_csv(file.fileName());
                    }},
        NewDataCase{"transposed",
                    [](GridInUse& t) {
                      auto& g = *t.grid;
                      for (int r = 0; r < kLineX.size(); ++r) {
                        g.set_cell_text(0, r, kLineX[r]);
                        g.set_cell_text(1, r, kLineY[r]);
                      }
                      for (int r = 2; r < 6; ++r)
                        for (int c = 0; c < 2; ++c) g.set_cell_text(r, c, QString());
                      g.transpose_table();
                    }},
        // Commands that move cells without writing texts, each from lists that
        // Fit has just read. Deleting and inserting rows send no cellChanged:
        // only the end of their batch tells the window its lists are stale.
        // The sort puts its items back (cellChanged) inside a batch as well.
        NewDataCase{"rows_deleted",
                    [](GridInUse& t) {
                      auto& g = *t.grid;
                      g.set_cell_text(0, 0, "0");
                      g.set_cell_text(0, 1, "100");
                      for (int r = 0; r < kLineX.size(); ++r) {
                        g.set_cell_text(r + 1, 0, kLineX[r]);
                        g.set_cell_text(r + 1, 1, kLineY[r]);
                      }
                      g.selectRow(0);
                      t.ui().fitBtn->click();
                      ASSERT_EQ(t.w().xList.size(), 7u);
                      g.delete_action->trigger();  // a whole row: "Delete Selected Rows"
                    }},
        NewDataCase{"rows_inserted_above",
                    [](GridInUse& t) {
                      auto& g = *t.grid;
                      t.writeColumns(kLineX, kLineY);
                      t.clickCell(0, 0);
                      t.ui().fitBtn->click();
                      // Lists that no longer match the grid (as after a change
                      // nothing reported): the insertion alone must make Fit read
                      // the grid again, though it moves the pairs without changing them.
                      t.w().xList = {1, 2, 3, 4};
                      t.w().yList = {1, 4, 9, 16};
                      g._insert_operations("Insert Rows Above");
                      ASSERT_EQ(t.cell(1, 0), kLineX[0]);
                    }},
        NewDataCase{"columns_sorted",
                    [](GridInUse& t) {
                      auto& g = *t.grid;
                      QStringList descending = kLineX;
                      std::reverse(descending.begin(), descending.end());
                      t.writeColumns(descending, kLineY);  // y = 15 - 2x
                      t.dragCells(0, 0, 5, 1);
                      t.ui().fitBtn->click();
                      ASSERT_EQ(t.firstCoefficients(), (QStringList{"1.500000e+01", "-2.000000e+00"}));
                      g.ascending_col_action->trigger();  // x and y each ascending: y = 1 + 2x
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GridInUse, ListsSetByCodeAreFittedAsTheyStand) {
  w().xList = {1, 2, 3, 4};
  w().yList = {3, 5, 7, 9};
  ui().fitBtn->click();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(firstCoefficients(), kLineCoefficients);
  EXPECT_EQ(w().xList, (std::vector<double>{1, 2, 3, 4}));
}

TEST_F(GridInUse, CurveReadsTheColumnsOnce) {
  writeColumns(kLineX, kLineY);
  ui().fitBtn->click();
  grid->set_cell_text(6, 0, "7");
  grid->set_cell_text(6, 1, "15");
  LogCapture log;
  ui().curveBtn->click();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(log.startingWith("Data pairs read: "), QStringList{"Data pairs read: 7"});
  EXPECT_EQ(w().xList.size(), 7u);
}

// Refresh reads both columns once; the plot after it finds the lists fresh
// and reads nothing again.
TEST_P(NewData, RefreshReadsOnceAndPlotReadsNothingMore) {
  GetParam().enter(*this);
  ASSERT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
  LogCapture log;
  ui().refreshBtn->click();
  EXPECT_EQ(log.startingWith("Data pairs read: "), QStringList{"Data pairs read: 6"});
  EXPECT_EQ(w().xList, (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(w().yList, (std::vector<double>{3, 5, 7, 9, 11, 13}));
  log.clear();
  ui().plotBtn->click();
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(log.startingWith("Data pairs read: ").isEmpty());
  EXPECT_EQ(w().xList.size(), 6u);
}

// A refresh over rows that do not pair reads each column alone, and leaves
// the warning to the plot that follows.
TEST_F(GridInUse, RefreshOfUnpairedRowsLeavesTheWarningToThePlot) {
  writeColumns({"1", "2", "n/a", "4", "5", "6"}, {"3", "5", "7", "9", "11", "13"});
  ui().refreshBtn->click();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(w().xList, (std::vector<double>{1, 2, 4, 5, 6}));
  EXPECT_EQ(w().yList, (std::vector<double>{3, 5, 7, 9, 11, 13}));
  ui().plotBtn->click();
  const auto box = takeBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "X轴和Y轴数据长度不一致");
}

// A non-number in x row 3 and another in y row 7: no shifted pairs, but the
// length warning, and nothing fitted, plotted or drawn.
struct UnpairedCase {
  const char* name;
  std::function<QAbstractButton*(Ui_Widget&)> button;
};
void PrintTo(const UnpairedCase& c, std::ostream* os) { *os << c.name; }

class Unpaired : public GridInUse, public ::testing::WithParamInterface<UnpairedCase> {};

TEST_P(Unpaired, WarnsAndChangesNothing) {
  const QStringList x = {"1", "2", "n/a", "4", "5", "6", "7", "8"};
  const QStringList y = {"3", "5", "7", "9", "11", "13", "-", "17"};
  writeColumns(x, y);
  const auto fitBefore = w().fit_class;
  const QStringList output = outputValues();
  const auto seriesBefore = w().chart->series();
  ui().tabWidget->setCurrentIndex(0);
  GetParam().button(ui())->click();
  const auto box = takeBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, "输入错误");
  EXPECT_EQ(box->text, "X轴和Y轴数据长度不一致");
  EXPECT_EQ(w().fit_class, fitBefore);
  EXPECT_EQ(outputValues(), output);
  EXPECT_EQ(w().chart->series(), seriesBefore);
  EXPECT_EQ(ui().tabWidget->currentIndex(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, Unpaired,
    ::testing::Values(UnpairedCase{"fit", [](Ui_Widget& ui) -> QAbstractButton* { return ui.fitBtn; }},
                      UnpairedCase{"plot", [](Ui_Widget& ui) -> QAbstractButton* { return ui.plotBtn; }},
                      UnpairedCase{"curve", [](Ui_Widget& ui) -> QAbstractButton* { return ui.curveBtn; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GridInUse, RowsWithoutAnyNumberAreSkipped) {
  writeColumns({"x", "1", "2", "", "3", "4"}, {"y", "3", "5", " ", "7", "9"});
  ui().fitBtn->click();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(w().xList, (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(firstCoefficients(), kLineCoefficients);
}

// ---- the grid's keyboard -------------------------------------------------------

TEST_F(GridInUse, DragLeavesTheFocusInTheGridAndCtrlCCopiesTheBlock) {
  dragCells(0, 0, 2, 1);
  ASSERT_EQ(grid->selectedRanges().size(), 1);
  EXPECT_EQ(grid->selectedRanges().first().rowCount(), 3);
  EXPECT_TRUE(grid->hasFocus());
  QApplication::clipboard()->setText("before");
  keys(QKeySequence::Copy);
  EXPECT_EQ(QApplication::clipboard()->text(), "2\t0.1\n4\t0.3\n6\t0.6");
}

TEST_F(GridInUse, CtrlVOfABlockIntoAClickedCellFillsTheBlock) {
  clickCell(1, 3);
  ASSERT_TRUE(bar()->hasFocus());
  QApplication::clipboard()->setText("1\t2\n3\t4\n5\t6");
  keys(QKeySequence::Paste);
  EXPECT_EQ(cell(1, 3), "1");
  EXPECT_EQ(cell(1, 4), "2");
  EXPECT_EQ(cell(3, 3), "5");
  EXPECT_EQ(cell(3, 4), "6");
  // The bar shows the pasted text of its cell, not the block.
  EXPECT_EQ(bar()->toPlainText(), "1");
}

TEST_F(GridInUse, PasteWithoutTabOrLineBreakIsATextPasteInTheBar) {
  clickCell(1, 0);
  QApplication::clipboard()->setText("55");
  keys(QKeySequence::Paste);
  EXPECT_EQ(cell(1, 0), "55");
}

TEST_F(GridInUse, TypingReplacesTheCellsText) {
  clickCell(1, 0);
  ASSERT_EQ(bar()->toPlainText(), "4");
  key(Qt::Key_7);
  EXPECT_EQ(cell(1, 0), "7");
}

TEST_F(GridInUse, AfterReturnDownMovesTheSelection) {
  clickCell(1, 0);
  key(Qt::Key_7);
  key(Qt::Key_Return);
  EXPECT_TRUE(grid->hasFocus());
  key(Qt::Key_Down);
  EXPECT_EQ(ui().inputLabel->text(), "A3 : ");
  EXPECT_EQ(w().link_row, 2);
  EXPECT_EQ(cell(1, 0), "7");
}

TEST_F(GridInUse, CopyInTheUntouchedBarCopiesTheCellsResult) {
  grid->set_cell_text(0, 2, "=A1*3");
  clickCell(0, 2);
  ASSERT_EQ(bar()->toPlainText(), "=A1*3");
  keys(QKeySequence::Copy);
  EXPECT_EQ(QApplication::clipboard()->text(), "6.0");
  // Once the cursor has moved, the bar copies its own selected text.
  key(Qt::Key_Home);
  key(Qt::Key_End, Qt::ShiftModifier);
  keys(QKeySequence::Copy);
  EXPECT_EQ(QApplication::clipboard()->text(), "=A1*3");
}

TEST_F(GridInUse, DelInTheUntouchedBarRunsTheGridsDel) {
  clickCell(1, 0);
  std::vector<QString> dialogs;
  dialogAction = [&](QWidget* d) { dialogs.push_back(QString::fromLatin1(d->metaObject()->className())); };
  key(Qt::Key_Delete);
  EXPECT_EQ(dialogs, std::vector<QString>{"DeleteInsertDialog"});
  EXPECT_EQ(cell(1, 0), "4");
}

// ---- the bar empties and follows its cell ----------------------------------------

TEST_F(GridInUse, EmptyingTheBarEmptiesTheCell) {
  clickCell(1, 0);
  key(Qt::Key_Backspace);
  EXPECT_EQ(bar()->toPlainText(), "");
  EXPECT_EQ(cell(1, 0), "");
  // Also a cell the bar has just created.
  clickCell(4, 3);
  key(Qt::Key_8);
  key(Qt::Key_Backspace);
  EXPECT_EQ(cell(4, 3), "");
  // Selecting an empty cell writes nothing into it.
  clickCell(5, 3);
  EXPECT_EQ(grid->item(5, 3), nullptr);
}

TEST_F(GridInUse, BarAfterInsertRowsAboveShowsTheNewCell) {
  clickCell(2, 0);
  ASSERT_EQ(bar()->toPlainText(), "6");
  grid->_insert_operations("Insert Rows Above");
  EXPECT_EQ(ui().inputLabel->text(), "A3 : ");
  EXPECT_EQ(bar()->toPlainText(), "");
  EXPECT_TRUE(bar()->hasFocus());
  key(Qt::Key_5);
  EXPECT_EQ(cell(2, 0), "5");
  EXPECT_EQ(cell(3, 0), "6");
}

// ---- the grid's limits are the loads' --------------------------------------------

// A grid loaded to the filled-cell limit takes no further filled cell, typed
// or pasted; so every file it saves loads again.
TEST_F(GridInUse, GridAtTheFilledCellLimitRefusesAnotherTypedCellAndItsSaveLoads) {
  namespace L = trelvo::limits;
  // 2,100 rows of 1,000 values with A1 empty, and one more value below: the
  // limit exactly.
  constexpr int kCols = 1000;
  const int rows = int(L::kMaxFilledCells / kCols);
  QTemporaryDir dir;
  const QString path = dir.filePath("limit.csv");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray line;
    for (int c = 0; c < kCols; ++c) line += (c ? ",1" : "1");
    line += "\n";
    f.write("," + line.mid(2));
    for (int r = 1; r < rows; ++r) f.write(line);
    f.write("1\n");
  }
  grid->load_csv(path);
  ASSERT_EQ(boxes.size(), 0u);
  ASSERT_EQ(grid->filled_cell_count(), L::kMaxFilledCells);
  const QString refused = QStringLiteral("警告\n操作后表格的非空单元格将超过%1个，无法执行该操作").arg(L::kMaxFilledCells);
  // The boxes shown since the last call; the window is active again after them.
  const auto boxTexts = [&] {
    QStringList out;
    for (const auto& b : boxes) out << b.title + "\n" + b.text;
    boxes.clear();
    w().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w()));
    return out;
  };

  // Typed into the empty A1: refused, the grid and the bar as they were.
  grid->scrollToTop();
  clickCell(0, 0);
  key(Qt::Key_7);
  QCoreApplication::processEvents();
  EXPECT_EQ(boxTexts(), QStringList{refused});
  EXPECT_EQ(cell(0, 0), "");
  EXPECT_EQ(bar()->toPlainText(), "");
  EXPECT_EQ(grid->filled_cell_count(), L::kMaxFilledCells);
  // A paste into it likewise.
  QApplication::clipboard()->setText("5\t6");
  grid->paste_selection();
  EXPECT_EQ(boxTexts(), QStringList{refused});
  EXPECT_EQ(cell(0, 0), "");

  // A filled cell still takes a new text; once one cell is emptied, A1 takes one.
  clickCell(0, 1);
  key(Qt::Key_8);
  EXPECT_EQ(cell(0, 1), "8");
  key(Qt::Key_Backspace);
  EXPECT_EQ(cell(0, 1), "");
  clickCell(0, 0);
  key(Qt::Key_9);
  EXPECT_EQ(cell(0, 0), "9");
  EXPECT_EQ(boxTexts(), QStringList{});
  EXPECT_EQ(grid->filled_cell_count(), L::kMaxFilledCells);

  // Saved and loaded again, cell for cell.
  grid->get_max_content_pos();
  const QString saved = dir.filePath("saved.csv");
  grid->save_csv(saved);
  ASSERT_EQ(boxTexts().value(0).section('\n', 0, 0), "保存成功");
  grid->load_csv(saved);
  EXPECT_EQ(boxTexts(), QStringList{});
  EXPECT_EQ(grid->filled_cell_count(), L::kMaxFilledCells);
  EXPECT_EQ(cell(0, 0), "9");
  EXPECT_EQ(cell(0, 1), "");
}

// An in-cell edit the grid refuses (its text limit) leaves the cell showing
// what it holds, not the editor's text.
TEST_F(GridInUse, RefusedInCellEditShowsTheCellAsItWas) {
  namespace L = trelvo::limits;
  constexpr int kLong = 131'072;
  const QString full(kLong, u'x');  // one text shared by every cell
  {
    CleverTableWidget::BulkGuard bulk(*grid);
    grid->clearContents();
    grid->setRowCount(int(L::kMaxTextUnits / kLong) + 1);
    for (int r = 0; r < L::kMaxTextUnits / kLong; ++r) grid->setItem(r, 4, new CleverTableWidgetItem(full));
  }
  grid->scrollToTop();
  clickCell(0, 3);
  const QPoint at = cellRect(0, 3).center();
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
  auto* editor = grid->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "5");
  QTest::keyClick(editor, Qt::Key_Return);
  QTest::qWait(250);  // the echo
  QCoreApplication::processEvents();  // and what follows its box
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, QStringLiteral("操作后表格单元格的文字将超过%1个字符，无法执行该操作").arg(L::kMaxTextUnits));
  boxes.clear();
  ASSERT_NE(grid->item(0, 3), nullptr);
  EXPECT_EQ(cell(0, 3), "");
  EXPECT_EQ(grid->item(0, 3)->data(Qt::DisplayRole).toString(), "");
  EXPECT_EQ(bar()->toPlainText(), "");
  EXPECT_EQ(grid->content().units, L::kMaxTextUnits);
}

}  // namespace
