// The demonstration window: title, size, buttons and sample cells.
#include <QTest>

#include "sheetgrid/clevertablewidget.h"
#include "common/testregistry.h"
#include "testusingsheetgrid.h"

class GridDemoTest : public QObject {
  Q_OBJECT

 private slots:
  void window() {
    TestUsingSheetGrid ui;
    QVERIFY(ui.isVisible());
    QCOMPARE(ui.windowTitle(), QStringLiteral("Test Using CleverTableWidget"));
    QCOMPARE(ui.size(), QSize(700, 400));
    QCOMPARE(ui.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                 Qt::WindowCloseButtonHint),
             Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    QCOMPARE(ui.tableWidget->parent(), &ui);
    QVERIFY(!ui.tableWidget->is_infinite());
    QCOMPARE(ui.tableWidget->rowCount(), 10);
    QCOMPARE(ui.tableWidget->columnCount(), 5);
    QCOMPARE(cellText(ui.tableWidget->item(0, 0)), QStringLiteral("11"));
    QCOMPARE(cellText(ui.tableWidget->item(0, 4)), QStringLiteral("15"));
    QCOMPARE(cellText(ui.tableWidget->item(9, 0)), QStringLiteral("101"));
    QCOMPARE(cellText(ui.tableWidget->item(9, 4)), QStringLiteral("105"));
  }

  // The start: self-extension fills the window, and every column is lettered.
  void start() {
    TestUsingSheetGrid ui;
    QVERIFY(QTest::qWaitForWindowExposed(&ui));
    ui.tableWidget->enable_infinite();
    ui.tableWidget->renumber_header_col();
    CleverTableWidget* grid = ui.tableWidget;
    QVERIFY(grid->columnCount() >= 5);
    const int last = grid->columnCount() - 1;
    QVERIFY(grid->columnViewportPosition(last) + grid->columnWidth(last) >= grid->viewport()->width());
    for (int c = 0; c <= last; ++c)
      QCOMPARE(cellText(grid->horizontalHeaderItem(c)), CleverTableWidget::num_to_letters(c + 1));
    QCOMPARE(cellText(grid->item(9, 4)), QStringLiteral("105"));
  }
};

TRELVO_REGISTER_TEST(GridDemoTest)
#include "test_demo.moc"
