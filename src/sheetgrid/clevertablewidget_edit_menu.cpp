// The editing commands' wiring: actions, key shortcuts and the context menu.
#include <QAction>
#include <QHeaderView>
#include <QMenu>

#include <memory>

#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/slotguard.h"

namespace {

// Runs a grid command from a Qt signal; no exception leaves it.
template <class F>
void run_command(const char* name, F&& body) {
  trelvo::guard_slot(name, std::forward<F>(body));
}

}  // namespace

void CleverTableWidget::connect_editing_commands() {
  struct Wire {
    QAction* action;
    const char* name;
    std::function<void()> command;
  };
  const Wire wires[] = {
      {copy_action, "copy_selection", [this] { copy_selection(); }},
      {paste_action, "paste_selection", [this] { paste_selection(); }},
      {clear_action, "clear_selection", [this] { clear_selection(); }},
      {delete_action, "delete_selection", [this] { delete_selection(); }},
      {align_left_action, "align_left", [this] { align_left(); }},
      {align_right_action, "align_right", [this] { align_right(); }},
      {align_center_action, "align_center", [this] { align_center(); }},
      {highlight_action, "highlight_background", highlight_background(QStringLiteral("Y"))},
      {cancle_highlight_action, "highlight_background", highlight_background(QStringLiteral("T"))},
      {bold_action, "bold_text", bold_text(QStringLiteral("Y"))},
      {cancle_bold_action, "bold_text", bold_text(QStringLiteral("N"))},
      {move_up_action, "move_up", [this] { move_up(); }},
      {move_down_action, "move_down", [this] { move_down(); }},
      {move_left_action, "move_left", [this] { move_left(); }},
      {move_right_action, "move_right", [this] { move_right(); }},
      {ascending_col_action, "sort_col_ascending", [this] { sort_col_ascending(); }},
      {descending_col_action, "sort_col_descending", [this] { sort_col_descending(); }},
      {reverse_col_action, "reverse_col", [this] { reverse_col(); }},
      {paste_col_action, "paste_col", [this] { paste_col(); }},
      {float_col_action, "float_col", [this] { float_col(); }},
      {digital_format_action, "digital_format", [this] { digital_format(); }},
      {transpose_action, "transpose_table", [this] { transpose_table(); }},
  };
  for (const Wire& w : wires) {
    connect(w.action, &QAction::triggered, this,
            [name = w.name, command = w.command] { run_command(name, command); });
  }

  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { showContextMenu(pos, viewport()); });
  connect(hh, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { showContextMenu(pos, hh); });
  connect(vh, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { showContextMenu(pos, vh); });
}

std::function<void()> CleverTableWidget::shortcut_command(const QString& key) {
  using Command = void (CleverTableWidget::*)();
  static const std::pair<const char*, Command> table[] = {
      {"Alt+Up", &CleverTableWidget::move_up},
      {"Alt+Down", &CleverTableWidget::move_down},
      {"Alt+Left", &CleverTableWidget::move_left},
      {"Alt+Right", &CleverTableWidget::move_right},
      {"Alt+A", &CleverTableWidget::sort_col_ascending},
      {"Alt+D", &CleverTableWidget::sort_col_descending},
      {"Alt+R", &CleverTableWidget::reverse_col},
      {"Alt+V", &CleverTableWidget::paste_col},
      {"Alt+U", &CleverTableWidget::float_col},
      {"Ctrl+C", &CleverTableWidget::copy_selection},
      {"Ctrl+V", &CleverTableWidget::paste_selection},
      {"Ctrl+0", &CleverTableWidget::clear_selection},
      {"Del", &CleverTableWidget::delete_selection},
      {"Ctrl+L", &CleverTableWidget::align_left},
      {"Ctrl+R", &CleverTableWidget::align_right},
      {"Ctrl+E", &CleverTableWidget::align_center},
  };
  for (const auto& entry : table) {
    if (key == QLatin1String(entry.first)) {
      const Command command = entry.second;
      return [this, command, name = entry.first] { run_command(name, [this, command] { (this->*command)(); }); };
    }
  }
  return {};
}

void CleverTableWidget::showContextMenu(const QPoint& pos, QWidget* from) {
  run_command("showContextMenu", [&] {
    QWidget* source = from ? from : viewport();

    selected_col.reset();
    if (source == hh) {
      const int col = hh->logicalIndexAt(pos);
      if (col >= 0) {
        selected_col = col;
        selectColumn(col);
      }
    }
    selected_row.reset();
    if (source == vh) {
      const int row = vh->logicalIndexAt(pos);
      if (row >= 0) {
        selected_row = row;
        selectRow(row);
      }
    }
    // Whatever happens below, the header hit lasts only as long as the menu.
    struct ResetHit {
      CleverTableWidget& grid;
      ~ResetHit() {
        grid.selected_col.reset();
        grid.selected_row.reset();
      }
    } reset_hit{*this};

    // The per-request objects, deleted when the menu has closed.
    auto menu = std::make_unique<QMenu>(this);
    auto* align_menu = new QMenu(tr("对齐方式"), menu.get());
    auto* whole_insert_action = new QAction(tr("插入"), menu.get());
    auto* dialog_insert_action = new QAction(tr("插入"), menu.get());
    connect(dialog_insert_action, &QAction::triggered, this,
            [this] { run_command("insert_base_on_selection", [this] { insert_base_on_selection(); }); });

    menu->addAction(copy_action);
    if (editable) {
      menu->addAction(paste_action);
      menu->addAction(clear_action);
      menu->addAction(delete_action);
      align_menu->addAction(align_center_action);

      auto* move_menu = new QMenu(tr("移动单元格"), menu.get());
      move_menu->addAction(move_up_action);
      move_menu->addAction(move_down_action);
      move_menu->addAction(move_left_action);
      move_menu->addAction(move_right_action);
      menu->addMenu(move_menu);

      const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
      if (ranges.size() != 1) return;
      const QTableWidgetSelectionRange& r = ranges.first();
      const int h = r.bottomRow() - r.topRow() + 1;
      const int w = r.rightColumn() - r.leftColumn() + 1;
      if (h == rowCount() || w == columnCount()) {
        const QString type = h == rowCount() ? QStringLiteral("C") : QStringLiteral("R");
        connect(whole_insert_action, &QAction::triggered, this,
                [insert = insert_whole_base_on_selection(type)] {
                  run_command("insert_whole_base_on_selection", insert);
                });
        menu->addAction(whole_insert_action);
      } else {
        menu->addAction(dialog_insert_action);
      }

      if (selected_col) {
        menu->addSeparator();
        menu->addAction(ascending_col_action);
        menu->addAction(descending_col_action);
        menu->addAction(reverse_col_action);
        menu->addAction(paste_col_action);
        menu->addAction(float_col_action);
      }
    }
    align_menu->addAction(align_left_action);
    align_menu->addAction(align_right_action);

    menu->addSeparator();
    menu->addMenu(align_menu);
    menu->addAction(highlight_action);
    menu->addAction(bold_action);
    menu->addAction(cancle_highlight_action);
    menu->addAction(cancle_bold_action);
    menu->addSeparator();
    if (editable) {
      menu->addAction(digital_format_action);
      menu->addAction(expand_formula_action);
    }
    menu->addAction(transpose_action);

    // Each request's point is in the coordinates of the view that asked.
    QWidget* origin = source;
    if (source == hh || source == vh) origin = static_cast<QAbstractScrollArea*>(source)->viewport();
    menu->exec(origin->mapToGlobal(pos));
  });
}
