// A1 label lookup within the grid's size, and labels of items.
#include <QInputDialog>
#include <QTest>

#include "common/modalguard.h"
#include "sheetgrid/clevertablewidget.h"
#include "common/testregistry.h"

class GridLabelTest : public QObject {
  Q_OBJECT

 private slots:
  void itemFromLabel_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("row");  // -1: no item
    QTest::addColumn<int>("col");
    QTest::newRow("A1") << "A1" << 0 << 0;
    QTest::newRow("lower case b5") << "b5" << 4 << 1;
    QTest::newRow("trailing text ignored") << "B2xyz" << 1 << 1;
    QTest::newRow("leading zeros") << "A005" << 4 << 0;
    QTest::newRow("other decimal digits") << QString::fromUtf8("b\u0664") << 3 << 1;
    QTest::newRow("non-ASCII letter") << QString::fromUtf8("\u00c41") << -1 << -1;
    QTest::newRow("column past the grid") << "C1" << -1 << -1;
    QTest::newRow("row past the grid") << "A6" << -1 << -1;
    QTest::newRow("row number 0") << "A0" << -1 << -1;
    QTest::newRow("leading blank") << " A1" << -1 << -1;
    QTest::newRow("digits first") << "1A" << -1 << -1;
    QTest::newRow("letters only") << "A" << -1 << -1;
    QTest::newRow("empty") << "" << -1 << -1;
    QTest::newRow("cell without item") << "B3" << -1 << -1;
    QTest::newRow("huge row number") << "A99999999999999999999999" << -1 << -1;
    QTest::newRow("huge column letters") << "ZZZZZZZZZZZZZZZZZZZZ1" << -1 << -1;
  }
  void itemFromLabel() {
    QFETCH(QString, label);
    QFETCH(int, row);
    QFETCH(int, col);
    CleverTableWidget grid(nullptr, 5, 2);
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 2; ++c)
        if (!(r == 2 && c == 1)) grid.set_cell_text(r, c, QString::number(r * 10 + c));
    QTableWidgetItem* found = grid.get_item_from_label(label);
    if (row < 0)
      QVERIFY(!found);
    else
      QCOMPARE(found, grid.item(row, col));
  }

  void labelFromItem() {
    CleverTableWidget grid(nullptr, 3, 30);
    grid.set_cell_text(0, 27, QStringLiteral("x"));
    grid.set_cell_text(2, 0, QStringLiteral("y"));
    QCOMPARE(CleverTableWidget::get_label_from_item(grid.item(0, 27)), QStringLiteral("AB1"));
    QCOMPARE(CleverTableWidget::get_label_from_item(grid.item(2, 0)), QStringLiteral("A3"));
    QCOMPARE(CleverTableWidget::get_label_from_item(nullptr), std::nullopt);
    std::unique_ptr<QTableWidgetItem> taken(grid.takeItem(0, 27));
    QCOMPARE(CleverTableWidget::get_label_from_item(taken.get()), std::nullopt);
  }

  // Header-title dialogs: refused silently on a read-only grid; on an
  // editable grid the line gets a header item holding its current title
  // before the dialog asks for a new one.
  void headerTitles_data() {
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("title");  // after the call; "-" no header item
    QTest::newRow("column, read-only") << true << false << true << "x" << "-";
    QTest::newRow("column, cancelled keeps the created item") << true << true << false << "x" << "3";
    QTest::newRow("column, confirmed") << true << true << true << "Mass" << "Mass";
    QTest::newRow("column, empty title") << true << true << true << "" << "";
    QTest::newRow("row, confirmed") << false << true << true << "first" << "first";
    QTest::newRow("row, cancelled") << false << true << false << "x" << "3";
  }
  void headerTitles() {
    QFETCH(bool, horizontal);
    QFETCH(bool, editable);
    QFETCH(bool, confirm);
    QFETCH(QString, entered);
    QFETCH(QString, title);
    CleverTableWidget grid(nullptr, 4, 4, editable);
    QString label, preset, windowTitle;
    trelvo::test::ModalGuard guard([&](QWidget* w) {
      auto* dialog = qobject_cast<QInputDialog*>(w);
      if (!dialog) return;
      label = dialog->labelText();
      preset = dialog->textValue();
      windowTitle = dialog->windowTitle();
      dialog->setTextValue(entered);
      if (confirm) dialog->accept();
    });
    if (horizontal)
      grid.change_horizontal_header(2);
    else
      grid.change_vertical_header(2);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    QTableWidgetItem* header = horizontal ? grid.horizontalHeaderItem(2) : grid.verticalHeaderItem(2);
    if (title == "-") {
      QVERIFY(guard.seen().isEmpty());
      QVERIFY(!header);
      return;
    }
    QCOMPARE(guard.seen().size(), 1);
    QCOMPARE(windowTitle, QString::fromUtf8(horizontal ? "设置列标题" : "设置行标题"));
    QCOMPARE(label, QString::fromUtf8(horizontal ? "请输入第3列标题" : "请输入第3行标题"));
    QCOMPARE(preset, QStringLiteral("3"));
    QVERIFY(asFormulaCell(header));
    QCOMPARE(cellText(header), title);
  }
};

TRELVO_REGISTER_TEST(GridLabelTest)
#include "test_label.moc"
