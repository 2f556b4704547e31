#include "widget/widget_modelkind.h"

#include <array>

#include "fitcore/fitmodels.h"
#include "fitcore/fitstart.h"
#include "widget/widget.h"

namespace trelvo {
namespace {

namespace ff = fitformula;

const std::array<ModelKindRow, 6> kRows{{
    {.kind = ModelKind::Polynomial,
     .logLine = "Function: polynomial",
     .label = "y = a<sub>0</sub> + a<sub>1</sub>x + a<sub>2</sub>x<sup>2</sup> + ... + a<sub>n</sub>x<sup>n</sup>",
     .degree = true,
     .intercept = InterceptUse::Fixed,
     .fit = &Widget::fitOnPolynomial,
     .pane = [](double r2, const std::vector<double>& c, const QStringList&, const QString&, bool s, int d,
                const ff::DataSpan& span) {
       return ff::polynomialPane(r2, c, s, d, span);
     }},
    {.kind = ModelKind::Exponential,
     .logLine = "Function: exponential",
     .label = "y = a + b * e^(c * x)",
     .degree = false,
     .intercept = InterceptUse::None,
     .fit = &Widget::fitOnExponential,
     .pane = [](double r2, const std::vector<double>& c, const QStringList&, const QString&, bool s, int d,
                const ff::DataSpan& span) {
       return ff::exponentialPane(r2, c.at(0), c.at(1), c.at(2), s, d, span);
     },
     .modelText = "a + b * np.exp(c * x)",
     .domain = Domain::Any,
     .model = &exponential_model,
     .start = &fitstart::exponentialStart,
     .inverse = &fitinverse::exponentialInverse,
     .errorLine = "Error in fitOnExponential: "},
    {.kind = ModelKind::Exponential2,
     .logLine = "Function: exponential",
     .label = "y = a * e^(b * x) (y > 0)",
     .degree = false,
     .intercept = InterceptUse::FixedA,
     .fit = &Widget::fitOnExponential2,
     .pane = [](double r2, const std::vector<double>& c, const QStringList&, const QString&, bool s, int d,
                const ff::DataSpan&) {
       return ff::exponential2Pane(r2, c.at(0), c.at(1), s, d);
     },
     .modelText = "a * np.exp(b * x)",
     .domain = Domain::PositiveY,
     .model = &exponential2_model,
     .start = &fitstart::exponential2Start,
     .inverse = &fitinverse::exponential2Inverse,
     .errorLine = nullptr,
     .fixedModel = &exponential2_fixed_model,
     .fixedStart = &fitstart::exponential2FixedStart,
     .fixedInverse = &fitinverse::exponential2FixedInverse},
    {.kind = ModelKind::Logarithmic,
     .logLine = "Function: logarithmic",
     .label = "y = a + b * ln(x) (x > 0)",
     .degree = false,
     .intercept = InterceptUse::None,
     .fit = &Widget::fitOnLogarithmic,
     .pane = [](double r2, const std::vector<double>& c, const QStringList&, const QString&, bool s, int d,
                const ff::DataSpan& span) {
       return ff::logarithmicPane(r2, c.at(0), c.at(1), s, d, span);
     },
     .modelText = "a + b * np.log(x)",
     .domain = Domain::PositiveX,
     .model = &logarithmic_model,
     .start = nullptr,
     .inverse = &fitinverse::logarithmicInverse,
     .errorLine = "Error in fitOnLogarithmic: "},
    {.kind = ModelKind::Power,
     .logLine = "Function: power",
     .label = "y = a * x^b (x > 0)",
     .degree = false,
     .intercept = InterceptUse::None,
     .fit = &Widget::fitOnPower,
     .pane = [](double r2, const std::vector<double>& c, const QStringList&, const QString&, bool s, int d,
                const ff::DataSpan&) {
       return ff::powerPane(r2, c.at(0), c.at(1), s, d);
     },
     .modelText = "a * x**b",
     .domain = Domain::PositiveX,
     .model = &power_model,
     .start = &fitstart::powerStart,
     .inverse = &fitinverse::powerInverse,
     .errorLine = "Error in fitOnPower: "},
    {.kind = ModelKind::Custom,
     .logLine = "Function: custom",
     .label = nullptr,
     .degree = false,
     .intercept = InterceptUse::None,
     .fit = &Widget::fitOnCustom,
     .pane = [](double r2, const std::vector<double>& c, const QStringList& names, const QString& expression, bool s,
                int d, const ff::DataSpan&) { return ff::customPane(r2, expression, names, c, s, d); }},
}};

}  // namespace

std::span<const ModelKindRow> modelKinds() { return kRows; }

const ModelKindRow& modelKind(ModelKind kind) { return kRows.at(static_cast<std::size_t>(kind)); }

const ModelKindRow* modelKindAt(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= kRows.size()) return nullptr;
  return &kRows[static_cast<std::size_t>(index)];
}

}  // namespace trelvo
