// The number-format dialog.
#include "sheetgrid/formatdialog.h"

#include <QCheckBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

FormatDialog::FormatDialog(QWidget* parent, bool sci, std::optional<int> dec) : QDialog(parent) {
  setWindowTitle(tr("设置数字格式"));
  resize(300, 150);

  decimal_spin = new QSpinBox;
  decimal_spin->setRange(0, 15);
  decimal_spin->setValue(dec.value_or(2));
  sci_checkbox = new QCheckBox(tr("使用科学计数法"));
  sci_checkbox->setChecked(sci);
  clear_btn = new QPushButton(tr("清除格式"));
  ok_btn = new QPushButton(tr("确定"));
  cancel_btn = new QPushButton(tr("取消"));
  // Enter confirms the shown format rather than clearing it.
  ok_btn->setDefault(true);

  auto* decimals_row = new QHBoxLayout;
  decimals_row->addWidget(new QLabel(tr("小数点位数:")));
  decimals_row->addWidget(decimal_spin);
  auto* sci_row = new QHBoxLayout;
  sci_row->addWidget(sci_checkbox);
  auto* buttons_row = new QHBoxLayout;
  buttons_row->addWidget(clear_btn);
  buttons_row->addWidget(ok_btn);
  buttons_row->addWidget(cancel_btn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(decimals_row);
  layout->addLayout(sci_row);
  layout->addLayout(buttons_row);

  connect(ok_btn, &QPushButton::clicked, this, &FormatDialog::accept);
  connect(cancel_btn, &QPushButton::clicked, this, &QDialog::reject);
  connect(clear_btn, &QPushButton::clicked, this, &FormatDialog::clear_format);
}

void FormatDialog::clear_format() {
  clear_label = true;
  qDebug().noquote() << QStringLiteral("clear format");
  QDialog::accept();
}

void FormatDialog::accept() {
  clear_label = false;
  qDebug().noquote() << QStringLiteral("set format: decimals = %1, use_sci = %2")
                            .arg(decimal_spin->value())
                            .arg(sci_checkbox->isChecked() ? QStringLiteral("True")
                                                           : QStringLiteral("False"));
  QDialog::accept();
}
