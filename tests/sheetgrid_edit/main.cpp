// Runs every registered editing-command test class under one QApplication.
#include <QApplication>
#include <QLoggingCategory>
#include <QTest>

#include <memory>

#include "editfixture.h"

int main(int argc, char** argv) {
  // The grid logs every selection change; DebugCapture turns the lines on
  // where a test reads them.
  QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
  QApplication app(argc, argv);
  int status = 0;
  for (const auto& make : trelvo::test::edit_tests()) {
    std::unique_ptr<QObject> test(make());
    status |= QTest::qExec(test.get(), argc, argv);
  }
  return status;
}
