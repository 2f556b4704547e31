#include "sheetgriditem/formulacache.h"

#include <QDebug>
#include <QLoggingCategory>

#include <exception>
#include <new>
#include <string>
#include <vector>

#include "fitcore/expression.h"
#include "fitcore/numtext.h"
#include "fitcore/strrepr.h"

namespace {

// Entries and characters of formula text the cache holds at most.
constexpr qsizetype kCacheEntries = 4096;
constexpr qint64 kCacheUnits = 8 * 1024 * 1024;

QString qs(const std::string& s) { return QString::fromStdString(s); }

QString names_repr(const QStringList& names) {
  std::vector<std::string> items;
  items.reserve(names.size());
  for (const QString& n : names) items.push_back(n.toStdString());
  return qs(trelvo::repr_str_list(items));
}

}  // namespace

QStringView stripCellText(QStringView text) {
  const std::u16string_view stripped =
      trelvo::strip_python_space(std::u16string_view(text.utf16(), static_cast<std::size_t>(text.size())));
  return text.mid(static_cast<qsizetype>(stripped.data() - text.utf16()), static_cast<qsizetype>(stripped.size()));
}

FormulaCache::Entry FormulaCache::parse(const QString& text) {
  Entry e;
  e.text = text;
  try {
    const QByteArray expression = stripCellText(text).mid(1).toUtf8();
    auto [converted, names] = parse_expression(expression.toStdString(), false);
    e.formula = qs(converted);
    for (const std::string& n : names) e.args.append(qs(n));
    e.parsed = true;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& ex) {
    e.error = QString::fromUtf8(ex.what());
    return e;
  }
  if (QLoggingCategory::defaultCategory()->isDebugEnabled())
    qDebug().noquote() << QStringLiteral("Parsed formula: ") + e.formula + QStringLiteral(", args: ") +
                              names_repr(e.args);
  return e;
}

FormulaCache::Entry& FormulaCache::entry(const QString& text) {
  const QChar* data = text.constData();
  if (const auto found = by_data_.constFind(data); found != by_data_.constEnd() && (*found)->text.size() == text.size())
    return **found;
  if (const auto found = by_text_.constFind(text); found != by_text_.constEnd()) return **found;
  work_ += text.size();
  Entry made = parse(text);
  const qint64 units = text.size() + made.formula.size();
  if (static_cast<qsizetype>(entries_.size()) >= kCacheEntries || held_units_ + units > kCacheUnits) {
    by_data_.clear();
    by_text_.clear();
    entries_.clear();
    held_units_ = 0;
  }
  held_units_ += units;
  Entry& e = entries_.emplace_back(std::move(made));
  by_text_.insert(e.text, &e);
  by_data_.insert(e.text.constData(), &e);
  return e;
}
