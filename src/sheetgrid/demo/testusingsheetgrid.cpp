#include "testusingsheetgrid.h"

#include <QVBoxLayout>

#include "sheetgrid/clevertablewidget.h"

TestUsingSheetGrid::TestUsingSheetGrid(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Test Using CleverTableWidget"));
  setWindowFlags(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  tableWidget = new CleverTableWidget();
  tableWidget->setRowCount(10);
  tableWidget->setColumnCount(5);
  auto* layout = new QVBoxLayout();
  layout->addWidget(tableWidget);
  setLayout(layout);
  add_table_content();
  resize(700, 400);
  show();
}

void TestUsingSheetGrid::add_table_content() {
  for (int i = 0; i < 10; ++i)
    for (int j = 0; j < 5; ++j)
      tableWidget->setItem(i, j, new CleverTableWidgetItem(QStringLiteral("%1%2").arg(i + 1).arg(j + 1)));
}
