// The main window after construction, its data chart, the column choosers and
// the table utility routines.
#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLineSeries>
#include <QMessageBox>
#include <QValueAxis>

#include <cmath>
#include <limits>

#include "common/logcapture.h"
#include "common/modalguard.h"
#include "common/qtapp.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgriditem/clevertablewidgetitem.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "widget/widget_modelkind.h"

namespace {

using trelvo::test::LogCapture;
using trelvo::test::ModalGuard;

// Message boxes shown while an instance lives, as "title|text"; each is closed.
class Boxes {
 public:
  Boxes()
      : guard_([this](QWidget* w) {
          if (auto* box = qobject_cast<QMessageBox*>(w)) shown_.append(box->windowTitle() + "|" + box->text());
        }) {}
  QStringList shown() const { return shown_; }
  QStringList failures() const { return guard_.failures(); }

 private:
  QStringList shown_;
  ModalGuard guard_;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    trelvo::test::app();
    window = std::make_unique<Widget>();
  }
  Ui_Widget& ui() { return *window->ui; }
  std::unique_ptr<Widget> window;
};

TEST_F(WindowTest, StateAfterConstruction) {
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("拟合函数曲线"));
  EXPECT_EQ(window->chartView->size(), QSize(720, 385));
  EXPECT_EQ(window->chartView->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
  EXPECT_EQ(window->chartView->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
  ASSERT_EQ(ui().xDataBox->count(), 2);
  EXPECT_EQ(ui().xDataBox->itemText(0), QString::fromUtf8("第1列 : A"));
  EXPECT_EQ(ui().xDataBox->itemText(1), QString::fromUtf8("第2列 : B"));
  EXPECT_EQ(ui().yDataBox->itemText(1), QString::fromUtf8("第2列 : B"));
  EXPECT_EQ(ui().xDataBox->currentIndex(), 0);
  EXPECT_EQ(ui().yDataBox->currentIndex(), 1);
  EXPECT_EQ(window->xList, (std::vector<double>{2, 4, 6, 8, 10}));
  EXPECT_EQ(window->yList, (std::vector<double>{0.1, 0.3, 0.6, 1.1, 1.7}));
  EXPECT_EQ(ui().inputLabel->text(), QString());
  EXPECT_TRUE(ui().inputEdit->isReadOnly());
  EXPECT_FALSE(ui().outputTable->editable);
  EXPECT_EQ(ui().outputTable->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_TRUE(ui().inputTable->infinite);
  EXPECT_FALSE(ui().refineSP->isEnabled());
  EXPECT_FALSE(ui().funcLabel->isHidden());
  EXPECT_TRUE(ui().funcInput->isHidden());
  EXPECT_EQ(ui().inputTable->minimumHeight(), 200);
  EXPECT_EQ(ui().outputTable->minimumHeight(), 200);
  EXPECT_FALSE(window->link_row.has_value());
  EXPECT_FALSE(window->link_col.has_value());
  EXPECT_EQ(window->dataName, QString("Data Series"));
  EXPECT_EQ(window->curveName, QString("Fitted Curve"));
  EXPECT_EQ(window->dataColor, QColor(Qt::red));
  EXPECT_EQ(window->curveColor, QColor(Qt::black));
  EXPECT_EQ(window->dataPenStyle, Qt::SolidLine);
  EXPECT_EQ(window->curvePenSytle, Qt::DashLine);
  ASSERT_TRUE(window->plotTitle.has_value());
  // Every cell of the sample grid is a formula cell once the form is built.
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 2; ++c) EXPECT_NE(asFormulaCell(ui().inputTable->item(r, c)), nullptr) << r << "," << c;
}

TEST_F(WindowTest, DataChartWithTheFormOptions) {
  window->onPlotBtnClicked();
  QChart* chart = window->chart;
  ASSERT_EQ(chart->series().size(), 1);
  auto* series = qobject_cast<QLineSeries*>(chart->series().first());
  ASSERT_NE(series, nullptr);
  EXPECT_EQ(series->name(), QString("Data Series"));
  EXPECT_EQ(series->pen().color(), QColor(Qt::red));
  EXPECT_EQ(series->pen().width(), 2);
  EXPECT_EQ(series->pen().style(), Qt::SolidLine);
  ASSERT_EQ(series->count(), 5);
  EXPECT_EQ(series->at(4), QPointF(10, 1.7));
  ASSERT_EQ(chart->axes(Qt::Horizontal).size(), 1);
  ASSERT_EQ(chart->axes(Qt::Vertical).size(), 1);
  EXPECT_EQ(chart->axes(Qt::Horizontal).first(), window->xAxis);
  EXPECT_EQ(chart->axes(Qt::Vertical).first(), window->yAxis);
  EXPECT_EQ(window->xAxis->titleText(), QString("L/min"));
  EXPECT_EQ(window->yAxis->titleText(), QString("kPa"));
  EXPECT_EQ(window->xAxis->labelFormat(), QString("%.1f"));
  EXPECT_EQ(window->yAxis->labelFormat(), QString("%.3f"));
  EXPECT_DOUBLE_EQ(window->xAxis->min(), 2);
  EXPECT_DOUBLE_EQ(window->xAxis->max(), 10);
  EXPECT_DOUBLE_EQ(window->yAxis->min(), 0.1);
  EXPECT_DOUBLE_EQ(window->yAxis->max(), 1.7);
  EXPECT_EQ(chart->title(), QString());
  EXPECT_FALSE(chart->legend()->isVisible());
  EXPECT_EQ(chart->legend()->alignment(), Qt::AlignBottom);

  // Options: label formats follow the check boxes; two calls keep one axis each.
  ui().xLabelCheck->setChecked(false);
  ui().scientificYCheck->setChecked(true);
  ui().decimalYBox->setValue(0);
  ui().titleDisplayCheck->setChecked(true);
  ui().legendShowCheck->setChecked(true);
  window->onPlotBtnClicked();
  EXPECT_EQ(window->xAxis->titleText(), QString());
  EXPECT_EQ(window->xAxis->labelFormat(), QString());
  EXPECT_EQ(window->yAxis->labelFormat(), QString("%.0e"));
  EXPECT_EQ(chart->title(), ui().titleIn->text());
  EXPECT_TRUE(chart->legend()->isVisible());
  EXPECT_EQ(chart->axes().size(), 2);
  EXPECT_EQ(chart->series().size(), 1);
}

struct Refusal {
  const char* name;
  std::vector<double> x, y;
  const char* title;
  const char* text;  // expected "title|text" of the box
};

class ChartRefusalTest : public WindowTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(ChartRefusalTest, RefusesAndKeepsTheChart) {
  const Refusal& c = GetParam();
  window->onPlotBtnClicked();
  const auto before = window->chart->series();
  const auto title_before = window->plotTitle;
  window->xList = c.x;
  window->yList = c.y;
  ui().titleIn->setText(QString::fromUtf8(c.title));
  Boxes boxes;
  window->onPlotBtnClicked();
  ASSERT_TRUE(boxes.failures().isEmpty());
  EXPECT_EQ(boxes.shown(), QStringList{QString::fromUtf8(c.text)});
  EXPECT_EQ(window->chart->series(), before);
  EXPECT_EQ(window->plotTitle, title_before);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, ChartRefusalTest,
    ::testing::Values(Refusal{"x_empty", {}, {1}, "t", "输入错误|请先输入X轴和Y轴数据"},
                      Refusal{"both_empty", {}, {}, "t", "输入错误|请先输入X轴和Y轴数据"},
                      Refusal{"lengths_differ", {1, 2}, {1}, "t", "输入错误|X轴和Y轴数据长度不一致"},
                      Refusal{"title_empty", {1, 2}, {1, 2}, "", "输入错误|图表标题不能为空"},
                      // Without one finite value a list spans no axis.
                      Refusal{"no_finite_x", {kNaN, kInf}, {1, 2}, "t",
                              "输入错误|数据中含有无效数值（NaN 或无穷大），无法绘图"},
                      Refusal{"no_finite_y", {1, 2}, {kInf, -kInf}, "t",
                              "输入错误|数据中含有无效数值（NaN 或无穷大），无法绘图"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, ChartAcceptsOnePointAndBlankTitle) {
  window->xList = {3};
  window->yList = {5};
  ui().titleIn->setText("  ");
  window->onPlotBtnClicked();
  EXPECT_EQ(window->plotTitle, QString("  "));
  EXPECT_DOUBLE_EQ(window->xAxis->min(), 3);
  EXPECT_DOUBLE_EQ(window->xAxis->max(), 3);
}

TEST_F(WindowTest, FitToViewTakesTheScrollAreaSize) {
  window->resize(1100, 800);
  window->show();
  LogCapture log;
  window->onAdjustPlotBtnClicked();
  EXPECT_EQ(window->chartView->size(), ui().sarea->size());
  EXPECT_EQ(log.lines().last(), QString("ChartView size: [%1 x %2]").arg(ui().sarea->width()).arg(ui().sarea->height()));
}

struct ModelRow {
  int index;
  bool number, intercept_check, intercept_in;  // enabled states (interceptCheck unchecked)
  const char* debug;
  const char* label;  // nullptr: unchanged
};

class ModelKindTest : public WindowTest, public ::testing::WithParamInterface<ModelRow> {};

TEST_P(ModelKindTest, ControlsAndLabel) {
  const ModelRow& m = GetParam();
  ui().funcLabel->setText("before");
  LogCapture log;
  ui().comboBox->setCurrentIndex(m.index);  // the connected slot runs
  window->onComboBoxChanged();
  EXPECT_EQ(ui().numberSpin->isEnabled(), m.number);
  EXPECT_EQ(ui().interceptCheck->isEnabled(), m.intercept_check);
  EXPECT_EQ(ui().interceptIn->isEnabled(), m.intercept_in);
  EXPECT_EQ(ui().funcLabel->isHidden(), m.index == 5);
  EXPECT_EQ(ui().funcInput->isHidden(), m.index != 5);
  EXPECT_TRUE(log.lines().contains(QString(m.debug)));
  EXPECT_EQ(ui().funcLabel->text(), m.label ? QString(m.label) : QString("before"));
}

INSTANTIATE_TEST_SUITE_P(
    Models, ModelKindTest,
    ::testing::Values(
        ModelRow{0, true, true, false, "Function: polynomial",
                 "y = a<sub>0</sub> + a<sub>1</sub>x + a<sub>2</sub>x<sup>2</sup> + ... + a<sub>n</sub>x<sup>n</sup>"},
        ModelRow{1, false, false, false, "Function: exponential", "y = a + b * e^(c * x)"},
        ModelRow{2, false, true, true, "Function: exponential", "y = a * e^(b * x) (y > 0)"},
        ModelRow{3, false, false, false, "Function: logarithmic", "y = a + b * ln(x) (x > 0)"},
        ModelRow{4, false, false, false, "Function: power", "y = a * x^b (x > 0)"},
        ModelRow{5, false, false, false, "Function: custom", nullptr}),
    [](const auto& info) { return "index" + std::to_string(info.param.index); });

// The chooser's items and the model kind table stay in step, and every
// built-in row holds every piece its fit procedure reads.
TEST_F(WindowTest, ModelKindTableFollowsTheChooser) {
  const auto rows = trelvo::modelKinds();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(ui().comboBox->count()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const trelvo::ModelKindRow& row = rows[i];
    SCOPED_TRACE(row.logLine);
    EXPECT_EQ(static_cast<std::size_t>(row.kind), i);
    EXPECT_EQ(trelvo::modelKindAt(static_cast<int>(i)), &row);
    EXPECT_EQ(&trelvo::modelKind(row.kind), &row);
    EXPECT_NE(row.pane, nullptr);
    if (row.model) {
      EXPECT_NE(row.modelText, nullptr);
      EXPECT_NE(row.inverse, nullptr);
    }
    const bool fixesA = row.intercept == trelvo::InterceptUse::FixedA;
    EXPECT_EQ(row.fixedModel != nullptr, fixesA);
    EXPECT_EQ(row.fixedStart != nullptr, fixesA);
    EXPECT_EQ(row.fixedInverse != nullptr, fixesA);
  }
  EXPECT_EQ(trelvo::modelKindAt(-1), nullptr);
  EXPECT_EQ(trelvo::modelKindAt(static_cast<int>(rows.size())), nullptr);
}

TEST_F(WindowTest, ColumnReadingSkipsWhatIsNoNumber) {
  auto* grid = ui().inputTable;
  const QStringList texts{"1", " 2 ", "", " ", "abc", "3e2", "1_000", "=1/0"};
  for (int r = 0; r < texts.size(); ++r) grid->set_cell_text(r, 0, texts[r]);
  grid->set_cell_text(texts.size() + 1, 0, "");
  ui().xDataBox->setCurrentIndex(0);
  LogCapture log;
  window->onXDataBoxChanged();
  EXPECT_EQ(window->xList, (std::vector<double>{1.0, 2.0, 300.0, 1000.0}));
  EXPECT_TRUE(log.lines().contains("X data: [1.0, 2.0, 300.0, 1000.0]"));
}

// A fit's debug lines show lists of up to 20 values whole and longer ones by
// their first and last five values.
TEST_F(WindowTest, FitDebugLinesShowLongListsByTheirEnds) {
  auto* grid = ui().inputTable;
  for (int r = 0; r < 25; ++r) {
    grid->set_cell_text(r, 0, QString::number(r));
    grid->set_cell_text(r, 1, QString::number(2 * r + 1));
  }
  ui().xDataBox->setCurrentIndex(0);
  ui().yDataBox->setCurrentIndex(1);
  LogCapture log;
  window->onXDataBoxChanged();
  window->onYDataBoxChanged();
  window->fitOnPolynomial();
  EXPECT_TRUE(log.lines().contains(
      QString::fromUtf8("X data: [0.0, 1.0, 2.0, 3.0, 4.0, \u2026, 20.0, 21.0, 22.0, 23.0, 24.0]")));
  EXPECT_TRUE(log.lines().contains(
      QString::fromUtf8("yList: [1.0, 3.0, 5.0, 7.0, 9.0, \u2026, 41.0, 43.0, 45.0, 47.0, 49.0]")));
  const QStringList coefficients = log.startingWith("Fitted coefficients: [");
  ASSERT_EQ(coefficients.size(), 1);
  EXPECT_FALSE(coefficients.first().contains(QChar(0x2026)));
}

TEST_F(WindowTest, NumberFormatDoesNotChangeWhatIsRead) {
  auto* cell = asFormulaCell(ui().inputTable->item(0, 1));
  ASSERT_NE(cell, nullptr);
  cell->setFormat(0, false);  // shows "0"
  window->onYDataBoxChanged();
  EXPECT_DOUBLE_EQ(window->yList.front(), 0.1);
}

TEST_F(WindowTest, ChoosersFallBackWhenTheGridShrinks) {
  auto* grid = ui().inputTable;
  grid->set_cell_text(0, 3, "7");
  window->inputTableChanged(4, 3);
  ui().xDataBox->setCurrentIndex(3);
  ui().yDataBox->setCurrentIndex(3);
  LogCapture log;
  window->inputTableChanged(4, 1);
  EXPECT_EQ(ui().xDataBox->count(), 2);
  EXPECT_EQ(ui().xDataBox->currentIndex(), 0);
  EXPECT_EQ(ui().yDataBox->currentIndex(), 1);
  EXPECT_TRUE(log.lines().contains("input_max_content_pos: 4, 1"));
  // Without values the grid is asked (and the slot re-entered through its signal).
  log.clear();
  window->inputTableChanged();
  EXPECT_GE(log.lines().count("input_max_content_pos: 4, 3"), 2);
}

struct Formatted {
  double value;
  bool scientific;
  int decimals;
  const char* text;
};

TEST_F(WindowTest, CreateFormattedItemTexts) {
  const Formatted rows[] = {{1234.56, true, 2, "1.23e+03"}, {1234.5, true, 0, "1e+03"}, {1234.56, false, 2, "1234.56"},
                            {0.5, false, 3, "0.500"},       {2.5, false, 0, "2"},       {-0.0001, false, 2, "-0.00"},
                            {0.9987654, true, 6, "9.987654e-01"},
                            {std::nan(""), true, 3, "nan"}, {-kInf, false, 1, "-inf"}};
  for (const auto& r : rows) {
    std::unique_ptr<CleverTableWidgetItem> item(window->createFormattedItem(r.value, r.scientific, r.decimals));
    EXPECT_EQ(item->text(), QString(r.text)) << r.text;
    EXPECT_FALSE(item->is_formula);
    EXPECT_FALSE(item->format);
  }
}

TEST_F(WindowTest, FilterStringToList) {
  const std::pair<const char*, QList<double>> rows[] = {
      {"x=1.5, y=-2e3;7", {1.5, -2000, 7}}, {"1,234", {1, 234}}, {".5", {5}},  {"1.2.3", {1.2, 3}},
      {"+-5", {-5}},                         {"1e", {1}},          {"5.", {5}}, {"1E+2x", {100}},
      {"abc", {}},                           {"", {}},             {"３.５", {3.5}}};
  for (const auto& [text, expected] : rows)
    EXPECT_EQ(window->filterStringToList(QString::fromUtf8(text)), expected) << text;
}

TEST_F(WindowTest, ClearEmptyRowsTakesEveryOtherRowPerPass) {
  auto* grid = ui().inputTable;
  grid->disable_infinite();
  grid->setRowCount(6);
  grid->clearContents();
  for (int c = 0; c < 2; ++c) {
    grid->set_cell_text(0, c, "head");
    grid->set_cell_text(5, c, "tail");
  }
  grid->set_cell_text(2, 2, "only in column C");
  const int rows = grid->rowCount();
  window->clearEmptyRowsOfTableEnd(0);  // one pass
  EXPECT_EQ(grid->rowCount(), rows - 2);
  window->clearEmptyRowsOfTableEnd(1);
  EXPECT_EQ(grid->rowCount(), rows - 3);
  window->clearEmptyRowsOfTableEnd(-3);
  EXPECT_EQ(grid->rowCount(), rows - 4);
  EXPECT_EQ(cellText(grid->item(1, 0)), QString("tail"));
}

TEST_F(WindowTest, BlankCellKeepsItsRow) {
  auto* grid = ui().inputTable;
  grid->disable_infinite();
  grid->setRowCount(2);
  grid->clearContents();
  grid->set_cell_text(0, 0, " ");
  grid->set_cell_text(1, 0, "x");
  window->clearEmptyRowsOfTableEnd();
  EXPECT_EQ(grid->rowCount(), 2);
}

TEST_F(WindowTest, SelectedRowsAndColumns) {
  auto* grid = ui().inputTable;
  grid->clearSelection();
  for (auto [r, c] : {std::pair{0, 0}, std::pair{0, 1}, std::pair{2, 0}})
    grid->setRangeSelected(QTableWidgetSelectionRange(r, c, r, c), true);
  auto rows = window->getSelectedRowsList();
  ASSERT_TRUE(rows.has_value());
  std::sort(rows->begin(), rows->end());
  EXPECT_EQ(*rows, (QList<int>{0, 2}));
  auto cols = window->getSelectedColumnsList();
  ASSERT_TRUE(cols.has_value());
  std::sort(cols->begin(), cols->end());
  EXPECT_EQ(*cols, (QList<int>{0, 1}));
  grid->clearSelection();
  EXPECT_EQ(window->getSelectedRowsList(), QList<int>{});
}

TEST_F(WindowTest, RenumberTableRows) {
  auto* grid = ui().inputTable;
  grid->setVerticalHeaderItem(1, new QTableWidgetItem("x"));
  window->renumberTableRows();
  for (int r = 0; r < grid->rowCount(); ++r)
    EXPECT_EQ(cellText(grid->verticalHeaderItem(r)), QString::number(r + 1));
}

}  // namespace
