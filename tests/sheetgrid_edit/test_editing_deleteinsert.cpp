// Delete and insert operations on a small fixture, the routing of the Del and
// insert commands, and the chooser dialog.
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "editfixture.h"
#include "sheetgrid/deleteinsertdialog.h"

using namespace trelvo::test;

namespace {

const QStringList kFixture{"a0,b0,c0,d0", "a1,b1,c1,d1", "a2,b2,c2,d2"};

// Checks the radio button with `text` (none for "") and presses OK.
ModalGuard::Action choose(const QString& text) {
  return [text](QWidget* w) {
    auto* dialog = qobject_cast<DeleteInsertDialog*>(w);
    if (!dialog) return;
    for (QRadioButton* b : {dialog->radioButtonA, dialog->radioButtonB, dialog->radioButtonC,
                            dialog->radioButtonD})
      if (b->text() == text) b->setChecked(true);
    dialog->buttonOK->click();
  };
}

}  // namespace

class DeleteInsertTest : public QObject {
  Q_OBJECT

 private slots:
  void operations_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("side");  // "delete" or "insert"
    QTest::addColumn<QString>("message");
    QTest::addColumn<QList<int>>("block");  // top, left, bottom, right
    QTest::addColumn<QString>("grid");
    QTest::newRow("move left: right cells close the gap")
        << kFixture << "delete" << "Move Left" << QList<int>{0, 1, 1, 2}
        << "a0,d0,, / a1,d1,, / a2,b2,c2,d2";
    QTest::newRow("move up: cells below close the gap")
        << kFixture << "delete" << "Move Up" << QList<int>{0, 1, 1, 1}
        << "a0,b2,c0,d0 / a1,,c1,d1 / a2,,c2,d2";
    QTest::newRow("move up from the last row empties the block")
        << kFixture << "delete" << "Move Up" << QList<int>{1, 2, 2, 2}
        << "a0,b0,c0,d0 / a1,b1,,d1 / a2,b2,,d2";
    QTest::newRow("delete rows of the block")
        << kFixture << "delete" << "Delete Selected Rows" << QList<int>{1, 1, 1, 2}
        << "a0,b0,c0,d0 / a2,b2,c2,d2";
    QTest::newRow("delete columns of the block")
        << kFixture << "delete" << "Delete Selected Cols" << QList<int>{0, 1, 0, 2}
        << "a0,d0 / a1,d1 / a2,d2";
    QTest::newRow("lower-case name is an empty message")
        << kFixture << "delete" << "move left" << QList<int>{0, 1, 1, 2} << kFixture.join(" / ");
    QTest::newRow("empty delete message") << kFixture << "delete" << "" << QList<int>{0, 0, 0, 0}
                                          << kFixture.join(" / ");
    QTest::newRow("move right grows the grid when content reaches the end")
        << kFixture << "insert" << "Move Right" << QList<int>{0, 1, 0, 1}
        << "a0,,b0,c0,d0 / a1,b1,c1,d1,~ / a2,b2,c2,d2,~";
    QTest::newRow("move right with nothing right of an empty block")
        << QStringList{"a,~,~,~", "b,~,~,~"} << "insert" << "Move Right" << QList<int>{0, 2, 1, 2}
        << "a,~,~,~ / b,~,~,~";
    QTest::newRow("move down grows the grid")
        << kFixture << "insert" << "Move Down" << QList<int>{1, 0, 1, 1}
        << "a0,b0,c0,d0 / ,,c1,d1 / a1,b1,c2,d2 / a2,b2,~,~";
    QTest::newRow("move down below all content appends no row")
        << QStringList{"a,b", "~,~", "~,~"} << "insert" << "Move Down" << QList<int>{1, 0, 1, 1}
        << "a,b / , / ~,~";
    QTest::newRow("insert rows above the block")
        << kFixture << "insert" << "Insert Rows Above" << QList<int>{1, 1, 2, 1}
        << "a0,b0,c0,d0 / ~,~,~,~ / ~,~,~,~ / a1,b1,c1,d1 / a2,b2,c2,d2";
    QTest::newRow("insert columns left of the block")
        << kFixture << "insert" << "Insert Cols Left" << QList<int>{0, 2, 0, 3}
        << "a0,b0,~,~,c0,d0 / a1,b1,~,~,c1,d1 / a2,b2,~,~,c2,d2";
    QTest::newRow("empty insert message") << kFixture << "insert" << "" << QList<int>{0, 0, 0, 0}
                                          << kFixture.join(" / ");
  }
  void operations() {
    QFETCH(QStringList, cells);
    QFETCH(QString, side);
    QFETCH(QString, message);
    QFETCH(QList<int>, block);
    QFETCH(QString, grid);
    CleverTableWidget table;
    fill(table, cells);
    select(table, block[0], block[1], block[2], block[3]);
    table.selected_col = 0;
    QSignalSpy extent(&table, &CleverTableWidget::ContentsChangeSignal);
    LogCapture log;
    // Reached as Qt slots, as the chooser dialog's signals reach them.
    QVERIFY(QMetaObject::invokeMethod(
        &table, side == QLatin1String("delete") ? "_delete_operations" : "_insert_operations",
        Q_ARG(QString, message)));
    QCOMPARE(dump(table), grid);
    QCOMPARE(extent.count(), 1);
    const bool known = !message.isEmpty() && message != QLatin1String("move left");
    QCOMPARE(log.count(QStringLiteral("Empty Message")), known ? 0 : 1);
    // The delete side and the whole-line insertions forget the header hit.
    const bool resets = side == QLatin1String("delete") || message.startsWith(QLatin1String("Insert"));
    QCOMPARE(table.selected_col.has_value(), !resets);
    // Headers are renumbered to the new counts.
    for (int c = 0; c < table.columnCount(); ++c)
      QCOMPARE(cellText(table.horizontalHeaderItem(c)), CleverTableWidget::num_to_letters(c + 1));
    for (int r = 0; r < table.rowCount(); ++r)
      QCOMPARE(cellText(table.verticalHeaderItem(r)), QString::number(r + 1));
  }

  void shiftedCellsArriveAsPlainValues() {
    CleverTableWidget grid;
    fill(grid, {"x,2,=B1*3"});
    select(grid, 0, 2, 0, 2);
    grid.bold_text(QStringLiteral("Y"))();
    grid.item(0, 2)->setTextAlignment(Qt::AlignRight);
    select(grid, 0, 0, 0, 0);
    grid._delete_operations(QStringLiteral("Move Left"));
    QCOMPARE(dump(grid), QStringLiteral("2,6.0,"));
    const CleverTableWidgetItem* moved = asFormulaCell(grid.item(0, 1));
    QVERIFY(moved && !moved->is_formula);
    QVERIFY(!moved->font().bold());
    QVERIFY(!moved->data(Qt::TextAlignmentRole).isValid());
  }

  void operationsWithoutSelectionChangeNothing() {
    CleverTableWidget grid;
    fill(grid, kFixture);
    grid.clearSelection();
    grid.selected_col = 1;
    grid._delete_operations(QStringLiteral("Delete Selected Cols"));
    grid._insert_operations(QStringLiteral("Insert Cols Left"));
    grid.insert_whole_base_on_selection(QStringLiteral("C"))();
    QCOMPARE(dump(grid), kFixture.join(" / "));
  }

  void deleteRouting_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("choice");  // radio text pressed in a dialog, if one opens
    QTest::addColumn<bool>("dialog");
    QTest::addColumn<QString>("grid");
    QTest::newRow("header hit deletes its columns")
        << kFixture << "selected_col" << "" << false << "a0,c0,d0 / a1,c1,d1 / a2,c2,d2";
    QTest::newRow("header row hit deletes rows")
        << kFixture << "selected_row" << "" << false << "a0,b0,c0,d0 / a2,b2,c2,d2";
    QTest::newRow("left-clicked column header") << kFixture << "selectColumn" << "" << false
                                                << "a0,c0,d0 / a1,c1,d1 / a2,c2,d2";
    QTest::newRow("left-clicked row header") << kFixture << "selectRow" << "" << false
                                             << "a0,b0,c0,d0 / a2,b2,c2,d2";
    QTest::newRow("select-all removes every column") << kFixture << "selectAll" << "" << false
                                                      << " /  / ";
    QTest::newRow("one-row grid: a whole row is whole columns")
        << QStringList{"a,b"} << "selectRow" << "" << false << "";
    QTest::newRow("inner block asks, cancel changes nothing")
        << kFixture << "block" << "cancel" << true << kFixture.join(" / ");
    QTest::newRow("inner block asks, shift left")
        << kFixture << "block" << "右侧单元格左移(L)" << true << "a0,c0,d0, / a1,b1,c1,d1 / a2,b2,c2,d2";
    QTest::newRow("inner block asks, shift up")
        << kFixture << "block" << "下方单元格上移(U)" << true << "a0,b1,c0,d0 / a1,b2,c1,d1 / a2,,c2,d2";
    QTest::newRow("inner block asks, whole row")
        << kFixture << "block" << "整行(R)" << true << "a1,b1,c1,d1 / a2,b2,c2,d2";
    QTest::newRow("inner block asks, whole column")
        << kFixture << "block" << "整列(C)" << true << "a0,c0,d0 / a1,c1,d1 / a2,c2,d2";
    QTest::newRow("inner block asks, OK without a choice")
        << kFixture << "block" << "" << true << kFixture.join(" / ");
    QTest::newRow("read-only grid ignores Del")
        << kFixture << "readonly" << "" << false << kFixture.join(" / ");
  }
  void deleteRouting() {
    QFETCH(QStringList, cells);
    QFETCH(QString, how);
    QFETCH(QString, choice);
    QFETCH(bool, dialog);
    QFETCH(QString, grid);
    CleverTableWidget table;
    fill(table, cells);
    select(table, 0, 1, 0, 1);
    if (how == QLatin1String("selected_col")) table.selected_col = 1;
    if (how == QLatin1String("selected_row")) {
      select(table, 1, 1, 1, 1);
      table.selected_row = 1;
    }
    if (how == QLatin1String("selectColumn")) table.selectColumn(1);
    if (how == QLatin1String("selectRow")) table.selectRow(table.rowCount() > 1 ? 1 : 0);
    if (how == QLatin1String("selectAll")) table.selectAll();
    if (how == QLatin1String("readonly")) table.disable_editing();
    ModalGuard guard(choice == QLatin1String("cancel")
                         ? ModalGuard::Action([](QWidget* w) {
                             qobject_cast<DeleteInsertDialog*>(w)->buttonCancel->click();
                           })
                         : choose(choice));
    table.delete_selection();
    QCOMPARE(dump(table), grid);
    QCOMPARE(guard.seen().size(), dialog ? 1 : 0);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    if (how != QLatin1String("readonly") && choice != QLatin1String("cancel"))
      QVERIFY(!table.selected_col && !table.selected_row);
  }

  void insertRouting_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("dialog");
    QTest::addColumn<QString>("grid");
    QTest::newRow("row header hit inserts rows above")
        << "selected_row" << "" << false
        << "a0,b0,c0,d0 / ~,~,~,~ / a1,b1,c1,d1 / a2,b2,c2,d2";
    QTest::newRow("column header hit inserts columns left")
        << "selected_col" << "" << false
        << "a0,~,b0,c0,d0 / a1,~,b1,c1,d1 / a2,~,b2,c2,d2";
    QTest::newRow("inner block asks, shift right")
        << "block" << "活动单元格右移(R)" << true
        << "a0,b0,c0,d0,~ / a1,,b1,c1,d1 / a2,b2,c2,d2,~";
    QTest::newRow("inner block asks, shift down")
        << "block" << "活动单元格下移(D)" << true
        << "a0,b0,c0,d0 / a1,,c1,d1 / a2,b1,c2,d2 / ~,b2,~,~";
    QTest::newRow("inner block asks, rows above")
        << "block" << "整行(R)" << true << "a0,b0,c0,d0 / ~,~,~,~ / a1,b1,c1,d1 / a2,b2,c2,d2";
    QTest::newRow("inner block asks, columns left")
        << "block" << "整列(C)" << true << "a0,~,b0,c0,d0 / a1,~,b1,c1,d1 / a2,~,b2,c2,d2";
  }
  void insertRouting() {
    QFETCH(QString, how);
    QFETCH(QString, choice);
    QFETCH(bool, dialog);
    QFETCH(QString, grid);
    CleverTableWidget table;
    fill(table, kFixture);
    select(table, 1, 1, 1, 1);
    if (how == QLatin1String("selected_row")) table.selected_row = 1;
    if (how == QLatin1String("selected_col")) table.selected_col = 1;
    ModalGuard guard(choose(choice));
    table.insert_base_on_selection();
    QCOMPARE(dump(table), grid);
    QCOMPARE(guard.seen().size(), dialog ? 1 : 0);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    if (!dialog) QVERIFY(!table.selected_col && !table.selected_row);
  }

  void dialogKinds_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("texts");
    const QStringList del{"右侧单元格左移(L)", "下方单元格上移(U)", "整行(R)", "整列(C)"};
    const QStringList ins{"活动单元格右移(R)", "活动单元格下移(D)", "整行(R)", "整列(C)"};
    QTest::newRow("delete") << "delete" << "删除" << del;
    QTest::newRow("Delete") << "Delete" << "删除" << del;
    QTest::newRow("DELETE") << "DELETE" << "删除" << del;
    QTest::newRow("insert") << "insert" << "插入" << ins;
    QTest::newRow("empty type is insert") << "" << "插入" << ins;
    QTest::newRow("other type is insert") << "remove" << "插入" << ins;
  }
  void dialogKinds() {
    QFETCH(QString, type);
    QFETCH(QString, title);
    QFETCH(QStringList, texts);
    DeleteInsertDialog dialog(type);
    QCOMPARE(dialog.dialog_type, type);
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE(dialog.groupBox->title(), title);
    QVERIFY(dialog.groupBox->isFlat());
    QVERIFY(!dialog.parent());
    QCOMPARE(dialog.buttonOK->text(), QStringLiteral("确定"));
    QCOMPARE(dialog.buttonCancel->text(), QStringLiteral("取消"));
    const QList<QRadioButton*> buttons{dialog.radioButtonA, dialog.radioButtonB,
                                       dialog.radioButtonC, dialog.radioButtonD};
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(buttons[i]->text(), texts[i]);
      QVERIFY(!buttons[i]->isChecked());
    }
  }

  void dialogChoices_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("button");  // -1: none checked
    QTest::addColumn<QString>("message");
    const char* del[] = {"Move Left", "Move Up", "Delete Selected Rows", "Delete Selected Cols"};
    const char* ins[] = {"Move Right", "Move Down", "Insert Rows Above", "Insert Cols Left"};
    for (int i = 0; i < 4; ++i) {
      QTest::addRow("delete %s", del[i]) << "delete" << i << del[i];
      QTest::addRow("insert %s", ins[i]) << "insert" << i << ins[i];
    }
    QTest::newRow("delete, none checked") << "delete" << -1 << "";
    QTest::newRow("insert, none checked") << "insert" << -1 << "";
  }
  void dialogChoices() {
    QFETCH(QString, type);
    QFETCH(int, button);
    QFETCH(QString, message);
    DeleteInsertDialog dialog(type);
    QSignalSpy del(&dialog, &DeleteInsertDialog::DelSignal);
    QSignalSpy ins(&dialog, &DeleteInsertDialog::InsertSignal);
    dialog.show();
    const QList<QRadioButton*> buttons{dialog.radioButtonA, dialog.radioButtonB,
                                       dialog.radioButtonC, dialog.radioButtonD};
    if (button >= 0) buttons[button]->setChecked(true);
    dialog.buttonOK->click();
    QSignalSpy& sent = type == QLatin1String("delete") ? del : ins;
    QSignalSpy& silent = type == QLatin1String("delete") ? ins : del;
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.first().first().toString(), message);
    QCOMPARE(silent.count(), 0);
    QVERIFY(!dialog.isVisible());
  }

  void dialogCancelSendsNothing() {
    DeleteInsertDialog dialog(QStringLiteral("delete"));
    QSignalSpy del(&dialog, &DeleteInsertDialog::DelSignal);
    dialog.show();
    dialog.radioButtonA->setChecked(true);
    dialog.buttonCancel->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(del.count(), 0);
  }

  void dialogLetterKeys_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("checked");  // -1: none
    QTest::newRow("delete L") << "delete" << int(Qt::Key_L) << 0;
    QTest::newRow("delete U") << "delete" << int(Qt::Key_U) << 1;
    QTest::newRow("delete R") << "delete" << int(Qt::Key_R) << 2;
    QTest::newRow("delete C") << "delete" << int(Qt::Key_C) << 3;
    QTest::newRow("insert R is ambiguous") << "insert" << int(Qt::Key_R) << -1;
    QTest::newRow("insert D") << "insert" << int(Qt::Key_D) << 1;
    QTest::newRow("insert C") << "insert" << int(Qt::Key_C) << 3;
  }
  void dialogLetterKeys() {
    QFETCH(QString, type);
    QFETCH(int, key);
    QFETCH(int, checked);
    DeleteInsertDialog dialog(type);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key(key));
    const QList<QRadioButton*> buttons{dialog.radioButtonA, dialog.radioButtonB,
                                       dialog.radioButtonC, dialog.radioButtonD};
    for (int i = 0; i < 4; ++i) QCOMPARE(buttons[i]->isChecked(), i == checked);
    if (checked >= 0) {
      QTest::keyClick(&dialog, Qt::Key(key));  // toggle cannot uncheck it
      QVERIFY(buttons[checked]->isChecked());
    }
  }
};

TRELVO_REGISTER_TEST(DeleteInsertTest)
#include "test_editing_deleteinsert.moc"
