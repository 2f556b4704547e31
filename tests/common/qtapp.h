#pragma once
// The one QApplication of a test executable, made on first use.
#include <QApplication>
#include <QTemporaryDir>

namespace trelvo::test {

// Returns the running QApplication, or makes one. Qt's own settings (the file
// dialogs' last folder, ...) never go to the user's configuration: without a
// configuration folder from the environment (ctest gives one), a temporary
// folder of this run is used.
inline QApplication& app() {
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
  if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) {
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  }
  static int argc = 1;
  static char arg0[] = "trelvo-test";
  static char* argv[] = {arg0, nullptr};
  static QApplication* made = new QApplication(argc, argv);
  return *made;
}

}  // namespace trelvo::test
