// A1 label lookup within the grid's current size.
#include <QRegularExpression>

#include "sheetgrid/clevertablewidget.h"

QTableWidgetItem* CleverTableWidget::get_item_from_label(const QString& label) const {
  // \d is any Unicode decimal digit, as in the formula cell's label2index.
  static const QRegularExpression pattern(QStringLiteral("([A-Za-z]+)(\\d+)"),
                                          QRegularExpression::UseUnicodePropertiesOption);
  const QRegularExpressionMatch m =
      pattern.match(label, 0, QRegularExpression::NormalMatch,
                    QRegularExpression::AnchorAtOffsetMatchOption);
  if (!m.hasMatch()) return nullptr;
  // Any value past the grid's size names no cell: stop folding there, so that
  // long labels cannot overflow.
  const long long cols = columnCount();
  const long long rows = rowCount();
  long long col = 0;
  for (QChar ch : m.captured(1).toUpper()) {
    col = col * 26 + (ch.unicode() - 64);
    if (col - 1 >= cols) return nullptr;
  }
  col -= 1;
  long long row = 0;
  for (QChar ch : m.captured(2)) {
    row = row * 10 + ch.digitValue();
    if (row - 1 >= rows) return nullptr;
  }
  row -= 1;
  if (col < 0 || col >= cols || row < 0 || row >= rows) return nullptr;
  return item(static_cast<int>(row), static_cast<int>(col));
}

std::optional<QString> CleverTableWidget::get_label_from_item(const QTableWidgetItem* item) {
  if (!item) return std::nullopt;
  const int row = item->row();
  const int column = item->column();
  if (row < 0 || column < 0) return std::nullopt;
  return num_to_letters(static_cast<long long>(column) + 1) +
         QString::number(static_cast<long long>(row) + 1);
}
