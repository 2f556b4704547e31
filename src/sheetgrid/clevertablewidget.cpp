// Construction of the grid: flags, the 23 actions, context-menu policies,
// shortcut objects, the grid's own connections; the flag getters' partners
// (shortcut switches) and the resize override.
#include "sheetgrid/clevertablewidget.h"

#include <QAction>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QResizeEvent>
#include <QShortcut>

#include "sheetgrid/gridcommands.h"
#include "sheetgrid/slotguard.h"

CleverTableWidget::CleverTableWidget(QWidget* parent, int rowCount, int columnCount, bool editable_,
                                     bool shortcut_, bool infinite_)
    : QTableWidget(rowCount, columnCount, parent),
      editable(editable_),
      infinite(infinite_),
      shortcut(shortcut_) {
  // The 23 actions in the table's order, each with its key sequence; their
  // commands are connected by connect_editing_commands.
  for (const trelvo::GridCommand& c : trelvo::grid_commands()) {
    auto* action = new QAction(tr(c.text), this);
    if (c.key.text) action->setShortcut(QKeySequence(QString::fromLatin1(c.key.text)));
    this->*c.action = action;
  }

  // Context menus of the grid and both headers.
  setContextMenuPolicy(Qt::CustomContextMenu);
  hh = horizontalHeader();
  hh->setContextMenuPolicy(Qt::CustomContextMenu);
  selected_col.reset();
  vh = verticalHeader();
  vh->setContextMenuPolicy(Qt::CustomContextMenu);
  selected_row.reset();

  if (!editable) setEditTriggers(QAbstractItemView::NoEditTriggers);

  shortcut_init = false;
  if (shortcut) enable_shortcut();

  max_content_row = 0;
  max_content_col = 0;
  connect(this, &QTableWidget::cellChanged, this, &CleverTableWidget::_cell_change_);
  whole_rows = QList<int>{};
  whole_cols = QList<int>{};
  selected_corner_cols = QList<int>{};
  selected_corner_rows = QList<int>{};
  connect(this, &QTableWidget::itemSelectionChanged, this,
          &CleverTableWidget::_item_selection_changed);
  connect(this, &QTableWidget::cellDoubleClicked, this,
          &CleverTableWidget::_cell_double_clicked_);
  connect_editing_commands();
  watch_titles();
  watch_content();
}

CleverTableWidget::~CleverTableWidget() {
  // Items are deleted by the base class; nothing may react to their removal.
  disconnect(this, nullptr, this, nullptr);
  disconnect(model(), nullptr, this, nullptr);
  for (QLineEdit* editor : findChildren<QLineEdit*>()) disconnect(editor, nullptr, this, nullptr);
  for (const auto& [h, v] : scroll_connections_) {
    disconnect(h);
    disconnect(v);
  }
}

QShortcut* CleverTableWidget::initial_shortcut(const QString& key, std::function<void()> func,
                                               Qt::ShortcutContext context) {
  auto* sc = new QShortcut(QKeySequence(key), this);
  if (func) {
    connect(sc, &QShortcut::activated, this, [key, func = std::move(func)] {
      trelvo::guard_slot(key.toUtf8().constData(), func);
    });
  }
  sc->setContext(context);
  return sc;
}

void CleverTableWidget::enable_shortcut() {
  if (!shortcut) shortcut = true;
  if (!shortcut_init) {
    for (const trelvo::GridCommand* c : trelvo::keyed_grid_commands()) {
      const QString key = QString::fromLatin1(c->key.text);
      this->*c->key.object = initial_shortcut(key, shortcut_command(key));
    }
    shortcut_init = true;
  } else {
    for (const trelvo::GridCommand* c : trelvo::keyed_grid_commands())
      (this->*c->key.object)->setEnabled(true);
  }
}

void CleverTableWidget::disable_shortcut() {
  if (shortcut) shortcut = false;
  if (shortcut_init) {
    for (const trelvo::GridCommand* c : trelvo::keyed_grid_commands())
      (this->*c->key.object)->setEnabled(false);
  }
}

void CleverTableWidget::resizeEvent(QResizeEvent* event) {
  trelvo::guard_slot("resizeEvent", [this] {
    if (!infinite) return;
    if (bulk_depth_ > 0)
      fill_pending_ = true;
    else
      _fill_visible_area();
  });
  QTableWidget::resizeEvent(event);
}

void CleverTableWidget::keyboardSearch(const QString& search) {
  if (!editable) QTableWidget::keyboardSearch(search);
}
