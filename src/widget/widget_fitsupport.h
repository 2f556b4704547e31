#pragma once
// Shared pieces of the window's fit procedures (internal to the widget library).
#include <QLoggingCategory>
#include <QMessageBox>
#include <QString>

#include <string>
#include <vector>

#include "fitcore/numtext.h"
#include "sheetgrid/filledbox.h"
#include "widget/widget.h"

namespace trelvo::fitflow {

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
  show_filled_box(w, QMessageBox::Warning, Widget::tr("初始化错误"),
                  Widget::tr("初始化失败，请检查输入数据\n\n%1"), QString::fromUtf8(e.what()));
}

inline void showFitError(Widget* w, const std::exception& e) {
  show_filled_box(w, QMessageBox::Warning, Widget::tr("拟合错误"),
                  Widget::tr("拟合失败，请检查输入数据\n\n%1"), QString::fromUtf8(e.what()));
}

// Writes the pane text of a successful fit and its two debug lines.
void showPane(Widget* w, const QString& r2Line, const QString& formula, const QString& text);

}  // namespace trelvo::fitflow
