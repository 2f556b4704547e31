// The fit button: the six model kinds, the output grid, the refusals and
// failures, and what each outcome leaves behind.
#include <cmath>

#include "fitcore/errors.h"
#include "fitflow_fixture.h"

using trelvo::test::FitflowTest;

namespace {

std::vector<double> range(double from, double step, int n) {
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back(from + step * i);
  return v;
}

template <typename F>
std::vector<double> map(const std::vector<double>& x, F f) {
  std::vector<double> y;
  for (double v : x) y.push_back(f(v));
  return y;
}

}  // namespace

TEST_F(FitflowTest, StartUpFitsTheSampleData) {
  EXPECT_TRUE(startupBoxes.empty());
  EXPECT_EQ(outputHeaders(), (QStringList{"r2", "a0", "a1", "a2"}));
  EXPECT_EQ(outputValues(), (QStringList{"9.996582e-01", "6.000000e-02", "-1.428571e-02", "1.785714e-02"}));
  EXPECT_EQ(cellText(ui().outputTable->horizontalHeaderItem(0)), "A");
  EXPECT_FALSE(ui().outputTable->editable);
  EXPECT_EQ(paneText(),
            "[R²]\nr2 = 9.996582e-01\n[Formula]\ny = 6.000000e-02 -1.428571e-02 * x + 1.785714e-02 * x^2\n"
            "[Python/Fortran]\ny = 6.000000e-02 -1.428571e-02 * x + 1.785714e-02 * x**2\n"
            "[C/C++]\ny = 6.000000e-02 -1.428571e-02 * x + 1.785714e-02 * pow(x, 2)\n"
            "[PowerShell]\n$y = 6.000000e-02 -1.428571e-02 * $x + 1.785714e-02 * [math]::pow($x, 2)\n");
  ASSERT_TRUE(w().fit_class && w().fit_class->fitted());
  EXPECT_NE(w().fit_class->linear(), nullptr);
}

// The program renumbers and trims the output grid without making it editable:
// the grid is read-only at every change a fit makes to it.
TEST_F(FitflowTest, OutputGridIsNeverMadeEditable) {
  CleverTableWidget* grid = ui().outputTable;
  grid->setColumnCount(3);
  grid->setHorizontalHeaderItem(0, new CleverTableWidgetItem("x"));
  int changes = 0;
  int editableAtChange = 0;
  const auto record = [&] {
    ++changes;
    if (grid->is_editable() || grid->editTriggers() != QAbstractItemView::NoEditTriggers) ++editableAtChange;
  };
  QAbstractItemModel* model = grid->model();
  QObject::connect(model, &QAbstractItemModel::dataChanged, grid, record);
  QObject::connect(model, &QAbstractItemModel::headerDataChanged, grid, record);
  QObject::connect(model, &QAbstractItemModel::rowsInserted, grid, record);
  QObject::connect(model, &QAbstractItemModel::rowsRemoved, grid, record);
  QObject::connect(model, &QAbstractItemModel::columnsRemoved, grid, record);
  QObject::connect(grid, &CleverTableWidget::ContentsChangeSignal, grid, record);

  fit(0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(grid->columnCount(), 1);  // trimmed
  EXPECT_EQ(cellText(grid->horizontalHeaderItem(0)), "A");  // renumbered
  EXPECT_EQ(outputHeaders(), (QStringList{"r2", "a0", "a1", "a2"}));
  EXPECT_GT(changes, 0);
  EXPECT_EQ(editableAtChange, 0);
  EXPECT_FALSE(grid->is_editable());
  EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
}

// ---- each model kind on data made from known parameters -------------------

struct KnownCase {
  const char* name;
  int kind;
  std::vector<double> x;
  std::vector<double> y;
  QStringList rows;    // after "r2"
  QStringList values;  // after R², scientific with 6 decimals
  int degree = 2;
  std::optional<QString> intercept;  // check box set with this text
  QString custom;
};

class KnownParameters : public FitflowTest, public ::testing::WithParamInterface<KnownCase> {};

TEST_P(KnownParameters, ReturnsThem) {
  const KnownCase& c = GetParam();
  setData(c.x, c.y);
  ui().numberSpin->setValue(c.degree);
  ui().interceptCheck->setChecked(c.intercept.has_value());
  if (c.intercept) ui().interceptIn->setText(*c.intercept);
  ui().funcInput->setText(c.custom);
  fit(c.kind);
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].text.toStdString());
  EXPECT_EQ(outputHeaders(), QStringList{"r2"} + c.rows);
  EXPECT_EQ(outputValues(), QStringList{"1.000000e+00"} + c.values);
  EXPECT_FALSE(ui().outputTable->editable);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, KnownParameters,
    ::testing::Values(
        KnownCase{"polynomial_degree3", 0, range(1, 1, 10),
                  map(range(1, 1, 10), [](double x) { return 1 - 2 * x + 0.5 * x * x + 0.1 * x * x * x; }),
                  {"a0", "a1", "a2", "a3"},
                  {"1.000000e+00", "-2.000000e+00", "5.000000e-01", "1.000000e-01"}, 3},
        KnownCase{"polynomial_fixed_intercept", 0, range(1, 1, 10),
                  map(range(1, 1, 10), [](double x) { return 2.5 + 3 * x - 0.25 * x * x; }),
                  {"a0", "a1", "a2"}, {"2.500000e+00", "3.000000e+00", "-2.500000e-01"}, 2, " 2.5 "},
        KnownCase{"exponential", 1, range(0, 0.25, 13), map(range(0, 0.25, 13), [](double x) {
                    return 1 + 2 * std::exp(0.3 * x);
                  }),
                  {"a", "b", "c"}, {"1.000000e+00", "2.000000e+00", "3.000000e-01"}},
        KnownCase{"exponential2_free_a", 2, range(0, 0.5, 9),
                  map(range(0, 0.5, 9), [](double x) { return 2 * std::exp(0.5 * x); }), {"a", "b"},
                  {"2.000000e+00", "5.000000e-01"}},
        KnownCase{"exponential2_fixed_a", 2, range(0, 0.5, 9),
                  map(range(0, 0.5, 9), [](double x) { return 2 * std::exp(0.5 * x); }), {"a", "b"},
                  {"2.000000e+00", "5.000000e-01"}, 2, "2"},
        KnownCase{"logarithmic", 3, range(1, 1, 10),
                  map(range(1, 1, 10), [](double x) { return 1.5 - 2 * std::log(x); }), {"a", "b"},
                  {"1.500000e+00", "-2.000000e+00"}},
        KnownCase{"power", 4, range(1, 1, 10), map(range(1, 1, 10), [](double x) { return 2 * std::sqrt(x); }),
                  {"a", "b"}, {"2.000000e+00", "5.000000e-01"}},
        KnownCase{"custom_sorted_names", 5, range(1, 1, 10),
                  map(range(1, 1, 10), [](double x) { return 3 * x * x + x + 2; }), {"a", "b", "c"},
                  {"1.000000e+00", "2.000000e+00", "3.000000e+00"}, 2, std::nullopt, "  c*x^2+a*x+b "}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- refusals: a warning, and nothing changes --------------------------------

struct RefusalCase {
  const char* name;
  int kind;
  std::vector<double> x;
  std::vector<double> y;
  QString title;
  QString text;
  std::optional<QString> intercept;
  QString custom;
};

class Refusals : public FitflowTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusals, WarnAndKeepEverything) {
  const RefusalCase& c = GetParam();
  const auto before = w().fit_class;
  const QStringList values = outputValues();
  const QString pane = paneText();
  const auto model = w().fit_nonl_func;
  setData(c.x, c.y);
  ui().interceptCheck->setChecked(c.intercept.has_value());
  if (c.intercept) ui().interceptIn->setText(*c.intercept);
  ui().funcInput->setText(c.custom);
  fit(c.kind);
  const auto box = takeBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, c.title);
  EXPECT_EQ(box->text, c.text);
  EXPECT_EQ(w().fit_class, before);
  EXPECT_EQ(outputValues(), values);
  EXPECT_EQ(paneText(), pane);
  EXPECT_EQ(w().fit_nonl_func, model);
}

const std::vector<double> kX{1, 2, 3, 4, 5};
const std::vector<double> kY{1, 2, 4, 8, 16};

INSTANTIATE_TEST_SUITE_P(
    Inputs, Refusals,
    ::testing::Values(
        RefusalCase{"empty_y", 0, kX, {}, "输入错误", "请先输入X轴和Y轴数据"},
        RefusalCase{"empty_x", 3, {}, kY, "输入错误", "请先输入X轴和Y轴数据"},
        RefusalCase{"unequal_lengths", 0, kX, {1, 2, 3, 4}, "输入错误", "X轴和Y轴数据长度不一致"},
        RefusalCase{"polynomial_intercept_letters", 0, kX, kY, "输入错误", "截距必须输入数字", "abc"},
        RefusalCase{"polynomial_intercept_comma", 0, kX, kY, "输入错误", "截距必须输入数字", "2,5"},
        RefusalCase{"polynomial_intercept_empty", 0, kX, kY, "输入错误", "截距必须输入数字", ""},
        RefusalCase{"exponential2_y_zero", 2, kX, {1, 2, 0, 8, 16}, "输入错误", "因变量必须大于0"},
        RefusalCase{"exponential2_a_zero", 2, kX, kY, "输入错误", "截距必须大于0", "0"},
        RefusalCase{"exponential2_a_negative", 2, kX, kY, "输入错误", "截距必须大于0", "-1"},
        RefusalCase{"exponential2_a_letters", 2, kX, kY, "输入错误", "截距必须输入数字", "x"},
        RefusalCase{"logarithmic_x_zero", 3, {0, 1, 2}, {1, 2, 3}, "输入错误", "自变量必须大于0"},
        RefusalCase{"logarithmic_x_negative", 3, {-1, 1, 2}, {1, 2, 3}, "输入错误", "自变量必须大于0"},
        RefusalCase{"power_x_zero", 4, {0, 1, 2}, {1, 2, 3}, "输入错误", "自变量必须大于0"},
        RefusalCase{"power_x_negative_unsorted", 4, {2, -1, 3}, {1, 2, 3}, "输入错误", "自变量必须大于0"},
        RefusalCase{"custom_blank", 5, kX, kY, "输入错误", "请先输入自定义函数", std::nullopt, "   "}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- failures while building or fitting --------------------------------------

struct FailureCase {
  const char* name;
  int kind;
  std::vector<double> x;
  std::vector<double> y;
  QString title;
  QString text;
  bool built;  // the new object became current (it failed in fitting)
  std::optional<QString> model;
  std::optional<QString> intercept;
  QString custom;
};

class Failures : public FitflowTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Failures, ShowTheEngineErrorAndKeepTheOutput) {
  const FailureCase& c = GetParam();
  const auto before = w().fit_class;
  const QStringList values = outputValues();
  const QString pane = paneText();
  setData(c.x, c.y);
  ui().interceptCheck->setChecked(c.intercept.has_value());
  if (c.intercept) ui().interceptIn->setText(*c.intercept);
  ui().funcInput->setText(c.custom);
  fit(c.kind);
  const auto box = takeBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, c.title);
  EXPECT_EQ(box->text, c.text);
  if (c.built) {
    ASSERT_TRUE(w().fit_class);
    EXPECT_NE(w().fit_class, before);
    EXPECT_FALSE(w().fit_class->fitted());
  } else {
    EXPECT_EQ(w().fit_class, before);
  }
  EXPECT_EQ(w().fit_nonl_func, c.model);
  EXPECT_EQ(outputValues(), values);
  EXPECT_EQ(paneText(), pane);
  EXPECT_FALSE(ui().outputTable->editable);
}

const QString kUnsorted = "x_data must be sorted in ascending or descending order.";

INSTANTIATE_TEST_SUITE_P(
    Engine, Failures,
    ::testing::Values(
        FailureCase{"polynomial_unsorted", 0, {1, 3, 2}, {1, 2, 3}, "初始化错误",
                    "初始化失败，请检查输入数据\n\n" + kUnsorted, false, std::nullopt},
        FailureCase{"polynomial_intercept_hits_x", 0, {0, 1, 2}, {1, 2, 3}, "初始化错误",
                    "初始化失败，请检查输入数据\n\nx_data cannot contain 0.0 if 0.0 is provided.", false,
                    std::nullopt, "0.0"},
        FailureCase{"power_unsorted", 4, {1, 3, 2}, {1, 2, 3}, "初始化错误",
                    "初始化失败，请检查输入数据\n\n" + kUnsorted, false, "a * x**b"},
        FailureCase{"custom_without_parameter", 5, kX, kY, "初始化错误",
                    "初始化失败，请检查输入数据\n\nFunction must have at least two arguments (x, *params)", false,
                    "2*x", std::nullopt, "2*x"},
        FailureCase{"exponential_too_few_points", 1, {1, 2}, {1, 2}, "拟合错误",
                    "拟合失败，请检查输入数据\n\nThe number of func parameters=3 must not exceed the number of "
                    "data points=2",
                    true, "a + b * np.exp(c * x)"},
        FailureCase{"exponential2_fixed_a_model_text", 2, {1, 2, 1}, {1, 2, 3}, "初始化错误",
                    "初始化失败，请检查输入数据\n\n" + kUnsorted, false, "2.5 * np.exp(b * x)", "2.5"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- what a fit object computes stays its own ---------------------------------

// A later attempt that fails in building must not change the model of the
// current (earlier) fit object: the fixed a and the custom text are copied in.
TEST_F(FitflowTest, EarlierFitKeepsItsModelAfterAFailedAttempt) {
  const std::vector<double> x = range(0, 0.5, 9);
  setData(x, map(x, [](double v) { return 2 * std::exp(0.5 * v); }));
  ui().interceptCheck->setChecked(true);
  ui().interceptIn->setText("2");
  fit(2);
  ASSERT_TRUE(boxes.empty());
  const auto fitted = w().fit_class;
  const double y1 = fitted->yval(1.0);
  EXPECT_NEAR(y1, 2 * std::exp(0.5), 1e-9);

  ui().interceptIn->setText("3");
  setData({1, 3, 2}, {1, 2, 3});
  fit(2);
  EXPECT_EQ(takeBox()->title, "初始化错误");
  EXPECT_EQ(w().fit_nonl_func, QString("3.0 * np.exp(b * x)"));
  ASSERT_EQ(w().fit_class, fitted);
  EXPECT_EQ(fitted->yval(1.0), y1);

  ui().funcInput->setText("a*x+b");
  setData({1, 2, 3}, {2, 4, 6});
  fit(5);
  const auto custom = w().fit_class;
  const double c2 = custom->yval(2.0);
  ui().funcInput->setText("a*x*x");
  setData({1, 3, 2}, {1, 2, 3});
  fit(5);
  EXPECT_EQ(takeBox()->title, "初始化错误");
  EXPECT_EQ(w().fit_class, custom);
  EXPECT_EQ(custom->yval(2.0), c2);
}

TEST_F(FitflowTest, OutputGridArgumentErrorsLeaveItReadOnly) {
  EXPECT_THROW(w().updateOutputTable(0.5, std::nullopt, std::vector<double>{1.0}), trelvo::Error);
  EXPECT_FALSE(ui().outputTable->editable);
  try {
    w().updateOutputTable(0.5, QStringList{"a", "b"}, std::vector<double>{1.0});
    FAIL();
  } catch (const trelvo::Error& e) {
    EXPECT_STREQ(e.what(), "length of args should match with coef");
  }
  EXPECT_FALSE(ui().outputTable->editable);

  w().updateOutputTable(0.9876543, QStringList{}, std::vector<double>{});
  EXPECT_EQ(outputHeaders(), QStringList{"r2"});
  EXPECT_EQ(outputValues(), QStringList{"9.876543e-01"});
  ui().scientificOutCheck->setChecked(false);
  w().updateOutputTable(0.9876543, QStringList{"k"}, std::vector<double>{NAN});
  EXPECT_EQ(outputValues(), (QStringList{"0.987654", "nan"}));
}
