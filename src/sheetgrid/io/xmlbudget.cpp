#include "sheetgrid/io/xmlbudget.h"

namespace trelvo::io {

QString XmlBudget::description_refusal(const char* what, qint64 cap) const {
  return QStringLiteral("The parts describing the sheet hold more than %1 %2").arg(cap).arg(QLatin1String(what));
}

QString XmlBudget::load_refusal(const char* what, qint64 base, qint64 per_value) const {
  return QStringLiteral("The workbook holds more than %1 %2 (%3 values read)")
      .arg(base + per_value * values_)
      .arg(QLatin1String(what))
      .arg(values_);
}

}  // namespace trelvo::io
