// Selection records: whole rows and columns, range corners, written after
// every selection change before the owner hears of it.
#include <QDebug>
#include <QLoggingCategory>
#include <QSet>
#include <QStringList>

#include "fitcore/numtext.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/slotguard.h"

namespace {

QString list_text(const QList<int>& values) {
  return QString::fromStdString(trelvo::brief_list_repr(values, [](int v) { return trelvo::repr_int(v); }));
}

QString optional_list_text(const std::optional<QList<int>>& values) {
  return values ? list_text(*values) : QStringLiteral("None");
}

}  // namespace

void CleverTableWidget::_item_selection_changed() {
  trelvo::guard_slot("_item_selection_changed", [this] {
    const bool debug = QLoggingCategory::defaultCategory()->isDebugEnabled();
    whole_cols = _is_whole_column_selected();
    if (debug) qDebug().noquote() << QStringLiteral("Selected whole columns: ") + optional_list_text(whole_cols);
    whole_rows = _is_whole_row_selected();
    if (debug) qDebug().noquote() << QStringLiteral("Selected whole rows: ") + optional_list_text(whole_rows);
    _get_selected_items_right_down_corner();
    if (debug)
      qDebug().noquote() << QStringLiteral("Selected items right down corner: (") +
                                list_text(selected_corner_cols) + QStringLiteral(", ") +
                                list_text(selected_corner_rows) + QLatin1Char(')');
    _max_content_pos();
    emit ItemSelectionSignal();
  });
}

std::optional<QList<int>> CleverTableWidget::_is_whole_column_selected() const {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.isEmpty()) return std::nullopt;
  QList<int> result;
  QSet<int> seen;
  for (const QTableWidgetSelectionRange& r : ranges) {
    if (r.bottomRow() - r.topRow() + 1 != rowCount()) continue;
    for (int c = r.leftColumn(); c <= r.rightColumn(); ++c)
      if (!seen.contains(c)) {
        seen.insert(c);
        result.append(c);
      }
  }
  if (result.isEmpty()) return std::nullopt;
  return result;
}

std::optional<QList<int>> CleverTableWidget::_is_whole_row_selected() const {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.isEmpty()) return std::nullopt;
  QList<int> result;
  QSet<int> seen;
  for (const QTableWidgetSelectionRange& r : ranges) {
    if (r.rightColumn() - r.leftColumn() + 1 != columnCount()) continue;
    for (int row = r.topRow(); row <= r.bottomRow(); ++row)
      if (!seen.contains(row)) {
        seen.insert(row);
        result.append(row);
      }
  }
  if (result.isEmpty()) return std::nullopt;
  return result;
}

void CleverTableWidget::_get_selected_items_right_down_corner() {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.isEmpty()) return;
  QList<int> cols;
  QList<int> rows;
  cols.reserve(ranges.size());
  rows.reserve(ranges.size());
  for (const QTableWidgetSelectionRange& r : ranges) {
    cols.append(r.rightColumn());
    rows.append(r.bottomRow());
  }
  selected_corner_cols = cols;
  selected_corner_rows = rows;
}
