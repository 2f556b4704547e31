#include "widget/widget.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QClipboard>
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
#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/slotguard.h"
#include "viewdesign/widgetform.h"
#include "widget/widget_chartpoints.h"
#include "widget/widget_modelkind.h"

namespace {

// Clipboard text that the grid's paste spreads over several cells.
bool holdsCellBlock(const QString& text) {
  return text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

}  // namespace

Widget::Widget(QWidget* parent) : QWidget(parent) {
  ui = new Ui_Widget;
  ui->setupUi(this);
  setWindowTitle(tr("拟合函数曲线"));

  // Controls, in a fixed order.
  connect(ui->aboutBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onAboutBtnClicked", [this] { onAboutBtnClicked(); }); });
  connect(ui->themeBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onThemeBtnClicked", [this] { onThemeBtnClicked(); }); });
  connect(ui->inputBtn, &QAbstractButton::toggled, this,
          [this](bool checked) { trelvo::guard_slot("onInputBtnToggled", [&] { onInputBtnToggled(checked); }); });
  connect(ui->plotBtn, &QAbstractButton::clicked, this, [this] { trelvo::guard_slot("onPlotBtnClicked", [this] { onPlotBtnClicked(); }); });
  connect(ui->setPlotSizeBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onSetPlotSizeBtn", [this] { onSetPlotSizeBtn(); }); });
  connect(ui->adjustPlotBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onAdjustPlotBtnClicked", [this] { onAdjustPlotBtnClicked(); }); });
  connect(ui->savePlotBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onSavePlotBtnClicked", [this] { onSavePlotBtnClicked(); }); });
  connect(ui->copyPlotBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onCopyPlotBtnClicked", [this] { onCopyPlotBtnClicked(); }); });
  connect(ui->setPlotBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onSetPlotBtnClicked", [this] { onSetPlotBtnClicked(); }); });
  connect(ui->loadBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onLoadBtnClicked", [this] { onLoadBtnClicked(); }); });
  connect(ui->saveBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onSaveBtnClicked", [this] { onSaveBtnClicked(); }); });
  connect(ui->refreshBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onRefreshBtnClicked", [this] { onRefreshBtnClicked(); }); });
  connect(ui->fitBtn, &QAbstractButton::clicked, this, [this] { trelvo::guard_slot("onFitBtnClicked", [this] { onFitBtnClicked(); }); });
  connect(ui->curveBtn, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onCurveBtnClicked", [this] { onCurveBtnClicked(); }); });
  connect(ui->calcYOut, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onCalcYOutClicked", [this] { onCalcYOutClicked(); }); });
  connect(ui->calcXOut, &QAbstractButton::clicked, this,
          [this] { trelvo::guard_slot("onCalcXOutClicked", [this] { onCalcXOutClicked(); }); });
  connect(ui->comboBox, &QComboBox::currentIndexChanged, this,
          [this] { trelvo::guard_slot("onComboBoxChanged", [this] { onComboBoxChanged(); }); });

  const trelvo::ModelKindRow* kind = trelvo::modelKindAt(ui->comboBox->currentIndex());
  ui->funcLabel->setVisible(!kind || kind->label);
  ui->funcInput->setVisible(kind && !kind->label);

  ui->outputTable->disable_editing();

  connect(ui->xDataBox, &QComboBox::activated, this,
          [this] { trelvo::guard_slot("onXDataBoxChanged", [this] { onXDataBoxChanged(); }); });
  connect(ui->yDataBox, &QComboBox::activated, this,
          [this] { trelvo::guard_slot("onYDataBoxChanged", [this] { onYDataBoxChanged(); }); });

  ui->refineSP->setEnabled(ui->refineCB->isChecked());

  // The grid fills its visible area before its signals reach the window.
  ui->inputTable->enable_infinite();

  connect(ui->inputTable, &CleverTableWidget::ContentsChangeSignal, this, [this](int row, int col) {
    trelvo::guard_slot("inputTableChanged", [&] { inputTableChanged(row, col); });
  });

  connect(ui->inputTable, &CleverTableWidget::ItemSelectionSignal, this,
          [this] { trelvo::guard_slot("onItemSelected", [this] { onItemSelected(); }); });
  connect(ui->inputEdit, &QTextEdit::textChanged, this,
          [this] { trelvo::guard_slot("onInputEditTextChanged", [this] { onInputEditTextChanged(); }); });
  // Any change of the input cells makes the data lists stale; a command's
  // rewrite also rebinds the bar to its cell's new text.
  connect(ui->inputTable, &QTableWidget::cellChanged, this, [this] { dataListsStale_ = true; });
  connect(ui->inputTable, &CleverTableWidget::CellsRewrittenSignal, this,
          [this] { trelvo::guard_slot("onInputCellsRewritten", [this] { onInputCellsRewritten(); }); });
  // A cursor or selection moved by the user ends the bar's untouched state.
  auto barTouched = [this] {
    if (!bindingBar_) barUntouched_ = false;
  };
  connect(ui->inputEdit, &QTextEdit::cursorPositionChanged, this, barTouched);
  connect(ui->inputEdit, &QTextEdit::selectionChanged, this, barTouched);

  ui->inputEdit->installEventFilter(this);
  ui->inputTable->installEventFilter(this);

  connect(ui->inputTable, &CleverTableWidget::ItemTextFinishedSignal, this,
          [this](CleverTableWidgetItem* item, const QString& text) {
            trelvo::guard_slot("onCellTextFinished", [&] { onCellTextFinished(item, text); });
          });

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
  chartView->setFixedSize(trelvo::limits::kChartStartWidth, trelvo::limits::kChartStartHeight);
  seriesPoints = new trelvo::chartpoints::SeriesPoints(chart, xAxis, chartView, this);

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

  // Start-up: read, plot, fit, curve, model 0.
  onRefreshBtnClicked();
  onPlotBtnClicked();
  onFitBtnClicked();
  onCurveBtnClicked();
  ui->comboBox->setCurrentIndex(0);
  onComboBoxChanged();

  ui->inputTable->setMinimumHeight(200);
  ui->outputTable->setMinimumHeight(200);
}

// The chart owns the axes it holds and the view owns the chart; axes never
// added to the chart are children of the window.
Widget::~Widget() {
  delete ui;
  ui = nullptr;  // the event filter runs while the children go
}

bool Widget::eventFilter(QObject* watched, QEvent* event) {
  if (ui && watched == ui->inputEdit && event->type() == QEvent::KeyPress && !forwarding_key_) {
    trelvo::guard_slot("onInputEditKeyPressEvent", [&] { onInputEditKeyPressEvent(static_cast<QKeyEvent*>(event)); });
    return true;
  }
  if (event->type() == QEvent::KeyPress && ui && watched == ui->inputTable) {
    bool taken = false;
    trelvo::guard_slot("onInputTableKeyPress",
                       [&] { taken = onInputTableKeyPress(static_cast<QKeyEvent*>(event)); });
    if (taken) return true;
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
    // The arrows move the grid's selection again.
    ui->inputTable->setFocus();
  } else if (event->matches(QKeySequence::Paste) && holdsCellBlock(QApplication::clipboard()->text())) {
    ui->inputTable->paste_action->trigger();
  } else if (barUntouched_ && event->matches(QKeySequence::Copy)) {
    ui->inputTable->copy_action->trigger();
  } else if (barUntouched_ && k == Qt::Key_Delete && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    ui->inputTable->delete_action->trigger();
  } else {
    // The editor's own key handling, past this filter.
    forwarding_key_ = true;
    QCoreApplication::sendEvent(ui->inputEdit, event);
    forwarding_key_ = false;
  }
}
