#pragma once
// Keeps a benchmark from waiting on a message box: while a BoxCloser lives,
// any modal message box is reported on stderr and rejected.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace trelvo::test {

class BoxCloser {
 public:
  BoxCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        std::fprintf(stderr, "unexpected box: %s\n", qPrintable(box->text()));
        box->reject();
      }
    });
    timer_.start(50);
  }

 private:
  QTimer timer_;
};

}  // namespace trelvo::test
