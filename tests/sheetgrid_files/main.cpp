// Runs every registered file test class under one QApplication.
#include <QApplication>
#include <QTest>

#include <memory>

#include "filetestutil.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int status = 0;
  for (const auto& make : trelvo::test::file_test_registry()) {
    std::unique_ptr<QObject> test(make());
    status |= QTest::qExec(test.get(), argc, argv);
  }
  return status;
}
