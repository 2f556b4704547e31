// Whole-column commands: sort, reverse, paste of numbers, floating numbers up.
#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QMessageBox>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "fitcore/limits.h"
#include "fitcore/numtext.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/io/table.h"

namespace {

std::optional<double> float_value(const QString& text) {
  return trelvo::parse_python_float(text.toStdString());
}

// Sort key: the numeric value; a cell without one, and a nan, after every
// number (a nan key would break the ordering the sort relies on).
double sort_key(const QTableWidgetItem* item) {
  const std::optional<double> v = float_value(cellText(item));
  if (!v || std::isnan(*v)) return std::numeric_limits<double>::infinity();
  return *v;
}

// The column's items, top-down, gaps closed; the column is left empty.
std::vector<QTableWidgetItem*> take_column(QTableWidget& grid, int col) {
  std::vector<QTableWidgetItem*> items;
  for (int row = 0; row < grid.rowCount(); ++row)
    if (QTableWidgetItem* it = grid.takeItem(row, col)) items.push_back(it);
  return items;
}

void put_column(QTableWidget& grid, int col, const std::vector<QTableWidgetItem*>& items) {
  for (std::size_t i = 0; i < items.size(); ++i) grid.setItem(int(i), col, items[i]);
}

// Rewrites every row of `col`: texts[i] in row i, empty cells below.
void rewrite_column(CleverTableWidget& grid, int col, const QStringList& texts) {
  for (int row = 0; row < grid.rowCount(); ++row)
    grid.set_cell_text(row, col, row < texts.size() ? texts[row] : QString());
}

}  // namespace

QList<int> CleverTableWidget::get_selected_columns_list() const {
  std::set<int> cols;
  for (const QModelIndex& index : selectedIndexes())
    if (index.column() >= 0 && index.column() < columnCount()) cols.insert(index.column());
  return QList<int>(cols.begin(), cols.end());
}

void CleverTableWidget::sort_col_ascending() {
  if (!editable) return;
  const QList<int> cols = get_selected_columns_list();
  if (cols.isEmpty()) return;
  BulkGuard bulk(*this);
  for (int col : cols) {
    std::vector<std::pair<double, QTableWidgetItem*>> keyed;
    for (int row = 0; row < rowCount(); ++row)
      if (const QTableWidgetItem* it = item(row, col)) keyed.emplace_back(sort_key(it), nullptr);
    std::vector<QTableWidgetItem*> items = take_column(*this, col);
    for (std::size_t i = 0; i < items.size(); ++i) keyed[i].second = items[i];
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i) items[i] = keyed[i].second;
    put_column(*this, col, items);
  }
  _max_content_pos();
}

void CleverTableWidget::sort_col_descending() {
  if (!editable) return;
  BulkGuard bulk(*this);
  sort_col_ascending();
  reverse_col();
}

void CleverTableWidget::reverse_col() {
  if (!editable) return;
  const QList<int> cols = get_selected_columns_list();
  if (cols.isEmpty()) return;
  BulkGuard bulk(*this);
  for (int col : cols) {
    std::vector<QTableWidgetItem*> items = take_column(*this, col);
    std::reverse(items.begin(), items.end());
    put_column(*this, col, items);
  }
  _max_content_pos();
}

QList<double> CleverTableWidget::filter_string_to_float_list(const QString& input_str) {
  // \d is any Unicode decimal digit, as in the host's regular expressions.
  static const QRegularExpression number(QStringLiteral(R"([-+]?\d+\.?\d*(?:[eE][-+]?\d+)?)"),
                                         QRegularExpression::UseUnicodePropertiesOption);
  QList<double> values;
  for (const QRegularExpressionMatch& match : number.globalMatch(input_str))
    if (const std::optional<double> v = float_value(match.captured(0))) values.append(*v);
  return values;
}

void CleverTableWidget::paste_col() {
  if (!editable) return;
  const QList<int> cols = get_selected_columns_list();
  if (cols.size() != 1) {
    QMessageBox::warning(this, tr("警告"), tr("只能选择一列进行粘贴替换操作"));
    return;
  }
  const QList<double> numbers = filter_string_to_float_list(QApplication::clipboard()->text());
  if (numbers.isEmpty()) {
    QMessageBox::warning(this, tr("警告"), tr("粘贴数据中不包含有效数字字符"));
    return;
  }
  const int col = cols.first();
  const qsizetype rows = numbers.size();
  if (rows > rowCount() && !trelvo::limits::fits_grid(rows, columnCount())) {
    qDebug().noquote() << QStringLiteral("Column paste refused: %1 rows exceed the grid limits")
                              .arg(rows);
    QMessageBox::warning(this, tr("警告"), tr("粘贴数据行数超出表格大小上限，无法替换列"));
    return;
  }
  QStringList texts;
  texts.reserve(rows);
  for (double number : numbers) texts << QString::fromStdString(trelvo::repr_double(number));
  // The column is rewritten whole: its filled cells give way to the numbers.
  {
    Content after = content();
    for (int row = 0; row < rowCount(); ++row) {
      const QString was = cellText(item(row, col));
      if (trelvo::io::is_empty_cell_text(was)) continue;
      --after.filled;
      after.units -= was.size();
    }
    for (const QString& text : texts) {
      ++after.filled;
      after.units += text.size();
    }
    if (refuse_past_content_limits(after, "Column paste")) return;
  }
  BulkGuard bulk(*this);
  if (rows > rowCount()) setRowCount(int(rows));
  rewrite_column(*this, col, texts);
  _max_content_pos();
}

void CleverTableWidget::float_col() {
  if (!editable) return;
  const QList<int> cols = get_selected_columns_list();
  if (cols.isEmpty()) return;
  BulkGuard bulk(*this);
  for (int col : cols) {
    QStringList kept;
    for (int row = 0; row < rowCount(); ++row) {
      const QString text = cellText(item(row, col));
      if (float_value(text)) kept << text;
    }
    rewrite_column(*this, col, kept);
  }
  _max_content_pos();
}
