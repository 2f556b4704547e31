#pragma once
// Runs a test's action on the popup menu a call opens, from a timer.
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

namespace trelvo::test {

// Watches for the popup menu that a call opens: records its entries
// ("text", "-" for a separator, "title>[a,b]" for a sub-menu), runs `act`
// on it (which may trigger an entry), and closes it.
class MenuWatch {
 public:
  using Action = std::function<void(QMenu*)>;
  explicit MenuWatch(Action act = {}) : state_(std::make_shared<State>()) {
    state_->act = std::move(act);
    state_->timer.setInterval(5);
    std::weak_ptr<State> weak = state_;
    QObject::connect(&state_->timer, &QTimer::timeout, [weak] {
      auto s = weak.lock();
      if (!s) return;
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu || menu == s->last) return;
      s->last = menu;
      ++s->opened;
      s->entries = describe(menu);
      QPointer<QMenu> alive(menu);
      if (s->act) s->act(menu);
      if (alive) alive->close();
    });
    state_->timer.start();
  }
  int opened() const { return state_->opened; }
  QString entries() const { return state_->entries; }

  static QAction* find(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
      if (a->text() == text) return a;
    return nullptr;
  }

 private:
  struct State {
    Action act;
    QTimer timer;
    QPointer<QMenu> last;
    int opened = 0;
    QString entries;
  };
  static QString describe(QMenu* menu) {
    QStringList parts;
    for (QAction* a : menu->actions()) {
      if (a->isSeparator())
        parts << QStringLiteral("-");
      else if (a->menu())
        parts << a->text() + QStringLiteral(">[") + describe(a->menu()).replace(QLatin1Char('|'), QLatin1Char(',')) +
                     QLatin1Char(']');
      else
        parts << a->text();
    }
    return parts.join(QLatin1Char('|'));
  }
  std::shared_ptr<State> state_;
};

}  // namespace trelvo::test
