#pragma once
// Small grids written and read as text, selection set-up, a capture of debug
// lines, and watchers that close modal boxes and popup menus from a timer
// (common/modalguard.h, common/menuwatch.h).
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "common/logcapture.h"
#include "common/menuwatch.h"
#include "common/modalguard.h"
#include "common/testregistry.h"
#include "sheetgrid/clevertablewidget.h"

namespace trelvo::test {

// Rows of comma-separated cell texts; "~" is a cell without item. Every row
// must have the grid's column count.
inline void fill(CleverTableWidget& grid, const QStringList& rows) {
  const int cols = rows.isEmpty() ? 0 : int(rows.first().split(QLatin1Char(',')).size());
  grid.setRowCount(int(rows.size()));
  grid.setColumnCount(cols);
  for (int r = 0; r < rows.size(); ++r) {
    const QStringList cells = rows[r].split(QLatin1Char(','));
    for (int c = 0; c < cells.size(); ++c)
      if (cells[c] != QLatin1String("~")) grid.set_cell_text(r, c, cells[c]);
  }
}

// The grid's texts in the notation of fill(), rows joined by " / ".
inline QString dump(const QTableWidget& grid) {
  QStringList rows;
  for (int r = 0; r < grid.rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < grid.columnCount(); ++c) {
      const QTableWidgetItem* it = grid.item(r, c);
      cells << (it ? cellText(it) : QStringLiteral("~"));
    }
    rows << cells.join(QLatin1Char(','));
  }
  return rows.join(QStringLiteral(" / "));
}

inline void select(QTableWidget& grid, int top, int left, int bottom, int right) {
  grid.clearSelection();
  grid.setRangeSelected(QTableWidgetSelectionRange(top, left, bottom, right), true);
}

// Accepts nothing: records each message box ("title: text") and closes it.
class MessageBoxWatch {
 public:
  MessageBoxWatch()
      : guard_([this](QWidget* w) {
          if (auto* box = qobject_cast<QMessageBox*>(w))
            boxes_ << box->windowTitle() + QStringLiteral(": ") + box->text();
        }) {}
  QStringList boxes() const { return boxes_; }
  QStringList failures() const { return guard_.failures(); }

 private:
  QStringList boxes_;
  ModalGuard guard_;
};

}  // namespace trelvo::test
