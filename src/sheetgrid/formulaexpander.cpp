// The formula-fill command of the grid and its dialog.
#include "sheetgrid/formulaexpander.h"

#include "fitcore/numtext.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

#include "fitcore/expression.h"
#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/io/table.h"
#include "sheetgrid/slotguard.h"
#include "sheetgriditem/formulacache.h"

namespace {

// White space as the formula cell strips it before its "=" test: the host's.
bool is_formula_space(QChar c) { return trelvo::is_python_space(c.unicode()); }

// "=" and the moved formula with its leading blanks and "=" signs removed.
QString filled_formula(const QString& moved) {
  qsizetype i = 0;
  while (i < moved.size() && is_formula_space(moved.at(i))) ++i;
  while (i < moved.size() && moved.at(i) == QLatin1Char('=')) ++i;
  return QLatin1Char('=') + moved.mid(i);
}

QString cell_pair(int row, int col) { return QStringLiteral("(%1, %2)").arg(row).arg(col); }

}  // namespace

FormulaExpander::FormulaExpander(CleverTableWidget* parent,
                                 const QTableWidgetSelectionRange& region)
    : QDialog(parent), selected_region(region), table(parent) {
  label_ok = true;
  formula_ok = false;
  base_row = region.topRow();
  base_col = region.leftColumn();
  ensure_formula_cell(base_row, base_col);
  base_label = CleverTableWidget::get_label_from_item(base_item()).value_or(QString());
  last_row_ = region.bottomRow();
  last_col_ = region.rightColumn();
  ensure_formula_cell(last_row_, last_col_);
  last_label = CleverTableWidget::get_label_from_item(last_item()).value_or(QString());
  initUI();
}

FormulaExpander::~FormulaExpander() = default;

bool FormulaExpander::inside_grid(int row, int col) const {
  return row >= 0 && col >= 0 && row < table->rowCount() && col < table->columnCount();
}

void FormulaExpander::ensure_formula_cell(int row, int col) {
  if (!inside_grid(row, col)) {
    detached_base_ = std::make_unique<CleverTableWidgetItem>(QString());
    return;
  }
  QTableWidgetItem* it = table->item(row, col);
  if (asFormulaCell(it)) return;
  const QString text = cellText(it);
  table->set_cell_text(row, col, text);
}

CleverTableWidgetItem* FormulaExpander::base_item() const {
  if (!inside_grid(base_row, base_col)) return detached_base_.get();
  return asFormulaCell(table->item(base_row, base_col));
}

CleverTableWidgetItem* FormulaExpander::last_item() const {
  if (!inside_grid(last_row_, last_col_)) return nullptr;
  return asFormulaCell(table->item(last_row_, last_col_));
}

void FormulaExpander::initUI() {
  setWindowTitle(tr("应用拓展公式"));
  main_layout = new QVBoxLayout();

  auto* first = new QHBoxLayout();
  item_label = new QLabel(tr("基准单元格:"));
  item_edit = new QLineEdit(base_label);
  connect(item_edit, &QLineEdit::textChanged, this, &FormulaExpander::_item_edit_text_changed_);
  first->addWidget(item_label);
  first->addWidget(item_edit);
  main_layout->addLayout(first);

  auto* second = new QHBoxLayout();
  formula_label = new QLabel(tr("基准公式:"));
  formula_edit = new QLineEdit();
  if (const CleverTableWidgetItem* base = base_item(); base && base->is_formula) {
    formula_ok = true;
    formula_edit->setText(base->rawText());
  }
  connect(formula_edit, &QLineEdit::textChanged, this,
          &FormulaExpander::_formula_edit_text_changed_);
  second->addWidget(formula_label);
  second->addWidget(formula_edit);
  main_layout->addLayout(second);

  auto* third = new QHBoxLayout();
  range_label = new QLabel(tr("范围:"));
  range_edit = new QLineEdit(base_label + QLatin1Char(':') + last_label);
  range_edit->setReadOnly(true);
  third->addWidget(range_label);
  third->addWidget(range_edit);
  main_layout->addLayout(third);

  ok_button = new QPushButton(tr("确定"));
  connect(ok_button, &QPushButton::clicked, this, &QDialog::accept);
  main_layout->addWidget(ok_button);
  setLayout(main_layout);

  connect(this, &FormulaExpander::ButtonStateSignal, this, &FormulaExpander::_set_ok_button_state_);

  _item_edit_text_changed_(base_label);
  const CleverTableWidgetItem* base = base_item();
  _formula_edit_text_changed_(base ? base->rawText() : QString());
}

void FormulaExpander::_set_ok_button_state_() {
  ok_button->setEnabled(label_ok && formula_ok);
}

void FormulaExpander::_item_edit_text_changed_(const QString& text) {
  trelvo::guard_slot("_item_edit_text_changed_", [&] {
    const std::optional<CleverTableWidgetItem::Position> pos =
        CleverTableWidgetItem::label2index(text);
    if (!pos) {
      label_ok = false;
      emit ButtonStateSignal();
      return;
    }
    const auto [row, col] = *pos;
    label_ok = row >= selected_region.topRow() && row <= selected_region.bottomRow() &&
               col >= selected_region.leftColumn() && col <= selected_region.rightColumn();
    base_label = text;
    base_row = row;
    base_col = col;
    ensure_formula_cell(row, col);
    const CleverTableWidgetItem* base = base_item();
    formula_edit->setText(base && base->is_formula ? base->rawText() : QString());
    emit ButtonStateSignal();
  });
}

void FormulaExpander::_formula_edit_text_changed_(const QString& text) {
  trelvo::guard_slot("_formula_edit_text_changed_", [&] {
    const QString stripped = stripCellText(text).toString();
    if (stripped.startsWith(QLatin1Char('='))) {
      try {
        parse_expression(stripped.mid(1).toStdString(), false);
        formula_ok = true;
      } catch (const std::exception&) {
        formula_ok = false;
      }
    } else {
      formula_ok = false;
    }
    emit ButtonStateSignal();
  });
}

void CleverTableWidget::expand_formula() {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.size() != 1) return;
  const QTableWidgetSelectionRange range = ranges.front();
  if (range.rowCount() <= 1 && range.columnCount() <= 1) return;

  // On the heap: the dialog's event loop may delete the grid, and the dialog
  // with it.
  QPointer<FormulaExpander> dialog = new FormulaExpander(this, range);
  const int result = dialog->exec();
  if (!dialog) return;
  const QString base_formula = dialog->formula_edit->text();
  const QString base_label = dialog->item_edit->text();
  delete dialog;
  if (result != QDialog::Accepted) return;

  // Every cell of the range inside the grid takes a formula; so may the base
  // cell outside it.
  const int fill_bottom = std::min(range.bottomRow(), rowCount() - 1);
  const int fill_right = std::min(range.rightColumn(), columnCount() - 1);
  const qint64 fill_cells = qint64(std::max(0, fill_bottom - range.topRow() + 1)) *
                            std::max(0, fill_right - range.leftColumn() + 1);
  // Counted in cells: the texts are formulas whose results are yet to come.
  {
    Content after = content();
    after.filled += fill_cells;
    if (const auto pos = CleverTableWidgetItem::label2index(base_label)) {
      const auto [r, c] = *pos;
      const bool in_grid = r >= 0 && c >= 0 && r < rowCount() && c < columnCount();
      const bool in_fill = r >= range.topRow() && r <= fill_bottom && c >= range.leftColumn() && c <= fill_right;
      if (in_grid && !in_fill && trelvo::io::is_empty_cell_text(cellText(item(r, c)))) ++after.filled;
    }
    for (int row = range.topRow(); row <= fill_bottom; ++row)
      for (int col = range.leftColumn(); col <= fill_right; ++col)
        if (!trelvo::io::is_empty_cell_text(cellText(item(row, col)))) --after.filled;
    if (refuse_past_content_limits(after, "Formula fill")) return;
  }

  BulkGuard bulk(*this);
  int base_row = 0;
  int base_col = 0;
  // A base cell outside the grid (no label can name one once OK was pressed,
  // but the grid may have changed) is kept here, owned by the command.
  std::unique_ptr<CleverTableWidgetItem> detached;
  if (CleverTableWidgetItem* base = asFormulaCell(get_item_from_label(base_label))) {
    base_row = base->row();
    base_col = base->column();
  } else {
    const std::optional<CleverTableWidgetItem::Position> pos =
        CleverTableWidgetItem::label2index(base_label);
    if (!pos) return;
    base_row = pos->first;
    base_col = pos->second;
    const bool inside =
        base_row >= 0 && base_col >= 0 && base_row < rowCount() && base_col < columnCount();
    if (inside)
      setItem(base_row, base_col, new CleverTableWidgetItem(QString()));
    else
      detached = std::make_unique<CleverTableWidgetItem>(QString());
  }
  auto base_cell = [&]() -> CleverTableWidgetItem* {
    if (detached) return detached.get();
    return asFormulaCell(item(base_row, base_col));
  };

  if (CleverTableWidgetItem* base = base_cell(); base && base_formula != base->rawText()) {
    base->setText(base_formula);
    qDebug().noquote() << QStringLiteral("base item") + cell_pair(base_row, base_col) +
                              QStringLiteral(" set formula: ") + base_formula;
  }

  for (int row = range.topRow(); row <= range.bottomRow(); ++row) {
    for (int col = range.leftColumn(); col <= range.rightColumn(); ++col) {
      if (row >= rowCount() || col >= columnCount()) continue;
      if (!asFormulaCell(item(row, col))) setItem(row, col, new CleverTableWidgetItem(QString()));
      const CleverTableWidgetItem* base = base_cell();
      if (!base) return;
      const std::optional<QString> moved = base->formulaOffset(row - base_row, col - base_col);
      const QString text = filled_formula(moved.value_or(QString()));
      setCellText(item(row, col), text);
      const CleverTableWidgetItem* cell = asFormulaCell(item(row, col));
      qDebug().noquote() << QStringLiteral("item") + cell_pair(row, col) +
                                QStringLiteral(" set formula: ") +
                                (cell ? cell->rawText() : text);
    }
  }
}
