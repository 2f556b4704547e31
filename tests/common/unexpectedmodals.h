#pragma once
// Fails the running GoogleTest test at once when a modal widget opens while
// no ModalGuard waits for one (a message box shown while a window is built,
// say), with the box's text, and closes it: the test goes on instead of
// waiting for ctest's timeout. Installed by a test executable's
// UnexpectedModals::install() before RUN_ALL_TESTS (a static initializer
// will do).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include "common/modalguard.h"
#include "common/qtapp.h"

namespace trelvo::test {

class UnexpectedModals : public ::testing::EmptyTestEventListener {
 public:
  static bool install() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new UnexpectedModals);
    return true;
  }

  // "QMessageBox: title: text" (other modals: class and title).
  static QString describe(QWidget* w) {
    QString out = QString::fromLatin1(w->metaObject()->className()) + QStringLiteral(": ") + w->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(w)) out += QStringLiteral(": ") + box->text();
    return out;
  }

 private:
  void OnTestStart(const ::testing::TestInfo&) override {
    if (timer_) return;
    app();
    timer_ = new QTimer(qApp);
    timer_->setInterval(10);
    QObject::connect(timer_, &QTimer::timeout, [] { poll(); });
    timer_->start();
  }

  static void poll() {
    if (ModalGuard::live() > 0 || !::testing::UnitTest::GetInstance()->current_test_info()) return;
    QWidget* w = QApplication::activeModalWidget();
    if (!w) return;
    const QString what = describe(w);
    if (auto* d = qobject_cast<QDialog*>(w))
      d->done(QDialog::Rejected);
    else
      w->close();
    ADD_FAILURE() << "A modal widget opened with no test waiting for it: " << what.toStdString();
  }

  QTimer* timer_ = nullptr;
};

}  // namespace trelvo::test
