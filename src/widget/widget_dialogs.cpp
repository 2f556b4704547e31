// The about box (with Qt's own about box behind its second button) and the
// theme dialog (widget style and light or dark colour scheme).
#include <QApplication>
#include <QComboBox>
#include <QDebug>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleFactory>
#include <QVBoxLayout>

#include "sheetgrid/slotguard.h"
#include "widget/colorscheme.h"
#include "widget/widget.h"

void Widget::onAboutBtnClicked() {
  QMessageBox dialog(this);
  dialog.setWindowTitle(tr("关于本程序"));
  dialog.setInformativeText(tr("...声明...\n"));
  QPushButton* close = dialog.addButton(tr("关闭"), QMessageBox::AcceptRole);
  QPushButton* btn = dialog.addButton(tr("Qt版本信息"), QMessageBox::RejectRole);
  // Escape closes the box; only a click on btn opens Qt's box.
  dialog.setEscapeButton(close);
  connect(btn, &QPushButton::clicked, this,
          [this] { trelvo::guard_slot("onQtBtnClicked", [this] { onQtBtnClicked(); }); });
  dialog.exec();
}

void Widget::onQtBtnClicked() {
  const QString version = QStringLiteral(QT_VERSION_STR);
  qDebug().noquote() << QStringLiteral("Qt version: ") + version;
  QMessageBox::aboutQt(this, tr("Qt版本: ") + version);
}

void Widget::onThemeBtnClicked() {
  QDialog dialog(this);
  dialog.setWindowTitle(tr("选择主题风格"));
  dialog.setMinimumSize(300, 150);
  auto* layout = new QVBoxLayout(&dialog);
  auto* theme_label = new QLabel(tr("选择主题:"));
  auto* theme_list = new QListWidget(&dialog);
  theme_list->addItems(QStyleFactory::keys());
  theme_list->setCurrentRow(0);
  auto* color_label = new QLabel(tr("选择颜色:"));
  auto* color_combo = new QComboBox(&dialog);
  color_combo->addItems({QStringLiteral("Light"), QStringLiteral("Dark")});
  auto* ok_button = new QPushButton(tr("确定"), &dialog);
  connect(ok_button, &QPushButton::clicked, &dialog, &QDialog::accept);
  layout->addWidget(theme_label);
  layout->addWidget(theme_list);
  layout->addWidget(color_label);
  layout->addWidget(color_combo);
  layout->addWidget(ok_button);

  if (dialog.exec() != QDialog::Accepted) return;
  const QList<QListWidgetItem*> selected = theme_list->selectedItems();
  if (selected.isEmpty()) return;
  const QString theme = selected.first()->text();
  const QString color = color_combo->currentText();
  // The style first: setting a style resets the palette the scheme applies.
  QApplication::setStyle(theme);
  if (color == QLatin1String("Light"))
    trelvo::setColorScheme(trelvo::ColorScheme::Light);
  else if (color == QLatin1String("Dark"))
    trelvo::setColorScheme(trelvo::ColorScheme::Dark);
}
