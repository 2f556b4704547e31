// Column insertion and removal that stays linear on a tall grid.
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalBlocker>

#include <algorithm>
#include <vector>

#include "sheetgrid/clevertablewidget.h"

namespace {

// A table of the grid's shape without cells: Qt's selection model run on it
// tells where the grid's selection and current cell go when columns change.
class ShapeModel final : public QAbstractTableModel {
 public:
  ShapeModel(int rows, int columns) : rows_(rows), columns_(columns) {}
  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : columns_; }
  QVariant data(const QModelIndex&, int) const override { return {}; }
  void change(int at, int count) {
    if (count > 0) {
      beginInsertColumns({}, at, at + count - 1);
      columns_ += count;
      endInsertColumns();
    } else {
      beginRemoveColumns({}, at, at - count - 1);
      columns_ += count;
      endRemoveColumns();
    }
  }

 private:
  int rows_;
  int columns_;
};

QItemSelection carry_selection(const QItemSelection& from, const QAbstractItemModel& to) {
  QItemSelection result;
  for (const QItemSelectionRange& r : from)
    if (r.isValid()) result.append(QItemSelectionRange(to.index(r.top(), r.left()), to.index(r.bottom(), r.right())));
  return result;
}

}  // namespace

void CleverTableWidget::_set_column_count(int count) {
  const int n = columnCount();
  _change_columns(std::min(n, count), count - n);
}

void CleverTableWidget::_change_columns(int at, int count) {
  const int rows = rowCount();
  const int columns = columnCount();
  if (count == 0 || at < 0 || at > columns || (count < 0 && at - count > columns)) return;
  if (rows <= column_change_rows || state() == QAbstractItemView::EditingState || isSortingEnabled()) {
    if (count > 0)
      model()->insertColumns(at, count);
    else
      model()->removeColumns(at, -count);
    return;
  }

  if (count < 0) {
    // What Qt's selection model does as columns are about to go, announced
    // while they are still there: the current cell leaves them (to the column
    // before them, else the one after them, else none), then they are
    // deselected.
    const int last = at - count - 1;
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() >= at && current.column() <= last) {
      const QModelIndex next = at > 0                ? model()->index(current.row(), at - 1)
                               : last < columns - 1 ? model()->index(current.row(), last + 1)
                                                    : QModelIndex();
      selectionModel()->setCurrentIndex(next, QItemSelectionModel::NoUpdate);
    }
    selectionModel()->select(QItemSelection(model()->index(0, at), model()->index(rows - 1, last)),
                             QItemSelectionModel::Deselect);
  }

  // Where the selection and the current cell go.
  ShapeModel shape(rows, columns);
  QItemSelectionModel follow(&shape);
  {
    QItemSelection selection;
    for (const QTableWidgetSelectionRange& r : selectedRanges())
      selection.append(QItemSelectionRange(shape.index(r.topRow(), r.leftColumn()),
                                           shape.index(r.bottomRow(), r.rightColumn())));
    follow.select(selection, QItemSelectionModel::Select);
    const QModelIndex current = currentIndex();
    if (current.isValid())
      follow.setCurrentIndex(shape.index(current.row(), current.column()), QItemSelectionModel::NoUpdate);
  }
  shape.change(at, count);

  // Every item and header item out, with its new column.
  const int new_columns = columns + count;
  const auto target = [&](int column) {
    if (column < at) return column;
    if (count > 0) return column + count;
    return column < at - count ? -1 : column + count;
  };
  // The items with their new places, in row-major order.
  struct Placed {
    int row;
    int column;
    QTableWidgetItem* item;
  };
  std::vector<Placed> cells;
  std::vector<QTableWidgetItem*> row_titles(static_cast<std::size_t>(rows), nullptr);
  std::vector<QTableWidgetItem*> column_titles(static_cast<std::size_t>(new_columns), nullptr);
  std::vector<QTableWidgetItem*> removed;
  // While the rows are out, nothing may lay the rows out again: the column
  // change resizes the viewport (the row header's width follows its rows),
  // and a self-extending grid's fill on that resize would ask the row header
  // about its sections, which runs any layout it has pending and rebuilds
  // its sections from no rows; the view then draws rows the scroll bar and
  // the pointer do not know. A pending layout runs now, with the rows there;
  // the fill waits for the end of the change (a bulk).
  (void)verticalHeader()->count();
  BulkGuard reshaping(*this);
  {
    const QSignalBlocker blocker(model());
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < columns; ++column) {
        if (!item(row, column)) continue;
        QTableWidgetItem* it = takeItem(row, column);
        const int to = target(column);
        if (to < 0)
          removed.push_back(it);
        else
          cells.push_back({row, to, it});
      }
      row_titles[static_cast<std::size_t>(row)] = takeVerticalHeaderItem(row);
    }
    for (int column = 0; column < columns; ++column) {
      QTableWidgetItem* title = takeHorizontalHeaderItem(column);
      const int to = target(column);
      if (to < 0)
        removed.push_back(title);
      else
        column_titles[static_cast<std::size_t>(to)] = title;
    }
    // The view is not told: its rows keep their heights and hidden states.
    setRowCount(0);
  }
  // Without rows Qt changes the columns at once; the header hears of it.
  if (count > 0)
    model()->insertColumns(at, count);
  else
    model()->removeColumns(at, -count);
  {
    const QSignalBlocker blocker(model());
    setRowCount(rows);
    for (const Placed& p : cells) setItem(p.row, p.column, p.item);
    for (int row = 0; row < rows; ++row)
      if (QTableWidgetItem* title = row_titles[static_cast<std::size_t>(row)]) setVerticalHeaderItem(row, title);
    for (int column = 0; column < new_columns; ++column)
      if (QTableWidgetItem* title = column_titles[static_cast<std::size_t>(column)])
        setHorizontalHeaderItem(column, title);
  }
  for (QTableWidgetItem* it : removed) delete it;

  // Dropping the rows lost the selection: it is put back where Qt would have
  // moved it, which Qt does not announce.
  const QModelIndex current = follow.currentIndex().isValid()
                                  ? model()->index(follow.currentIndex().row(), follow.currentIndex().column())
                                  : QModelIndex();
  {
    const QSignalBlocker blocker(selectionModel());
    selectionModel()->select(carry_selection(follow.selection(), *model()), QItemSelectionModel::ClearAndSelect);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
  }
  // The header widths and scroll ranges were last computed without rows.
  updateGeometries();
  viewport()->update();
  verticalHeader()->viewport()->update();
}
