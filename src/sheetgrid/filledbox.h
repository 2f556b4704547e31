#pragma once
// The message box whose text is a translated template filled with a value.
#include <QMessageBox>
#include <QString>
#include <QWidget>

namespace trelvo {

// Shows the modal box of `icon` (Information, Warning or Critical) titled
// `title` with the text `text_template`, already translated, its %1 filled
// with `value`. Callers pass tr("…%1"): the template is translated whole and
// filled afterwards, so a value never reaches the translation lookup.
inline void show_filled_box(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                            const QString& text_template, const QString& value) {
  const QString text = text_template.arg(value);
  switch (icon) {
    case QMessageBox::Information: QMessageBox::information(parent, title, text); break;
    case QMessageBox::Critical: QMessageBox::critical(parent, title, text); break;
    default: QMessageBox::warning(parent, title, text); break;
  }
}

}  // namespace trelvo
