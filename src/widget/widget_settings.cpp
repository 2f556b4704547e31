// The chart settings dialog (legend names, colours, widths, pen styles of the
// data series and the fitted curve) and the chart size dialog.
#include <QChartView>
#include <QColorDialog>
#include <QComboBox>
#include <QDebug>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>

#include <array>

#include "fitcore/limits.h"
#include "sheetgrid/slotguard.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"

namespace trelvo {
namespace {

// The five pen styles the dialog offers; the combo-box index is the position.
constexpr std::array<Qt::PenStyle, 5> pen_styles = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                                    Qt::DashDotDotLine};

// The index of `style` in pen_styles; 0 for a style not offered.
int style_map(Qt::PenStyle style) {
  for (size_t i = 0; i < pen_styles.size(); ++i)
    if (pen_styles[i] == style) return static_cast<int>(i);
  return 0;
}

QString swatchStyle(const QColor& color) {
  return QStringLiteral("background-color: ") + color.name() + QStringLiteral(";");
}

}  // namespace
}  // namespace trelvo

void Widget::onSetPlotBtnClicked() {
  // A pick counts only for the dialog it was made in.
  dataColorTemp = dataColor;
  curveColorTemp = curveColor;

  QDialog dialog(this);
  // The swatches live only as long as the dialog.
  const auto forgetSwatches = qScopeGuard([this] {
    dataColorPreview = nullptr;
    curveColorPreview = nullptr;
  });
  dialog.setWindowTitle(tr("设置绘图参数"));
  dialog.setMinimumSize(150, 100);
  auto* layout = new QFormLayout(&dialog);
  const QStringList styleNames = {tr("实线"), tr("虚线"), tr("点线"), tr("点划线"), tr("双点划线")};

  auto* dataNameLineEdit = new QLineEdit(&dialog);
  dataNameLineEdit->setText(dataName);
  layout->addRow(new QLabel(tr("数据曲线标签:")), dataNameLineEdit);

  auto* hb0 = new QHBoxLayout();
  auto* dataColorBtn = new QPushButton(tr("选择颜色"), &dialog);
  dataColorPreview = new QLabel(&dialog);
  dataColorPreview->setMinimumSize(40, 20);
  dataColorPreview->setStyleSheet(trelvo::swatchStyle(dataColor));
  connect(dataColorBtn, &QPushButton::clicked, this, [this] {
    trelvo::guard_slot("onDataColorBtnClicked", [this] { onDataColorBtnClicked(); });
  });
  hb0->addWidget(dataColorBtn);
  hb0->addWidget(dataColorPreview);
  layout->addRow(new QLabel(tr("数据曲线颜色:")), hb0);

  auto* dataSizeSpinBox = new QSpinBox(&dialog);
  dataSizeSpinBox->setRange(1, 10);
  dataSizeSpinBox->setValue(dataSize);
  layout->addRow(new QLabel(tr("数据曲线尺寸:")), dataSizeSpinBox);

  auto* dataLineStyleComboBox = new QComboBox(&dialog);
  dataLineStyleComboBox->addItems(styleNames);
  dataLineStyleComboBox->setCurrentIndex(trelvo::style_map(dataPenStyle));
  layout->addRow(new QLabel(tr("数据曲线线型:")), dataLineStyleComboBox);

  auto* curveNameLineEdit = new QLineEdit(&dialog);
  curveNameLineEdit->setText(curveName);
  layout->addRow(new QLabel(tr("拟合曲线标签:")), curveNameLineEdit);

  auto* hb1 = new QHBoxLayout();
  auto* curveColorBtn = new QPushButton(tr("选择颜色"), &dialog);
  curveColorPreview = new QLabel(&dialog);
  curveColorPreview->setMinimumSize(40, 20);
  curveColorPreview->setStyleSheet(trelvo::swatchStyle(curveColor));
  connect(curveColorBtn, &QPushButton::clicked, this, [this] {
    trelvo::guard_slot("onCurveColorBtnClicked", [this] { onCurveColorBtnClicked(); });
  });
  hb1->addWidget(curveColorBtn);
  hb1->addWidget(curveColorPreview);
  layout->addRow(new QLabel(tr("拟合曲线颜色:")), hb1);

  auto* curveSizeSpinBox = new QSpinBox(&dialog);
  curveSizeSpinBox->setRange(1, 10);
  curveSizeSpinBox->setValue(curveSize);
  layout->addRow(new QLabel(tr("拟合曲线尺寸:")), curveSizeSpinBox);

  auto* curveLineStyleComboBox = new QComboBox(&dialog);
  curveLineStyleComboBox->addItems(styleNames);
  curveLineStyleComboBox->setCurrentIndex(trelvo::style_map(curvePenSytle));
  layout->addRow(new QLabel(tr("拟合曲线线型:")), curveLineStyleComboBox);

  auto* okButton = new QPushButton(tr("确定"), &dialog);
  connect(okButton, &QPushButton::clicked, &dialog, &QDialog::accept);
  layout->addWidget(okButton);

  if (dialog.exec() != QDialog::Accepted) return;

  dataName = dataNameLineEdit->text();
  dataSize = dataSizeSpinBox->value();
  dataColor = dataColorTemp;
  dataPenStyle = trelvo::pen_styles.at(static_cast<size_t>(dataLineStyleComboBox->currentIndex()));
  curveName = curveNameLineEdit->text();
  curveSize = curveSizeSpinBox->value();
  curveColor = curveColorTemp;
  curvePenSytle = trelvo::pen_styles.at(static_cast<size_t>(curveLineStyleComboBox->currentIndex()));
}

namespace {

// Runs a colour picker titled `title` over `parent`, starting at `start`;
// an accepted colour goes to `pending` and paints `swatch` (when there is one).
void pickColor(QWidget* parent, const QString& title, const QColor& start, QColor& pending, QLabel* swatch) {
  QColorDialog dialog(parent);
  dialog.setWindowTitle(title);
  dialog.setCurrentColor(start);
  if (dialog.exec() != QDialog::Accepted) return;
  pending = dialog.currentColor();
  if (swatch) swatch->setStyleSheet(trelvo::swatchStyle(pending));
}

}  // namespace

void Widget::onDataColorBtnClicked() {
  pickColor(this, tr("选择绘图数据颜色"), dataColor, dataColorTemp, dataColorPreview);
}

void Widget::onCurveColorBtnClicked() {
  pickColor(this, tr("选择拟合曲线颜色"), curveColor, curveColorTemp, curveColorPreview);
}

void Widget::onSetPlotSizeBtn() {
  QDialog dialog(this);
  dialog.setWindowTitle(tr("设置绘图大小"));
  dialog.setMinimumSize(150, 100);
  auto* layout = new QFormLayout(&dialog);
  auto* widthLabel = new QLabel(tr("宽度:"));
  auto* widthSpinBox = new QSpinBox(&dialog);
  widthSpinBox->setRange(trelvo::limits::kChartSideMin, trelvo::limits::kChartSideMax);
  widthSpinBox->setValue(chartView->width());
  auto* heightLabel = new QLabel(tr("高度:"));
  auto* heightSpinBox = new QSpinBox(&dialog);
  heightSpinBox->setRange(trelvo::limits::kChartSideMin, trelvo::limits::kChartSideMax);
  heightSpinBox->setValue(chartView->height());
  layout->addRow(widthLabel, widthSpinBox);
  layout->addRow(heightLabel, heightSpinBox);
  auto* okButton = new QPushButton(tr("确定"), &dialog);
  connect(okButton, &QPushButton::clicked, &dialog, &QDialog::accept);
  layout->addWidget(okButton);
  if (dialog.exec() != QDialog::Accepted) return;

  chartView->setFixedSize(widthSpinBox->value(), heightSpinBox->value());
  chartView->resize(widthSpinBox->value(), heightSpinBox->value());
  qDebug().noquote() << QStringLiteral("ChartView size: [%1 x %2]").arg(chartView->width()).arg(chartView->height());
}
