// The sheet chooser of the workbook loaders.
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "sheetgrid/clevertablewidget.h"

std::optional<std::pair<QString, int>> CleverTableWidget::_dialog_choose_sheet(
    const QStringList& sheetnames, const std::optional<QString>& active_names, int active_index) {
  if (sheetnames.size() <= 1) return std::nullopt;

  int preselected = 0;
  if (active_names && sheetnames.contains(*active_names))
    preselected = static_cast<int>(sheetnames.indexOf(*active_names));
  else if (active_index >= 0 && active_index < sheetnames.size())
    preselected = active_index;

  QDialog dialog(this);
  dialog.setWindowTitle(tr("选择工作表"));
  auto* layout = new QVBoxLayout;
  auto* label = new QLabel(tr("请选择要加载的工作表:"));
  auto* list = new QListWidget;
  list->addItems(sheetnames);
  list->setCurrentRow(preselected);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(list);
  layout->addWidget(buttons);
  dialog.setLayout(layout);

  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QListWidgetItem* current = list->currentItem();
  if (!current) return std::nullopt;
  return std::make_pair(current->text(), list->currentRow());
}
