// Clipboard copy and paste of cell texts, and clearing the selected cells.
#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QMessageBox>

#include <algorithm>

#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/io/table.h"

void CleverTableWidget::copy_selection() {
  if (!_judge_rectangular_selected()) return;
  const QTableWidgetSelectionRange r = selectedRanges().first();
  QStringList lines;
  lines.reserve(r.bottomRow() - r.topRow() + 1);
  for (int row = r.topRow(); row <= r.bottomRow(); ++row) {
    QStringList fields;
    fields.reserve(r.rightColumn() - r.leftColumn() + 1);
    for (int col = r.leftColumn(); col <= r.rightColumn(); ++col) fields << cellText(item(row, col));
    lines << fields.join(QLatin1Char('\t'));
  }
  QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void CleverTableWidget::paste_selection() {
  if (!editable) return;
  if (!_judge_rectangular_selected()) return;
  const QTableWidgetSelectionRange r = selectedRanges().first();
  const int top = r.topRow();
  const int left = r.leftColumn();

  QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
  const qsizetype first_empty = lines.indexOf(QString());
  if (first_empty >= 0) lines.removeAt(first_empty);

  QList<QStringList> block;
  block.reserve(lines.size());
  qsizetype widest = 0;
  for (const QString& line : lines) {
    block << line.split(QLatin1Char('\t'));
    widest = std::max(widest, block.last().size());
  }

  // The grid grows to hold the whole block (trailing empty lines beyond it
  // make room where the limits need it: the cells around the block stay); a
  // block past the grid limits is refused before anything changes.
  const auto [rows_needed, cols_needed] = grown_size(top + qint64(block.size()), left + qint64(widest), Beyond::Kept);
  if (!trelvo::limits::fits_grid(rows_needed, cols_needed)) {
    qDebug().noquote() << QStringLiteral("Paste refused: %1 x %2 cells exceed the grid limits")
                              .arg(rows_needed)
                              .arg(cols_needed);
    QMessageBox::warning(this, tr("警告"), tr("粘贴数据超出表格大小上限，无法粘贴"));
    return;
  }
  {
    Content after = content();
    for (qsizetype i = 0; i < block.size(); ++i) {
      const int row = top + int(i);
      for (qsizetype j = 0; j < block[i].size(); ++j) {
        const int col = left + int(j);
        const QString was = row < rowCount() && col < columnCount() ? cellText(item(row, col)) : QString();
        if (!trelvo::io::is_empty_cell_text(was)) {
          --after.filled;
          after.units -= was.size();
        }
        if (!trelvo::io::is_empty_cell_text(block[i][j])) {
          ++after.filled;
          after.units += block[i][j].size();
        }
      }
    }
    if (refuse_past_content_limits(after, "Paste")) return;
  }

  BulkGuard bulk(*this);
  make_room_for(top + qint64(block.size()), left + qint64(widest), Beyond::Kept);
  if (rowCount() < rows_needed) setRowCount(int(rows_needed));
  if (columnCount() < cols_needed) _set_column_count(int(cols_needed));
  for (qsizetype i = 0; i < block.size(); ++i) {
    const QStringList& fields = block[i];
    for (qsizetype j = 0; j < fields.size(); ++j)
      set_cell_text(top + int(i), left + int(j), fields[j]);
  }
  _max_content_pos();
}

void CleverTableWidget::clear_selection() {
  if (!editable) return;
  // Positions first: each placement deletes the item it replaces.
  const QList<std::pair<int, int>> cells = selected_item_cells();
  BulkGuard bulk(*this);
  for (const auto& [row, col] : cells) setItem(row, col, new CleverTableWidgetItem(QString()));
  _max_content_pos();
}
