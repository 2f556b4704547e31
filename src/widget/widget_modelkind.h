#pragma once
// The window's model kinds: one row each, holding everything about the kind,
// in the order of the kind chooser (ui->comboBox).
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "fitcore/export.h"
#include "fitcore/fitinverse.h"
#include "fitcore/modelfunction.h"
#include "widget/widget_fitformula.h"

class Widget;

namespace trelvo {

enum class ModelKind { Polynomial, Exponential, Exponential2, Logarithmic, Power, Custom };

// What the data must meet before a built-in model is fitted; refused data
// gets a warning box and no fit.
enum class Domain {
  Any,
  PositiveX,  // the smallest x > 0, else "自变量必须大于0"
  PositiveY,  // the smallest y > 0, else "因变量必须大于0"
};

// How a kind uses the intercept controls (interceptCheck, interceptIn).
enum class InterceptUse {
  None,     // both disabled
  Fixed,    // the check enabled, the field enabled while the check is checked
  FixedA,   // both enabled; when checked the built-in model's a is fixed
};

using StartGuess = std::optional<std::vector<double>> (*)(const std::vector<double>& x,
                                                          const std::vector<double>& y);
using FixedStartGuess = std::optional<std::vector<double>> (*)(const std::vector<double>& x,
                                                               const std::vector<double>& y, double a);
// The pane of a fit: R², the fitted values (every parameter after x in
// order; a polynomial's lowest power first), their names, the typed
// expression (used by the custom kind only) and the fitted data's span (which
// terms may be left out).
using PaneBuilder = fitformula::PaneText (*)(double r2, const std::vector<double>& coef, const QStringList& names,
                                             const QString& expression, bool scientific, int decimals,
                                             const fitformula::DataSpan& span);

struct ModelKindRow {
  ModelKind kind;
  const char* logLine;  // the debug line written when the kind is chosen
  const char* label;    // funcLabel's text; nullptr: the expression field shows instead
  bool degree;          // numberSpin is enabled
  InterceptUse intercept;
  // The kind's fit procedure; every row has one (those of the built-in
  // non-linear kinds call fitBuiltInModel with their row).
  void (Widget::*fit)();
  PaneBuilder pane;

  // The built-in model (fitBuiltInModel); unused (null) for the others.
  const char* modelText = nullptr;  // fit_nonl_func; with a fixed a, "a" replaced by repr(a)
  Domain domain = Domain::Any;
  std::shared_ptr<const ModelFunction> (*model)() = nullptr;
  StartGuess start = nullptr;  // nullptr: the all-ones start only
  fitinverse::Inverse (*inverse)() = nullptr;
  const char* errorLine = nullptr;  // prefix of the debug line of a failed fit; nullptr: none
  // With InterceptUse::FixedA: the model, start and inverse with a fixed.
  std::shared_ptr<const ModelFunction> (*fixedModel)(double a) = nullptr;
  FixedStartGuess fixedStart = nullptr;
  fitinverse::Inverse (*fixedInverse)(double a) = nullptr;
};

// Every kind, in chooser order (row i is ModelKind(i)).
TRELVO_EXPORT std::span<const ModelKindRow> modelKinds();
TRELVO_EXPORT const ModelKindRow& modelKind(ModelKind kind);
// The row of the chooser's index; nullptr when no row has it.
TRELVO_EXPORT const ModelKindRow* modelKindAt(int index);

// The fit procedure of a built-in model row: checks the domain, builds the
// model (a fixed a read from interceptIn when the row allows it and the check
// is checked: "截距必须输入数字" / "截距必须大于0"), fits it from all ones and
// from the row's start guess keeping the better result, and fills the output
// grid and the pane. Failures show "初始化错误" / "拟合错误" boxes.
TRELVO_EXPORT void fitBuiltInModel(Widget* w, const ModelKindRow& row);

}  // namespace trelvo
