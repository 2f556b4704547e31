// The grid's notice to its owner that a command rewrote cells: once per
// command, after its content-extent recomputation; never for single edits or
// refused commands.
#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <functional>
#include <map>

#include "editfixture.h"

using namespace trelvo::test;

namespace {

const std::map<QString, std::function<void(CleverTableWidget&)>>& commands() {
  static const std::map<QString, std::function<void(CleverTableWidget&)>> table = {
      {"paste", [](CleverTableWidget& g) { g.paste_selection(); }},
      {"clear", [](CleverTableWidget& g) { g.clear_selection(); }},
      {"sort", [](CleverTableWidget& g) { g.sort_col_descending(); }},
      {"paste column", [](CleverTableWidget& g) { g.paste_col(); }},
      {"move down", [](CleverTableWidget& g) { g.move_down(); }},
      {"transpose", [](CleverTableWidget& g) { g.transpose_table(); }},
      {"delete rows", [](CleverTableWidget& g) { g._delete_operations(QStringLiteral("Delete Selected Rows")); }},
      {"insert rows", [](CleverTableWidget& g) { g._insert_operations(QStringLiteral("Insert Rows Above")); }},
      {"single cell write", [](CleverTableWidget& g) { g.set_cell_text(0, 0, QStringLiteral("9")); }},
      {"read-only paste",
       [](CleverTableWidget& g) {
         g.disable_editing();
         g.paste_selection();
       }},
  };
  return table;
}

}  // namespace

class RewrittenTest : public QObject {
  Q_OBJECT

 private slots:
  void oncePerCommandAfterTheExtent_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("notices");
    for (const char* c : {"paste", "clear", "sort", "paste column", "move down", "transpose", "delete rows",
                          "insert rows"})
      QTest::newRow(c) << QString::fromLatin1(c) << 1;
    QTest::newRow("single cell write") << QStringLiteral("single cell write") << 0;
    QTest::newRow("read-only paste") << QStringLiteral("read-only paste") << 0;
  }
  void oncePerCommandAfterTheExtent() {
    QFETCH(QString, command);
    QFETCH(int, notices);
    CleverTableWidget grid;
    fill(grid, {"1,a", "2,b", "3,c"});
    select(grid, 1, 0, 1, 0);
    QApplication::clipboard()->setText(QStringLiteral("7\t8\n9"));
    QStringList order;
    connect(&grid, &CleverTableWidget::ContentsChangeSignal, [&] { order << QStringLiteral("extent"); });
    connect(&grid, &CleverTableWidget::CellsRewrittenSignal, [&] { order << QStringLiteral("rewritten"); });
    MessageBoxWatch boxes;
    commands().at(command)(grid);
    QCOMPARE(int(order.count(QStringLiteral("rewritten"))), notices);
    if (notices) QCOMPARE(order.mid(order.size() - 2), (QStringList{"extent", "rewritten"}));
    QVERIFY(boxes.failures().isEmpty());
  }
};

TRELVO_REGISTER_TEST(RewrittenTest)
#include "test_editing_rewritten.moc"
