#pragma once
// Keeps modal dialogs and message boxes from hanging a GUI test.
//
// While a ModalGuard lives, a timer polls for the application's active modal
// widget. Each new one is recorded (class name and window title) and handed
// to the guard's action, which may fill in fields and accept it; whatever is
// still open afterwards is rejected. A modal that stays open past the
// timeout (the action did not close it, or it refused to close) is closed by
// force and counted in failures(): a test asserts failures().isEmpty().
//
//   ModalGuard guard([](QWidget* w) { ... static_cast<QDialog*>(w)->accept(); });
//   grid.expand_formula();                 // runs the dialog's event loop
//   QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace trelvo::test {

class ModalGuard {
 public:
  using Action = std::function<void(QWidget*)>;

  explicit ModalGuard(Action action = {}, int timeout_ms = 3000)
      : state_(std::make_shared<State>()) {
    state_->action = std::move(action);
    state_->timeout_ms = timeout_ms;
    state_->timer.setInterval(10);
    std::weak_ptr<State> weak = state_;
    QObject::connect(&state_->timer, &QTimer::timeout, [weak] {
      if (auto s = weak.lock()) poll(*s);
    });
    state_->timer.start();
    ++live();
  }
  ~ModalGuard() {
    state_->timer.stop();
    --live();
  }
  ModalGuard(const ModalGuard&) = delete;
  ModalGuard& operator=(const ModalGuard&) = delete;

  // Guards alive now: while there is none, a modal widget is unexpected
  // (tests/common/unexpectedmodals.h).
  static int& live() {
    static int count = 0;
    return count;
  }

  // Modal widgets seen, as "ClassName: title", in order of appearance.
  QStringList seen() const { return state_->seen; }
  // Modal widgets that had to be closed by force.
  QStringList failures() const { return state_->failures; }

 private:
  struct State {
    Action action;
    int timeout_ms = 3000;
    QTimer timer;
    QPointer<QWidget> current;
    QElapsedTimer open_for;
    bool handled = false;
    QStringList seen;
    QStringList failures;
  };

  static QString describe(QWidget* w) {
    return QString::fromLatin1(w->metaObject()->className()) + QStringLiteral(": ") +
           w->windowTitle();
  }

  static void close(QWidget* w) {
    if (auto* d = qobject_cast<QDialog*>(w))
      d->reject();
    else
      w->close();
  }

  static void poll(State& s) {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) return;
    if (w != s.current) {
      s.current = w;
      s.handled = false;
      s.open_for.start();
      s.seen << describe(w);
    }
    if (!s.handled) {
      s.handled = true;
      QPointer<QWidget> guard(w);
      if (s.action) s.action(w);
      if (guard && guard->isVisible() && QApplication::activeModalWidget() == guard) close(guard);
      return;
    }
    if (s.open_for.elapsed() > s.timeout_ms) {
      s.failures << QStringLiteral("left open: ") + describe(w);
      if (auto* d = qobject_cast<QDialog*>(w)) d->done(QDialog::Rejected);
      w->hide();
    }
  }

  std::shared_ptr<State> state_;
};

}  // namespace trelvo::test
