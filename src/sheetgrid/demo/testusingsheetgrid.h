#pragma once
// A dialog that shows one grid filled with sample text, for trying the grid
// without the main window.
#include <QDialog>

class CleverTableWidget;

class TestUsingSheetGrid : public QDialog {
  Q_OBJECT

 public:
  // Builds a 10 x 5 grid with sample cells, sizes the dialog 700 x 400 and
  // shows it.
  explicit TestUsingSheetGrid(QWidget* parent = nullptr);

  // Cell (i, j) of the 10 x 5 block reads "<i+1><j+1>": "11" ... "105".
  void add_table_content();

  CleverTableWidget* tableWidget = nullptr;
};
