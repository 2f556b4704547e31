#pragma once
// Shared helpers of the grid's file tests: a recorder of the modal boxes and
// dialogs a call opens, grid snapshots.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <vector>

#include "common/logcapture.h"
#include "common/modalguard.h"
#include "common/testregistry.h"
#include "sheetgrid/clevertablewidget.h"

namespace trelvo::test {

// What a call showed: message boxes as "title\ntext" (with their icon), the
// sheet chooser's state when it opened. `chooser` decides the chooser's
// answer: the row to select and accept, or -1 to cancel.
struct Modals {
  QStringList boxes;
  QList<QMessageBox::Icon> icons;
  int chooser_shown = 0;
  int chooser_initial_row = -1;
  QStringList chooser_items;
  QString chooser_label;
  std::function<int(int initial_row)> chooser = [](int row) { return row; };

  ModalGuard::Action action() {
    return [this](QWidget* w) {
      if (auto* box = qobject_cast<QMessageBox*>(w)) {
        boxes << box->windowTitle() + QStringLiteral("\n") + box->text();
        icons << box->icon();
        box->accept();
        return;
      }
      if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->windowTitle() == QStringLiteral("选择工作表")) {
        ++chooser_shown;
        auto* list = dialog->findChild<QListWidget*>();
        if (!list) return;
        chooser_initial_row = list->currentRow();
        chooser_items.clear();
        for (int i = 0; i < list->count(); ++i) chooser_items << list->item(i)->text();
        if (auto* label = dialog->findChild<QLabel*>()) chooser_label = label->text();
        const int row = chooser(chooser_initial_row);
        if (row < 0) {
          dialog->reject();
        } else {
          list->setCurrentRow(row);
          dialog->accept();
        }
      }
    };
  }
};

// Every cell's shown text, row by row, joined with "|".
inline QStringList snapshot(const CleverTableWidget& grid) {
  QStringList rows;
  for (int r = 0; r < grid.rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < grid.columnCount(); ++c) cells << cellText(grid.item(r, c));
    rows << cells.join(QLatin1Char('|'));
  }
  return rows;
}

// Number of cells holding an item.
inline int itemCount(const CleverTableWidget& grid) {
  int n = 0;
  for (int r = 0; r < grid.rowCount(); ++r)
    for (int c = 0; c < grid.columnCount(); ++c)
      if (grid.item(r, c)) ++n;
  return n;
}

inline void fillGrid(CleverTableWidget& grid, int rows, int cols, const QString& text) {
  grid.setRowCount(rows);
  grid.setColumnCount(cols);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) grid.set_cell_text(r, c, text);
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  return f.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

inline QString fixture(const QString& name) {
  return qEnvironmentVariable("TRELVO_SOURCE_DIR") + QStringLiteral("/tests/data/sheetgrid_files/") + name;
}

}  // namespace trelvo::test
