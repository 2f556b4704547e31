// The delete and insert chooser.
#include "sheetgrid/deleteinsertdialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "sheetgrid/slotguard.h"

DeleteInsertDialog::DeleteInsertDialog(const QString& dialog_type_) : QDialog(nullptr) {
  dialog_type = dialog_type_;
  setWindowFlags(Qt::Drawer | Qt::WindowCloseButtonHint);
  dialog_typ_ch = is_delete_kind() ? tr("删除") : tr("插入");
  setWindowTitle(dialog_typ_ch);
  resize(250, 150);

  groupBox = new QGroupBox(dialog_typ_ch);
  groupBox->setFlat(true);
  radioButtonA = new QRadioButton;
  radioButtonB = new QRadioButton;
  radioButtonC = new QRadioButton;
  radioButtonD = new QRadioButton;
  auto* choices = new QVBoxLayout;
  choices->addWidget(radioButtonA);
  choices->addWidget(radioButtonB);
  choices->addWidget(radioButtonC);
  choices->addWidget(radioButtonD);
  groupBox->setLayout(choices);

  buttonOK = new QPushButton(tr("确定"));
  buttonCancel = new QPushButton(tr("取消"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(buttonOK);
  buttons->addWidget(buttonCancel);

  auto* layout = new QVBoxLayout;
  layout->addWidget(groupBox);
  layout->addLayout(buttons);
  setLayout(layout);

  connect(buttonCancel, &QPushButton::clicked, this, &QDialog::close);
  _preperation();
}

bool DeleteInsertDialog::is_delete_kind() const {
  return dialog_type.toLower() == QLatin1String("delete");
}

void DeleteInsertDialog::_preperation() {
  const bool del = is_delete_kind();
  if (del) {
    radioButtonA->setText(tr("右侧单元格左移(L)"));
    radioButtonB->setText(tr("下方单元格上移(U)"));
    radioButtonC->setText(tr("整行(R)"));
    radioButtonD->setText(tr("整列(C)"));
  } else {
    radioButtonA->setText(tr("活动单元格右移(R)"));
    radioButtonB->setText(tr("活动单元格下移(D)"));
    radioButtonC->setText(tr("整行(R)"));
    radioButtonD->setText(tr("整列(C)"));
  }
  const char* keys = del ? "LURC" : "RDRC";
  QRadioButton* const buttons[] = {radioButtonA, radioButtonB, radioButtonC, radioButtonD};
  for (int i = 0; i < 4; ++i) {
    auto* sc = new QShortcut(QKeySequence(QString(QLatin1Char(keys[i]))), this);
    connect(sc, &QShortcut::activated, buttons[i], &QAbstractButton::toggle);
  }
  if (del)
    connect(buttonOK, &QPushButton::clicked, this, &DeleteInsertDialog::delete_button_ok_clicked);
  else
    connect(buttonOK, &QPushButton::clicked, this, &DeleteInsertDialog::insert_button_ok_clicked);
}

QString DeleteInsertDialog::checked_choice(const char* a, const char* b, const char* c,
                                           const char* d) const {
  if (radioButtonA->isChecked()) return QString::fromLatin1(a);
  if (radioButtonB->isChecked()) return QString::fromLatin1(b);
  if (radioButtonC->isChecked()) return QString::fromLatin1(c);
  if (radioButtonD->isChecked()) return QString::fromLatin1(d);
  return QString();
}

void DeleteInsertDialog::delete_button_ok_clicked() {
  trelvo::guard_slot("delete_button_ok_clicked", [this] {
    emit DelSignal(
        checked_choice("Move Left", "Move Up", "Delete Selected Rows", "Delete Selected Cols"));
  });
  close();
}

void DeleteInsertDialog::insert_button_ok_clicked() {
  trelvo::guard_slot("insert_button_ok_clicked", [this] {
    emit InsertSignal(
        checked_choice("Move Right", "Move Down", "Insert Rows Above", "Insert Cols Left"));
  });
  close();
}
