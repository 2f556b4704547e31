// Cell editing hooks: plain items become formula cells, the double-click
// editor shows the typed text and reports its text changes (a cancelled edit
// the cell's own text), and typed keys never search the grid.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "sheetgrid/clevertablewidget.h"
#include "common/testregistry.h"

class GridHooksTest : public QObject {
  Q_OBJECT

 private slots:
  void plainItemBecomesFormulaCell_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("formula") << "=2*3" << "6";
    QTest::newRow("number") << "5" << "5";
    QTest::newRow("text") << "abc" << "abc";
  }
  void plainItemBecomesFormulaCell() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    CleverTableWidget grid(nullptr, 3, 3);
    QSignalSpy extent(&grid, &CleverTableWidget::ContentsChangeSignal);
    QTest::ignoreMessage(QtDebugMsg, "Replace item (2, 1) with CTWItem");
    grid.setItem(2, 1, new QTableWidgetItem(typed));
    CleverTableWidgetItem* cell = asFormulaCell(grid.item(2, 1));
    QVERIFY(cell);
    QCOMPARE(cell->rawText(), typed);
    QCOMPARE(cell->text(), shown);
    QCOMPARE(grid.item(2, 1)->data(Qt::DisplayRole).toString(), shown);
    QVERIFY(extent.count() >= 1);
    QCOMPARE(extent.last(), (QList<QVariant>{2, 1}));
  }

  // A text set through Qt on a plain item (as Qt's editor commits) also
  // turns it into an evaluated formula cell.
  void plainItemTextChange() {
    CleverTableWidget grid(nullptr, 2, 2);
    {
      const QSignalBlocker block(&grid);
      grid.setItem(0, 0, new QTableWidgetItem(QStringLiteral("1")));
    }
    QVERIFY(!asFormulaCell(grid.item(0, 0)));
    grid.item(0, 0)->setText(QStringLiteral("=2*3"));
    QVERIFY(asFormulaCell(grid.item(0, 0)));
    QCOMPARE(cellText(grid.item(0, 0)), QStringLiteral("6"));
    // The hook is a public slot: an owner may run it on a cell it set quietly.
    {
      const QSignalBlocker block(&grid);
      grid.setItem(1, 1, new QTableWidgetItem(QStringLiteral("=1+1")));
    }
    grid._cell_change_(1, 1);
    QVERIFY(asFormulaCell(grid.item(1, 1)));
    QCOMPARE(cellText(grid.item(1, 1)), QStringLiteral("2"));
  }

  void takingAnItemDoesNotRecompute() {
    CleverTableWidget grid(nullptr, 2, 2);
    grid.setItem(1, 1, new CleverTableWidgetItem(QStringLiteral("x")));
    QSignalSpy extent(&grid, &CleverTableWidget::ContentsChangeSignal);
    delete grid.takeItem(1, 1);
    QCOMPARE(extent.count(), 0);
  }

  // Committing Qt's own editor on a formula cell stores the role data only.
  void formulaCellCommitIsNotEvaluated() {
    CleverTableWidget grid(nullptr, 2, 2);
    grid.setItem(0, 0, new CleverTableWidgetItem());
    setCellText(grid.item(0, 0), QStringLiteral("=1+1"));
    QSignalSpy extent(&grid, &CleverTableWidget::ContentsChangeSignal);
    grid.item(0, 0)->setData(Qt::EditRole, QStringLiteral("=5*5"));
    CleverTableWidgetItem* cell = asFormulaCell(grid.item(0, 0));
    QCOMPARE(cell->rawText(), QStringLiteral("=1+1"));
    QCOMPARE(cell->data(Qt::DisplayRole).toString(), QStringLiteral("=5*5"));
    QCOMPARE(extent.count(), 1);
  }

  void doubleClickEditor_data() {
    QTest::addColumn<int>("kind");  // 0 none, 1 plain item, 2 formula cell
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("empty cell") << 0 << "" << true << true;
    QTest::newRow("plain item") << 1 << "5" << true << true;
    QTest::newRow("formula cell shows its formula") << 2 << "=1+2" << true << false;
    QTest::newRow("read-only grid, plain item") << 1 << "7" << false << true;
  }
  void doubleClickEditor() {
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(bool, editable);
    QFETCH(bool, replaced);
    QWidget window;
    auto* grid = new CleverTableWidget(&window, 3, 3, editable);
    window.resize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (kind != 0) {
      const QSignalBlocker block(grid);
      if (kind == 1)
        grid->setItem(1, 2, new QTableWidgetItem(text));
      else {
        grid->setItem(1, 2, new CleverTableWidgetItem());
        setCellText(grid->item(1, 2), text);
      }
    }
    if (replaced) QTest::ignoreMessage(QtDebugMsg, "Replace item (1, 2) with CTWItem");
    QTest::ignoreMessage(QtDebugMsg, "Editor is open for item (1, 2)");
    QSignalSpy changed(grid, &CleverTableWidget::ItemTextChangedSignal);
    QSignalSpy finished(grid, &CleverTableWidget::ItemTextFinishedSignal);
    emit grid->cellDoubleClicked(1, 2);

    CleverTableWidgetItem* cell = asFormulaCell(grid->item(1, 2));
    QVERIFY(cell);
    QVERIFY(grid->isPersistentEditorOpen(cell));
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->indexFromItem(cell)));
    QVERIFY(editor);
    QCOMPARE(editor->text(), text);
    QCOMPARE(changed.count(), 0);  // filling the editor reports nothing

    editor->clear();
    changed.clear();
    QTest::keyClicks(editor, QStringLiteral("12"));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(1).toString(), QStringLiteral("1"));
    QCOMPARE(changed.at(1).at(1).toString(), QStringLiteral("12"));
    QCOMPARE(changed.at(1).at(0).value<CleverTableWidgetItem*>(), cell);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(finished.count() >= 1);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(1).toString(), QStringLiteral("12"));
    QCOMPARE(finished.at(0).at(0).value<CleverTableWidgetItem*>(), asFormulaCell(grid->item(1, 2)));
  }

  // Escape closes the editor without committing and without a finish: the
  // cell keeps its text, and nothing sets it again.
  void escapeReportsNoFinish() {
    QWidget window;
    auto* grid = new CleverTableWidget(&window, 2, 2);
    grid->setItem(0, 1, new CleverTableWidgetItem(QStringLiteral("=1+3")));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    emit grid->cellDoubleClicked(0, 1);
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->model()->index(0, 1)));
    QVERIFY(editor);
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    QSignalSpy finished(grid, &CleverTableWidget::ItemTextFinishedSignal);
    QSignalSpy changed(grid, &QTableWidget::cellChanged);
    QTest::keyClicks(editor, QStringLiteral("5"));
    QCOMPARE(editor->text(), QStringLiteral("=1+35"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(!grid->indexWidget(grid->model()->index(0, 1)));
    QTest::qWait(50);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(asFormulaCell(grid->item(0, 1))->rawText(), QStringLiteral("=1+3"));
    QCOMPARE(cellText(grid->item(0, 1)), QStringLiteral("4"));
  }

  // However a user ends an in-cell edit, only Escape drops it. Tab, Backtab,
  // Return, Enter and a click on another cell close the editor, report the
  // typed text (the window writes it back through its bar, which evaluates
  // it) and leave it shown in the cell until then; Escape reports
  // nothing and leaves the cell as it was. Each close is driven by the key or
  // the click itself, so the view passes the hint Qt gives it.
  void closingTheEditorKeepsTheEditUnlessEscaped_data() {
    QTest::addColumn<int>("key");  // 0: a click on another cell
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("kept");
    QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << true;
    QTest::newRow("Backtab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << true;
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("click on another cell") << 0 << int(Qt::NoModifier) << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << false;
  }
  void closingTheEditorKeepsTheEditUnlessEscaped() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, kept);
    QWidget window;
    auto* grid = new CleverTableWidget(&window, 4, 4);
    grid->setItem(1, 1, new CleverTableWidgetItem(QStringLiteral("=1+3")));
    window.resize(500, 300);
    grid->setGeometry(0, 0, 500, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // The cell is clicked, then double-clicked: the grid's own editor opens.
    const QModelIndex at = grid->model()->index(1, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(at).center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(at).center());
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(at));
    QVERIFY(editor);
    QTRY_VERIFY(editor->hasFocus());
    QSignalSpy finished(grid, &CleverTableWidget::ItemTextFinishedSignal);
    QTest::keyClicks(editor, QStringLiteral("5"));
    QCOMPARE(editor->text(), QStringLiteral("=1+35"));

    if (key != 0)
      QTest::keyClick(editor, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    else
      QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                        grid->visualRect(grid->model()->index(2, 3)).center());
    QTRY_VERIFY(!grid->indexWidget(at));
    QTest::qWait(50);

    CleverTableWidgetItem* cell = asFormulaCell(grid->item(1, 1));
    QVERIFY(cell);
    if (kept) {
      // Return reports once as pressed and once as the editor loses the
      // focus; the window echoes only the last of quick finishes.
      QVERIFY(finished.count() >= 1);
      for (const QList<QVariant>& args : finished) {
        QCOMPARE(args.at(0).value<CleverTableWidgetItem*>(), cell);
        QCOMPARE(args.at(1).toString(), QStringLiteral("=1+35"));
      }
      QCOMPARE(cell->data(Qt::DisplayRole).toString(), QStringLiteral("=1+35"));
    } else {
      QCOMPARE(finished.count(), 0);
      QCOMPARE(cellText(cell), QStringLiteral("4"));
      QCOMPARE(cell->data(Qt::DisplayRole).toString(), QStringLiteral("4"));
    }
    // Only the echo through the bar sets the text (and evaluates it).
    QCOMPARE(cell->rawText(), QStringLiteral("=1+3"));
  }

  // A printable key on an editable grid is no search: the current cell and
  // the selection stay. A read-only grid searches as Qt's views do.
  void typedKeysSearchOnlyAReadOnlyGrid_data() {
    QTest::addColumn<bool>("editable");
    QTest::addColumn<int>("row");
    QTest::newRow("editable") << true << 0;
    QTest::newRow("read-only") << false << 2;
  }
  void typedKeysSearchOnlyAReadOnlyGrid() {
    QFETCH(bool, editable);
    QFETCH(int, row);
    QWidget window;
    auto* grid = new CleverTableWidget(&window, 4, 1, editable);
    if (editable) grid->enable_editing();  // double-click only: a typed key opens no editor
    {
      const QSignalBlocker block(grid);
      const char* texts[] = {"2", "10", "5", "50"};
      for (int r = 0; r < 4; ++r) grid->setItem(r, 0, new CleverTableWidgetItem(QString::fromLatin1(texts[r])));
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    grid->setCurrentCell(0, 0);
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    QTest::keyClicks(grid, QStringLiteral("5"));
    QCOMPARE(grid->currentRow(), row);
    QCOMPARE(grid->selectedRanges().size(), 1);
    QCOMPARE(grid->selectedRanges().first().topRow(), row);
  }

  // The editor's reports name the cell's current item even when the item
  // was replaced while the editor was open.
  void editorSurvivesItemReplacement() {
    QWidget window;
    auto* grid = new CleverTableWidget(&window, 2, 2);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    emit grid->cellDoubleClicked(0, 0);
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->model()->index(0, 0)));
    QVERIFY(editor);
    QSignalSpy changed(grid, &CleverTableWidget::ItemTextChangedSignal);
    grid->setItem(0, 0, new CleverTableWidgetItem(QStringLiteral("new")));
    if (QPointer<QLineEdit> alive(editor); alive) {
      QTest::keyClicks(editor, QStringLiteral("z"));
      for (const QList<QVariant>& args : changed)
        QCOMPARE(args.at(0).value<CleverTableWidgetItem*>(), asFormulaCell(grid->item(0, 0)));
    }
  }
};

TRELVO_REGISTER_TEST(GridHooksTest)
#include "test_hooks.moc"
