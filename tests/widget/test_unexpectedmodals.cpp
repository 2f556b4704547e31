// Every test of this executable fails at once, with the box's text, when a
// message box opens that no test waits for (one shown while the window is
// built, say), instead of hanging until ctest's timeout.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTimer>

#include "common/unexpectedmodals.h"

namespace {

[[maybe_unused]] const bool installed = trelvo::test::UnexpectedModals::install();

// Shows a warning box as the window's slots do. Should nothing close it, a
// timer does after 2 s, so that this test fails rather than hangs.
void showWarningNobodyWaitsFor() {
  trelvo::test::app();
  QTimer fallback;
  fallback.setSingleShot(true);
  QObject::connect(&fallback, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->done(0);
  });
  fallback.start(2000);
  QMessageBox::warning(nullptr, QStringLiteral("输入错误"), QStringLiteral("a box shown at start-up"));
}

TEST(UnexpectedModals, FailTheTestAtOnceWithTheirText) {
  EXPECT_NONFATAL_FAILURE(showWarningNobodyWaitsFor(), "QMessageBox: 输入错误: a box shown at start-up");
}

}  // namespace
