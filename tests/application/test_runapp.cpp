// The application's start: language choice, translation, window, event loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QChartView>
#include <QTimer>

#include <optional>

#include "application/mapp.h"
#include "common/logcapture.h"
#include "application/runapp.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"

namespace {

using trelvo::test::LogCapture;

struct Start {
  std::vector<std::string> args;
  QString title;      // of the window once it is up
  const char* line;   // the language line in the debug log
  bool loaded;        // the translation file loaded
};

class RunAppTest : public ::testing::TestWithParam<Start> {};

TEST_P(RunAppTest, LanguageWindowAndLoop) {
  const Start& s = GetParam();
  std::vector<std::string> storage = s.args;
  std::vector<char*> argv;
  for (auto& a : storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::optional<LogCapture> log(std::in_place);
  QString title;
  QSize view, area;
  const int status = trelvo::run_app(static_cast<int>(storage.size()), argv.data(), [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* window = qobject_cast<Widget*>(w)) {
        title = window->windowTitle();
        view = window->chartView->size();
        area = window->ui->sarea->size();
      }
    }
    QTimer::singleShot(0, qApp, [] { QApplication::exit(3); });
  });
  const QStringList lines = log->lines();
  log.reset();
  EXPECT_EQ(status, 3);  // the loop's status
  EXPECT_EQ(title, s.title);
  EXPECT_EQ(view, area);  // fitted to the plot area once shown
  EXPECT_TRUE(lines.contains(QString(s.line))) << lines.join("\n").toStdString();
  const QString prefix = s.loaded ? "load translation file: " : "load translation file failed: ";
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(prefix); }));
  EXPECT_EQ(QApplication::instance(), nullptr);  // window and application are gone
}

INSTANTIATE_TEST_SUITE_P(
    Languages, RunAppTest,
    ::testing::Values(Start{{"trelvo", "-l", "en"}, "Curve Fitting", "locale: en", true},
                      Start{{"trelvo", "--locale=zh_CN"}, QString::fromUtf8("拟合函数曲线"), "locale: zh_CN", true},
                      Start{{"trelvo", "-l", "fr"}, "Curve Fitting", "no locale, use default", true},
                      Start{{"trelvo", "-l", "zh_cn"}, "Curve Fitting", "no locale, use default", true},
                      Start{{"trelvo", "-l", "zh_CN", "-l", "en"}, "Curve Fitting", "locale: en", true}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
