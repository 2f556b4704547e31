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

#include <array>

#include "sheetgrid/slotguard.h"

namespace {

// One keyed command: the shortcut attribute, its key text, and the command it
// runs (null while that command is not part of the grid).
struct KeyedCommand {
  QShortcut* CleverTableWidget::*attribute;
  const char* key;
  void (CleverTableWidget::*command)();
};

// In creation order of the shortcut objects.
const std::array<KeyedCommand, 16>& keyed_commands() {
  static const std::array<KeyedCommand, 16> table{{
      {&CleverTableWidget::short_a_up, "Alt+Up", nullptr},
      {&CleverTableWidget::short_a_down, "Alt+Down", nullptr},
      {&CleverTableWidget::short_a_left, "Alt+Left", nullptr},
      {&CleverTableWidget::short_a_right, "Alt+Right", nullptr},
      {&CleverTableWidget::short_a_a, "Alt+A", nullptr},
      {&CleverTableWidget::short_a_d, "Alt+D", nullptr},
      {&CleverTableWidget::short_a_r, "Alt+R", nullptr},
      {&CleverTableWidget::short_a_v, "Alt+V", nullptr},
      {&CleverTableWidget::short_a_u, "Alt+U", nullptr},
      {&CleverTableWidget::short_c_c, "Ctrl+C", nullptr},
      {&CleverTableWidget::short_c_v, "Ctrl+V", nullptr},
      {&CleverTableWidget::short_c_0, "Ctrl+0", nullptr},
      {&CleverTableWidget::short_del, "Del", nullptr},
      {&CleverTableWidget::short_c_l, "Ctrl+L", nullptr},
      {&CleverTableWidget::short_c_r, "Ctrl+R", nullptr},
      {&CleverTableWidget::short_c_e, "Ctrl+E", nullptr},
  }};
  return table;
}

}  // namespace

CleverTableWidget::CleverTableWidget(QWidget* parent, int rowCount, int columnCount, bool editable_,
                                     bool shortcut_, bool infinite_)
    : QTableWidget(rowCount, columnCount, parent),
      editable(editable_),
      infinite(infinite_),
      shortcut(shortcut_) {
  // Actions 1 to 11.
  copy_action = new QAction(tr("复制"), this);
  paste_action = new QAction(tr("粘贴"), this);
  clear_action = new QAction(tr("清空"), this);
  delete_action = new QAction(tr("删除"), this);
  align_left_action = new QAction(tr("左对齐"), this);
  align_right_action = new QAction(tr("右对齐"), this);
  align_center_action = new QAction(tr("居中对齐"), this);
  highlight_action = new QAction(tr("高亮"), this);
  cancle_highlight_action = new QAction(tr("取消高亮"), this);
  bold_action = new QAction(tr("加粗"), this);
  cancle_bold_action = new QAction(tr("取消加粗"), this);
  // Their commands are connected here as the editing commands join the grid.

  // Actions 12 to 15, the moves.
  move_up_action = new QAction(tr("上移"), this);
  move_down_action = new QAction(tr("下移"), this);
  move_left_action = new QAction(tr("左移"), this);
  move_right_action = new QAction(tr("右移"), this);
  move_up_action->setShortcut(QKeySequence(QStringLiteral("Alt+Up")));
  move_down_action->setShortcut(QKeySequence(QStringLiteral("Alt+Down")));
  move_left_action->setShortcut(QKeySequence(QStringLiteral("Alt+Left")));
  move_right_action->setShortcut(QKeySequence(QStringLiteral("Alt+Right")));

  // Actions 16 to 20, the column commands.
  ascending_col_action = new QAction(tr("列升序"), this);
  descending_col_action = new QAction(tr("列降序"), this);
  reverse_col_action = new QAction(tr("列逆序"), this);
  paste_col_action = new QAction(tr("粘贴替换列"), this);
  float_col_action = new QAction(tr("上浮数字"), this);
  ascending_col_action->setShortcut(QKeySequence(QStringLiteral("Alt+A")));
  descending_col_action->setShortcut(QKeySequence(QStringLiteral("Alt+D")));
  reverse_col_action->setShortcut(QKeySequence(QStringLiteral("Alt+R")));
  paste_col_action->setShortcut(QKeySequence(QStringLiteral("Alt+V")));
  float_col_action->setShortcut(QKeySequence(QStringLiteral("Alt+U")));

  // Actions 21 to 23.
  digital_format_action = new QAction(tr("设置数字格式"), this);
  expand_formula_action = new QAction(tr("拓展公式"), this);
  connect(expand_formula_action, &QAction::triggered, this,
          [this] { trelvo::guard_slot("expand_formula", [this] { expand_formula(); }); });
  transpose_action = new QAction(tr("列表转置"), this);

  // Key sequences shown in the context menu.
  copy_action->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
  paste_action->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
  clear_action->setShortcut(QKeySequence(QStringLiteral("Ctrl+0")));
  delete_action->setShortcut(QKeySequence(QStringLiteral("Del")));
  align_left_action->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
  align_right_action->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
  align_center_action->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));

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
    for (const KeyedCommand& k : keyed_commands()) {
      std::function<void()> func;
      if (k.command) func = [this, cmd = k.command] { (this->*cmd)(); };
      else func = shortcut_command(QString::fromLatin1(k.key));
      this->*k.attribute = initial_shortcut(QString::fromLatin1(k.key), std::move(func));
    }
    shortcut_init = true;
  } else {
    for (const KeyedCommand& k : keyed_commands()) (this->*k.attribute)->setEnabled(true);
  }
}

void CleverTableWidget::disable_shortcut() {
  if (shortcut) shortcut = false;
  if (shortcut_init) {
    for (const KeyedCommand& k : keyed_commands()) (this->*k.attribute)->setEnabled(false);
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
