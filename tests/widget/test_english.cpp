// The English interface: boxes whose text carries a value (a path, an error
// text) are translated before the value is put in, so no Chinese is left;
// and the texts that carry values or refuse a command are in both
// translation files.
#include <QChartView>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTranslator>

#include <functional>

#include "fitflow_fixture.h"

using trelvo::test::FitflowTest;

namespace {

bool hasCjk(const QString& text) {
  for (const QChar c : text)
    if (c.unicode() >= 0x2E80) return true;
  return false;
}

QString qmFile(const char* language) {
  return QStringLiteral(TRELVO_QM_DIR "/Trelvo_%1.qm").arg(QString::fromLatin1(language));
}

class English : public FitflowTest {
 public:
  using FitflowTest::boxes;
  using FitflowTest::ui;
  using FitflowTest::w;
  void SetUp() override {
    ASSERT_TRUE(translator.load(qmFile("en")));
    QCoreApplication::installTranslator(&translator);
    FitflowTest::SetUp();
  }
  void TearDown() override {
    FitflowTest::TearDown();
    QCoreApplication::removeTranslator(&translator);
  }
  // Presses the chart's save button; the file dialog gets `path`.
  void savePlotAs(const QString& path) {
    dialogAction = [path](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      if (!dialog) return;
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
      static_cast<QDialog*>(dialog)->accept();
    };
    w().plotTitle = dir.filePath("proposed");
    ui().savePlotBtn->click();
  }

  QTranslator translator;
  QTemporaryDir dir;
};

struct ValueBoxCase {
  const char* name;
  std::function<void(English&)> run;
  const char* value;  // a part of the value the text must carry
};
void PrintTo(const ValueBoxCase& c, std::ostream* os) { *os << c.name; }

class ValueBoxes : public English, public ::testing::WithParamInterface<ValueBoxCase> {};

TEST_P(ValueBoxes, CarryTheValueAndNoChinese) {
  GetParam().run(*this);
  const auto box = takeBox();
  ASSERT_TRUE(box);
  EXPECT_FALSE(hasCjk(box->title)) << box->title.toStdString();
  EXPECT_FALSE(hasCjk(box->text)) << box->text.toStdString();
  EXPECT_TRUE(box->text.contains(QString::fromUtf8(GetParam().value))) << box->text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, ValueBoxes,
    ::testing::Values(
        ValueBoxCase{"fit_initialisation_error",
                     [](English& t) {
                       t.w().xList = {1, 3, 2};
                       t.w().yList = {1, 2, 3};
                       t.ui().fitBtn->click();
                     },
                     "x_data must be sorted"},
        ValueBoxCase{"fit_error",
                     [](English& t) {
                       t.w().xList = {1, 2};
                       t.w().yList = {1, 2};
                       t.ui().comboBox->setCurrentIndex(1);
                       t.ui().fitBtn->click();
                     },
                     "\n\n"},
        ValueBoxCase{"chart_saved", [](English& t) { t.savePlotAs(t.dir.filePath("chart.png")); }, "chart.png"},
        ValueBoxCase{"chart_save_failed",
                     [](English& t) {
                       QFile blocker(t.dir.filePath("blocker"));
                       ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
                       blocker.close();
                       t.savePlotAs(t.dir.filePath("blocker/chart.png"));
                     },
                     "blocker/chart.png"},
        ValueBoxCase{"grid_load_failed",
                     [](English& t) { t.ui().inputTable->load_csv(t.dir.filePath("missing.csv")); }, "missing.csv"},
        ValueBoxCase{"grid_saved",
                     [](English& t) {
                       t.ui().inputTable->get_max_content_pos();
                       t.ui().inputTable->save_csv(t.dir.filePath("data.csv"));
                     },
                     "data.csv"},
        ValueBoxCase{"grid_save_failed",
                     [](English& t) {
                       QFile blocker(t.dir.filePath("blocker"));
                       ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
                       blocker.close();
                       t.ui().inputTable->save_csv(t.dir.filePath("blocker/data.csv"));
                     },
                     ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The texts this window's boxes fill with a value, and the grid's refusals
// beyond its limits: translated in both files (Chinese: the text itself).
TEST(TranslationFiles, HoldTheValueTemplatesAndRefusals) {
  trelvo::test::app();
  const std::pair<const char*, const char*> texts[] = {
      {"Widget", "初始化失败，请检查输入数据\n\n%1"},
      {"Widget", "拟合失败，请检查输入数据\n\n%1"},
      {"Widget", "图表已保存为 %1"},
      {"Widget", "图表保存失败：%1"},
      {"CleverTableWidget", "加载文件失败\n\n%1"},
      {"CleverTableWidget", "保存文件时出现错误\n\n%1"},
      {"CleverTableWidget", "文件已保存至：%1"},
      {"CleverTableWidget", "表格过大，无法进行转置操作"},
      {"CleverTableWidget", "粘贴数据超出表格大小上限，无法粘贴"},
      {"CleverTableWidget", "粘贴数据行数超出表格大小上限，无法替换列"},
  };
  QTranslator en, zh;
  ASSERT_TRUE(en.load(qmFile("en")));
  ASSERT_TRUE(zh.load(qmFile("zh_CN")));
  for (const auto& [context, source] : texts) {
    const QString english = en.translate(context, source);
    EXPECT_FALSE(english.isEmpty()) << source;
    EXPECT_FALSE(hasCjk(english)) << source;
    EXPECT_EQ(zh.translate(context, source), QString::fromUtf8(source));
    if (QString::fromUtf8(source).contains("%1")) EXPECT_TRUE(english.contains("%1")) << source;
  }
}

}  // namespace
