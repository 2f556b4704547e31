// Construction flags, the 23 actions, context-menu policies and the 16
// widget-scoped shortcut objects with their switches.
#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>

#include "sheetgrid/clevertablewidget.h"
#include "common/testregistry.h"

using ActionMember = QAction* CleverTableWidget::*;
using ShortcutMember = QShortcut* CleverTableWidget::*;
Q_DECLARE_METATYPE(ActionMember)
Q_DECLARE_METATYPE(ShortcutMember)

class GridConstructionTest : public QObject {
  Q_OBJECT

 private slots:
  void flags_data() {
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("shortcut");
    QTest::addColumn<bool>("infinite");
    QTest::newRow("defaults") << true << true << false;
    QTest::newRow("read-only") << false << true << false;
    QTest::newRow("shortcuts off") << true << false << false;
    QTest::newRow("self-extension recorded") << true << true << true;
  }
  void flags() {
    QFETCH(bool, editable);
    QFETCH(bool, shortcut);
    QFETCH(bool, infinite);
    CleverTableWidget grid(nullptr, 0, 0, editable, shortcut, infinite);
    QCOMPARE(grid.is_editable(), editable);
    QCOMPARE(grid.is_shortcut(), shortcut);
    QCOMPARE(grid.is_infinite(), infinite);
    QCOMPARE(grid.rowCount(), 0);
    QCOMPARE(grid.columnCount(), 0);
    QCOMPARE(grid.shortcut_init, shortcut);
    QCOMPARE(grid.findChildren<QShortcut*>().size(), shortcut ? 16 : 0);
    QCOMPARE(grid.findChildren<QAction*>(Qt::FindDirectChildrenOnly).size(), 23);
    QCOMPARE(grid.editTriggers() == QAbstractItemView::NoEditTriggers, !editable);
    QCOMPARE(grid.max_content_row, 0);
    QCOMPARE(grid.max_content_col, 0);
    QVERIFY(!grid.selected_col && !grid.selected_row);
    QVERIFY(grid.whole_rows && grid.whole_rows->isEmpty());
    QVERIFY(grid.whole_cols && grid.whole_cols->isEmpty());
    QVERIFY(grid.selected_corner_cols.isEmpty() && grid.selected_corner_rows.isEmpty());
    QCOMPARE(grid.hh, grid.horizontalHeader());
    QCOMPARE(grid.vh, grid.verticalHeader());
    QCOMPARE(grid.contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(grid.hh->contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(grid.vh->contextMenuPolicy(), Qt::CustomContextMenu);
  }

  void constructorSizes() {
    QWidget parent;
    CleverTableWidget grid(&parent, 5, 3);
    QCOMPARE(grid.parentWidget(), &parent);
    QCOMPARE(grid.rowCount(), 5);
    QCOMPARE(grid.columnCount(), 3);
  }

  void actions_data() {
    QTest::addColumn<int>("order");
    QTest::addColumn<ActionMember>("member");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    int n = 0;
    auto row = [&n](const char* name, ActionMember m, const char* text, const char* key) {
      QTest::newRow(name) << n++ << m << QString::fromUtf8(text) << QString::fromLatin1(key);
    };
    row("copy", &CleverTableWidget::copy_action, "复制", "Ctrl+C");
    row("paste", &CleverTableWidget::paste_action, "粘贴", "Ctrl+V");
    row("clear", &CleverTableWidget::clear_action, "清空", "Ctrl+0");
    row("delete", &CleverTableWidget::delete_action, "删除", "Del");
    row("align left", &CleverTableWidget::align_left_action, "左对齐", "Ctrl+L");
    row("align right", &CleverTableWidget::align_right_action, "右对齐", "Ctrl+R");
    row("align center", &CleverTableWidget::align_center_action, "居中对齐", "Ctrl+E");
    row("highlight", &CleverTableWidget::highlight_action, "高亮", "");
    row("cancel highlight", &CleverTableWidget::cancle_highlight_action, "取消高亮", "");
    row("bold", &CleverTableWidget::bold_action, "加粗", "");
    row("cancel bold", &CleverTableWidget::cancle_bold_action, "取消加粗", "");
    row("move up", &CleverTableWidget::move_up_action, "上移", "Alt+Up");
    row("move down", &CleverTableWidget::move_down_action, "下移", "Alt+Down");
    row("move left", &CleverTableWidget::move_left_action, "左移", "Alt+Left");
    row("move right", &CleverTableWidget::move_right_action, "右移", "Alt+Right");
    row("ascending", &CleverTableWidget::ascending_col_action, "列升序", "Alt+A");
    row("descending", &CleverTableWidget::descending_col_action, "列降序", "Alt+D");
    row("reverse", &CleverTableWidget::reverse_col_action, "列逆序", "Alt+R");
    row("paste column", &CleverTableWidget::paste_col_action, "粘贴替换列", "Alt+V");
    row("float numbers", &CleverTableWidget::float_col_action, "上浮数字", "Alt+U");
    row("number format", &CleverTableWidget::digital_format_action, "设置数字格式", "");
    row("expand formula", &CleverTableWidget::expand_formula_action, "拓展公式", "");
    row("transpose", &CleverTableWidget::transpose_action, "列表转置", "");
  }
  void actions() {
    QFETCH(int, order);
    QFETCH(ActionMember, member);
    QFETCH(QString, text);
    QFETCH(QString, key);
    CleverTableWidget grid;
    QAction* action = grid.*member;
    QVERIFY(action);
    QCOMPARE(action->parent(), &grid);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut(), QKeySequence(key));
    QVERIFY(!action->isCheckable());
    QVERIFY(action->icon().isNull());
    // Creation order is the table's order.
    QCOMPARE(grid.findChildren<QAction*>(Qt::FindDirectChildrenOnly).at(order), action);
    // The actions are not the grid's own: their keys do nothing by themselves.
    QVERIFY(grid.actions().isEmpty());
  }

  void shortcutObjects_data() {
    QTest::addColumn<int>("order");
    QTest::addColumn<ShortcutMember>("member");
    QTest::addColumn<QString>("key");
    int n = 0;
    auto row = [&n](const char* name, ShortcutMember m, const char* key) {
      QTest::newRow(name) << n++ << m << QString::fromLatin1(key);
    };
    row("short_a_up", &CleverTableWidget::short_a_up, "Alt+Up");
    row("short_a_down", &CleverTableWidget::short_a_down, "Alt+Down");
    row("short_a_left", &CleverTableWidget::short_a_left, "Alt+Left");
    row("short_a_right", &CleverTableWidget::short_a_right, "Alt+Right");
    row("short_a_a", &CleverTableWidget::short_a_a, "Alt+A");
    row("short_a_d", &CleverTableWidget::short_a_d, "Alt+D");
    row("short_a_r", &CleverTableWidget::short_a_r, "Alt+R");
    row("short_a_v", &CleverTableWidget::short_a_v, "Alt+V");
    row("short_a_u", &CleverTableWidget::short_a_u, "Alt+U");
    row("short_c_c", &CleverTableWidget::short_c_c, "Ctrl+C");
    row("short_c_v", &CleverTableWidget::short_c_v, "Ctrl+V");
    row("short_c_0", &CleverTableWidget::short_c_0, "Ctrl+0");
    row("short_del", &CleverTableWidget::short_del, "Del");
    row("short_c_l", &CleverTableWidget::short_c_l, "Ctrl+L");
    row("short_c_r", &CleverTableWidget::short_c_r, "Ctrl+R");
    row("short_c_e", &CleverTableWidget::short_c_e, "Ctrl+E");
  }
  void shortcutObjects() {
    QFETCH(int, order);
    QFETCH(ShortcutMember, member);
    QFETCH(QString, key);
    CleverTableWidget grid;
    QShortcut* sc = grid.*member;
    QVERIFY(sc);
    QCOMPARE(sc->parent(), &grid);
    QCOMPARE(sc->key(), QKeySequence(key));
    QCOMPARE(sc->context(), Qt::WidgetShortcut);
    QVERIFY(sc->isEnabled());
    QCOMPARE(grid.findChildren<QShortcut*>().at(order), sc);

    grid.disable_shortcut();
    QVERIFY(!sc->isEnabled());
    QVERIFY(!grid.is_shortcut());
    grid.enable_shortcut();
    QVERIFY(sc->isEnabled());
    QVERIFY(grid.is_shortcut());
    QCOMPARE(grid.findChildren<QShortcut*>().size(), 16);
  }

  void shortcutsCreatedOnce() {
    CleverTableWidget grid(nullptr, 0, 0, true, false);
    grid.disable_shortcut();
    QVERIFY(!grid.shortcut_init);
    QVERIFY(!grid.short_del);
    QCOMPARE(grid.findChildren<QShortcut*>().size(), 0);
    grid.enable_shortcut();
    QVERIFY(grid.shortcut_init);
    QCOMPARE(grid.findChildren<QShortcut*>().size(), 16);
    QShortcut* first = grid.short_a_up;
    grid.enable_shortcut();
    QCOMPARE(grid.findChildren<QShortcut*>().size(), 16);
    QCOMPARE(grid.short_a_up, first);
  }

  // Keys reach a shortcut object only while the grid itself has the focus,
  // and not while the object is switched off.
  void shortcutKeysFollowSwitches() {
    QWidget window;
    auto* grid = new CleverTableWidget(&window, 3, 3);
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    other->move(0, 200);
    window.resize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    QSignalSpy up(grid->short_a_up, &QShortcut::activated);
    QSignalSpy del(grid->short_del, &QShortcut::activated);

    QTest::keyClick(grid, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(up.count(), 1);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(del.count(), 1);

    grid->disable_shortcut();
    QTest::keyClick(grid, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(up.count(), 1);
    grid->enable_shortcut();
    QTest::keyClick(grid, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(up.count(), 2);

    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QTest::keyClick(other, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(up.count(), 2);
  }

  // While an in-cell editor has the focus the keys act in the editor.
  void shortcutsIdleWhileEditing() {
    QWidget window;
    auto* grid = new CleverTableWidget(&window, 3, 3);
    window.resize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    emit grid->cellDoubleClicked(0, 0);
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->model()->index(0, 0)));
    QVERIFY(editor);
    editor->setText(QStringLiteral("abc"));
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    QSignalSpy del(grid->short_del, &QShortcut::activated);
    QSignalSpy copy(grid->short_c_c, &QShortcut::activated);
    editor->setCursorPosition(0);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(del.count(), 0);
    QCOMPARE(copy.count(), 0);
    QCOMPARE(editor->text(), QStringLiteral("bc"));
  }

  void initialShortcutRunsItsCommand() {
    QWidget window;
    auto* grid = new CleverTableWidget(&window, 2, 2, true, false);
    int runs = 0;
    QShortcut* sc = grid->initial_shortcut(QStringLiteral("Ctrl+K"), [&runs] { ++runs; });
    QCOMPARE(sc->parent(), grid);
    QCOMPARE(sc->context(), Qt::WidgetShortcut);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(runs, 1);
    // A command that throws does not take the program down.
    grid->initial_shortcut(QStringLiteral("Ctrl+J"), [] { throw std::runtime_error("boom"); });
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("failed: boom"));
    QTest::keyClick(grid, Qt::Key_J, Qt::ControlModifier);
  }

  void editingSwitches() {
    CleverTableWidget grid;
    QCOMPARE(grid.editTriggers(), QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                      QAbstractItemView::AnyKeyPressed);
    grid.disable_editing();
    QVERIFY(!grid.is_editable());
    QCOMPARE(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    grid.enable_editing();
    QVERIFY(grid.is_editable());
    QCOMPARE(grid.editTriggers(), QAbstractItemView::EditTriggers(QAbstractItemView::DoubleClicked));
  }
};

TRELVO_REGISTER_TEST(GridConstructionTest)
#include "test_construction.moc"
