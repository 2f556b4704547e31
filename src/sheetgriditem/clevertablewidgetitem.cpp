#include "sheetgriditem/clevertablewidgetitem.h"

#include <QDebug>
#include <QLoggingCategory>
#include <QTableWidget>

#include <algorithm>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "fitcore/a1label.h"
#include "fitcore/errors.h"
#include "fitcore/evaluator.h"
#include "fitcore/expression.h"
#include "fitcore/numpyprint.h"
#include "fitcore/numtext.h"
#include "fitcore/strrepr.h"

namespace {

// The site of the cell whose text setTextAt is setting (GUI thread only).
const FormulaSite* current_site = nullptr;

QString qs(const std::string& s) { return QString::fromStdString(s); }

bool is_ascii_alnum(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9');
}

std::optional<double> read_number(QStringView text) {
  return trelvo::parse_python_float(std::u16string_view(text.utf16(), static_cast<std::size_t>(text.size())));
}

// The value as the host prints it (str()): plain digits for an int, the
// shortest round-trip text for a float.
QString value_text(const trelvo::Value& v) {
  if (v.is_array()) return qs(trelvo::numpy_array_str(v.a));
  if (v.is_int()) return qs(trelvo::repr_int(v.i));
  return qs(trelvo::repr_double(v.f));
}

// The message of a failure, as the formula error text carries it after "#ERR: ".
QString error_message(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e)) return QStringLiteral("out of memory");
  return QString::fromUtf8(e.what());
}


}  // namespace

CleverTableWidgetItem::CleverTableWidgetItem(const QString& text) : QTableWidgetItem(text) {
  setText(text);
}

CleverTableWidgetItem::CleverTableWidgetItem(const CleverTableWidgetItem& other) = default;

CleverTableWidgetItem::~CleverTableWidgetItem() = default;

QTableWidgetItem* CleverTableWidgetItem::clone() const { return new CleverTableWidgetItem(*this); }

void CleverTableWidgetItem::setText(const QString& text) {
  _raw_data = text;
  if (stripCellText(text).startsWith(QLatin1Char('='))) {
    is_formula = true;
    const std::optional<Result> r = _calc_formula(text);
    setEditText(text);
    setDisplayText(r ? r->first : QString());
  } else {
    is_formula = false;
    formula.reset();
    args.reset();
    result.reset();
    value.reset();
    setEditText(text);
    setDisplayText(text);
    keepNumber();
  }
  if (format) setFormat(dec.value_or(0), sci);
}

void CleverTableWidgetItem::showStoredText() {
  setEditText(_raw_data);
  setDisplayText(text());
  if (format) setFormat(dec.value_or(0), sci);
}

void CleverTableWidgetItem::setRawText(const QString& raw_text) {
  _raw_data = raw_text;
  keepNumber();
}

std::optional<double> CleverTableWidgetItem::number() const {
  if (!has_number_) return std::nullopt;
  return number_;
}

void CleverTableWidgetItem::keepNumber() {
  const std::optional<double> n = read_number(text());
  has_number_ = n.has_value();
  number_ = n.value_or(0.0);
}

QString CleverTableWidgetItem::rawText() const { return _raw_data; }

QString CleverTableWidgetItem::text() const {
  if (is_formula) return result.value_or(QString());
  return _raw_data;
}

void CleverTableWidgetItem::setDisplayText(const QString& display_text) {
  setData(Qt::DisplayRole, display_text);
}

QVariant CleverTableWidgetItem::displayText() const { return data(Qt::DisplayRole); }

void CleverTableWidgetItem::setEditText(const QString& edit_text) { setData(Qt::EditRole, edit_text); }

QVariant CleverTableWidgetItem::editText() const { return data(Qt::EditRole); }

std::optional<CleverTableWidgetItem::Result> CleverTableWidgetItem::formulaResult() const {
  if (!is_formula) return std::nullopt;
  return Result{result.value_or(QString()), value};
}

std::optional<QString> CleverTableWidgetItem::formulaText() const {
  if (!is_formula) return std::nullopt;
  return formula;
}

void CleverTableWidgetItem::setFormat(int dec_, bool sci_) {
  if (dec_ < 0) trelvo::raise(trelvo::ErrorKind::ValueError, "Format specifier missing precision");
  format = true;
  sci = sci_;
  dec = dec_;
  double number = 0.0;
  if (is_formula) {
    if (!value || !value->is_scalar()) return;
    number = value->as_double();
  } else {
    if (!has_number_) return;
    number = number_;
  }
  setDisplayText(qs(trelvo::format_number(number, sci_, dec_)));
}

void CleverTableWidgetItem::clearFormat() {
  format = false;
  sci = false;
  dec.reset();
  setText(_raw_data);
}

std::optional<CleverTableWidgetItem::Position> CleverTableWidgetItem::label2index(const QString& label) {
  const std::optional<trelvo::a1::Label> l = trelvo::a1::parse_label(
      std::u16string_view(QStringView(label).utf16(), static_cast<std::size_t>(label.size())));
  if (!l) return std::nullopt;
  return Position{static_cast<int>(l->row), static_cast<int>(l->col)};
}

std::optional<QString> CleverTableWidgetItem::index2label(long long row, long long col) {
  const std::optional<std::string> label = trelvo::a1::cell_label(row, col);
  if (!label) return std::nullopt;
  return QString::fromLatin1(label->data(), static_cast<qsizetype>(label->size()));
}

std::optional<QString> CleverTableWidgetItem::formulaOffset(int row, int col) const {
  if (!is_formula || !args) return std::nullopt;
  if (row == 0 && col == 0) return _raw_data;

  struct Move {
    QString name;
    QString label;
  };
  QStringList names = *args;
  std::sort(names.begin(), names.end());
  std::vector<Move> moves;
  for (const QString& name : names) {
    const std::optional<Position> pos = label2index(name);
    if (!pos) continue;
    const std::optional<QString> moved =
        index2label(static_cast<long long>(pos->first) + row, static_cast<long long>(pos->second) + col);
    if (!moved) continue;
    moves.push_back({name, *moved});
  }
  // Longest name first, so that an occurrence is replaced by the name it spells in full.
  std::stable_sort(moves.begin(), moves.end(),
                   [](const Move& a, const Move& b) { return a.name.size() > b.name.size(); });

  const QString& text = _raw_data;
  QString out;
  out.reserve(text.size());
  qsizetype i = 0;
  while (i < text.size()) {
    bool replaced = false;
    if (i == 0 || !is_ascii_alnum(text[i - 1])) {
      for (const Move& m : moves) {
        const qsizetype len = m.name.size();
        if (i + len > text.size()) continue;
        if (QStringView(text).mid(i, len).compare(m.name, Qt::CaseInsensitive) != 0) continue;
        if (i + len < text.size() && is_ascii_alnum(text[i + len])) continue;
        out += m.label;
        i += len;
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      out += text[i];
      ++i;
    }
  }
  return out;
}

void CleverTableWidgetItem::setTextAt(const QString& text, const FormulaSite& site) {
  struct Restore {
    const FormulaSite* was = current_site;
    ~Restore() { current_site = was; }
  } restore;
  current_site = &site;
  setText(text);
}

std::optional<CleverTableWidgetItem::Result> CleverTableWidgetItem::_calc_formula(const QString& text) {
  if (!is_formula) return std::nullopt;
  auto fail = [this](const QString& message) {
    result = QStringLiteral("#ERR: ") + message;
    value.reset();
    keepNumber();
    return Result{*result, value};
  };

  const FormulaSite* const site = current_site;
  // A failed allocation shows as the cell's error text, unless the cell's
  // run (a load) is to end with it: then it goes on to the caller.
  const auto out_of_memory = [&](const std::bad_alloc& e) {
    if (site && site->out_of_memory_ends_run) throw;
    return fail(error_message(e));
  };
  FormulaCache* const cache = site ? site->cache : nullptr;
  std::optional<FormulaCache::Entry> own;
  FormulaCache::Entry* entry = nullptr;
  try {
    if (cache) {
      entry = &cache->entry(text);
    } else {
      own = FormulaCache::parse(text);
      entry = &*own;
    }
  } catch (const std::bad_alloc& e) {
    return out_of_memory(e);
  } catch (const std::exception& e) {
    return fail(error_message(e));
  }
  if (!entry->parsed) return fail(entry->error);
  formula = entry->formula;
  args = entry->args;
  if (entry->constant) {
    result = entry->constant->first;
    if (entry->constant->second) value = *entry->constant->second;
    else value.reset();
    keepNumber();
    return Result{*result, value};
  }

  const bool debug = QLoggingCategory::defaultCategory()->isDebugEnabled();
  const QTableWidget* table = tableWidget();
  const int own_row = site ? site->row : row();
  const int own_col = site ? site->column : column();
  std::vector<trelvo::Value> values;
  values.reserve(static_cast<std::size_t>(entry->args.size()));
  if (cache) cache->addWork(entry->args.size());
  for (const QString& arg : entry->args) {
    const QString label = arg.toUpper();
    const std::optional<Position> pos = label2index(label);
    if (!pos) return fail(label + QStringLiteral(" is invalid"));
    if (pos->first == own_row && pos->second == own_col) return fail(label + QStringLiteral(" is self-referencing"));
    if (debug)
      qDebug().noquote() << QStringLiteral("label2index(%1) = (%2, %3)").arg(label).arg(pos->first).arg(pos->second);
    const QTableWidgetItem* item =
        site ? site->lookup(pos->first, pos->second) : (table ? table->item(pos->first, pos->second) : nullptr);
    if (!item) return fail(label + QStringLiteral(" is empty"));
    const std::optional<double> number = cellNumber(item);
    if (!number) return fail(label + QStringLiteral(" is not a value"));
    // The number is bound to the name as it is written, so it keeps its sign
    // under every operator (-2 squared is 4.0).
    values.push_back(trelvo::Value::real(*number));
  }

  try {
    if (!entry->compiled && !entry->compile_error) {
      std::vector<std::string> bound;
      bound.reserve(static_cast<std::size_t>(entry->args.size()));
      for (const QString& arg : entry->args) bound.push_back(arg.toStdString());
      try {
        entry->compiled = trelvo::Expression::compile(entry->formula.toStdString(), bound);
      } catch (const std::bad_alloc&) {
        throw;
      } catch (const std::exception& e) {
        entry->compile_error = error_message(e);
      }
    }
    if (entry->compile_error) return fail(*entry->compile_error);
    if (cache) cache->addWork(entry->formula.size());
    trelvo::Value v = entry->compiled->eval(values);
    result = value_text(v);
    value = std::move(v);
  } catch (const std::bad_alloc& e) {
    return out_of_memory(e);
  } catch (const std::exception& e) {
    fail(error_message(e));
  }
  if (cache) {
    ++entry->evaluations;
    if (entry->args.isEmpty()) {
      // Without references the same text always gives the same result; its
      // compiled form is not needed again.
      entry->constant = Result{*result, value};
      entry->compiled.reset();
    } else if (entry->evaluations == 1) {
      // Most texts of a load are met once: the first cell of a text keeps no
      // compiled form, so that the next text's compile reuses its memory
      // instead of touching fresh pages; from its second cell on a text
      // keeps it.
      entry->compiled.reset();
    }
  }
  keepNumber();
  return Result{*result, value};
}

std::optional<double> cellNumber(const QTableWidgetItem* item) {
  if (!item) return std::nullopt;
  if (const CleverTableWidgetItem* cell = asFormulaCell(item)) return cell->number();
  return read_number(item->text());
}

CleverTableWidgetItem* asFormulaCell(QTableWidgetItem* item) { return dynamic_cast<CleverTableWidgetItem*>(item); }

const CleverTableWidgetItem* asFormulaCell(const QTableWidgetItem* item) {
  return dynamic_cast<const CleverTableWidgetItem*>(item);
}

QString cellText(const QTableWidgetItem* item) {
  if (!item) return QString();
  if (const CleverTableWidgetItem* cell = asFormulaCell(item)) return cell->text();
  return item->text();
}

void setCellText(QTableWidgetItem* item, const QString& text) {
  if (!item) return;
  if (CleverTableWidgetItem* cell = asFormulaCell(item)) {
    cell->setText(text);
    return;
  }
  item->setText(text);
}
