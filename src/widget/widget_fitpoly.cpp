// The polynomial fit procedure.
#include <QDebug>
#include <QMessageBox>

#include "fitcore/linearfit.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "fitcore/fitobject.h"
#include "widget/widget_fitsupport.h"
#include "widget/widget_modelkind.h"

using namespace trelvo::fitflow;

void Widget::fitOnPolynomial() {
  if (debugOn()) {
    qDebug().noquote() << QStringLiteral("xList: ") + listText(xList);
    qDebug().noquote() << QStringLiteral("yList: ") + listText(yList);
  }
  const int degree = ui->numberSpin->value();

  std::optional<double> intercept;
  if (ui->interceptCheck->isChecked()) {
    intercept = trelvo::parse_python_float(ui->interceptIn->text().toStdString());
    if (!intercept) {
      QMessageBox::warning(this, tr("输入错误"), tr("截距必须输入数字"));
      return;
    }
  }
  try {
    fit_class = std::make_shared<trelvo::FitObject>(LinearFit(xList, yList, degree, intercept));
  } catch (const std::exception& e) {
    showInitError(this, e);
    return;
  }

  std::vector<double> coef;
  try {
    coef = fit_class->fit();
  } catch (const std::exception& e) {
    showFitError(this, e);
    qDebug().noquote() << QStringLiteral("Error in fitOnPolynomial: ") + QString::fromUtf8(e.what());
    return;
  }
  const double r2 = fit_class->r_squared();
  const std::vector<double> rising(coef.rbegin(), coef.rend());
  if (debugOn()) {
    qDebug().noquote() << QStringLiteral("Fitted coefficients: ") + listText(rising);
    qDebug().noquote() << QStringLiteral("R-squared: ") + numberRepr(r2);
  }

  updateOutputTable(r2);

  const auto pane = trelvo::modelKind(trelvo::ModelKind::Polynomial)
                        .pane(r2, rising, {}, QString(), ui->scientificOutCheck->isChecked(),
                              ui->decimalOutBox->value(), trelvo::fitformula::dataSpan(xList, yList));
  showPane(this, pane.r2Line, pane.formula, pane.text);
}
