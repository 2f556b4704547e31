#include "sheetgriditem/formulacache.h"

#include <QDebug>
#include <QLoggingCategory>

#include <exception>
#include <new>
#include <string>
#include <vector>

#include "fitcore/expression.h"
#include "fitcore/strrepr.h"

namespace {

// Entries and characters of formula text the cache holds at most.
constexpr qsizetype kCacheEntries = 4096;
constexpr qint64 kCacheUnits = 8 * 1024 * 1024;

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The host's whitespace (str.isspace()), which str.strip() removes.
bool is_py_space(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80) return (u >= 0x09 && u <= 0x0d) || (u >= 0x1c && u <= 0x20);
  return u == 0x85 || u == 0xa0 || u == 0x1680 || (u >= 0x2000 && u <= 0x200a) || u == 0x2028 ||
         u == 0x2029 || u == 0x202f || u == 0x205f || u == 0x3000;
}

QStringView py_strip(QStringView text) {
  qsizetype b = 0, e = text.size();
  while (b < e && is_py_space(text[b])) ++b;
  while (e > b && is_py_space(text[e - 1])) --e;
  return text.mid(b, e - b);
}

QString names_repr(const QStringList& names) {
  std::vector<std::string> items;
  items.reserve(names.size());
  for (const QString& n : names) items.push_back(n.toStdString());
  return qs(trelvo::repr_str_list(items));
}

}  // namespace

FormulaCache::Entry FormulaCache::parse(const QString& text) {
  Entry e;
  e.text = text;
  const QString expression = py_strip(text).mid(1).toString();
  try {
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
  const QChar* key = text.constData();
  if (const auto found = entries_.constFind(key); found != entries_.constEnd() && (*found)->text.size() == text.size())
    return **found;
  work_ += text.size();
  auto made = std::make_shared<Entry>(parse(text));
  const qint64 units = text.size() + made->formula.size();
  if (entries_.size() >= kCacheEntries || held_units_ + units > kCacheUnits) {
    entries_.clear();
    held_units_ = 0;
  }
  held_units_ += units;
  return **entries_.insert(key, std::move(made));
}
