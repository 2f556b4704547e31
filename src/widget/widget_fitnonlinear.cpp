// The fit procedures of the non-linear model kinds: a + b·e^(c·x), a·e^(b·x)
// (free or fixed a), a + b·ln x, a·x^b and the custom expression.
#include <QDebug>
#include <QMessageBox>

#include <algorithm>
#include <functional>

#include "fitcore/nonlinearfit.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "widget/widget_fitformula.h"
#include "fitcore/fitinverse.h"
#include "fitcore/fitmodels.h"
#include "fitcore/fitobject.h"
#include "fitcore/fitstart.h"
#include "widget/widget_fitsupport.h"

using namespace trelvo::fitflow;
namespace ff = trelvo::fitformula;
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

void Widget::fitOnExponential() {
  logLists(this);
  fit_nonl_func = QStringLiteral("a + b * np.exp(c * x)");
  const auto fitted = buildAndFit(
      this, [this] { return NonLinearFit(xList, yList, trelvo::exponential_model()); },
      "Error in fitOnExponential: ", fs::exponentialStart(xList, yList), fi::exponentialInverse());
  if (!fitted) return;
  logFitted(fitted->coef, fitted->r2);
  updateOutputTable(fitted->r2, fitted->names, fitted->coef);
  const auto& c = fitted->coef;
  const auto pane = ff::exponentialPane(fitted->r2, c.at(0), c.at(1), c.at(2), ui->scientificOutCheck->isChecked(),
                                        ui->decimalOutBox->value());
  showPane(this, pane.r2Line, pane.formula, pane.text);
}

void Widget::fitOnExponential2() {
  if (smallestAtMostZero(yList)) {
    QMessageBox::warning(this, tr("输入错误"), tr("因变量必须大于0"));
    return;
  }
  logLists(this);
  std::optional<double> fixedA;
  if (ui->interceptCheck->isChecked()) {
    fixedA = trelvo::parse_python_float(ui->interceptIn->text().toStdString());
    if (!fixedA) {
      QMessageBox::warning(this, tr("输入错误"), tr("截距必须输入数字"));
      return;
    }
    if (*fixedA <= 0.0) {
      QMessageBox::warning(this, tr("输入错误"), tr("截距必须大于0"));
      return;
    }
    fit_nonl_func = QStringLiteral("a * np.exp(b * x)").replace(QLatin1String("a"), numberRepr(*fixedA));
  } else {
    fit_nonl_func = QStringLiteral("a * np.exp(b * x)");
  }
  // The model copies the fixed a: it never reads the window again.
  const auto model = fixedA ? trelvo::exponential2_fixed_model(*fixedA) : trelvo::exponential2_model();
  const auto start = fixedA ? fs::exponential2FixedStart(xList, yList, *fixedA) : fs::exponential2Start(xList, yList);
  const auto inverse = fixedA ? fi::exponential2FixedInverse(*fixedA) : fi::exponential2Inverse();
  auto fitted = buildAndFit(this, [&] { return NonLinearFit(xList, yList, model); }, nullptr, start, inverse);
  if (!fitted) return;
  logFitted(fitted->coef, fitted->r2);
  if (fixedA) {
    fitted->names.prepend(QStringLiteral("a"));
    fitted->coef.insert(fitted->coef.begin(), *fixedA);
  }
  updateOutputTable(fitted->r2, fitted->names, fitted->coef);
  const auto& c = fitted->coef;
  const auto pane = ff::exponential2Pane(fitted->r2, c.at(0), c.at(1), ui->scientificOutCheck->isChecked(),
                                         ui->decimalOutBox->value());
  showPane(this, pane.r2Line, pane.formula, pane.text);
}

void Widget::fitOnLogarithmic() {
  if (smallestAtMostZero(xList)) {
    QMessageBox::warning(this, tr("输入错误"), tr("自变量必须大于0"));
    return;
  }
  logLists(this);
  fit_nonl_func = QStringLiteral("a + b * np.log(x)");
  const auto fitted = buildAndFit(
      this, [this] { return NonLinearFit(xList, yList, trelvo::logarithmic_model()); },
      "Error in fitOnLogarithmic: ", std::nullopt, fi::logarithmicInverse());
  if (!fitted) return;
  logFitted(fitted->coef, fitted->r2);
  updateOutputTable(fitted->r2, fitted->names, fitted->coef);
  const auto& c = fitted->coef;
  const auto pane = ff::logarithmicPane(fitted->r2, c.at(0), c.at(1), ui->scientificOutCheck->isChecked(),
                                        ui->decimalOutBox->value());
  showPane(this, pane.r2Line, pane.formula, pane.text);
}

void Widget::fitOnPower() {
  if (smallestAtMostZero(xList)) {
    QMessageBox::warning(this, tr("输入错误"), tr("自变量必须大于0"));
    return;
  }
  logLists(this);
  fit_nonl_func = QStringLiteral("a * x**b");
  const auto fitted = buildAndFit(
      this, [this] { return NonLinearFit(xList, yList, trelvo::power_model()); }, "Error in fitOnPower: ",
      fs::powerStart(xList, yList), fi::powerInverse());
  if (!fitted) return;
  logFitted(fitted->coef, fitted->r2);
  updateOutputTable(fitted->r2, fitted->names, fitted->coef);
  const auto& c = fitted->coef;
  const auto pane = ff::powerPane(fitted->r2, c.at(0), c.at(1), ui->scientificOutCheck->isChecked(),
                                  ui->decimalOutBox->value());
  showPane(this, pane.r2Line, pane.formula, pane.text);
}

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
  const auto pane = ff::customPane(fitted->r2, text, fitted->names, fitted->coef, ui->scientificOutCheck->isChecked(),
                                   ui->decimalOutBox->value());
  showPane(this, pane.r2Line, pane.formula, pane.text);
}
