#include "widget/widget.h"

#include <QChart>
#include <QCoreApplication>
#include <QChartView>
#include <QDebug>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QTextCursor>
#include <QValueAxis>

#include <exception>

#include "fitcore/errors.h"
#include "sheetgrid/clevertablewidget.h"
#include "viewdesign/widgetform.h"

template <typename F>
void Widget::guarded(const char* where, F&& body) {
  try {
    body();
  } catch (const std::exception& e) {
    qDebug().noquote() << QString::fromLatin1(where) + ": " + QString::fromUtf8(e.what());
  } catch (...) {
    qDebug().noquote() << QString::fromLatin1(where) + ": unknown error";
  }
}

Widget::Widget(QWidget* parent) : QWidget(parent) {
  ui = new Ui_Widget;
  ui->setupUi(this);
  setWindowTitle(tr("拟合函数曲线"));

  // Controls, in a fixed order.
  connect(ui->plotBtn, &QAbstractButton::clicked, this, [this] { guarded("onPlotBtnClicked", [this] { onPlotBtnClicked(); }); });
  connect(ui->adjustPlotBtn, &QAbstractButton::clicked, this,
          [this] { guarded("onAdjustPlotBtnClicked", [this] { onAdjustPlotBtnClicked(); }); });
  connect(ui->loadBtn, &QAbstractButton::clicked, this,
          [this] { guarded("onLoadBtnClicked", [this] { onLoadBtnClicked(); }); });
  connect(ui->saveBtn, &QAbstractButton::clicked, this,
          [this] { guarded("onSaveBtnClicked", [this] { onSaveBtnClicked(); }); });
  connect(ui->refreshBtn, &QAbstractButton::clicked, this,
          [this] { guarded("onRefreshBtnClicked", [this] { onRefreshBtnClicked(); }); });
  connect(ui->comboBox, &QComboBox::currentIndexChanged, this,
          [this] { guarded("onComboBoxChanged", [this] { onComboBoxChanged(); }); });

  const int index = ui->comboBox->currentIndex();
  ui->funcLabel->setVisible(index != 5);
  ui->funcInput->setVisible(index == 5);

  ui->outputTable->disable_editing();

  connect(ui->xDataBox, &QComboBox::activated, this,
          [this] { guarded("onXDataBoxChanged", [this] { onXDataBoxChanged(); }); });
  connect(ui->yDataBox, &QComboBox::activated, this,
          [this] { guarded("onYDataBoxChanged", [this] { onYDataBoxChanged(); }); });

  ui->refineSP->setEnabled(ui->refineCB->isChecked());

  // The grid fills its visible area before its signals reach the window.
  ui->inputTable->enable_infinite();

  connect(ui->inputTable, &CleverTableWidget::ContentsChangeSignal, this, [this](int row, int col) {
    guarded("inputTableChanged", [&] { inputTableChanged(row, col); });
  });

  ui->inputEdit->installEventFilter(this);

  ui->inputLabel->setText(QString());
  ui->inputEdit->setReadOnly(true);
  link_row.reset();
  link_col.reset();

  chart = new QChart();
  chartView = new QChartView(chart);
  chartView->setRenderHint(QPainter::Antialiasing);
  ui->sbox->addWidget(chartView);
  xAxis = new QValueAxis(this);
  yAxis = new QValueAxis(this);
  chartView->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  chartView->setFixedSize(720, 385);

  xList.clear();
  yList.clear();
  dataName = tr("Data Series");
  curveName = tr("Fitted Curve");
  dataColor = QColor(Qt::red);
  curveColor = QColor(Qt::black);
  dataColorTemp = QColor(Qt::red);
  curveColorTemp = QColor(Qt::black);
  dataSize = 2;
  curveSize = 2;
  dataPenStyle = Qt::SolidLine;
  curvePenSytle = Qt::DashLine;
  fit_nonl_func.reset();

  // Start-up: read, plot (fit and curve once they exist), model 0.
  onRefreshBtnClicked();
  onPlotBtnClicked();
  ui->comboBox->setCurrentIndex(0);
  onComboBoxChanged();

  ui->inputTable->setMinimumHeight(200);
  ui->outputTable->setMinimumHeight(200);
}

Widget::~Widget() {
  // The axes belong to the chart while attached; detach them so that each is
  // freed once, by its Qt parent (the window).
  if (chart) {
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(xAxis), static_cast<QAbstractAxis*>(yAxis)})
      if (chart->axes().contains(axis)) chart->removeAxis(axis);
  }
  delete ui;
}

bool Widget::eventFilter(QObject* watched, QEvent* event) {
  if (ui && watched == ui->inputEdit && event->type() == QEvent::KeyPress && !forwarding_key_) {
    guarded("onInputEditKeyPressEvent", [&] { onInputEditKeyPressEvent(static_cast<QKeyEvent*>(event)); });
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void Widget::onInputEditKeyPressEvent(QKeyEvent* event) {
  const int k = event->key();
  const bool enter = k == Qt::Key_Enter || k == Qt::Key_Return;
  if (enter && (event->modifiers() & Qt::AltModifier)) {
    ui->inputEdit->textCursor().insertText(QStringLiteral("\n"));
    event->accept();
  } else if (enter || k == Qt::Key_Escape) {
    ui->inputEdit->clearFocus();
  } else {
    // The editor's own key handling, past this filter.
    forwarding_key_ = true;
    QCoreApplication::sendEvent(ui->inputEdit, event);
    forwarding_key_ = false;
  }
}
