// The context menu's entries for each kind of request, the header hits, and
// the wiring of actions and key shortcuts to the commands.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QPushButton>
#include <QShortcut>
#include <QTest>

#include "editfixture.h"
#include "sheetgrid/deleteinsertdialog.h"

using namespace trelvo::test;

namespace {

const QString kReadOnly =
    "复制|-|对齐方式>[左对齐,右对齐]|高亮|加粗|取消高亮|取消加粗|-|列表转置";
const QString kEditable =
    "复制|粘贴|清空|删除|移动单元格>[上移,下移,左移,右移]|插入|-|对齐方式>[居中对齐,左对齐,右对齐]|"
    "高亮|加粗|取消高亮|取消加粗|-|设置数字格式|拓展公式|列表转置";
const QString kEditableColumn =
    "复制|粘贴|清空|删除|移动单元格>[上移,下移,左移,右移]|插入|-|列升序|列降序|列逆序|粘贴替换列|上浮数字|-|"
    "对齐方式>[居中对齐,左对齐,右对齐]|高亮|加粗|取消高亮|取消加粗|-|设置数字格式|拓展公式|列表转置";

// Where a request comes from and at which point of that widget.
void request(CleverTableWidget& grid, const QString& from, int index) {
  if (from == QLatin1String("column header")) {
    emit grid.hh->customContextMenuRequested(QPoint(grid.hh->sectionViewportPosition(index) + 3, 3));
  } else if (from == QLatin1String("row header")) {
    emit grid.vh->customContextMenuRequested(QPoint(3, grid.vh->sectionViewportPosition(index) + 3));
  } else {
    // A cell of the first row, at the top-left corner of the viewport.
    emit grid.customContextMenuRequested(QPoint(3, 3));
  }
}

QString selection_text(const QTableWidget& grid) {
  QStringList out;
  for (const QTableWidgetSelectionRange& r : grid.selectedRanges())
    out << QStringLiteral("(%1,%2)-(%3,%4)")
               .arg(r.topRow())
               .arg(r.leftColumn())
               .arg(r.bottomRow())
               .arg(r.rightColumn());
  return out.join(QLatin1Char(' '));
}

}  // namespace

class MenuTest : public QObject {
  Q_OBJECT

 private slots:
  void entries_data() {
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("two_ranges");
    QTest::addColumn<QString>("entries");  // "" when no menu opens
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("hit");  // selected_col / selected_row while the menu is open
    QTest::newRow("read-only, cells") << false << "cells" << false << kReadOnly << "(1,1)-(1,1)" << "-/-";
    QTest::newRow("read-only, column header")
        << false << "column header" << false << kReadOnly << "(0,1)-(2,1)" << "1/-";
    QTest::newRow("read-only, row header")
        << false << "row header" << false << kReadOnly << "(2,0)-(2,3)" << "-/2";
    QTest::newRow("read-only, two ranges") << false << "cells" << true << kReadOnly
                                           << "(1,1)-(1,1) (2,2)-(2,2)" << "-/-";
    QTest::newRow("editable, cell of the first row selects no column")
        << true << "cells" << false << kEditable << "(1,1)-(1,1)" << "-/-";
    QTest::newRow("editable, column header")
        << true << "column header" << false << kEditableColumn << "(0,1)-(2,1)" << "1/-";
    QTest::newRow("editable, row header")
        << true << "row header" << false << kEditable << "(2,0)-(2,3)" << "-/2";
    QTest::newRow("editable, two ranges: no menu")
        << true << "cells" << true << "" << "(1,1)-(1,1) (2,2)-(2,2)" << "";
  }
  void entries() {
    QFETCH(bool, editable);
    QFETCH(QString, from);
    QFETCH(bool, two_ranges);
    QFETCH(QString, entries);
    QFETCH(QString, selection);
    QFETCH(QString, hit);
    CleverTableWidget grid;
    fill(grid, {"a,b,c,d", "e,f,g,h", "i,j,k,l"});
    grid.resize(600, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    if (!editable) grid.disable_editing();
    select(grid, 1, 1, 1, 1);
    if (two_ranges) grid.setRangeSelected(QTableWidgetSelectionRange(2, 2, 2, 2), true);
    QString seen_hit;
    MenuWatch menu([&](QMenu*) {
      seen_hit = (grid.selected_col ? QString::number(*grid.selected_col) : QStringLiteral("-")) +
                 QLatin1Char('/') +
                 (grid.selected_row ? QString::number(*grid.selected_row) : QStringLiteral("-"));
    });
    request(grid, from, from == QLatin1String("row header") ? 2 : 1);
    QCOMPARE(menu.opened(), entries.isEmpty() ? 0 : 1);
    QCOMPARE(menu.entries(), entries);
    QCOMPARE(selection_text(grid), selection);
    QCOMPARE(seen_hit, hit);
    // The hit lasts only while the menu is open.
    QVERIFY(!grid.selected_col && !grid.selected_row);
    QCOMPARE(grid.findChildren<QAction*>(Qt::FindDirectChildrenOnly).size(), 23);
    QVERIFY(grid.findChildren<QMenu*>().isEmpty());
  }

  void insertEntry_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("select_all");
    QTest::addColumn<QString>("grid");
    QTest::newRow("column header inserts a column")
        << "column header" << false << "a,~,b / c,~,d";
    QTest::newRow("row header inserts a row") << "row header" << false << "a,b / ~,~ / c,d";
    QTest::newRow("whole grid inserts columns") << "cells" << true << "~,~,a,b / ~,~,c,d";
  }
  void insertEntry() {
    QFETCH(QString, from);
    QFETCH(bool, select_all);
    QFETCH(QString, grid);
    CleverTableWidget table;
    fill(table, {"a,b", "c,d"});
    table.resize(500, 300);
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    if (select_all) table.selectAll();
    ModalGuard guard;
    MenuWatch menu([](QMenu* m) { MenuWatch::find(m, QStringLiteral("插入"))->trigger(); });
    request(table, from, 1);
    QCOMPARE(menu.opened(), 1);
    QCOMPARE(dump(table), grid);
    QVERIFY(guard.seen().isEmpty());
  }

  void delAfterAColumnMenuActsOnTheLiveSelection() {
    CleverTableWidget grid;
    fill(grid, {"a,b,c", "d,e,f", "g,h,i"});
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    MenuWatch menu;
    request(grid, QStringLiteral("column header"), 1);
    QCOMPARE(menu.opened(), 1);
    select(grid, 0, 0, 0, 0);
    ModalGuard guard([](QWidget* w) {
      if (auto* d = qobject_cast<DeleteInsertDialog*>(w)) d->buttonCancel->click();
    });
    grid.delete_selection();
    QCOMPARE(guard.seen().size(), 1);  // asks instead of deleting column 1
    QCOMPARE(dump(grid), QStringLiteral("a,b,c / d,e,f / g,h,i"));
  }

  void menuEntryRunsItsCommand() {
    CleverTableWidget grid;
    fill(grid, {"a,b", "c,d"});
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    MenuWatch menu([](QMenu* m) { MenuWatch::find(m, QStringLiteral("删除"))->trigger(); });
    request(grid, QStringLiteral("column header"), 0);
    QCOMPARE(dump(grid), QStringLiteral("b / d"));
  }

  void shortcutsAndActionsRunCommands() {
    CleverTableWidget grid;
    fill(grid, {"1,2", "3,4"});
    select(grid, 1, 0, 1, 1);
    emit grid.short_c_c->activated();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("3\t4"));
    emit grid.short_a_up->activated();
    QCOMPARE(dump(grid), QStringLiteral("3,4 / 1,2"));
    emit grid.short_c_e->activated();
    QCOMPARE(grid.item(0, 0)->textAlignment(), int(Qt::AlignCenter));
    grid.highlight_action->trigger();
    QCOMPARE(grid.item(0, 1)->background().color(), QColor(255, 255, 0));
    grid.bold_action->trigger();
    QVERIFY(grid.item(0, 1)->font().bold());
    grid.cancle_bold_action->trigger();
    QVERIFY(!grid.item(0, 1)->font().bold());
    select(grid, 0, 0, 0, 0);
    QApplication::clipboard()->setText(QStringLiteral("9"));
    grid.paste_action->trigger();
    QCOMPARE(cellText(grid.item(0, 0)), QStringLiteral("9"));
    grid.selectColumn(1);
    emit grid.short_del->activated();
    QCOMPARE(dump(grid), QStringLiteral("9 / 1"));
  }

  void shortcutCommandKnowsTheSixteenKeys() {
    CleverTableWidget grid(nullptr, 0, 0, true, false);
    for (const char* key : {"Alt+Up", "Alt+Down", "Alt+Left", "Alt+Right", "Alt+A", "Alt+D", "Alt+R",
                            "Alt+V", "Alt+U", "Ctrl+C", "Ctrl+V", "Ctrl+0", "Del", "Ctrl+L",
                            "Ctrl+R", "Ctrl+E"})
      QVERIFY2(grid.shortcut_command(QString::fromLatin1(key)), key);
    QVERIFY(!grid.shortcut_command(QStringLiteral("Ctrl+Z")));
    // Shortcuts made later than construction run their commands as well.
    fill(grid, {"1", "2"});
    grid.enable_shortcut();
    select(grid, 1, 0, 1, 0);
    emit grid.short_a_up->activated();
    QCOMPARE(dump(grid), QStringLiteral("2 / 1"));
  }
};

TRELVO_REGISTER_TEST(MenuTest)
#include "test_editing_menu.moc"
