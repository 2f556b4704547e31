#pragma once
// Shared pieces of the main window's tool tests: the application object, a
// capture of the Qt debug log, and a shown, active main window.
#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QtGlobal>

#include <memory>

#include "widget/widget.h"

namespace trelvo::test {

inline QApplication& widgetApp() {
  static int argc = 1;
  static char arg0[] = "test_widget";
  static char* argv[] = {arg0, nullptr};
  static QApplication* a = qApp ? qobject_cast<QApplication*>(qApp) : new QApplication(argc, argv);
  return *a;
}

// Collects every debug-log line while it lives (and forwards none).
class LogCapture {
 public:
  LogCapture() {
    lines_().clear();
    previous_ = qInstallMessageHandler(&LogCapture::handle);
  }
  ~LogCapture() { qInstallMessageHandler(previous_); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  QStringList lines() const { return lines_(); }
  QStringList startingWith(const QString& prefix) const {
    QStringList out;
    for (const QString& l : lines_())
      if (l.startsWith(prefix)) out << l;
    return out;
  }
  void clear() { lines_().clear(); }

 private:
  static QStringList& lines_() {
    static QStringList l;
    return l;
  }
  static void handle(QtMsgType, const QMessageLogContext&, const QString& msg) { lines_() << msg; }
  QtMessageHandler previous_ = nullptr;
};

// A main window, shown and active, so that focus changes are real.
inline std::unique_ptr<Widget> shownWindow() {
  widgetApp();
  auto w = std::make_unique<Widget>();
  w->show();
  w->activateWindow();
  [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(w.get());
  return w;
}

}  // namespace trelvo::test
