// The fit procedures of the non-linear model kinds: the built-in models run
// from their rows of the model kind table, and the custom expression.
#include <QDebug>
#include <QMessageBox>

#include <algorithm>
#include <functional>

#include "fitcore/fitinverse.h"
#include "fitcore/fitobject.h"
#include "fitcore/fitstart.h"
#include "fitcore/nonlinearfit.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "widget/widget_fitsupport.h"
#include "widget/widget_modelkind.h"

using namespace trelvo::fitflow;
namespace fi = trelvo::fitinverse;
namespace fs = trelvo::fitstart;

namespace {

struct Fitted {
  std::vector<double> coef;
  double r2 = 0.0;
  QStringList names;  // the parameter names after x
};

// Builds the fit object (made current at once, with `inverse` when given),
// fits it from all ones and from `dataStart` (when given), keeping the better
// result, and reads R² and the names. A failure shows its box, writes
// `errorLine` (when given) after the fit box, and gives nullopt.
std::optional<Fitted> buildAndFit(Widget* w, const std::function<NonLinearFit()>& build, const char* errorLine,
                                  const std::optional<std::vector<double>>& dataStart = std::nullopt,
                                  fi::Inverse inverse = nullptr) {
  try {
    w->fit_class = std::make_shared<trelvo::FitObject>(build());
  } catch (const std::exception& e) {
    showInitError(w, e);
    return std::nullopt;
  }
  w->fit_class->setInverse(std::move(inverse));
  Fitted out;
  try {
    out.coef = fs::fitFromBetterStart(*w->fit_class->nonlinear(), dataStart);
  } catch (const std::exception& e) {
    showFitError(w, e);
    if (errorLine) qDebug().noquote() << QString::fromUtf8(errorLine) + QString::fromUtf8(e.what());
    return std::nullopt;
  }
  out.r2 = w->fit_class->r_squared();
  const std::vector<std::string> args = w->fit_class->nonlinear()->args();
  for (std::size_t i = 1; i < args.size(); ++i) out.names << QString::fromStdString(args[i]);
  return out;
}

void logLists(const Widget* w) {
  if (!debugOn()) return;
  qDebug().noquote() << QStringLiteral("xList: ") + listText(w->xList);
  qDebug().noquote() << QStringLiteral("yList: ") + listText(w->yList);
}

void logFitted(const std::vector<double>& coef, double r2) {
  if (!debugOn()) return;
  qDebug().noquote() << QStringLiteral("Fitted coefficients: ") + listText(coef);
  qDebug().noquote() << QStringLiteral("R-squared: ") + numberRepr(r2);
}

bool smallestAtMostZero(const std::vector<double>& v) {
  return !v.empty() && *std::min_element(v.begin(), v.end()) <= 0.0;
}

}  // namespace

namespace trelvo {

void fitBuiltInModel(Widget* w, const ModelKindRow& row) {
  const std::vector<double>& limited = row.domain == Domain::PositiveX ? w->xList : w->yList;
  if (row.domain != Domain::Any && smallestAtMostZero(limited)) {
    const QString message =
        row.domain == Domain::PositiveX ? Widget::tr("自变量必须大于0") : Widget::tr("因变量必须大于0");
    QMessageBox::warning(w, Widget::tr("输入错误"), message);
    return;
  }
  logLists(w);
  std::optional<double> fixedA;
  if (row.intercept == InterceptUse::FixedA && w->ui->interceptCheck->isChecked()) {
    fixedA = parse_python_float(w->ui->interceptIn->text().toStdString());
    if (!fixedA) {
      QMessageBox::warning(w, Widget::tr("输入错误"), Widget::tr("截距必须输入数字"));
      return;
    }
    if (*fixedA <= 0.0) {
      QMessageBox::warning(w, Widget::tr("输入错误"), Widget::tr("截距必须大于0"));
      return;
    }
    w->fit_nonl_func = QString::fromUtf8(row.modelText).replace(QLatin1String("a"), numberRepr(*fixedA));
  } else {
    w->fit_nonl_func = QString::fromUtf8(row.modelText);
  }
  const std::vector<double>& x = w->xList;
  const std::vector<double>& y = w->yList;
  // The model copies a fixed a: it never reads the window again.
  std::optional<std::vector<double>> start;
  fi::Inverse inverse;
  if (fixedA) {
    start = row.fixedStart(x, y, *fixedA);
    inverse = row.fixedInverse(*fixedA);
  } else {
    if (row.start) start = row.start(x, y);
    inverse = row.inverse();
  }
  auto fitted = buildAndFit(
      w,
      [&] { return NonLinearFit(x, y, fixedA ? row.fixedModel(*fixedA) : row.model()); },
      row.errorLine, start, std::move(inverse));
  if (!fitted) return;
  logFitted(fitted->coef, fitted->r2);
  if (fixedA) {
    fitted->names.prepend(QStringLiteral("a"));
    fitted->coef.insert(fitted->coef.begin(), *fixedA);
  }
  w->updateOutputTable(fitted->r2, fitted->names, fitted->coef);
  const auto pane = row.pane(fitted->r2, fitted->coef, fitted->names, QString(), w->ui->scientificOutCheck->isChecked(),
                             w->ui->decimalOutBox->value(), fitformula::dataSpan(x, y));
  showPane(w, pane.r2Line, pane.formula, pane.text);
}

}  // namespace trelvo

void Widget::fitOnExponential() { fitBuiltInModel(this, trelvo::modelKind(trelvo::ModelKind::Exponential)); }

void Widget::fitOnExponential2() { fitBuiltInModel(this, trelvo::modelKind(trelvo::ModelKind::Exponential2)); }

void Widget::fitOnLogarithmic() { fitBuiltInModel(this, trelvo::modelKind(trelvo::ModelKind::Logarithmic)); }

void Widget::fitOnPower() { fitBuiltInModel(this, trelvo::modelKind(trelvo::ModelKind::Power)); }

void Widget::fitOnCustom() {
  const QString text = ui->funcInput->text().trimmed();
  if (text.isEmpty()) {
    QMessageBox::warning(this, tr("输入错误"), tr("请先输入自定义函数"));
    return;
  }
  fit_nonl_func = text;
  // The model is compiled from this text once; it keeps it for its lifetime.
  const std::string expr = text.toStdString();
  const auto fitted = buildAndFit(
      this, [&] { return NonLinearFit::from_expr(xList, yList, expr); }, "Error in fitOnCustom: ");
  if (!fitted) return;
  logFitted(fitted->coef, fitted->r2);
  updateOutputTable(fitted->r2, fitted->names, fitted->coef);
  const auto pane = trelvo::modelKind(trelvo::ModelKind::Custom)
                        .pane(fitted->r2, fitted->coef, fitted->names, text, ui->scientificOutCheck->isChecked(),
                              ui->decimalOutBox->value(), trelvo::fitformula::dataSpan(xList, yList));
  showPane(this, pane.r2Line, pane.formula, pane.text);
}
