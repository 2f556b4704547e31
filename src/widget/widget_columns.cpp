// Model kind, column choosers, column reading and refresh.
#include <QDebug>
#include <QMessageBox>

#include "sheetgrid/clevertablewidget.h"
#include "sheetgriditem/clevertablewidgetitem.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "widget/widget_fitsupport.h"
#include "widget/widget_modelkind.h"

namespace {

// Python's str.format for plain "{}" fields: each one, left to right, takes
// the next argument; inserted text is not scanned again.
QString formatBraces(const QString& pattern, const QStringList& args) {
  QString out;
  int from = 0, next = 0;
  while (true) {
    const int at = pattern.indexOf(QLatin1String("{}"), from);
    if (at < 0 || next >= args.size()) break;
    out += pattern.mid(from, at - from) + args[next++];
    from = at + 2;
  }
  return out + pattern.mid(from);
}

}  // namespace

void Widget::onComboBoxChanged() {
  const trelvo::ModelKindRow* row = trelvo::modelKindAt(ui->comboBox->currentIndex());
  const bool expression = row && !row->label;
  ui->funcLabel->setVisible(!expression);
  ui->funcInput->setVisible(expression);
  const trelvo::InterceptUse intercept = row ? row->intercept : trelvo::InterceptUse::None;
  ui->numberSpin->setEnabled(row && row->degree);
  ui->interceptCheck->setEnabled(intercept != trelvo::InterceptUse::None);
  ui->interceptIn->setEnabled(intercept == trelvo::InterceptUse::FixedA ||
                              (intercept == trelvo::InterceptUse::Fixed && ui->interceptCheck->isChecked()));
  if (!row) return;
  qDebug().noquote() << row->logLine;
  if (row->label) ui->funcLabel->setText(QString::fromUtf8(row->label));
}

void Widget::inputTableChanged(std::optional<int> max_row, std::optional<int> max_col) {
  if (!max_row || !max_col) {
    const auto [r, c] = ui->inputTable->get_max_content_pos();
    max_row = r;
    max_col = c;
  }
  qDebug().noquote() << QString("input_max_content_pos: %1, %2").arg(*max_row).arg(*max_col);
  const int n = *max_col + 1;
  const int x_index = ui->xDataBox->currentIndex();
  const int y_index = ui->yDataBox->currentIndex();
  ui->xDataBox->clear();
  ui->yDataBox->clear();
  for (int i = 0; i < n; ++i) {
    const QTableWidgetItem* header = ui->inputTable->horizontalHeaderItem(i);
    const QString title = header ? cellText(header) : QString();
    const QString text = formatBraces(tr("第{}列 : {}"), {QString::number(i + 1), title});
    ui->xDataBox->addItem(text);
    ui->yDataBox->addItem(text);
  }
  ui->xDataBox->setCurrentIndex(x_index < n ? x_index : 0);
  ui->yDataBox->setCurrentIndex(y_index < n ? y_index : n - 1);
}

std::optional<double> Widget::cellNumber(int row, int column) const {
  // The cell's kept number: "" and " ", the empty cells, are no number.
  return ::cellNumber(ui->inputTable->item(row, column));
}

std::vector<double> Widget::readColumn(int column) const {
  std::vector<double> values;
  for (int r = 0; r < ui->inputTable->rowCount(); ++r)
    if (auto v = cellNumber(r, column)) values.push_back(*v);
  return values;
}

std::optional<int> Widget::readChosenColumns(std::vector<double>& xs, std::vector<double>& ys) const {
  const int xc = ui->xDataBox->currentIndex();
  const int yc = ui->yDataBox->currentIndex();
  std::optional<int> unpaired;
  for (int r = 0; r < ui->inputTable->rowCount(); ++r) {
    const std::optional<double> x = cellNumber(r, xc);
    const std::optional<double> y = cellNumber(r, yc);
    if (x) xs.push_back(*x);
    if (y) ys.push_back(*y);
    if (x.has_value() != y.has_value() && !unpaired) unpaired = r;
  }
  return unpaired;
}

bool Widget::readChosenColumnsIfStale() {
  if (!dataListsStale_) return true;
  std::vector<double> xs, ys;
  if (const std::optional<int> unpaired = readChosenColumns(xs, ys)) {
    qDebug().noquote() << QStringLiteral("Unpaired data in row %1").arg(*unpaired + 1);
    QMessageBox::warning(this, tr("输入错误"), tr("X轴和Y轴数据长度不一致"));
    return false;
  }
  xList = std::move(xs);
  yList = std::move(ys);
  dataListsStale_ = false;
  qDebug().noquote() << QStringLiteral("Data pairs read: %1").arg(xList.size());
  return true;
}

void Widget::onXDataBoxChanged() {
  xList = readColumn(ui->xDataBox->currentIndex());
  // Read alone, the column is not checked against the other: the next fit,
  // plot or curve reads both together.
  dataListsStale_ = true;
  if (trelvo::fitflow::debugOn())
    qDebug().noquote() << "X data: " + trelvo::fitflow::listText(xList);
}

void Widget::onYDataBoxChanged() {
  yList = readColumn(ui->yDataBox->currentIndex());
  dataListsStale_ = true;
  if (trelvo::fitflow::debugOn())
    qDebug().noquote() << "Y data: " + trelvo::fitflow::listText(yList);
}

void Widget::onRefreshBtnClicked() {
  ui->inputTable->clearSelection();
  inputTableChanged();
  // Both columns in one pass, each as its chooser reads it alone. When every
  // row pairs, the lists are what the paired read of the next fit, plot or
  // curve would give, and that read is spared.
  std::vector<double> xs, ys;
  const bool paired = !readChosenColumns(xs, ys);
  xList = std::move(xs);
  yList = std::move(ys);
  dataListsStale_ = !paired;
  if (trelvo::fitflow::debugOn()) {
    qDebug().noquote() << "X data: " + trelvo::fitflow::listText(xList);
    qDebug().noquote() << "Y data: " + trelvo::fitflow::listText(yList);
  }
  if (paired) qDebug().noquote() << QStringLiteral("Data pairs read: %1").arg(xList.size());
}
