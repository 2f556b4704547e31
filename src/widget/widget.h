#pragma once
// The main window: the form, the chart of the data and the fitted curve, the
// column choosers and the fitting workflow. Built over several source files,
// one per group of operations (construction, chart, columns, table routines).
#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

#include "fitcore/export.h"

class QChart;
class QDialog;
class QChartView;
class QKeyEvent;
class QValueAxis;
class QTableWidgetItem;
class CleverTableWidgetItem;
class LinearFit;
class NonLinearFit;
class Ui_Widget;
namespace trelvo {
class FitObject;
namespace chartpoints {
class SeriesPoints;
}
}

class TRELVO_EXPORT Widget : public QWidget {
  Q_OBJECT

 public:
  // Builds the form, connects the controls, creates the chart and runs the
  // start-up sequence (refresh, plot, fit, curve) on the sample data.
  explicit Widget(QWidget* parent = nullptr);
  ~Widget() override;

  // ---- state ---------------------------------------------------------------
  Ui_Widget* ui = nullptr;
  // The cell the input bar is bound to, as a position (the grid replaces and
  // frees items, so no item pointer is kept).
  std::optional<int> link_row;
  std::optional<int> link_col;
  QChart* chart = nullptr;
  QChartView* chartView = nullptr;
  QValueAxis* xAxis = nullptr;
  QValueAxis* yAxis = nullptr;
  std::vector<double> xList;
  std::vector<double> yList;
  QString dataName;
  QString curveName;
  QColor dataColor;
  QColor curveColor;
  QColor dataColorTemp;
  QColor curveColorTemp;
  int dataSize = 2;
  int curveSize = 2;
  Qt::PenStyle dataPenStyle = Qt::SolidLine;
  Qt::PenStyle curvePenSytle = Qt::DashLine;
  std::optional<QString> fit_nonl_func;
  std::optional<QString> plotTitle;

  // ---- input bar ----------------------------------------------------------
  // Every key press for the input editor comes here first: Alt+Enter/Return
  // inserts a line break; Enter/Return/Escape give the focus to the input
  // grid; the Paste keys with clipboard text holding a tab or a line break run
  // the grid's paste; while the bar is untouched since its binding, the Copy
  // keys and Del run the grid's copy and Del. Other keys go to the editor's
  // own handling.
  void onInputEditKeyPressEvent(QKeyEvent* event);

  // ---- chart ----------------------------------------------------------------
  // First re-reads the chosen columns when they are stale, as the fit does.
  // Redraws the data series on the chart with the plot tab's options; refuses
  // empty, unequal or non-finite data and an empty title with a warning box.
  void onPlotBtnClicked();
  // Makes the chart view as large as the plot tab's scroll area.
  void onAdjustPlotBtnClicked();
  // The points of the chart's series, reduced to what the plot area shows.
  trelvo::chartpoints::SeriesPoints* seriesPoints = nullptr;

  // ---- data files and refresh ---------------------------------------------
  // Drops the grid's selection, rebuilds the column choosers, rereads xList
  // and yList (each column as its chooser reads it); when every row pairs,
  // the lists are no longer stale.
  void onRefreshBtnClicked();

  // ---- data files (widget_files.cpp) ----
  // Ask for a file to load ("打开文件") / to save to ("保存文件", proposing
  // plotTitle) with the four-filter text. A cancelled dialog does nothing.
  // Otherwise the input grid's extent is refreshed (ContentsChangeSignal, the
  // debug line "input_max_content_pos: row, col"), and the path, unchanged, goes
  // to the grid's load_ / save_ csv, excel or excel03 by its exact,
  // case-sensitive ending ".csv", ".xlsx", ".xls"; any other ending gives the
  // warning "加载失败" / "保存失败": "不支持的文件格式". The grid shows its own
  // boxes; the data lists are not re-read.
  void onLoadBtnClicked();
  void onSaveBtnClicked();
  // ---- end of data files ----

  // ---- model kind and data columns -------------------------------------------
  void onComboBoxChanged();
  // Rebuilds both column choosers for columns 0..max_col; asks the grid for
  // its extent when either value is missing.
  void inputTableChanged(std::optional<int> max_row = std::nullopt, std::optional<int> max_col = std::nullopt);
  void onXDataBoxChanged();
  void onYDataBoxChanged();

  // ---- fitting workflow (widget_fit*.cpp, widget_curve.cpp, widget_calc.cpp, widget_export.cpp) ----
  // The current fit object (fitcore/fitobject.h): null until a fit
  // procedure builds one; replaced as soon as the next one is built, before it
  // is fitted, so it may hold an unfitted object after a failed fit.
  std::shared_ptr<trelvo::FitObject> fit_class;
  // The copy chooser of the last press of the copy button (null once closed).
  QPointer<QDialog> copyPlotDialog;

  // First re-reads the chosen columns when they are stale (see
  // readChosenColumnsIfStale); a refused read ends the fit.
  // Warns "请先输入X轴和Y轴数据" / "X轴和Y轴数据长度不一致" for empty or unequal
  // lists; otherwise runs the fit procedure of ui->comboBox's model kind.
  void onFitBtnClicked();
  // Rewrites the read-only output grid: row "r2" with R², then one row per
  // name with its value (number text of decimalOutBox / scientificOutCheck).
  // Without `coef` the names are a0, a1, ... and the values fit_class's
  // params, constant term first. Throws trelvo::Error(RuntimeError) "args must
  // be provided if coef is provided" / "length of args should match with
  // coef". The grid stays read-only throughout.
  void updateOutputTable(double r_squared, std::optional<QStringList> args = std::nullopt,
                         std::optional<std::vector<double>> coef = std::nullopt);
  // The six fit procedures. Each refuses bad input with a warning box, shows
  // "初始化错误" / "拟合错误" boxes with the engine's error text, and on success
  // fills the output grid and the output pane. They raise nothing of their own.
  // Each reads its kind's row of the model kind table (widget_modelkind.h).
  void fitOnPolynomial();
  void fitOnExponential();
  void fitOnExponential2();
  void fitOnLogarithmic();
  void fitOnPower();
  void fitOnCustom();
  // First re-reads the chosen columns as the fit does (once: the redraw
  // inside does not read again).
  // Redraws the data and adds the fitted curve at xList (or, refined, at 10^n
  // evenly spaced x from the first to the last x). Warns "请先进行拟合" without
  // a fitted model and "请先输入X轴和Y轴数据" with an empty x list; refuses
  // more than trelvo::limits::kMaxCurvePoints points ("细化等级过大，无法绘制");
  // asks before drawing more than 10^5 points.
  void onCurveBtnClicked();
  // y for ui->xIn's x into ui->yOut; x (every real solution, ascending,
  // ", "-joined) for ui->yIn's y into ui->xOut; "解不存在" when no x reaches y.
  void onCalcYOutClicked();
  void onCalcXOutClicked();
  // Chart export of chartView as shown: to a .png / .svg file chosen in a save
  // dialog (a failed write warns "保存失败" and never confirms), or to the
  // clipboard through a chooser (PNG image, or SVG as "image/svg+xml").
  void onSavePlotBtnClicked();
  void onCopyPlotBtnClicked();
  void copyPNG();
  void copySVG();
  // ---- end of fitting workflow ----

  // ---- table utility routines ----------------------------------------------
  // A new formula cell holding `value` as printf %.*e (scientific) or %.*f.
  CleverTableWidgetItem* createFormattedItem(double value, bool scientific, int decimals) const;
  // The numbers found in `input_str` ("[-+]?\d+\.?\d*(?:[eE][-+]?\d+)?", Unicode digits).
  QList<double> filterStringToList(const QString& input_str) const;
  // `loop` passes (at least one) removing input rows whose first two cells are "".
  void clearEmptyRowsOfTableEnd(int loop = 1);
  // Distinct rows / columns of the selected input cells that hold items; none
  // (after a warning box) when one lies outside the grid.
  std::optional<QList<int>> getSelectedRowsList();
  std::optional<QList<int>> getSelectedColumnsList();
  // Vertical header of the input grid numbered 1..n.
  void renumberTableRows();

  // ---- window tools (widget_input.cpp, widget_dialogs.cpp, widget_settings.cpp) ----
  // Input bar. The bar is bound to (link_row, link_col); the item there is
  // looked up afresh at every use.
  // Binds the bar to the top-left cell of the first selected range: label
  // "C5 : ", the cell's typed text (a formula with its "="), editable. The
  // focus goes to the grid when the selection holds more than one cell, else
  // to the bar with its whole text selected. Nothing selected: label and text
  // "", read-only, unbound, the focus left where it is.
  void onItemSelected();
  // Writes the editor's text into the bound cell (a new formula cell for an
  // empty one), then recomputes the grid's content extent. An edit to "" or
  // " " empties the bound cell's text (a cell without item stays so); the
  // binding itself never writes those. Ignores an unbound bar.
  void onInputEditTextChanged();
  // An in-cell edit of `item` finished with `text`: binds the bar to that
  // cell and, 100 ms later, writes `text` into the same (row, column) and
  // shows it in the bar if the bar still shows that cell. A later finish
  // cancels a pending echo. `item` is used only during the call.
  void onCellTextFinished(CleverTableWidgetItem* item, const QString& text);
  // Expanded (96 px, "折叠") or collapsed (32 px, "展开") input bar.
  void onInputBtnToggled(bool checked);
  // The item at the bound cell; null when unbound or the cell holds none.
  QTableWidgetItem* linkItem() const;
  // "C5": the column's header text (its letters when it has no header item)
  // and the 1-based row.
  QString cellLabel(int row, int col) const;
  // Timer of the pending (or last) edit echo; null before the first finish.
  class QTimer* _delay_timer = nullptr;

  // Chart settings: modal dialog of legend names, colours, widths and pen
  // styles of the data series and the fitted curve, committed on OK only.
  void onSetPlotBtnClicked();
  // Colour pickers of the open settings dialog: start at the committed
  // colour; an accepted pick becomes the pending colour and the swatch.
  void onDataColorBtnClicked();
  void onCurveColorBtnClicked();
  // Swatches of the open settings dialog; null while none is open.
  class QLabel* dataColorPreview = nullptr;
  class QLabel* curveColorPreview = nullptr;
  // Modal dialog of the chart view's width and height (10..5000); OK sets
  // the fixed size and logs "ChartView size: [w x h]".
  void onSetPlotSizeBtn();

  // About box ("关于本程序") with a button opening Qt's about box.
  void onAboutBtnClicked();
  // Logs "Qt version: " + version and shows Qt's about box.
  void onQtBtnClicked();
  // Modal choice of widget style and light/dark scheme, applied on OK.
  void onThemeBtnClicked();

 private:
  // Writes `text` into the cell (row, col) of the input grid, creating a
  // formula cell where there is none, logs it and recomputes the extent; the
  // grid may refuse it (its limits), and then the cell and the bar show what
  // the cell holds (showRefusedCell).
  void writeInputCell(int row, int col, const QString& text);
  void showRefusedCell(int row, int col);
  // The echo step of onCellTextFinished, run by its timer.
  void echoCellText(int row, int col, const QString& text);
  // The bound cell's text as the bar shows it (a formula with its "=").
  QString boundCellText() const;
  // Shows the bound cell (link_row, link_col) in the bar: label, text (written
  // back), editable, untouched. With `takeKeys` the bar takes the focus with
  // its whole text selected; else the grid keeps (or takes) it.
  void bindBar(bool takeKeys);
  // The bound cell becomes the top-left cell of the input grid's first
  // selection range (link_row, link_col only); false, binding nothing, when
  // nothing is selected.
  bool bindToSelection();
  // A key pressed while the input grid has the focus: a printable key without
  // Ctrl, Alt or Meta is typed into the bar, replacing the text of the cell
  // the bar names (a bar bound to nothing is bound to the selection, else to
  // Qt's current cell, first); true when the key was taken so.
  bool onInputTableKeyPress(QKeyEvent* event);
  // After the grid rewrote cells (CellsRewrittenSignal): marks the data lists
  // stale and shows the bound cell's current label and text in the bar,
  // writing nothing and leaving the focus where it is; unbinds when the cell
  // has left the grid.
  void onInputCellsRewritten();
  // While set, the bar's text changes write nothing.
  bool echoing_ = false;
  // While set, the window itself sets the bar's text or cursor: "" and " "
  // are not written, and the bar stays untouched.
  bool bindingBar_ = false;
  // The bar shows its cell as bound: neither its text nor its cursor has been
  // changed by the user since.
  bool barUntouched_ = false;

 public:
  // ---- end of window tools ----

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The numbers of input column `column` by the column-reading rule.
  std::vector<double> readColumn(int column) const;
  // The number of the input cell (row, column) by the column-reading rule.
  std::optional<double> cellNumber(int row, int column) const;
  // Set by every change of the input grid's cells and by the one-column reads
  // of the choosers; cleared only by readChosenColumnsIfStale's paired read.
  bool dataListsStale_ = true;
  // When dataListsStale_: reads the chosen x and y columns together, row by
  // row (two numbers give a pair, a row without any is skipped), into xList
  // and yList and clears the flag. A row with only one number warns "输入错误"
  // / "X轴和Y轴数据长度不一致" and returns false, the lists and the flag as
  // they were. True otherwise.
  bool readChosenColumnsIfStale();
  // One pass over the rows of the chosen x and y columns: each cell's number
  // appended to `xs` or `ys`. Returns the first row holding only one of the
  // two numbers, or none when every row pairs.
  std::optional<int> readChosenColumns(std::vector<double>& xs, std::vector<double>& ys) const;
  // False, after the warning box, when xList or yList is empty or the two
  // differ in length (the checks the plot and the fit share).
  bool dataListsUsable();

  bool forwarding_key_ = false;
};
