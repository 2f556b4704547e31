// Delete and insert relative to the selected block: whole lines, shifts, and
// the chooser dialog when the selection does not tell which; empty items for
// the style commands.
#include <QDebug>

#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/deleteinsertdialog.h"
#include "sheetgrid/slotguard.h"

namespace {

const QString kMoveLeft = QStringLiteral("Move Left");
const QString kMoveUp = QStringLiteral("Move Up");
const QString kDeleteRows = QStringLiteral("Delete Selected Rows");
const QString kDeleteCols = QStringLiteral("Delete Selected Cols");
const QString kMoveRight = QStringLiteral("Move Right");
const QString kMoveDown = QStringLiteral("Move Down");
const QString kInsertRows = QStringLiteral("Insert Rows Above");
const QString kInsertCols = QStringLiteral("Insert Cols Left");

}  // namespace

void CleverTableWidget::delete_selection() {
  if (!editable) return;
  if (!_judge_rectangular_selected()) return;
  if (selected_col) return _delete_operations(kDeleteCols);
  if (selected_row) return _delete_operations(kDeleteRows);
  if (whole_cols) return _delete_operations(kDeleteCols);
  if (whole_rows) return _delete_operations(kDeleteRows);
  DeleteInsertDialog dialog(QStringLiteral("delete"));
  connect(&dialog, &DeleteInsertDialog::DelSignal, this, [this](const QString& message) {
    trelvo::guard_slot("_delete_operations", [&] { _delete_operations(message); });
  });
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.exec();
}

void CleverTableWidget::_delete_operations(const QString& message) {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.isEmpty()) return;
  const QTableWidgetSelectionRange r = ranges.first();
  const int top = r.topRow(), bottom = r.bottomRow(), left = r.leftColumn(), right = r.rightColumn();
  const int h = bottom - top + 1, w = right - left + 1;

  BulkGuard bulk(*this);
  if (message == kMoveLeft) {
    const int C = columnCount();
    for (int s = left + w; s <= C + w - 1; ++s) {
      const int t = s - w;
      for (int row = top; row <= bottom; ++row) {
        const QString text = s < columnCount() ? cellText(item(row, s)) : QString();
        set_cell_text(row, t, text);
      }
    }
  } else if (message == kMoveUp) {
    const int R = rowCount();
    for (int s = top + h; s <= R + h - 1; ++s) {
      const int t = s - h;
      for (int col = left; col <= right; ++col) {
        const QString text = s < rowCount() ? cellText(item(s, col)) : QString();
        set_cell_text(t, col, text);
      }
    }
  } else if (message == kDeleteRows) {
    model()->removeRows(top, h);
  } else if (message == kDeleteCols) {
    _change_columns(left, -w);
  } else {
    qDebug().noquote() << QStringLiteral("Empty Message");
  }
  selected_col.reset();
  selected_row.reset();
  renumber_header();
  _max_content_pos();
}

void CleverTableWidget::insert_base_on_selection() {
  if (!_judge_rectangular_selected()) return;
  if (selected_col) return insert_whole_base_on_selection(QStringLiteral("C"))();
  if (selected_row) return insert_whole_base_on_selection(QStringLiteral("R"))();
  DeleteInsertDialog dialog(QStringLiteral("insert"));
  connect(&dialog, &DeleteInsertDialog::InsertSignal, this, [this](const QString& message) {
    trelvo::guard_slot("_insert_operations", [&] { _insert_operations(message); });
  });
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.exec();
}

std::function<void()> CleverTableWidget::insert_whole_base_on_selection(const QString& insert_type) {
  return [this, insert_type] {
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.isEmpty()) return;
    const QTableWidgetSelectionRange r = ranges.first();
    BulkGuard bulk(*this);
    if (insert_type == QLatin1String("R"))
      model()->insertRows(r.topRow(), r.rowCount());
    else if (insert_type == QLatin1String("C"))
      _change_columns(r.leftColumn(), r.columnCount());
    selected_col.reset();
    selected_row.reset();
    renumber_header();
    _max_content_pos();
  };
}

void CleverTableWidget::_insert_operations(const QString& message) {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.isEmpty()) return;
  const QTableWidgetSelectionRange r = ranges.first();
  const int top = r.topRow(), bottom = r.bottomRow(), left = r.leftColumn(), right = r.rightColumn();
  const int h = bottom - top + 1, w = right - left + 1;

  BulkGuard bulk(*this);
  if (message == kMoveRight) {
    const int last = _insert_add_col_helper(top, bottom);
    const int T = last + 1 + w;
    if (columnCount() < T) _set_column_count(T);
    for (int col = T - 1; col >= left; --col)
      for (int row = top; row <= bottom; ++row)
        set_cell_text(row, col, col >= left + w ? cellText(item(row, col - w)) : QString());
  } else if (message == kMoveDown) {
    const int last = _insert_add_row_helper(left, right);
    const int T = last + 1 + h;
    if (rowCount() < T) setRowCount(T);
    for (int row = T - 1; row >= top; --row)
      for (int col = left; col <= right; ++col)
        set_cell_text(row, col, row >= top + h ? cellText(item(row - h, col)) : QString());
  } else if (message == kInsertRows) {
    insert_whole_base_on_selection(QStringLiteral("R"))();
  } else if (message == kInsertCols) {
    insert_whole_base_on_selection(QStringLiteral("C"))();
  } else {
    qDebug().noquote() << QStringLiteral("Empty Message");
  }
  renumber_header();
  _max_content_pos();
}

void CleverTableWidget::_set_null_item() {
  if (!_judge_rectangular_selected()) return;
  const QTableWidgetSelectionRange r = selectedRanges().first();
  for (int row = r.topRow(); row <= r.bottomRow(); ++row)
    for (int col = r.leftColumn(); col <= r.rightColumn(); ++col)
      if (!item(row, col)) setItem(row, col, new CleverTableWidgetItem(QString()));
}
