#pragma once
// The main window: the form, the chart of the data and the fitted curve, the
// column choosers and the fitting workflow. Built over several source files,
// one per group of operations (construction, chart, columns, table routines).
#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

#include "fitcore/export.h"

class QChart;
class QChartView;
class QKeyEvent;
class QValueAxis;
class QTableWidgetItem;
class CleverTableWidgetItem;
class LinearFit;
class NonLinearFit;
class Ui_Widget;

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
  // inserts a line break, Enter/Return/Escape leave the editor, other keys go
  // to the editor's own handling.
  void onInputEditKeyPressEvent(QKeyEvent* event);

  // ---- chart ----------------------------------------------------------------
  // Redraws the data series on the chart with the plot tab's options; refuses
  // empty, unequal or non-finite data and an empty title with a warning box.
  void onPlotBtnClicked();
  // Makes the chart view as large as the plot tab's scroll area.
  void onAdjustPlotBtnClicked();

  // ---- data files and refresh ---------------------------------------------
  // Drops the grid's selection, rebuilds the column choosers, rereads xList/yList.
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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The numbers of input column `column` by the column-reading rule.
  std::vector<double> readColumn(int column) const;
  // Runs `body`; an exception is logged (and shown in a warning box) instead of
  // leaving the slot.
  template <typename F>
  void guarded(const char* where, F&& body);

  bool forwarding_key_ = false;
};
