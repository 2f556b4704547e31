// Empty cells, the content extent and its signal, bulk writes, trimming.
#include <QDebug>
#include <QMessageBox>

#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"
#include "fitcore/numtext.h"
#include "sheetgrid/io/table.h"
#include "sheetgriditem/formulacache.h"

using trelvo::io::is_empty_cell_text;

bool CleverTableWidget::row_is_empty(int row) const {
  if (row < 0 || row >= rowCount()) return true;
  for (int col = columnCount() - 1; col >= 0; --col)
    if (!is_empty_cell_text(cellText(item(row, col)))) return false;
  return true;
}

bool CleverTableWidget::col_is_empty(int col) const {
  if (col < 0 || col >= columnCount()) return true;
  for (int row = rowCount() - 1; row >= 0; --row)
    if (!is_empty_cell_text(cellText(item(row, col)))) return false;
  return true;
}

namespace {

CleverTableWidget::Content content_of(const QString& text) {
  if (is_empty_cell_text(text)) return {};
  return {1, text.size()};
}

}  // namespace

CleverTableWidget::Content CleverTableWidget::content() const {
  if (content_) return *content_;
  Content total;
  for (int row = 0; row < rowCount(); ++row)
    for (int col = 0; col < columnCount(); ++col)
      if (const QTableWidgetItem* it = item(row, col)) {
        const Content c = content_of(cellText(it));
        total.filled += c.filled;
        total.units += c.units;
      }
  content_ = total;
  return total;
}

void CleverTableWidget::watch_content() {
  // Any change of cells, lines or the whole model drops the count; a sort
  // only moves cells, and new lines are empty.
  QAbstractItemModel* m = model();
  const auto drop = [this] { content_.reset(); };
  connect(m, &QAbstractItemModel::dataChanged, this, drop);
  connect(m, &QAbstractItemModel::rowsRemoved, this, drop);
  connect(m, &QAbstractItemModel::columnsRemoved, this, drop);
  connect(m, &QAbstractItemModel::modelReset, this, drop);
}

bool CleverTableWidget::refuse_past_content_limits(const Content& after, const char* command) {
  namespace L = trelvo::limits;
  if (after.filled <= L::kMaxFilledCells && after.units <= L::kMaxTextUnits) return false;
  if (after.filled > L::kMaxFilledCells) {
    qDebug().noquote() << QStringLiteral("%1 refused: %2 filled cells exceed the limit of %3")
                              .arg(QLatin1String(command))
                              .arg(after.filled)
                              .arg(L::kMaxFilledCells);
    QMessageBox::warning(this, tr("警告"),
                         tr("操作后表格的非空单元格将超过%1个，无法执行该操作").arg(L::kMaxFilledCells));
  } else {
    qDebug().noquote() << QStringLiteral("%1 refused: %2 characters of cell text exceed the limit of %3")
                              .arg(QLatin1String(command))
                              .arg(after.units)
                              .arg(L::kMaxTextUnits);
    QMessageBox::warning(this, tr("警告"),
                         tr("操作后表格单元格的文字将超过%1个字符，无法执行该操作").arg(L::kMaxTextUnits));
  }
  return true;
}

bool CleverTableWidget::write_typed_text(int row, int col, const QString& text) {
  namespace L = trelvo::limits;
  if (row < 0 || col < 0) return false;
  const bool inside = row < rowCount() && col < columnCount();
  QTableWidgetItem* it = inside ? item(row, col) : nullptr;
  const Content was = content_of(cellText(it));
  // What the cell will hold as saved. A formula saves its result: a number,
  // or an error text, which may repeat the formula; only near the limit is
  // the result itself found, by setting the text on a cell that stands there
  // without being placed.
  const std::u16string_view typed(QStringView(text).utf16(), static_cast<std::size_t>(text.size()));
  const bool formula = !trelvo::strip_python_space(typed).empty() && trelvo::strip_python_space(typed)[0] == u'=';
  Content will = formula ? Content{1, 2 * text.size() + 256} : content_of(text);
  std::optional<Content> after;
  // Only a cell that holds more afterwards can take the grid past a limit.
  if (will.filled > was.filled || will.units > was.units) {
    const Content now = content();
    const auto with = [&](const Content& c) {
      return Content{now.filled - was.filled + c.filled, now.units - was.units + c.units};
    };
    after = with(will);
    if (formula && (after->filled > L::kMaxFilledCells || after->units > L::kMaxTextUnits)) {
      FormulaSite site;
      site.row = row;
      site.column = col;
      site.lookup = [this](int r, int c) -> const QTableWidgetItem* {
        return r < rowCount() && c < columnCount() ? item(r, c) : nullptr;
      };
      CleverTableWidgetItem probe;
      probe.setTextAt(text, site);
      will = content_of(cellText(&probe));
      after = with(will);
    }
    if (refuse_past_content_limits(*after, "Typing")) return false;
  }
  if (it) {
    setCellText(it, text);
  } else if (!set_cell_text(row, col, text)) {
    return false;
  }
  // The write reported a change; the count follows the one cell exactly.
  if (after) {
    const Content placed = content_of(cellText(item(row, col)));
    content_ = Content{after->filled - will.filled + placed.filled, after->units - will.units + placed.units};
  }
  return true;
}

void CleverTableWidget::_max_content_pos() {
  if (bulk_depth_ > 0) {
    extent_pending_ = true;
    return;
  }
  int max_row = rowCount() - 1;
  int max_col = columnCount() - 1;
  for (int r = max_row; r >= 1; --r) {
    if (!row_is_empty(r)) break;
    --max_row;
  }
  for (int c = max_col; c >= 1; --c) {
    if (!col_is_empty(c)) break;
    --max_col;
  }
  max_content_row = max_row;
  max_content_col = max_col;
  emit ContentsChangeSignal(max_row, max_col);
}

std::pair<int, int> CleverTableWidget::get_max_content_pos() {
  _max_content_pos();
  return {max_content_row, max_content_col};
}

void CleverTableWidget::beginBulk() { ++bulk_depth_; }

void CleverTableWidget::endBulk() {
  if (bulk_depth_ <= 0) return;
  if (--bulk_depth_ > 0) return;
  if (fill_pending_) {
    fill_pending_ = false;
    if (infinite) _fill_visible_area();
  }
  if (extent_pending_) {
    extent_pending_ = false;
    _max_content_pos();
    emit CellsRewrittenSignal();
  }
}

bool CleverTableWidget::set_cell_text(int row, int col, const QString& text) {
  if (row < 0 || col < 0 || row >= trelvo::limits::kMaxRows || col >= trelvo::limits::kMaxCols)
    return false;
  if (row >= rowCount()) setRowCount(row + 1);
  if (col >= columnCount()) _set_column_count(col + 1);
  setItem(row, col, new CleverTableWidgetItem(QString()));
  // setItem emitted cellChanged: reach the new cell by its position.
  setCellText(item(row, col), text);
  return true;
}

void CleverTableWidget::clear_empty_row() {
  if (editable) trim_empty_rows();
}

void CleverTableWidget::trim_empty_rows() {
  if (infinite) return;
  const int cols = columnCount();
  for (int row = rowCount() - 1; row >= 0; --row) {
    int empty = 0;
    for (int col = 0; col < cols; ++col) {
      if (is_empty_cell_text(cellText(item(row, col)))) ++empty;
      if (empty == cols) removeRow(row);
    }
  }
}

void CleverTableWidget::clear_empty_col() {
  if (editable) trim_empty_cols();
}

void CleverTableWidget::trim_empty_cols() {
  if (infinite) return;
  const int rows = rowCount();
  for (int col = columnCount() - 1; col >= 0; --col) {
    int empty = 0;
    for (int row = 0; row < rows; ++row) {
      if (is_empty_cell_text(cellText(item(row, col)))) ++empty;
      if (empty == rows) _change_columns(col, -1);
    }
  }
}

void CleverTableWidget::clear_empty_space() {
  if (infinite) return;
  clear_empty_col();
  clear_empty_row();
}

void CleverTableWidget::trim_empty_space() {
  if (infinite) return;
  trim_empty_cols();
  trim_empty_rows();
}
