#include "widget/widget_fitformula.h"

#include <algorithm>
#include <cmath>

#include "fitcore/numtext.h"

namespace trelvo::fitformula {
namespace {

// Below this a coefficient's text, and its term's share of the largest |y|,
// count as nothing.
constexpr double kVanishing = 1e-12;

const QString kR2Header = QStringLiteral("[R²]\n");
const QString kFormulaHeader = QStringLiteral("\n[Formula]\n");
const QString kPowerShellHeader = QStringLiteral("\n[PowerShell]\n");
const QString kPythonFortranHeader = QStringLiteral("\n[Python/Fortran]\n");
const QString kCppHeader = QStringLiteral("\n[C/C++]\n");
const QString kPythonHeader = QStringLiteral("\n[Python]\n");
const QString kCppFortranHeader = QStringLiteral("\n[C/C++/Fortran]\n");

QString joinSigns(QString s) {
  return s.replace(QLatin1String("+-"), QLatin1String("-")).replace(QLatin1String("+ -"), QLatin1String("-"));
}

QString joinSignsCustom(QString s) {
  s.replace(QLatin1String("--"), QLatin1String("+"));
  s.replace(QLatin1String("- -"), QLatin1String("+"));
  s.replace(QLatin1String("+-"), QLatin1String("-"));
  s.replace(QLatin1String("+ -"), QLatin1String("-"));
  s.replace(QLatin1String("= +"), QLatin1String("="));
  s.replace(QLatin1String("=+"), QLatin1String("="));
  return s;
}

PaneText fourNotations(const QString& r2Line, const QString& formula, const QString& pythonHeader,
                       const QString& python, const QString& cppHeader, const QString& cpp,
                       const QString& powershell) {
  PaneText p;
  p.r2Line = r2Line;
  p.formula = formula;
  p.text = kR2Header + r2Line + kFormulaHeader + formula + pythonHeader + python + cppHeader + cpp +
           kPowerShellHeader + powershell + QStringLiteral("\n");
  return p;
}

QString r2LineOf(double r2, bool scientific, int decimals) {
  return QStringLiteral("r2 = ") + numberText(r2, scientific, decimals);
}

// Notations of the exponential models from the joined C formula.
PaneText exponentialNotations(const QString& r2Line, const QString& cpp) {
  const QString formula = QString(cpp).replace(QLatin1String("exp"), QLatin1String("e^"));
  const QString python = QString(cpp).replace(QLatin1String("exp"), QLatin1String("math.exp"));
  const QString powershell = QString(python)
                                 .replace(QLatin1String("math.exp"), QLatin1String("[math]::exp"))
                                 .replace(QLatin1String("x"), QLatin1String("$x"))
                                 .replace(QLatin1String("[math]::e$xp"), QLatin1String("[math]::exp"))
                                 .replace(QLatin1String("y"), QLatin1String("$y"));
  return fourNotations(r2Line, formula, kPythonHeader, python, kCppFortranHeader, cpp, powershell);
}

bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

}  // namespace

QString numberText(double value, bool scientific, int decimals) {
  return QString::fromStdString(format_number(value, scientific, decimals));
}

DataSpan dataSpan(const std::vector<double>& x, const std::vector<double>& y) {
  auto largest = [](const std::vector<double>& v) {
    double m = 0;
    for (double d : v) {
      if (std::isfinite(d)) m = std::max(m, std::fabs(d));
    }
    return m;
  };
  return DataSpan{largest(x), largest(y)};
}

bool vanishes(const QString& numberText, int power, const DataSpan& span) {
  const auto v = parse_python_float(numberText.toStdString());
  if (!v) return false;
  const double m = std::fabs(*v);
  if (!(m < kVanishing)) return false;
  if (m == 0 || span.maxAbsY == 0) return true;
  // An overflowing reach makes the product infinite: the term is kept.
  const double reach = std::pow(span.maxAbsX, power);
  return m * reach < kVanishing * span.maxAbsY;
}

PaneText polynomialPane(double r2, const std::vector<double>& coef, bool scientific, int decimals,
                        const DataSpan& span) {
  const QString r2Line = r2LineOf(r2, scientific, decimals);
  QString cpp = QStringLiteral("y = ");
  QString python = QStringLiteral("y = ");
  bool any = false;
  for (std::size_t i = 0; i < coef.size(); ++i) {
    const QString t = numberText(coef[i], scientific, decimals);
    if (vanishes(t, static_cast<int>(i), span)) continue;
    any = true;
    if (i == 0) {
      cpp += t + QStringLiteral(" + ");
      python += t + QStringLiteral(" + ");
    } else if (i == 1) {
      cpp += t + QStringLiteral(" * x + ");
      python += t + QStringLiteral(" * x + ");
    } else {
      cpp += t + QStringLiteral(" * pow(x, %1) + ").arg(i);
      python += t + QStringLiteral(" * x**%1 + ").arg(i);
    }
  }
  if (any) {
    cpp.chop(3);
    python.chop(3);
  } else {
    cpp += numberText(0.0, scientific, decimals);
    python = cpp;
  }
  cpp = joinSigns(cpp);
  python = joinSigns(python);
  const QString formula = QString(python).replace(QLatin1String("**"), QLatin1String("^"));
  const QString powershell = QString(cpp)
                                 .replace(QLatin1String("pow"), QLatin1String("[math]::pow"))
                                 .replace(QLatin1String("x"), QLatin1String("$x"))
                                 .replace(QLatin1String("y"), QLatin1String("$y"));
  return fourNotations(r2Line, formula, kPythonFortranHeader, python, kCppHeader, cpp, powershell);
}

PaneText powerPane(double r2, double a, double b, bool scientific, int decimals) {
  QString python = QStringLiteral("y = a * x**b");
  QString cpp = QString(python).replace(QLatin1String("x**b"), QLatin1String("pow(x, b)"));
  const QString ta = numberText(a, scientific, decimals);
  const QString tb = numberText(b, scientific, decimals);
  python.replace(QLatin1String("a"), ta).replace(QLatin1String("b"), tb);
  cpp.replace(QLatin1String("a"), ta).replace(QLatin1String("b"), tb);
  const QString formula = QString(python).replace(QLatin1String("**"), QLatin1String("^"));
  const QString powershell = QString(cpp)
                                 .replace(QLatin1String("pow"), QLatin1String("[math]::pow"))
                                 .replace(QLatin1String("x"), QLatin1String("$x"))
                                 .replace(QLatin1String("y"), QLatin1String("$y"));
  return fourNotations(r2LineOf(r2, scientific, decimals), formula, kPythonFortranHeader, python, kCppHeader,
                       cpp, powershell);
}

PaneText logarithmicPane(double r2, double a, double b, bool scientific, int decimals, const DataSpan& span) {
  QString cpp = QStringLiteral("y = a + b * log(x)");
  const QString ta = numberText(a, scientific, decimals);
  const QString tb = numberText(b, scientific, decimals);
  if (vanishes(ta, 0, span))
    cpp.replace(QLatin1String("a + b"), QLatin1String("b"));
  else
    cpp.replace(QLatin1String("a"), ta);
  cpp.replace(QLatin1String("b"), tb);
  cpp = joinSigns(cpp);
  const QString formula = QString(cpp).replace(QLatin1String("log"), QLatin1String("ln"));
  const QString python = QString(cpp).replace(QLatin1String("log"), QLatin1String("math.log"));
  const QString powershell = QString(python)
                                 .replace(QLatin1String("math.log"), QLatin1String("[math]::log"))
                                 .replace(QLatin1String("x"), QLatin1String("$x"))
                                 .replace(QLatin1String("y"), QLatin1String("$y"));
  return fourNotations(r2LineOf(r2, scientific, decimals), formula, kPythonHeader, python, kCppFortranHeader,
                       cpp, powershell);
}

PaneText exponentialPane(double r2, double a, double b, double c, bool scientific, int decimals,
                         const DataSpan& span) {
  QString cpp = QStringLiteral("y = a + b * exp(c * x)");
  const QString ta = numberText(a, scientific, decimals);
  const QString tb = numberText(b, scientific, decimals);
  const QString tc = numberText(c, scientific, decimals);
  if (vanishes(ta, 0, span))
    cpp.replace(QLatin1String("a + b"), QLatin1String("b"));
  else
    cpp.replace(QLatin1String("a"), ta);
  cpp.replace(QLatin1String("b"), tb).replace(QLatin1String("c"), tc);
  return exponentialNotations(r2LineOf(r2, scientific, decimals), joinSigns(cpp));
}

PaneText exponential2Pane(double r2, double a, double b, bool scientific, int decimals) {
  QString cpp = QStringLiteral("y = a * exp(b * x)");
  const QString ta = numberText(a, scientific, decimals);
  const QString tb = numberText(b, scientific, decimals);
  cpp.replace(QLatin1String("a"), ta).replace(QLatin1String("b"), tb);
  return exponentialNotations(r2LineOf(r2, scientific, decimals), joinSigns(cpp));
}

QString replaceNames(const QString& text, const QStringList& names, const QStringList& values) {
  QString out;
  out.reserve(text.size());
  qsizetype i = 0;
  while (i < text.size()) {
    if (!isNameChar(text[i])) {
      out += text[i++];
      continue;
    }
    qsizetype j = i;
    while (j < text.size() && isNameChar(text[j])) ++j;
    const QString token = text.mid(i, j - i);
    const qsizetype k = text[i].isDigit() ? -1 : names.indexOf(token);
    out += k >= 0 && k < values.size() ? values[k] : token;
    i = j;
  }
  return out;
}

PaneText customPane(double r2, const QString& expression, const QStringList& names, const std::vector<double>& coef,
                    bool scientific, int decimals) {
  QStringList values;
  for (double v : coef) values << numberText(v, scientific, decimals);
  PaneText p;
  p.r2Line = r2LineOf(r2, scientific, decimals);
  p.formula = joinSignsCustom(QStringLiteral("y = ") + replaceNames(expression, names, values));
  p.text = kR2Header + p.r2Line + kFormulaHeader + p.formula + QStringLiteral("\n");
  return p;
}

}  // namespace trelvo::fitformula
