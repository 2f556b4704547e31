// The cell input bar above the input grid: binding to the selection, writing
// the editor's text into the bound cell, the echo of in-cell edits, and the
// bar's height.
#include <QCoreApplication>
#include <QDebug>
#include <QKeyEvent>
#include <QLabel>
#include <QScopedValueRollback>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/io/table.h"
#include "sheetgrid/slotguard.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"

namespace {

QString typeName(const QTableWidgetItem* item) {
  if (!item) return QStringLiteral("None");
  return asFormulaCell(item) ? QStringLiteral("CleverTableWidgetItem") : QStringLiteral("QTableWidgetItem");
}

QString rowColumn(int row, int col) {
  return QStringLiteral("Row: %1, Column: %2").arg(row + 1).arg(col + 1);
}

}  // namespace

QTableWidgetItem* Widget::linkItem() const {
  if (!link_row || !link_col) return nullptr;
  return ui->inputTable->item(*link_row, *link_col);
}

QString Widget::cellLabel(int row, int col) const {
  const QTableWidgetItem* header = ui->inputTable->horizontalHeaderItem(col);
  const QString column = header ? cellText(header) : CleverTableWidget::num_to_letters(col + 1LL);
  return column + QString::number(row + 1);
}

QString Widget::boundCellText() const {
  const QTableWidgetItem* item = linkItem();
  if (const CleverTableWidgetItem* cell = asFormulaCell(item)) return cell->is_formula ? cell->rawText() : cell->text();
  return cellText(item);
}

void Widget::onItemSelected() {
  if (!bindToSelection()) {
    ui->inputLabel->setText(QString());
    {
      const QScopedValueRollback binding(bindingBar_, true);
      ui->inputEdit->setPlainText(QString());
    }
    ui->inputEdit->setReadOnly(true);
    link_row.reset();
    link_col.reset();
    return;
  }
  const QTableWidgetItem* item = linkItem();
  const QString label = cellLabel(*link_row, *link_col);
  qDebug().noquote() << QStringLiteral("Item selected: ") + label + QStringLiteral(", ") +
                            rowColumn(*link_row, *link_col);
  qDebug().noquote() << QStringLiteral("Item type: ") + typeName(item);
  // Several cells: the grid keeps the keyboard (copy, paste, arrows); one
  // cell: typing replaces its whole text.
  qint64 cells = 0;
  for (const QTableWidgetSelectionRange& r : ui->inputTable->selectedRanges())
    cells += qint64(r.rowCount()) * r.columnCount();
  bindBar(cells <= 1);
}

bool Widget::bindToSelection() {
  const QList<QTableWidgetSelectionRange> ranges = ui->inputTable->selectedRanges();
  if (ranges.isEmpty()) return false;
  link_row = ranges.first().topRow();
  link_col = ranges.first().leftColumn();
  return true;
}

void Widget::bindBar(bool takeKeys) {
  ui->inputLabel->setText(cellLabel(*link_row, *link_col) + QStringLiteral(" : "));
  // Plain text: setText would read "<b>1</b>" as markup and write back "1".
  // A text other than "" and " " is written back (a formula is evaluated
  // afresh).
  {
    const QScopedValueRollback binding(bindingBar_, true);
    ui->inputEdit->setPlainText(boundCellText());
    ui->inputEdit->setReadOnly(false);
    if (takeKeys) {
      ui->inputEdit->setFocus();
      ui->inputEdit->selectAll();
    } else if (!ui->inputTable->hasFocus()) {
      ui->inputTable->setFocus();
    }
  }
  barUntouched_ = true;
}

bool Widget::onInputTableKeyPress(QKeyEvent* event) {
  CleverTableWidget* grid = ui->inputTable;
  const QString text = event->text();
  if (!grid->editable || text.isEmpty()) return false;
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  for (const QChar ch : text)
    if (!ch.isPrint()) return false;
  // The key writes the cell the bar names, whatever Qt's current cell is (it
  // sits at the far end of a Shift+click or drag, and moves with the items
  // when lines are inserted). A bar bound to nothing is bound first, as a
  // selection of the current cell would bind it.
  if (!link_row || !link_col) bindToSelection();
  if (!link_row || !link_col) {
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid()) return true;
    grid->setRangeSelected(QTableWidgetSelectionRange(current.row(), current.column(), current.row(), current.column()),
                           true);
    if (!link_row || !link_col) return true;
  }
  // As after a click on the cell: the bar holds its whole text selected, and
  // the key replaces it there.
  bindBar(true);
  QCoreApplication::sendEvent(ui->inputEdit, event);
  return true;
}

void Widget::onInputCellsRewritten() {
  dataListsStale_ = true;
  if (!link_row || !link_col) return;
  CleverTableWidget* grid = ui->inputTable;
  if (*link_row >= grid->rowCount() || *link_col >= grid->columnCount()) {
    ui->inputLabel->setText(QString());
    {
      const QScopedValueRollback silent(echoing_, true);
      ui->inputEdit->setPlainText(QString());
    }
    ui->inputEdit->setReadOnly(true);
    link_row.reset();
    link_col.reset();
    return;
  }
  ui->inputLabel->setText(cellLabel(*link_row, *link_col) + QStringLiteral(" : "));
  {
    const QScopedValueRollback silent(echoing_, true);
    const QScopedValueRollback binding(bindingBar_, true);
    ui->inputEdit->setPlainText(boundCellText());
    ui->inputEdit->selectAll();
  }
  barUntouched_ = true;
}

void Widget::onInputEditTextChanged() {
  if (echoing_ || !link_row || !link_col) return;
  if (!bindingBar_) barUntouched_ = false;
  const QString text = ui->inputEdit->toPlainText();
  // The binding never writes an empty text; an edit that empties the bar
  // empties the cell, when it has an item.
  if (trelvo::io::is_empty_cell_text(text) && (bindingBar_ || !linkItem())) return;
  writeInputCell(*link_row, *link_col, text);
}

void Widget::writeInputCell(int row, int col, const QString& text) {
  CleverTableWidget* grid = ui->inputTable;
  const bool existed = row < grid->rowCount() && col < grid->columnCount() && grid->item(row, col);
  // The grid decides whether it may hold the text (its limits, which are
  // the loaders' too); the new cell is placed before its text is set, so
  // that a formula sees the grid (and the grid grows when the cell lies past
  // its end).
  if (!grid->write_typed_text(row, col, text)) {
    showRefusedCell(row, col);
    return;
  }
  qDebug().noquote() << (existed ? QStringLiteral("Item text changed: ") : QStringLiteral("Item created new: ")) +
                            rowColumn(row, col) + QStringLiteral(", Text: ") + text;
  grid->_max_content_pos();
}

void Widget::showRefusedCell(int row, int col) {
  // An in-cell edit left its own text on show: the cell shows what it holds.
  CleverTableWidget* grid = ui->inputTable;
  if (row < grid->rowCount() && col < grid->columnCount())
    if (CleverTableWidgetItem* cell = asFormulaCell(grid->item(row, col))) cell->showStoredText();
  // The bar follows once the text change that asked for the write is over.
  QTimer::singleShot(0, this, [this, row, col] {
    if (link_row != row || link_col != col) return;
    const QScopedValueRollback silent(echoing_, true);
    const QScopedValueRollback binding(bindingBar_, true);
    ui->inputEdit->setPlainText(boundCellText());
    ui->inputEdit->selectAll();
    barUntouched_ = true;
  });
}

void Widget::onCellTextFinished(CleverTableWidgetItem* item, const QString& text) {
  if (!item || item->row() < 0 || item->column() < 0) return;
  const int row = item->row();
  const int col = item->column();
  link_row = row;
  link_col = col;
  if (_delay_timer) {
    _delay_timer->stop();
    _delay_timer->deleteLater();
  }
  _delay_timer = new QTimer(this);
  _delay_timer->setSingleShot(true);
  connect(_delay_timer, &QTimer::timeout, this, [this, row, col, text] {
    trelvo::guard_slot("onCellTextFinished echo", [&] { echoCellText(row, col, text); });
  });
  _delay_timer->start(100);
}

void Widget::echoCellText(int row, int col, const QString& text) {
  // The cell that was edited, found again by its position; a cell whose item
  // has gone since is left alone.
  if (!ui->inputTable->item(row, col)) return;
  if (link_row == row && link_col == col) {
    const QScopedValueRollback silent(echoing_, true);
    const QScopedValueRollback binding(bindingBar_, true);
    ui->inputEdit->setPlainText(text);
  }
  // The typed text follows the in-cell editor, an emptied cell included.
  writeInputCell(row, col, text);
}

void Widget::onInputBtnToggled(bool checked) {
  constexpr int base = 32;
  constexpr int expanded = 3 * base;
  if (checked) {
    ui->inputEdit->setMaximumHeight(expanded);
    ui->inputEdit->setMinimumHeight(expanded);
    ui->inputBtn->setMaximumHeight(expanded);
    ui->inputBtn->setMinimumHeight(expanded);
    ui->inputBtn->setText(tr("折叠"));
    ui->inputBtn->setToolTip(tr("折叠输入框"));
  } else {
    ui->inputEdit->setMinimumHeight(base);
    ui->inputEdit->setMaximumHeight(base);
    ui->inputBtn->setMinimumHeight(base);
    ui->inputBtn->setMaximumHeight(base);
    ui->inputBtn->setText(tr("展开"));
    ui->inputBtn->setToolTip(tr("展开输入框"));
  }
}
