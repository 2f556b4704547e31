#pragma once
// The output pane's texts of a fit: R² and the fitted formula with the
// coefficient values written in, in the notations of each model kind. Pure
// text functions; the number text of a value is printf %.*e (scientific) or
// %.*f with `decimals` digits ("nan", "inf", "-inf" for the special values).
#include <QString>
#include <QStringList>

#include <vector>

#include "fitcore/export.h"

namespace trelvo::fitformula {

// The data a formula is written for: the largest |x| and |y| over the finite
// fitted values. A term is kept when its contribution could matter against
// the data's y (see vanishes). The empty span (no data, or every y zero)
// leaves each term to its number text alone.
struct DataSpan {
  double maxAbsX = 0;
  double maxAbsY = 0;
};

// The largest magnitudes of the finite values of `x` and `y`.
TRELVO_EXPORT DataSpan dataSpan(const std::vector<double>& x, const std::vector<double>& y);

struct PaneText {
  QString r2Line;   // "r2 = " + the number text of R²
  QString formula;  // the Formula notation
  QString text;     // the whole pane, sections in order, ending with "\n"
};

// trelvo::format_number as a QString: the window's one number text.
TRELVO_EXPORT QString numberText(double value, bool scientific, int decimals);
// True when the term of x^power whose coefficient is written `numberText` is
// left out of a formula, the one rule of every model kind: the text reads
// exactly 0 (so fixed decimals drop what they round to zero), or it reads
// below 1e-12 in magnitude and so does its largest contribution over the
// data, |value|·maxAbsX^power (|value| for the constant term), against
// maxAbsY. With maxAbsY 0 every text below 1e-12 vanishes. A "nan" text
// never vanishes.
TRELVO_EXPORT bool vanishes(const QString& numberText, int power = 0, const DataSpan& span = {});

// y = c0 + c1*x + ... with `coef` lowest power first; each vanishing term over
// `span` is left out. With every term left out the formula is "y = " + the
// number text of 0.
TRELVO_EXPORT PaneText polynomialPane(double r2, const std::vector<double>& coef, bool scientific, int decimals,
                                      const DataSpan& span = {});
// y = a * x**b.
TRELVO_EXPORT PaneText powerPane(double r2, double a, double b, bool scientific, int decimals);
// y = a + b * log(x); a, vanishing over `span` as a constant term, is left out.
TRELVO_EXPORT PaneText logarithmicPane(double r2, double a, double b, bool scientific, int decimals,
                                       const DataSpan& span = {});
// y = a + b * exp(c * x); a, vanishing over `span` as a constant term, is left
// out.
TRELVO_EXPORT PaneText exponentialPane(double r2, double a, double b, double c, bool scientific, int decimals,
                                       const DataSpan& span = {});
// y = a * exp(b * x).
TRELVO_EXPORT PaneText exponential2Pane(double r2, double a, double b, bool scientific, int decimals);
// "y = " + the typed expression with each whole parameter name (an identifier
// token equal to the name) replaced by its value's number text; text already
// written in is never rewritten. `names` and `coef` have the same length.
TRELVO_EXPORT PaneText customPane(double r2, const QString& expression, const QStringList& names,
                                  const std::vector<double>& coef, bool scientific, int decimals);

// The custom formula's name replacement alone (see customPane).
TRELVO_EXPORT QString replaceNames(const QString& text, const QStringList& names, const QStringList& values);

}  // namespace trelvo::fitformula
