// The fit button's dispatch to the fit procedure of the chosen model kind.
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "widget/widget_modelkind.h"

void Widget::onFitBtnClicked() {
  if (!readChosenColumnsIfStale()) return;
  if (!dataListsUsable()) return;
  const trelvo::ModelKindRow* row = trelvo::modelKindAt(ui->comboBox->currentIndex());
  if (row) (this->*row->fit)();
}
