// Header renumbering and the header-title dialogs.
#include <QInputDialog>
#include <QLineEdit>

#include "sheetgrid/clevertablewidget.h"

QString CleverTableWidget::num_to_letters(long long n) {
  QString letters;
  while (n > 0) {
    n -= 1;
    letters.prepend(QChar(char16_t(u'A' + n % 26)));
    n /= 26;
  }
  return letters;
}

void CleverTableWidget::renumber_header_col() {
  if (!editable) return;
  for (int c = 0; c < columnCount(); ++c) {
    if (!horizontalHeaderItem(c)) setHorizontalHeaderItem(c, new CleverTableWidgetItem(QString()));
    setCellText(horizontalHeaderItem(c), num_to_letters(static_cast<long long>(c) + 1));
  }
}

void CleverTableWidget::renumber_header_row() {
  if (!editable) return;
  for (int r = 0; r < rowCount(); ++r) {
    if (!verticalHeaderItem(r)) setVerticalHeaderItem(r, new CleverTableWidgetItem(QString()));
    setCellText(verticalHeaderItem(r), QString::number(static_cast<long long>(r) + 1));
  }
}

void CleverTableWidget::renumber_header() {
  renumber_header_col();
  renumber_header_row();
}

void CleverTableWidget::disable_editing() {
  editable = false;
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CleverTableWidget::enable_editing() {
  editable = true;
  setEditTriggers(QAbstractItemView::DoubleClicked);
}

void CleverTableWidget::change_horizontal_header(int index) {
  if (!editable) return;
  if (index < 0 || index >= columnCount()) return;
  if (!horizontalHeaderItem(index)) {
    const QString title = model()->headerData(index, Qt::Horizontal).toString();
    setHorizontalHeaderItem(index, new CleverTableWidgetItem(title));
  }
  const QString old = cellText(horizontalHeaderItem(index));
  bool ok = false;
  const QString text = QInputDialog::getText(this, tr("设置列标题"),
                                             tr("请输入第%s列标题").replace(QStringLiteral("%s"), QString::number(index + 1)),
                                             QLineEdit::Normal, old, &ok);
  // The dialog ran an event loop: the header item is looked up again.
  if (ok && horizontalHeaderItem(index)) setCellText(horizontalHeaderItem(index), text);
}

void CleverTableWidget::change_vertical_header(int index) {
  if (!editable) return;
  if (index < 0 || index >= rowCount()) return;
  if (!verticalHeaderItem(index)) {
    const QString title = model()->headerData(index, Qt::Vertical).toString();
    setVerticalHeaderItem(index, new CleverTableWidgetItem(title));
  }
  const QString old = cellText(verticalHeaderItem(index));
  bool ok = false;
  const QString text = QInputDialog::getText(this, tr("设置行标题"),
                                             tr("请输入第%s行标题").replace(QStringLiteral("%s"), QString::number(index + 1)),
                                             QLineEdit::Normal, old, &ok);
  if (ok && verticalHeaderItem(index)) setCellText(verticalHeaderItem(index), text);
}
