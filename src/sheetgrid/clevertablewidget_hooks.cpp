// Cell editing hooks: plain items become formula cells, and the double-click
// editor shows the typed text and reports its text to the owner.
#include <QDebug>
#include <QLineEdit>
#include <QVariant>

#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/slotguard.h"

namespace {

QString cell_pair(int row, int col) { return QStringLiteral("(%1, %2)").arg(row).arg(col); }

// Set on an in-cell editor that Escape closed.
constexpr char kCancelled[] = "trelvo_cancelled";

}  // namespace

CleverTableWidgetItem* CleverTableWidget::replace_with_formula_cell(int row, int col,
                                                                  const QString& text) {
  if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount()) return nullptr;
  setItem(row, col, new CleverTableWidgetItem(QString()));
  // setItem emitted cellChanged: fetch the new cell afresh.
  if (CleverTableWidgetItem* cell = asFormulaCell(item(row, col))) cell->setText(text);
  qDebug().noquote() << QStringLiteral("Replace item ") + cell_pair(row, col) +
                            QStringLiteral(" with CTWItem");
  return asFormulaCell(item(row, col));
}

void CleverTableWidget::_cell_change_(int row, int col) {
  trelvo::guard_slot("_cell_change_", [&] {
    QTableWidgetItem* it = item(row, col);
    if (!it) return;
    if (!asFormulaCell(it)) {
      const QString text = cellText(it);
      replace_with_formula_cell(row, col, text);
    }
    _max_content_pos();
  });
}

void CleverTableWidget::_cell_double_clicked_(int row, int col) {
  trelvo::guard_slot("_cell_double_clicked_", [&] {
    QTableWidgetItem* it = item(row, col);
    if (!it || !asFormulaCell(it)) {
      const QString text = it ? cellText(it) : QString();
      replace_with_formula_cell(row, col, text);
    }
    CleverTableWidgetItem* cell = asFormulaCell(item(row, col));
    if (!cell) return;
    editItem(cell);
    cell = asFormulaCell(item(row, col));
    if (!cell || !isPersistentEditorOpen(cell)) return;
    const QModelIndex index = indexFromItem(cell);
    auto* editor = qobject_cast<QLineEdit*>(indexWidget(index));
    if (!editor) editor = findChild<QLineEdit*>();
    if (!editor) return;
    qDebug().noquote() << QStringLiteral("Editor is open for item ") +
                              cell_pair(cell->row(), cell->column());
    editor->setText(cell->rawText());
    // The cell is named by its index, not its pointer: the item can be
    // replaced while the editor is open.
    const QPersistentModelIndex where(index);
    connect(editor, &QLineEdit::textChanged, this,
            [this, where, editor] { emit_editor_text(where, editor, false); });
    connect(editor, &QLineEdit::editingFinished, this,
            [this, where, editor] { emit_editor_text(where, editor, true); });
  });
}

void CleverTableWidget::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Closing moves the focus away from the editor, which then reports its end
  // (editingFinished) from inside the base class's handling.
  if (editor && hint == QAbstractItemDelegate::RevertModelCache) editor->setProperty(kCancelled, true);
  QTableWidget::closeEditor(editor, hint);
}

void CleverTableWidget::emit_editor_text(const QPersistentModelIndex& where, QLineEdit* editor,
                                         bool finished) {
  trelvo::guard_slot(finished ? "ItemTextFinishedSignal" : "ItemTextChangedSignal", [&] {
    if (!where.isValid()) return;
    CleverTableWidgetItem* cell = asFormulaCell(itemFromIndex(where));
    if (!cell) return;
    // Escape: the cell keeps its text, shown value and number untouched.
    if (finished && editor->property(kCancelled).toBool()) return;
    const QString text = editor->text();
    if (finished)
      emit ItemTextFinishedSignal(cell, text);
    else
      emit ItemTextChangedSignal(cell, text);
  });
}
