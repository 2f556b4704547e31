#pragma once
// Shared pieces of the window's fit procedures (internal to the widget library).
#include <QLoggingCategory>
#include <QMessageBox>
#include <QString>

#include <string>
#include <vector>

#include "fitcore/numtext.h"
#include "widget/widget.h"

namespace trelvo::fitflow {

// Python's "pattern % value" for a pattern with one "%s", then translated
// under the context "Widget": the value is joined in before translation.
inline QString trFilled(const char* pattern, const QString& value) {
  QString filled = QString::fromUtf8(pattern);
  const qsizetype at = filled.indexOf(QLatin1String("%s"));
  if (at >= 0) filled.replace(at, 2, value);
  return Widget::tr(filled.toUtf8().constData());
}

// True when debug lines are written: a debug text is built only then.
inline bool debugOn() { return QLoggingCategory::defaultCategory()->isDebugEnabled(); }

// A list as a debug line shows it (brief_double_list).
inline QString listText(const std::vector<double>& values) {
  return QString::fromStdString(brief_double_list(values));
}

inline QString numberRepr(double value) { return QString::fromStdString(repr_double(value)); }

// The two boxes of a failed construction or fit, each with the error's text
// after a blank line.
inline void showInitError(Widget* w, const std::exception& e) {
  QMessageBox::warning(w, Widget::tr("初始化错误"),
                       trFilled(QT_TRANSLATE_NOOP("Widget", "初始化失败，请检查输入数据\n\n%s"),
                                QString::fromUtf8(e.what())));
}

inline void showFitError(Widget* w, const std::exception& e) {
  QMessageBox::warning(w, Widget::tr("拟合错误"),
                       trFilled(QT_TRANSLATE_NOOP("Widget", "拟合失败，请检查输入数据\n\n%s"),
                                QString::fromUtf8(e.what())));
}

// Writes the pane text of a successful fit and its two debug lines.
void showPane(Widget* w, const QString& r2Line, const QString& formula, const QString& text);

}  // namespace trelvo::fitflow
