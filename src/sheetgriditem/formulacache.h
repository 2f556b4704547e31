#pragma once
// What a run of many formula cells (a load) learns once per formula text:
// the check and rewrite by parse_expression, the compiled expression, and
// the result of a formula without references. It also counts the formula
// work done, so that the run can stop once a budget is passed.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTableWidgetItem>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "fitcore/evaluator.h"
#include "fitcore/export.h"
#include "fitcore/value.h"

// `text` without the host's whitespace at either end (str.strip()), as a
// formula cell strips its raw text before the "=" test.
TRELVO_EXPORT QStringView stripCellText(QStringView text);

class TRELVO_EXPORT FormulaCache {
 public:
  // One formula text: its parse, and what follows from it.
  struct Entry {
    QString text;       // the raw text (kept, so that its data stays where it is)
    bool parsed = false;
    QString error;      // parse_expression's message when !parsed
    QString formula;    // the rewritten expression
    QStringList args;   // its names
    // Compiled on first use with the names bound; the message when compiling failed.
    std::optional<trelvo::Expression> compiled;
    std::optional<QString> compile_error;
    int evaluations = 0;  // cells that evaluated the compiled form
    // A formula without references: its (result, value) once evaluated.
    std::optional<std::pair<QString, std::optional<trelvo::Value>>> constant;
  };

  // Parses the expression of `text` (a formula's raw text); writes the
  // "Parsed formula" debug line on success. A failed allocation is thrown
  // (std::bad_alloc), never kept as the text's parse error.
  static Entry parse(const QString& text);

  // The entry of `text`, valid until the next call. Texts are recognised by
  // their content, so equal texts are parsed once, wherever they came from;
  // cells holding one string (a workbook's shared string) find its entry by
  // the string's shared data, without reading it again. Parsing counts the
  // text's length as work. The cache keeps a bounded number of entries and
  // characters; past them it starts afresh.
  Entry& entry(const QString& text);

  // Formula work so far: characters parsed and evaluated, references read.
  qint64 work() const { return work_; }
  void addWork(qint64 units) { work_ += units; }

 private:
  std::deque<Entry> entries_;  // stable while entries are added
  QHash<QString, Entry*> by_text_;
  // Each entry under its own text's data, which the entry holds, so the
  // data stays where it is and unchanged.
  QHash<const QChar*, Entry*> by_data_;
  qint64 held_units_ = 0;
  qint64 work_ = 0;
};

// Where a formula cell that is not in its table yet will stand, how it reads
// the cells it refers to, and the cache of the run it is part of.
struct FormulaSite {
  int row = -1;
  int column = -1;
  // The item at (row, column) as the formula sees it, or null.
  std::function<const QTableWidgetItem*(int row, int column)> lookup;
  FormulaCache* cache = nullptr;
  // A failed allocation while the formula is evaluated ends the run: it
  // leaves setTextAt as std::bad_alloc instead of becoming the cell's
  // "#ERR: out of memory" text (a load is refused whole rather than placing
  // cells that show it).
  bool out_of_memory_ends_run = false;
};
