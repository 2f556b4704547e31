// The y-from-x and x-from-y calculators.
#include <QDebug>
#include <QMessageBox>

#include "fitcore/errors.h"
#include "fitcore/numtext.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "widget/widget_fitformula.h"
#include "fitcore/fitobject.h"
#include "widget/widget_fitsupport.h"

using trelvo::fitflow::debugOn;
using trelvo::fitflow::listText;
using trelvo::fitflow::numberRepr;
using trelvo::fitformula::numberText;

void Widget::onCalcYOutClicked() {
  if (!fit_class || !fit_class->fitted()) {
    QMessageBox::warning(this, tr("输入错误"), tr("请先进行拟合"));
    return;
  }
  const auto x = trelvo::parse_python_float(ui->xIn->text().toStdString());
  if (!x) {
    QMessageBox::warning(this, tr("输入错误"), tr("请输入有效的数字"));
    return;
  }
  const double y = fit_class->yval(*x);
  ui->yOut->setText(numberText(y, ui->scientificOutCheck->isChecked(), ui->decimalOutBox->value()));
  qDebug().noquote() << QStringLiteral("X: ") + numberRepr(*x) + QStringLiteral(", Y: ") + numberRepr(y);
}

void Widget::onCalcXOutClicked() {
  if (!fit_class || !fit_class->fitted()) {
    QMessageBox::warning(this, tr("输入错误"), tr("请先进行拟合"));
    return;
  }
  const auto y = trelvo::parse_python_float(ui->yIn->text().toStdString());
  if (!y) {
    QMessageBox::warning(this, tr("输入错误"), tr("请输入有效的数字"));
    return;
  }
  try {
    const trelvo::Solution s = fit_class->solveval(*y);
    const bool several = s.kind == trelvo::Solution::Kind::Multiple;
    if (debugOn())
      qDebug().noquote() << QStringLiteral("X: ") + (several ? listText(s.xs) : numberRepr(s.x)) +
                              QStringLiteral(", Y: ") + numberRepr(*y);
    const bool scientific = ui->scientificOutCheck->isChecked();
    const int decimals = ui->decimalOutBox->value();
    QString result;
    if (several) {
      QStringList parts;
      for (double x : s.xs) parts << numberText(x, scientific, decimals);
      result = parts.join(QStringLiteral(", "));
    } else {
      result = numberText(s.x, scientific, decimals);
    }
    ui->xOut->setText(result);
  } catch (const trelvo::Error& e) {
    if (e.kind() != trelvo::ErrorKind::ValueError) throw;
    QMessageBox::warning(this, tr("输入错误"), tr("解不存在"));
  }
}
