// The output grid and the output pane of a fit.
#include <QDebug>

#include "fitcore/errors.h"
#include "fitcore/fitobject.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgriditem/clevertablewidgetitem.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "widget/widget_fitsupport.h"

namespace trelvo::fitflow {

void showPane(Widget* w, const QString& r2Line, const QString& formula, const QString& text) {
  qDebug().noquote() << QStringLiteral("Output formula: ") + formula;
  qDebug().noquote() << QStringLiteral("Output r2: ") + r2Line;
  w->ui->outputEdit->clear();
  w->ui->outputEdit->setText(text);
}

}  // namespace trelvo::fitflow

void Widget::updateOutputTable(double r_squared, std::optional<QStringList> args,
                               std::optional<std::vector<double>> coef) {
  CleverTableWidget* grid = ui->outputTable;
  const bool scientific = ui->scientificOutCheck->isChecked();
  const int decimals = ui->decimalOutBox->value();
  grid->clearContents();

  if (!coef) {
    const auto& params = fit_class ? fit_class->params() : std::optional<std::vector<double>>{};
    if (!params) trelvo::raise(trelvo::ErrorKind::TypeError, "'NoneType' object is not reversible");
    coef.emplace(params->rbegin(), params->rend());
    args.emplace();
    for (std::size_t i = 0; i < coef->size(); ++i) args->append(QStringLiteral("a%1").arg(i));
  } else if (!args) {
    trelvo::raise(trelvo::ErrorKind::RuntimeError, "args must be provided if coef is provided");
  } else if (static_cast<std::size_t>(args->size()) != coef->size()) {
    trelvo::raise(trelvo::ErrorKind::RuntimeError, "length of args should match with coef");
  }

  {
    CleverTableWidget::BulkGuard bulk(*grid);
    grid->setRowCount(static_cast<int>(coef->size()) + 1);
    grid->setVerticalHeaderItem(0, new CleverTableWidgetItem(QStringLiteral("r2")));
    for (qsizetype i = 0; i < args->size(); ++i)
      grid->setVerticalHeaderItem(static_cast<int>(i) + 1, new CleverTableWidgetItem(args->at(i)));
    grid->setItem(0, 0, createFormattedItem(r_squared, scientific, decimals));
    for (std::size_t i = 0; i < coef->size(); ++i)
      grid->setItem(static_cast<int>(i) + 1, 0, createFormattedItem((*coef)[i], scientific, decimals));
  }
  grid->number_header_col();
  grid->trim_empty_space();
}
