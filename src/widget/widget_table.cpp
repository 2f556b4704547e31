// Utility routines over grid items and the input grid.
#include <QMessageBox>
#include <QSet>

#include "sheetgrid/clevertablewidget.h"
#include "sheetgriditem/clevertablewidgetitem.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "widget/widget_fitformula.h"

CleverTableWidgetItem* Widget::createFormattedItem(double value, bool scientific, int decimals) const {
  return new CleverTableWidgetItem(trelvo::fitformula::numberText(value, scientific, decimals));
}

QList<double> Widget::filterStringToList(const QString& input_str) const {
  return CleverTableWidget::filter_string_to_float_list(input_str);
}

void Widget::clearEmptyRowsOfTableEnd(int loop) {
  if (loop <= 0) loop = 1;
  auto* table = ui->inputTable;
  auto textAt = [table](int row, int col) { return cellText(table->item(row, col)); };
  for (int pass = 0; pass < loop; ++pass) {
    const int n = table->rowCount();
    for (int row = 0; row < n; ++row) {
      if (textAt(row, 0).isEmpty() && textAt(row, 1).isEmpty()) table->removeRow(row);
    }
  }
}

namespace {

std::optional<QList<int>> selectedLines(QWidget* parent, CleverTableWidget* table, bool rows,
                                        const QString& title, const QString& text) {
  QList<int> result;
  QSet<int> seen;
  const int limit = rows ? table->rowCount() : table->columnCount();
  for (const QTableWidgetItem* item : table->selectedItems()) {
    const int line = rows ? item->row() : item->column();
    if (line < 0 || line >= limit) {
      QMessageBox::warning(parent, title, text);
      return std::nullopt;
    }
    if (!seen.contains(line)) {
      seen.insert(line);
      result.append(line);
    }
  }
  return result;
}

}  // namespace

std::optional<QList<int>> Widget::getSelectedRowsList() {
  return selectedLines(this, ui->inputTable, true, tr("操作错误"), tr("选择的行无效"));
}

std::optional<QList<int>> Widget::getSelectedColumnsList() {
  return selectedLines(this, ui->inputTable, false, tr("操作错误"), tr("选择的列无效"));
}

void Widget::renumberTableRows() {
  for (int r = 0; r < ui->inputTable->rowCount(); ++r)
    ui->inputTable->setVerticalHeaderItem(r, new CleverTableWidgetItem(QString::number(r + 1)));
}
