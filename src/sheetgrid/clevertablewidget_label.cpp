// A1 label lookup within the grid's current size.
#include "sheetgrid/clevertablewidget.h"

QTableWidgetItem* CleverTableWidget::get_item_from_label(const QString& label) const {
  const std::optional<CleverTableWidgetItem::Position> pos = CleverTableWidgetItem::label2index(label);
  if (!pos || pos->first < 0 || pos->first >= rowCount() || pos->second < 0 || pos->second >= columnCount())
    return nullptr;
  return item(pos->first, pos->second);
}

std::optional<QString> CleverTableWidget::get_label_from_item(const QTableWidgetItem* item) {
  if (!item) return std::nullopt;
  const int row = item->row();
  const int column = item->column();
  if (row < 0 || column < 0) return std::nullopt;
  return CleverTableWidgetItem::index2label(row, column);
}
