// trelvo-sheetgrid-demo: the grid, self-extending, in a window of its own.
#include <QApplication>

#include "sheetgrid/clevertablewidget.h"
#include "testusingsheetgrid.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TestUsingSheetGrid ui;
  ui.show();
  ui.tableWidget->enable_infinite();
  ui.tableWidget->renumber_header_col();
  return app.exec();
}
