// Header renumbering and the header-title dialogs.
#include <QInputDialog>
#include <QLineEdit>
#include <QSignalBlocker>

#include "fitcore/a1label.h"
#include "sheetgrid/clevertablewidget.h"

QString CleverTableWidget::num_to_letters(long long n) {
  return QString::fromStdString(trelvo::a1::column_letters(n - 1));
}

namespace {

// True when setting `text` on the header item would change nothing.
bool header_reads(const QTableWidgetItem* item, const QString& text) {
  if (const CleverTableWidgetItem* cell = asFormulaCell(item))
    return !cell->is_formula && !cell->format && cell->rawText() == text &&
           cell->displayText().toString() == text;
  return item->text() == text;
}

// Gives header `section` of `orientation` the title `text`. An attached
// header item is never changed (Qt 6 looks a changed header item up in a
// linear search of its list): a missing item becomes a new empty cell item,
// a wrong one is taken out; either gets its title before it is attached.
// Returns whether the header changed.
bool set_header_title(QTableWidget& grid, Qt::Orientation orientation, int section, const QString& text) {
  const bool columns = orientation == Qt::Horizontal;
  QTableWidgetItem* old = columns ? grid.horizontalHeaderItem(section) : grid.verticalHeaderItem(section);
  if (old && header_reads(old, text)) return false;
  QTableWidgetItem* title = !old ? new CleverTableWidgetItem(QString())
                            : columns ? grid.takeHorizontalHeaderItem(section)
                                      : grid.takeVerticalHeaderItem(section);
  setCellText(title, text);
  if (columns)
    grid.setHorizontalHeaderItem(section, title);
  else
    grid.setVerticalHeaderItem(section, title);
  return true;
}

// Sets the titles of all `count` sections with the model's signals blocked,
// then announces the changed range with one headerDataChanged.
template <class Title>
void retitle_headers(QTableWidget& grid, Qt::Orientation orientation, int count, Title title) {
  int first = -1, last = -1;
  {
    const QSignalBlocker blocker(grid.model());
    for (int section = 0; section < count; ++section) {
      if (!set_header_title(grid, orientation, section, title(section))) continue;
      if (first < 0) first = section;
      last = section;
    }
  }
  if (first >= 0) emit grid.model()->headerDataChanged(orientation, first, last);
}

}  // namespace

void CleverTableWidget::renumber_header_col() {
  if (editable) number_header_col();
}

void CleverTableWidget::number_header_col() {
  retitle_headers(*this, Qt::Horizontal, columnCount(),
                  [](int c) { return num_to_letters(static_cast<long long>(c) + 1); });
}

void CleverTableWidget::renumber_header_row() {
  if (!editable) return;
  retitle_headers(*this, Qt::Vertical, rowCount(),
                  [](int r) { return QString::number(static_cast<long long>(r) + 1); });
}

void CleverTableWidget::renumber_header() {
  renumber_header_col();
  renumber_header_row();
}

void CleverTableWidget::disable_editing() {
  editable = false;
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CleverTableWidget::enable_editing() {
  editable = true;
  headers_stale_ = true;
  setEditTriggers(QAbstractItemView::DoubleClicked);
}

void CleverTableWidget::change_horizontal_header(int index) {
  if (!editable) return;
  if (index < 0 || index >= columnCount()) return;
  if (!horizontalHeaderItem(index)) {
    const QString title = model()->headerData(index, Qt::Horizontal).toString();
    setHorizontalHeaderItem(index, new CleverTableWidgetItem(title));
  }
  const QString old = cellText(horizontalHeaderItem(index));
  bool ok = false;
  const QString text = QInputDialog::getText(this, tr("设置列标题"),
                                             tr("请输入第%s列标题").replace(QStringLiteral("%s"), QString::number(index + 1)),
                                             QLineEdit::Normal, old, &ok);
  // The dialog ran an event loop: the header item is looked up again.
  if (ok && horizontalHeaderItem(index)) setCellText(horizontalHeaderItem(index), text);
}

void CleverTableWidget::change_vertical_header(int index) {
  if (!editable) return;
  if (index < 0 || index >= rowCount()) return;
  if (!verticalHeaderItem(index)) {
    const QString title = model()->headerData(index, Qt::Vertical).toString();
    setVerticalHeaderItem(index, new CleverTableWidgetItem(title));
  }
  const QString old = cellText(verticalHeaderItem(index));
  bool ok = false;
  const QString text = QInputDialog::getText(this, tr("设置行标题"),
                                             tr("请输入第%s行标题").replace(QStringLiteral("%s"), QString::number(index + 1)),
                                             QLineEdit::Normal, old, &ok);
  if (ok && verticalHeaderItem(index)) setCellText(verticalHeaderItem(index), text);
}
