#pragma once
// Shared pieces of the main window's tool tests: the application object, a
// capture of the Qt debug log, and a shown, active main window.
#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QtGlobal>

#include <memory>

#include "common/logcapture.h"
#include "common/qtapp.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"

namespace trelvo::test {

inline QApplication& widgetApp() { return app(); }

// A main window, shown and active, so that focus changes are real, on its
// input tab (the start-up curve leaves it on the plot tab).
inline std::unique_ptr<Widget> shownWindow() {
  widgetApp();
  auto w = std::make_unique<Widget>();
  w->ui->tabWidget->setCurrentIndex(0);
  w->show();
  w->activateWindow();
  [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(w.get());
  return w;
}

}  // namespace trelvo::test
