// The load and save buttons: choosing a data file and the grid operation for it.
#include <QDebug>
#include <QFileDialog>
#include <QMessageBox>

#include "sheetgrid/clevertablewidget.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"

namespace {

enum class TableFormat { Csv, Xlsx, Xls, Unsupported };

// The format named by the path's ending, tested exactly and in this order.
TableFormat format_of(const QString& path) {
  if (path.endsWith(QStringLiteral(".csv"), Qt::CaseSensitive)) return TableFormat::Csv;
  if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseSensitive)) return TableFormat::Xlsx;
  if (path.endsWith(QStringLiteral(".xls"), Qt::CaseSensitive)) return TableFormat::Xls;
  return TableFormat::Unsupported;
}

// The name filter of both file dialogs; "CSV Files (*.csv)" comes first and is
// selected when a dialog opens.
QString data_file_filter() {
  return Widget::tr("CSV Files (*.csv);;Excel Files (*.xlsx);;Excel 97-2003 Files (*.xls);;All Files (*)");
}

void log_extent(CleverTableWidget* grid) {
  const auto [row, col] = grid->get_max_content_pos();
  qDebug().noquote() << QStringLiteral("input_max_content_pos: %1, %2").arg(row).arg(col);
}

}  // namespace

void Widget::onLoadBtnClicked() {
  const QString path = QFileDialog::getOpenFileName(
      this, tr("打开文件"), QString(),
      data_file_filter());
  if (path.isEmpty()) return;
  CleverTableWidget* grid = ui->inputTable;
  log_extent(grid);
  switch (format_of(path)) {
    case TableFormat::Csv: grid->load_csv(path); break;
    case TableFormat::Xlsx: grid->load_excel(path); break;
    case TableFormat::Xls: grid->load_excel03(path); break;
    case TableFormat::Unsupported: QMessageBox::warning(this, tr("加载失败"), tr("不支持的文件格式")); break;
  }
}

void Widget::onSaveBtnClicked() {
  const QString path = QFileDialog::getSaveFileName(
      this, tr("保存文件"), plotTitle.value_or(QString()),
      data_file_filter());
  if (path.isEmpty()) return;
  CleverTableWidget* grid = ui->inputTable;
  log_extent(grid);
  switch (format_of(path)) {
    case TableFormat::Csv: grid->save_csv(path); break;
    case TableFormat::Xlsx: grid->save_excel(path); break;
    case TableFormat::Xls: grid->save_excel03(path); break;
    case TableFormat::Unsupported: QMessageBox::warning(this, tr("保存失败"), tr("不支持的文件格式")); break;
  }
}
