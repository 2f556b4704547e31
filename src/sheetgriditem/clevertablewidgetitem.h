#pragma once
// The item of every grid cell the program creates or edits: it keeps the text
// as typed (the raw text) apart from the text Qt shows, evaluates "=" formulas
// over other cells of its table, and applies a number format to the shown text.
#include <QString>
#include <QStringList>
#include <QTableWidgetItem>
#include <QVariant>

#include <optional>
#include <utility>

#include "fitcore/export.h"
#include "fitcore/value.h"
#include "sheetgriditem/formulacache.h"
#include "sheetgriditem/heapoptional.h"

// Keeps Qt's default item type (QTableWidgetItem::Type): recognise it with
// dynamic_cast, or reach its text through cellText() / setCellText().
// Not meant as a table's item prototype.
//
// QTableWidgetItem::text() and setText() are not virtual: through a
// QTableWidgetItem* they reach the role data only. Use cellText() and
// setCellText() for every cell read and write.
class TRELVO_EXPORT CleverTableWidgetItem : public QTableWidgetItem {
 public:
  // The shown text and the number of a formula: a formula's result text and
  // its value (an int or a float; none after any error).
  using Result = std::pair<QString, std::optional<trelvo::Value>>;
  // A 0-based (row, column) position.
  using Position = std::pair<int, int>;

  // Builds the item and sets `text` (a formula is evaluated at once; outside a
  // table each of its references is reported empty).
  explicit CleverTableWidgetItem(const QString& text = QString());
  CleverTableWidgetItem(const CleverTableWidgetItem& other);
  CleverTableWidgetItem& operator=(const CleverTableWidgetItem&) = delete;
  ~CleverTableWidgetItem() override;

  // A copy with the same raw text, formula state, format and role data.
  QTableWidgetItem* clone() const override;

  // Stores the raw text, makes the cell a formula cell when the text stripped
  // of surrounding whitespace begins with "=", evaluates the formula, writes
  // the edit role and then the display role (the raw text, or the formula's
  // result), and re-applies a number format. Never throws on a bad formula:
  // the cell shows a text beginning "#ERR: ".
  void setText(const QString& text);
  // setText for a cell that is not in its table yet: its formula reads its
  // references through `site.lookup`, treats `site`'s row and column as its
  // own, and takes what `site.cache` already knows of the text (a formula
  // without references evaluates once per text), adding its work there.
  // Throws std::bad_alloc when an allocation fails while the formula is
  // evaluated and `site.out_of_memory_ends_run` is set.
  void setTextAt(const QString& text, const FormulaSite& site);
  // Shows the stored text again (a formula's result; the number format
  // applied) without evaluating anything: after Qt's in-cell editor wrote
  // its own text into the roles.
  void showStoredText();
  // Replaces the stored raw text only: no evaluation, roles and is_formula untouched.
  void setRawText(const QString& raw_text);
  QString rawText() const;
  // The formula's result for a formula cell, else the raw text; never the
  // role data or the formatted display.
  QString text() const;

  void setDisplayText(const QString& display_text);
  QVariant displayText() const;
  void setEditText(const QString& edit_text);
  // Invalid QVariant when the item holds no data.
  QVariant editText() const;

  // The number text() reads as (the host's float(text()), as the columns are
  // read), kept from the moment the text was last set: none for a text that
  // is no number, "" and " " among them. A number format changes the shown
  // text only, not this.
  std::optional<double> number() const;

  // (result, value) of a formula cell; none for a plain cell.
  std::optional<Result> formulaResult() const;
  // The rewritten formula of a formula cell (none when it never parsed); none
  // for a plain cell.
  std::optional<QString> formulaText() const;

  // Shows the number with `dec` decimals (dec >= 0), in scientific notation
  // ("%.*e") when `sci`, else fixed ("%.*f"); inf, -inf and nan for those
  // values. Only the display role changes. A cell without a number (text that
  // is no number, a failed formula) keeps its display; the flags are stored
  // all the same and apply on the next setText.
  void setFormat(int dec, bool sci = false);
  // Removes the format and sets the raw text again (a formula is re-evaluated
  // with the current texts of its references).
  void clearFormat();

  // The position of the A1 label at the start of `label` ("([A-Za-z]+)(\d+)",
  // anything after it ignored; A0 gives row -1). None when there is no label
  // or its row or column does not fit an int.
  static std::optional<Position> label2index(const QString& label);
  // "A1" for (0, 0); none when `row` or `col` is negative.
  static std::optional<QString> index2label(long long row, long long col);
  // The raw text with every reference moved by (row, col) offsets; a
  // reference that would move to a negative row or column stays as written.
  // None for a plain cell or a formula that never parsed.
  std::optional<QString> formulaOffset(int row, int col) const;

  // Evaluates the formula in `text` (the raw text) over the cell's table and
  // writes formula/args (on a successful parse), result and value. Returns
  // (result, value), or none when the cell is no formula cell. Errors end as
  // "#ERR: " texts ("#ERR: out of memory" for a failed allocation); nothing
  // is thrown, except std::bad_alloc for a cell whose site asks for it
  // (FormulaSite::out_of_memory_ends_run). Called by setText only.
  std::optional<Result> _calc_formula(const QString& text);

  // The raw text: exactly as typed.
  QString _raw_data;
  // From the last successful parse: the rewritten formula and its names.
  // Kept on the heap: most cells are no formula.
  trelvo::HeapOptional<QString> formula;
  trelvo::HeapOptional<QStringList> args;
  // What a formula cell shows, and its value (none after an error).
  trelvo::HeapOptional<QString> result;
  trelvo::HeapOptional<trelvo::Value> value;
  // Whether the raw text is a formula (next to the flags below: the item
  // packs tighter).
  bool is_formula = false;
  // The number format: applied, scientific, count of decimals.
  bool format = false;
  bool sci = false;
  std::optional<int> dec;

 private:
  // Reads text() into the kept number; run wherever text() may change
  // (setText, setRawText, _calc_formula).
  void keepNumber();
  bool has_number_ = false;
  double number_ = 0.0;
};

using CTWItem = CleverTableWidgetItem;

// The text of any cell: a formula cell's text(), a plain Qt item's own text;
// "" for null.
TRELVO_EXPORT QString cellText(const QTableWidgetItem* item);
// The number of any cell's text: a formula cell's number(), the host's
// float() of a plain Qt item's own text; none for null.
TRELVO_EXPORT std::optional<double> cellNumber(const QTableWidgetItem* item);
// Sets the text of any cell: the formula cell's setText(), or the plain Qt
// item's setText(). Null is ignored.
TRELVO_EXPORT void setCellText(QTableWidgetItem* item, const QString& text);
// The formula cell behind `item`, or null for a plain Qt item or null.
TRELVO_EXPORT CleverTableWidgetItem* asFormulaCell(QTableWidgetItem* item);
TRELVO_EXPORT const CleverTableWidgetItem* asFormulaCell(const QTableWidgetItem* item);
