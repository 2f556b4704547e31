// The number-format command.
#include <QCheckBox>
#include <QSpinBox>

#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/formatdialog.h"

void CleverTableWidget::digital_format() {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.isEmpty()) return;
  const QTableWidgetSelectionRange first = ranges.first();
  bool sci = false;
  std::optional<int> dec;
  if (const CleverTableWidgetItem* cell = asFormulaCell(item(first.topRow(), first.leftColumn()))) {
    sci = cell->sci;
    dec = cell->dec;
  }
  FormatDialog dialog(this, sci, dec);
  if (dialog.exec() != QDialog::Accepted) return;
  const bool clear = dialog.clear_label;
  const int decimals = dialog.decimal_spin->value();
  const bool scientific = dialog.sci_checkbox->isChecked();

  const QList<QTableWidgetSelectionRange> now = selectedRanges();
  if (now.isEmpty()) return;
  const QTableWidgetSelectionRange r = now.first();
  BulkGuard bulk(*this);
  for (int row = r.topRow(); row <= r.bottomRow(); ++row) {
    for (int col = r.leftColumn(); col <= r.rightColumn(); ++col) {
      QTableWidgetItem* it = item(row, col);
      if (!it) continue;
      if (!asFormulaCell(it)) set_cell_text(row, col, cellText(it));
      CleverTableWidgetItem* cell = asFormulaCell(item(row, col));
      if (!cell) continue;
      if (clear)
        cell->clearFormat();
      else
        cell->setFormat(decimals, scientific);
    }
  }
}
