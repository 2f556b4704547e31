// The cell input bar above the input grid: binding to the selection, writing
// into the bound cell, its keys, its height and the echo of in-cell edits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QRadioButton>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "common/menuwatch.h"
#include "common/modalguard.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/deleteinsertdialog.h"
#include "viewdesign/widgetform.h"
#include "windowtools.h"

using trelvo::test::LogCapture;

namespace {

class InputBar : public ::testing::Test {
 public:
  void SetUp() override {
    w = trelvo::test::shownWindow();
    grid = w->ui->inputTable;
  }
  void TearDown() override { w.reset(); }

  void select(int row, int col) {
    grid->clearSelection();
    grid->setRangeSelected(QTableWidgetSelectionRange(row, col, row, col), true);
  }
  QTextEdit* edit() const { return w->ui->inputEdit; }
  QString cell(int row, int col) const { return cellText(grid->item(row, col)); }
  QString raw(int row, int col) const {
    const CleverTableWidgetItem* c = asFormulaCell(grid->item(row, col));
    return c ? c->rawText() : QStringLiteral("<no formula cell>");
  }
  // Opens the grid's in-cell editor on (row, col) by a double click.
  QLineEdit* openCellEditor(int row, int col) {
    const QRect r = grid->visualItemRect(grid->item(row, col));
    const QPoint at = r.isValid() ? r.center() : grid->visualRect(grid->model()->index(row, col)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    return grid->viewport()->findChild<QLineEdit*>() ? grid->viewport()->findChild<QLineEdit*>()
                                                     : grid->findChild<QLineEdit*>();
  }
  void clickCell(int row, int col) {
    const QRect r = grid->visualRect(grid->model()->index(row, col));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
  }
  // Lets the 100 ms echo fire.
  static void waitEcho() { QTest::qWait(250); }
  // Keys as the user types them: each goes to the widget that has the focus.
  static void typeKeys(const QString& keys) {
    for (const QChar ch : keys) QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
  }
  static void pressReturn() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }
  // Every cell of the grid that holds text: (row, column) -> typed text.
  QMap<std::pair<int, int>, QString> allCells() const {
    QMap<std::pair<int, int>, QString> cells;
    for (int r = 0; r < grid->rowCount(); ++r)
      for (int c = 0; c < grid->columnCount(); ++c)
        if (const QTableWidgetItem* it = grid->item(r, c); it && !cellText(it).isEmpty())
          cells[{r, c}] = asFormulaCell(it) ? asFormulaCell(it)->rawText() : cellText(it);
    return cells;
  }
  // The cells that differ between two snapshots, as "C3: 6 -> 85" lines.
  static std::vector<std::string> differences(const QMap<std::pair<int, int>, QString>& want,
                                              const QMap<std::pair<int, int>, QString>& got) {
    std::vector<std::string> out;
    auto name = [](std::pair<int, int> at) {
      return CleverTableWidget::num_to_letters(at.second + 1LL) + QString::number(at.first + 1);
    };
    for (auto it = want.cbegin(); it != want.cend(); ++it)
      if (got.value(it.key()) != it.value())
        out.push_back((name(it.key()) + ": " + it.value() + " -> " + got.value(it.key(), "<empty>")).toStdString());
    for (auto it = got.cbegin(); it != got.cend(); ++it)
      if (!want.contains(it.key())) out.push_back((name(it.key()) + ": <empty> -> " + it.value()).toStdString());
    return out;
  }

  std::unique_ptr<Widget> w;
  CleverTableWidget* grid = nullptr;
};

// ---- binding to the selection -------------------------------------------------

struct SelectCase {
  const char* name;
  std::function<void(CleverTableWidget&)> prepare;
  int row, col;
  const char* label;
  const char* text;  // the bar's text after binding
};
void PrintTo(const SelectCase& c, std::ostream* os) { *os << c.name; }

class SelectCell : public InputBar, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(SelectCell, ShowsLabelTextAndTakesFocus) {
  const SelectCase& c = GetParam();
  if (c.prepare) c.prepare(*grid);
  const QString before = cellText(grid->item(c.row, c.col));
  const bool hadItem = grid->item(c.row, c.col) != nullptr;
  LogCapture log;
  select(c.row, c.col);

  EXPECT_EQ(w->ui->inputLabel->text(), QString::fromUtf8(c.label));
  EXPECT_EQ(edit()->toPlainText(), QString::fromUtf8(c.text));
  EXPECT_FALSE(edit()->isReadOnly());
  EXPECT_TRUE(edit()->hasFocus());
  EXPECT_EQ(w->link_row, c.row);
  EXPECT_EQ(w->link_col, c.col);
  // Binding writes the same text back: the cell is unchanged, an empty one
  // gets no item.
  EXPECT_EQ(grid->item(c.row, c.col) != nullptr, hadItem);
  EXPECT_EQ(cellText(grid->item(c.row, c.col)), before);
  const QString label = QString::fromUtf8(c.label).chopped(3);
  EXPECT_EQ(log.startingWith("Item selected: "),
            QStringList{QStringLiteral("Item selected: %1, Row: %2, Column: %3").arg(label).arg(c.row + 1).arg(c.col + 1)});
  EXPECT_EQ(log.startingWith("Item type: ").size(), 1);
}

const SelectCase kSelectCases[] = {
    {"EmptyCellC5", nullptr, 4, 2, "C5 : ", ""},
    {"SampleNumber", nullptr, 2, 1, "B3 : ", "0.6"},
    {"FormulaShownAsTyped", [](CleverTableWidget& g) { g.set_cell_text(3, 3, "=A1*3"); }, 3, 3, "D4 : ", "=A1*3"},
    {"MarkupKeptAsText", [](CleverTableWidget& g) { g.set_cell_text(1, 2, "<b>1</b>"); }, 1, 2, "C2 : ", "<b>1</b>"},
    {"ColumnWithoutHeaderItem", [](CleverTableWidget& g) { delete g.takeHorizontalHeaderItem(2); }, 4, 2, "C5 : ",
     ""},
};

INSTANTIATE_TEST_SUITE_P(InputBar, SelectCell, ::testing::ValuesIn(kSelectCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InputBar, FormulaIsEvaluatedAfreshWhenSelected) {
  grid->set_cell_text(0, 3, "=A1+1");
  ASSERT_EQ(cell(0, 3), "3.0");
  // A change of A1 does not recompute D1 by itself; binding the bar does.
  setCellText(grid->item(0, 0), "5");
  select(0, 3);
  EXPECT_EQ(cell(0, 3), "6.0");
  EXPECT_EQ(raw(0, 3), "=A1+1");
}

TEST_F(InputBar, SeveralRangesBindTheFirstRangesTopLeft) {
  grid->clearSelection();
  grid->setRangeSelected(QTableWidgetSelectionRange(1, 1, 3, 2), true);
  grid->setRangeSelected(QTableWidgetSelectionRange(0, 0, 0, 0), true);
  const auto ranges = grid->selectedRanges();
  ASSERT_FALSE(ranges.isEmpty());
  EXPECT_EQ(w->link_row, ranges.first().topRow());
  EXPECT_EQ(w->link_col, ranges.first().leftColumn());
}

TEST_F(InputBar, EmptySelectionUnbindsAndIgnoresTyping) {
  select(0, 0);
  grid->clearSelection();
  EXPECT_EQ(w->ui->inputLabel->text(), "");
  EXPECT_EQ(edit()->toPlainText(), "");
  EXPECT_TRUE(edit()->isReadOnly());
  EXPECT_FALSE(w->link_row.has_value());
  EXPECT_FALSE(w->link_col.has_value());
  EXPECT_EQ(cell(0, 0), "2");
  // Text set from the program while unbound writes nothing either.
  edit()->setPlainText("77");
  EXPECT_EQ(cell(0, 0), "2");
}

// ---- writing into the bound cell ------------------------------------------------

TEST_F(InputBar, TypingCreatesTheCellThenChangesIt) {
  select(4, 2);
  QSignalSpy extent(grid, &CleverTableWidget::ContentsChangeSignal);
  LogCapture log;
  QTest::keyClick(edit(), Qt::Key_1);
  ASSERT_NE(asFormulaCell(grid->item(4, 2)), nullptr);
  EXPECT_EQ(cell(4, 2), "1");
  EXPECT_EQ(log.startingWith("Item created new: "),
            QStringList{"Item created new: Row: 5, Column: 3, Text: 1"});
  const qsizetype afterFirst = extent.count();
  EXPECT_GE(afterFirst, 1);
  QTest::keyClick(edit(), Qt::Key_2);
  EXPECT_EQ(cell(4, 2), "12");
  EXPECT_EQ(log.startingWith("Item text changed: "),
            QStringList{"Item text changed: Row: 5, Column: 3, Text: 12"});
  ASSERT_GT(extent.count(), afterFirst);
  // The last recomputation covers the new cell.
  EXPECT_GE(extent.last().at(0).toInt(), 4);
  EXPECT_GE(extent.last().at(1).toInt(), 2);
}

TEST_F(InputBar, FormulaTypedKeyByKeyShowsItsResult) {
  select(4, 3);
  QTest::keyClicks(edit(), "=A2*2");
  EXPECT_EQ(raw(4, 3), "=A2*2");
  EXPECT_EQ(cell(4, 3), "8.0");
}

TEST_F(InputBar, FormulaPastedIntoAnEmptyCellSeesTheGrid) {
  select(4, 3);
  edit()->setPlainText("=A2*2");
  EXPECT_EQ(cell(4, 3), "8.0");
}

TEST_F(InputBar, EmptyAndSingleBlankEmptyTheCell) {
  select(0, 0);
  edit()->setPlainText("");
  EXPECT_EQ(cell(0, 0), "");
  EXPECT_EQ(raw(0, 0), "");
  edit()->setPlainText(" ");
  EXPECT_EQ(cell(0, 0), " ");
  edit()->setPlainText("  ");
  EXPECT_EQ(cell(0, 0), "  ");
}

TEST_F(InputBar, ItemReplacedUnderTheBarIsWrittenAtItsPosition) {
  select(1, 0);
  ASSERT_EQ(edit()->toPlainText(), "4");
  // The grid frees the item the bar was bound to.
  grid->setItem(1, 0, new CleverTableWidgetItem("7"));
  edit()->moveCursor(QTextCursor::End);
  QTest::keyClick(edit(), Qt::Key_9);
  EXPECT_EQ(cell(1, 0), "49");
  EXPECT_EQ(w->linkItem(), grid->item(1, 0));
}

// ---- keys -------------------------------------------------------------------------

struct KeyCase {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers mods;
  bool lineBreak;  // else: the grid gets the focus, the text stays
};
void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class BarKeys : public InputBar, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(BarKeys, BreakOrLeave) {
  const KeyCase& c = GetParam();
  select(2, 0);
  ASSERT_TRUE(edit()->hasFocus());
  edit()->moveCursor(QTextCursor::End);
  QTest::keyClick(edit(), c.key, c.mods);
  if (c.lineBreak) {
    EXPECT_EQ(edit()->toPlainText(), "6\n");
    EXPECT_EQ(cell(2, 0), "6\n");
    EXPECT_TRUE(edit()->hasFocus());
  } else {
    EXPECT_EQ(edit()->toPlainText(), "6");
    EXPECT_EQ(cell(2, 0), "6");
    EXPECT_TRUE(grid->hasFocus());
  }
}

const KeyCase kKeyCases[] = {
    {"AltReturn", Qt::Key_Return, Qt::AltModifier, true},
    {"AltEnter", Qt::Key_Enter, Qt::AltModifier | Qt::KeypadModifier, true},
    {"CtrlAltReturn", Qt::Key_Return, Qt::AltModifier | Qt::ControlModifier, true},
    {"ShiftAltEnter", Qt::Key_Enter, Qt::AltModifier | Qt::ShiftModifier, true},
    {"Return", Qt::Key_Return, Qt::NoModifier, false},
    {"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier, false},
    {"ShiftReturn", Qt::Key_Return, Qt::ShiftModifier, false},
    {"CtrlEnter", Qt::Key_Enter, Qt::ControlModifier, false},
    {"Escape", Qt::Key_Escape, Qt::NoModifier, false},
};

INSTANTIATE_TEST_SUITE_P(InputBar, BarKeys, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InputBar, AltReturnReplacesTheSelectedStretch) {
  select(3, 0);  // "8"
  edit()->selectAll();
  QTest::keyClick(edit(), Qt::Key_Return, Qt::AltModifier);
  EXPECT_EQ(edit()->toPlainText(), "\n");
  EXPECT_EQ(cell(3, 0), "\n");
}

TEST_F(InputBar, OtherKeysReachTheEditor) {
  select(3, 0);
  edit()->moveCursor(QTextCursor::End);
  QTest::keyClick(edit(), Qt::Key_Backspace);
  QTest::keyClicks(edit(), "5x");
  EXPECT_EQ(edit()->toPlainText(), "5x");
  EXPECT_EQ(cell(3, 0), "5x");
  EXPECT_TRUE(edit()->hasFocus());
}

// ---- keys typed while the grid has the focus --------------------------------------

// A printable key typed into the grid replaces the current cell's text through
// the bar, as typing after a click does; it never searches the column for a
// cell starting with it.
TEST_F(InputBar, KeysTypedAfterClickingTheSelectedCellAgainReachIt) {
  const auto before = allCells();
  clickCell(2, 0);  // A3 "6"
  ASSERT_TRUE(edit()->hasFocus());
  clickCell(2, 0);  // the same cell again: no selection change, the grid keeps the focus
  ASSERT_TRUE(grid->hasFocus());
  ASSERT_EQ(grid->findChild<QLineEdit*>(), nullptr);  // no in-cell editor
  typeKeys("15");
  pressReturn();
  auto want = before;
  want[{2, 0}] = "15";
  EXPECT_EQ(differences(want, allCells()), std::vector<std::string>{});
  EXPECT_EQ(w->ui->inputLabel->text(), "A3 : ");
  EXPECT_EQ(edit()->toPlainText(), "15");
  EXPECT_TRUE(grid->hasFocus());
}

TEST_F(InputBar, KeysTypedAfterReturnReachTheSameCellOfATallColumn) {
  QStringList lines;
  for (int i = 0; i < 10000; ++i) lines << QString::asprintf("%.3f\t%d", i / 1000.0, 2 * i);
  QApplication::clipboard()->setText(lines.join("\n"));
  select(0, 2);
  grid->paste_selection();
  ASSERT_EQ(cell(8000, 2), "8.000");
  grid->scrollToTop();
  const auto before = allCells();

  clickCell(2, 2);  // C3 "0.002"
  ASSERT_TRUE(edit()->hasFocus());
  typeKeys("6");
  pressReturn();
  ASSERT_TRUE(grid->hasFocus());
  typeKeys("85");
  pressReturn();

  auto want = before;
  want[{2, 2}] = "85";
  EXPECT_EQ(differences(want, allCells()), std::vector<std::string>{});
  EXPECT_EQ(grid->currentRow(), 2);
  EXPECT_EQ(grid->currentColumn(), 2);
  EXPECT_EQ(w->ui->inputLabel->text(), "C3 : ");
  // The view stays where the user typed.
  EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
}

// A key typed into the grid writes the cell the bar's label names, however the
// selection was made and however the cells moved since: never Qt's current
// cell, which sits at the far end of a Shift+click, a drag or Shift+arrows, or
// moves with the items of an insert.
class TypedKey;
struct TypedKeyCase {
  const char* name;
  std::function<void(TypedKey&)> steps;
  const char* label;  // the cell the bar names before the key; "" for none
};
void PrintTo(const TypedKeyCase& c, std::ostream* os) { *os << c.name; }

class TypedKey : public InputBar, public ::testing::WithParamInterface<TypedKeyCase> {
 public:
  void shiftClick(int row, int col) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, rect(row, col).center());
  }
  void drag(int r0, int c0, int r1, int c1) {
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, rect(r0, c0).center());
    QTest::mouseMove(grid->viewport(), rect(r1, c1).center());
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, rect(r1, c1).center());
  }
  void clickHeader(int row, Qt::KeyboardModifiers m = {}) {
    QHeaderView* header = grid->verticalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, m,
                      QPoint(header->width() / 2, header->sectionViewportPosition(row) + 3));
  }
  static void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(QApplication::focusWidget(), k, m); }
  // A right click on the cell, then `entry` of the context menu; a chooser
  // dialog that opens gets `choice` checked and OK.
  void menuOnCell(int row, int col, const QString& entry, QRadioButton* DeleteInsertDialog::*choice = nullptr) {
    trelvo::test::MenuWatch menu([entry](QMenu* m) {
      QAction* action = trelvo::test::MenuWatch::find(m, entry);
      ASSERT_NE(action, nullptr) << entry.toStdString();
      action->trigger();
    });
    trelvo::test::ModalGuard guard([choice](QWidget* w) {
      auto* dialog = qobject_cast<DeleteInsertDialog*>(w);
      if (!dialog || !choice) return;
      (dialog->*choice)->setChecked(true);
      dialog->buttonOK->click();
    });
    // A right press moves Qt's current cell there (the selection stays when
    // the cell is selected); the window system then asks for the menu.
    const QPoint at = rect(row, col).center();
    QTest::mousePress(grid->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &request);
    QTest::mouseRelease(grid->viewport(), Qt::RightButton, {}, at);
    ASSERT_EQ(menu.opened(), 1);
    ASSERT_TRUE(guard.failures().isEmpty()) << guard.failures().join("; ").toStdString();
    // The menu and the dialog took the activation; the window gets it back.
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  }

 private:
  QRect rect(int row, int col) const { return grid->visualRect(grid->model()->index(row, col)); }
};

TEST_P(TypedKey, WritesTheCellTheBarNames) {
  const TypedKeyCase& c = GetParam();
  c.steps(*this);
  const QString shown = w->ui->inputLabel->text();
  ASSERT_EQ(shown, *c.label ? QString::fromLatin1(c.label) + " : " : QString());
  const auto before = allCells();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_7);
  pressReturn();
  // A bar that named no cell names the one the key bound it to.
  QString label = w->ui->inputLabel->text();
  if (!shown.isEmpty()) EXPECT_EQ(label, shown);
  ASSERT_TRUE(label.endsWith(" : "));
  label.chop(3);
  const auto at = CleverTableWidgetItem::label2index(label);
  ASSERT_TRUE(at);
  auto want = before;
  want[{at->first, at->second}] = "7";
  EXPECT_EQ(differences(want, allCells()), std::vector<std::string>{});
}

const TypedKeyCase kTypedKeyCases[] = {
    {"ShiftClick", [](TypedKey& t) { t.clickCell(1, 0); t.shiftClick(3, 1); }, "A2"},
    {"Drag", [](TypedKey& t) { t.drag(1, 0, 3, 1); }, "A2"},
    {"DragUpwards", [](TypedKey& t) { t.drag(3, 1, 1, 0); }, "A2"},
    {"ShiftDownAfterReturn",
     [](TypedKey& t) {
       t.clickCell(1, 0);
       TypedKey::pressReturn();
       TypedKey::key(Qt::Key_Down, Qt::ShiftModifier);
       TypedKey::key(Qt::Key_Down, Qt::ShiftModifier);
     },
     "A2"},
    {"InsertEntireColumn",
     [](TypedKey& t) {
       t.clickCell(1, 0);
       t.menuOnCell(1, 0, QStringLiteral("插入"), &DeleteInsertDialog::radioButtonD);
     },
     "A2"},
    {"InsertRowsAbove",
     [](TypedKey& t) {
       t.clickCell(2, 1);
       t.menuOnCell(2, 1, QStringLiteral("插入"), &DeleteInsertDialog::radioButtonC);
     },
     "B3"},
    {"Transpose",
     [](TypedKey& t) {
       t.clickCell(0, 0);
       t.shiftClick(4, 1);
       t.menuOnCell(1, 0, QStringLiteral("列表转置"));
     },
     "A1"},
    {"DeleteRows",
     [](TypedKey& t) {
       t.clickCell(1, 1);
       t.shiftClick(2, 1);
       t.menuOnCell(2, 1, QStringLiteral("删除"), &DeleteInsertDialog::radioButtonC);
     },
     ""},
    {"ColumnSort",
     [](TypedKey& t) {
       t.clickCell(1, 0);
       t.shiftClick(3, 0);
       TypedKey::key(Qt::Key_D, Qt::AltModifier);
     },
     "A2"},
};

INSTANTIATE_TEST_SUITE_P(InputBar, TypedKey, ::testing::ValuesIn(kTypedKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- height -------------------------------------------------------------------------

TEST_F(InputBar, ToggleSetsHeightsAndTexts) {
  QToolButton* btn = w->ui->inputBtn;
  ASSERT_FALSE(btn->isChecked());
  const int editMax = edit()->maximumHeight();
  struct Step {
    bool checked;
    int height;
    const char* text;
    const char* tip;
  };
  for (const Step s : {Step{true, 96, "折叠", "折叠输入框"}, Step{false, 32, "展开", "展开输入框"},
                       Step{true, 96, "折叠", "折叠输入框"}}) {
    SCOPED_TRACE(s.checked);
    btn->click();
    ASSERT_EQ(btn->isChecked(), s.checked);
    EXPECT_EQ(edit()->minimumHeight(), s.height);
    EXPECT_EQ(edit()->maximumHeight(), s.height);
    EXPECT_EQ(btn->minimumHeight(), s.height);
    EXPECT_EQ(btn->maximumHeight(), s.height);
    EXPECT_EQ(btn->text(), QString::fromUtf8(s.text));
    EXPECT_EQ(btn->toolTip(), QString::fromUtf8(s.tip));
  }
  EXPECT_NE(editMax, 32);
  EXPECT_TRUE(edit()->isReadOnly());  // the toggle leaves the binding alone
}

// ---- echo of in-cell edits -------------------------------------------------------------

TEST_F(InputBar, InCellEditFinishedByReturnIsEchoed) {
  QLineEdit* editor = openCellEditor(1, 1);
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "=A2*3");
  QTest::keyClick(editor, Qt::Key_Return);
  waitEcho();
  EXPECT_EQ(raw(1, 1), "=A2*3");
  EXPECT_EQ(cell(1, 1), "12.0");
  EXPECT_EQ(edit()->toPlainText(), "=A2*3");
  EXPECT_EQ(w->ui->inputLabel->text(), "B2 : ");
}

TEST_F(InputBar, InCellEditEndedByClickingAnotherCellLeavesThatCell) {
  QLineEdit* editor = openCellEditor(0, 1);  // "0.1"
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "99");
  clickCell(3, 1);  // "1.1"
  waitEcho();
  EXPECT_EQ(cell(3, 1), "1.1");
  EXPECT_EQ(raw(3, 1), "1.1");
  EXPECT_EQ(raw(0, 1), "99");
  EXPECT_EQ(w->ui->inputLabel->text(), "B4 : ");
  EXPECT_EQ(edit()->toPlainText(), "1.1");
}

TEST_F(InputBar, InCellEditThatEmptiesTheCellEmptiesItsTypedText) {
  QLineEdit* editor = openCellEditor(2, 1);  // "0.6"
  ASSERT_NE(editor, nullptr);
  editor->clear();
  QTest::keyClick(editor, Qt::Key_Return);
  waitEcho();
  EXPECT_EQ(raw(2, 1), "");
  EXPECT_EQ(cell(2, 1), "");
  EXPECT_EQ(edit()->toPlainText(), "");
  // Selecting it again shows nothing and writes nothing back.
  select(0, 0);
  select(2, 1);
  EXPECT_EQ(edit()->toPlainText(), "");
  EXPECT_EQ(cell(2, 1), "");
}

// Escape in the in-cell editor cancels the edit: the cell keeps the text it
// held when the editor opened, whatever the editor showed.
struct CancelCase {
  const char* name;
  std::function<void(CleverTableWidget&)> prepare;
  int row, col;
  std::function<void(QLineEdit&)> edit;
  const char* raw;    // the typed text kept
  const char* shown;  // the text the cell shows
};
void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class CancelledInCellEdit : public InputBar, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelledInCellEdit, KeepsTheTextTheEditBeganWith) {
  const CancelCase& c = GetParam();
  if (c.prepare) c.prepare(*grid);
  const auto before = allCells();
  QLineEdit* editor = openCellEditor(c.row, c.col);
  ASSERT_NE(editor, nullptr);
  c.edit(*editor);
  QTest::keyClick(editor, Qt::Key_Escape);
  waitEcho();
  EXPECT_EQ(raw(c.row, c.col), c.raw);
  EXPECT_EQ(cell(c.row, c.col), c.shown);
  EXPECT_EQ(differences(before, allCells()), std::vector<std::string>{});
  EXPECT_EQ(edit()->toPlainText(), c.raw);
}

const CancelCase kCancelCases[] = {
    {"TypedKey", nullptr, 1, 0, [](QLineEdit& e) { e.end(false); QTest::keyClicks(&e, "5"); }, "4", "4"},
    {"Emptied", nullptr, 2, 1, [](QLineEdit& e) { e.clear(); }, "0.6", "0.6"},
    {"Formula", [](CleverTableWidget& g) { g.set_cell_text(1, 3, "=A2*3"); }, 1, 3,
     [](QLineEdit& e) { e.selectAll(); QTest::keyClicks(&e, "abc"); }, "=A2*3", "12.0"},
};

INSTANTIATE_TEST_SUITE_P(InputBar, CancelledInCellEdit, ::testing::ValuesIn(kCancelCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Escape sets no text again: a formula whose reference changed since it was
// set keeps the value it showed (formulas do not recompute on their own).
TEST_F(InputBar, EscapeLeavesAFormulaCellAsItWas) {
  grid->set_cell_text(0, 5, "2");
  grid->set_cell_text(0, 6, "=F1*2");
  clickCell(0, 6);  // the bar is bound to G1 before F1 changes
  grid->set_cell_text(0, 5, "5");
  ASSERT_EQ(cell(0, 6), "4.0");
  const auto before = allCells();
  QSignalSpy changed(grid, &QTableWidget::cellChanged);
  QLineEdit* editor = openCellEditor(0, 6);
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "9");
  QTest::keyClick(editor, Qt::Key_Escape);
  waitEcho();
  EXPECT_EQ(cell(0, 6), "4.0");
  EXPECT_EQ(raw(0, 6), "=F1*2");
  EXPECT_EQ(asFormulaCell(grid->item(0, 6))->number(), 4.0);
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(differences(before, allCells()), std::vector<std::string>{});
}

TEST_F(InputBar, EchoReachesAnItemThatReplacedTheFinishedOne) {
  select(1, 0);
  emit grid->ItemTextFinishedSignal(asFormulaCell(grid->item(1, 0)), "42");
  grid->setItem(1, 0, new CleverTableWidgetItem("4"));
  waitEcho();
  EXPECT_EQ(cell(1, 0), "42");
  EXPECT_EQ(edit()->toPlainText(), "42");
}

TEST_F(InputBar, OnlyTheLastOfQuickFinishesIsEchoed) {
  select(0, 0);
  emit grid->ItemTextFinishedSignal(asFormulaCell(grid->item(0, 0)), "first");
  emit grid->ItemTextFinishedSignal(asFormulaCell(grid->item(0, 0)), "second");
  waitEcho();
  EXPECT_EQ(cell(0, 0), "second");
  EXPECT_EQ(edit()->toPlainText(), "second");
}

TEST_F(InputBar, EchoNeverRunsInsideTheFinishSignal) {
  select(0, 0);
  emit grid->ItemTextFinishedSignal(asFormulaCell(grid->item(0, 0)), "5");
  EXPECT_EQ(cell(0, 0), "2");
  ASSERT_NE(w->_delay_timer, nullptr);
  EXPECT_TRUE(w->_delay_timer->isActive());
  EXPECT_TRUE(w->_delay_timer->isSingleShot());
  EXPECT_EQ(w->_delay_timer->interval(), 100);
  waitEcho();
  EXPECT_EQ(cell(0, 0), "5");
}

}  // namespace
