// Selection queries and the insertion helpers' content searches, the
// two-dimensional list writer and the row filter.
#include <QSet>
#include <QSignalBlocker>

#include <algorithm>

#include "fitcore/numtext.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/io/table.h"

namespace {

bool holds_content(const QTableWidgetItem* item) {
  if (!item) return false;
  return !trelvo::io::is_empty_cell_text(cellText(item));
}

// The host's str() of a value.
QString value_text(const QVariant& value) {
  if (!value.isValid() || value.isNull()) {
    if (value.metaType().id() == QMetaType::QString) return QString();
    return QStringLiteral("None");
  }
  switch (value.metaType().id()) {
    case QMetaType::QString:
      return value.toString();
    case QMetaType::Bool:
      return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
      return QString::fromStdString(trelvo::repr_double(value.toDouble()));
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
      return QString::fromStdString(trelvo::repr_int(value.toLongLong()));
    default:
      return value.toString();
  }
}

}  // namespace

bool CleverTableWidget::_judge_rectangular_selected() const { return selectedRanges().size() == 1; }

// Lines of a band that lie outside the grid hold no items: the band is cut to
// the grid before it is searched.
int CleverTableWidget::_insert_add_row_helper(int selected_top, int selected_bottom) const {
  const int first = std::max(selected_top, 0), last = std::min(selected_bottom, columnCount() - 1);
  for (int row = rowCount() - 1; row >= 0; --row)
    for (int col = first; col <= last; ++col)
      if (holds_content(item(row, col))) return row;
  return 0;
}

int CleverTableWidget::_insert_add_col_helper(int selected_left, int selected_right) const {
  const int first = std::max(selected_left, 0), last = std::min(selected_right, rowCount() - 1);
  for (int col = columnCount() - 1; col >= 0; --col)
    for (int row = first; row <= last; ++row)
      if (holds_content(item(row, col))) return col;
  return 0;
}

int CleverTableWidget::get_first_empty_row_id() const {
  int count = 0;
  for (int row = 0; row < rowCount(); ++row) {
    for (int col = 0; col < columnCount(); ++col) {
      if (holds_content(item(row, col))) {
        ++count;
        break;
      }
    }
  }
  return count;
}

QList<QStringList> CleverTableWidget::read_table_context() const {
  QList<QStringList> table;
  table.reserve(rowCount());
  for (int row = 0; row < rowCount(); ++row) {
    QStringList line;
    line.reserve(columnCount());
    for (int col = 0; col < columnCount(); ++col) line << cellText(item(row, col));
    table << line;
  }
  return table;
}

QList<std::pair<int, int>> CleverTableWidget::selected_item_cells() const {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  QList<std::pair<int, int>> cells;
  QSet<qint64> seen;
  const bool overlap_possible = ranges.size() > 1;
  for (const QTableWidgetSelectionRange& range : ranges) {
    for (int row = range.topRow(); row <= range.bottomRow(); ++row) {
      if (isRowHidden(row)) continue;
      for (int col = range.leftColumn(); col <= range.rightColumn(); ++col) {
        const QTableWidgetItem* it = item(row, col);
        if (!it || isColumnHidden(col)) continue;
        const Qt::ItemFlags flags = it->flags();
        if (!(flags & Qt::ItemIsSelectable) || !(flags & Qt::ItemIsEnabled)) continue;
        if (overlap_possible) {
          const qint64 key = qint64(row) * columnCount() + col;
          if (seen.contains(key)) continue;
          seen.insert(key);
        }
        cells.append({row, col});
      }
    }
  }
  return cells;
}

void CleverTableWidget::reseat_item(int row, int col) {
  const QSignalBlocker blocker(model());
  if (QTableWidgetItem* it = takeItem(row, col)) setItem(row, col, it);
}

void CleverTableWidget::write_dim2_list_to_table(const QList<QVariantList>& dim2_list,
                                                 QTableWidget* tablewidget_object) {
  if (!tablewidget_object) return;
  auto* grid = qobject_cast<CleverTableWidget*>(tablewidget_object);
  std::optional<BulkGuard> bulk;
  if (grid) bulk.emplace(*grid);
  for (int row = 0; row < dim2_list.size(); ++row) {
    const QVariantList& values = dim2_list[row];
    for (int col = 0; col < values.size(); ++col) {
      // Qt would drop (and leak) an item put outside the table.
      if (row >= tablewidget_object->rowCount() || col >= tablewidget_object->columnCount())
        continue;
      auto* cell = new CleverTableWidgetItem(QString());
      cell->setTextAlignment(Qt::AlignCenter);
      tablewidget_object->setItem(row, col, cell);
      // Placed first, so that a formula finds the cells it names.
      setCellText(tablewidget_object->item(row, col), value_text(values[col]));
    }
  }
}

void CleverTableWidget::filter_operation(int col, const QStringList& filter_list) {
  for (int row = 0; row < rowCount(); ++row) {
    const QTableWidgetItem* it = item(row, col);
    if (it && filter_list.contains(cellText(it))) continue;
    setRowHidden(row, true);
  }
}
