#pragma once
// Small grids written and read as text, selection set-up, a capture of debug
// lines, and watchers that close modal boxes and popup menus from a timer.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "common/logcapture.h"
#include "common/modalguard.h"
#include "common/testregistry.h"
#include "sheetgrid/clevertablewidget.h"

namespace trelvo::test {

// Rows of comma-separated cell texts; "~" is a cell without item. Every row
// must have the grid's column count.
inline void fill(CleverTableWidget& grid, const QStringList& rows) {
  const int cols = rows.isEmpty() ? 0 : int(rows.first().split(QLatin1Char(',')).size());
  grid.setRowCount(int(rows.size()));
  grid.setColumnCount(cols);
  for (int r = 0; r < rows.size(); ++r) {
    const QStringList cells = rows[r].split(QLatin1Char(','));
    for (int c = 0; c < cells.size(); ++c)
      if (cells[c] != QLatin1String("~")) grid.set_cell_text(r, c, cells[c]);
  }
}

// The grid's texts in the notation of fill(), rows joined by " / ".
inline QString dump(const QTableWidget& grid) {
  QStringList rows;
  for (int r = 0; r < grid.rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < grid.columnCount(); ++c) {
      const QTableWidgetItem* it = grid.item(r, c);
      cells << (it ? cellText(it) : QStringLiteral("~"));
    }
    rows << cells.join(QLatin1Char(','));
  }
  return rows.join(QStringLiteral(" / "));
}

inline void select(QTableWidget& grid, int top, int left, int bottom, int right) {
  grid.clearSelection();
  grid.setRangeSelected(QTableWidgetSelectionRange(top, left, bottom, right), true);
}

// Accepts nothing: records each message box ("title: text") and closes it.
class MessageBoxWatch {
 public:
  MessageBoxWatch()
      : guard_([this](QWidget* w) {
          if (auto* box = qobject_cast<QMessageBox*>(w))
            boxes_ << box->windowTitle() + QStringLiteral(": ") + box->text();
        }) {}
  QStringList boxes() const { return boxes_; }
  QStringList failures() const { return guard_.failures(); }

 private:
  QStringList boxes_;
  ModalGuard guard_;
};

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
