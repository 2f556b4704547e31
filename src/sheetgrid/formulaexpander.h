#pragma once
// The formula-fill dialog of CleverTableWidget::expand_formula: asks for the
// base cell (an A1 label) and the base formula, shows the range, and enables
// OK only while the label names a cell inside the range and the formula
// passes the model-expression check.
#include <QDialog>
#include <QString>
#include <QTableWidgetSelectionRange>

#include <memory>

#include "fitcore/export.h"

class CleverTableWidget;
class CleverTableWidgetItem;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

class TRELVO_EXPORT FormulaExpander : public QDialog {
  Q_OBJECT

 signals:
  // Emitted as the last step of each field check; drives the OK state.
  void ButtonStateSignal();

 public:
  // `parent` is the grid being filled (the dialog's Qt parent). Turns the
  // range's top-left and bottom-right cells into formula cells (same text),
  // then builds the widgets (initUI).
  FormulaExpander(CleverTableWidget* parent, const QTableWidgetSelectionRange& selected_region);
  ~FormulaExpander() override;

  void initUI();

  // The cell the base-cell field names at present: a formula cell of the
  // grid, or one owned by the dialog when the label lies outside the grid.
  // Looked up on each call; valid until the grid next changes.
  CleverTableWidgetItem* base_item() const;
  // The range's bottom-right cell, looked up likewise.
  CleverTableWidgetItem* last_item() const;

  bool label_ok = true;
  bool formula_ok = false;
  QTableWidgetSelectionRange selected_region;
  int base_row = 0;
  int base_col = 0;
  QString base_label;
  QString last_label;
  CleverTableWidget* table = nullptr;

  QVBoxLayout* main_layout = nullptr;
  QLabel* item_label = nullptr;
  QLineEdit* item_edit = nullptr;
  QLabel* formula_label = nullptr;
  QLineEdit* formula_edit = nullptr;
  QLabel* range_label = nullptr;
  QLineEdit* range_edit = nullptr;
  QPushButton* ok_button = nullptr;

 public slots:
  // Enables OK exactly when label_ok and formula_ok.
  void _set_ok_button_state_();
  // Base-cell check: a text that is no label sets label_ok false and changes
  // nothing else; a label makes its cell the base cell (a formula cell from
  // then on), sets label_ok to "inside the range", and fills the formula field
  // with that cell's typed formula (or empties it).
  void _item_edit_text_changed_(const QString& text);
  // Formula check: "=" after blanks, and the rest accepted by parse_expression.
  void _formula_edit_text_changed_(const QString& text);

 private:
  // Makes (row, col) a formula cell of the same text; outside the grid the
  // dialog keeps an empty one of its own.
  void ensure_formula_cell(int row, int col);
  bool inside_grid(int row, int col) const;

  int last_row_ = 0;
  int last_col_ = 0;
  std::unique_ptr<CleverTableWidgetItem> detached_base_;
};
