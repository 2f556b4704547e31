#pragma once
// One QApplication for a GoogleTest executable, made on first use.
#include <QApplication>

namespace trelvo::test {

inline QApplication& app() {
  static int argc = 1;
  static char arg0[] = "trelvo-test";
  static char* argv[] = {arg0, nullptr};
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
  static QApplication* made = new QApplication(argc, argv);
  return *made;
}

}  // namespace trelvo::test
