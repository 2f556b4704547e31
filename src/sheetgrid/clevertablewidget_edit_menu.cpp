// The editing commands' wiring: actions, key shortcuts and the context menu.
#include <QAction>
#include <QHeaderView>
#include <QMenu>

#include <memory>

#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/gridcommands.h"
#include "sheetgrid/slotguard.h"

namespace {

// Runs a grid command from a Qt signal; no exception leaves it.
template <class F>
void run_command(const char* name, F&& body) {
  trelvo::guard_slot(name, std::forward<F>(body));
}

}  // namespace

void CleverTableWidget::connect_editing_commands() {
  for (const trelvo::GridCommand& c : trelvo::grid_commands()) {
    connect(this->*c.action, &QAction::triggered, this,
            [name = c.log_name, command = c.command(*this)] { run_command(name, command); });
  }

  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { showContextMenu(pos, viewport()); });
  connect(hh, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { showContextMenu(pos, hh); });
  connect(vh, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { showContextMenu(pos, vh); });
}

std::function<void()> CleverTableWidget::shortcut_command(const QString& key) {
  for (const trelvo::GridCommand* c : trelvo::keyed_grid_commands()) {
    if (key == QLatin1String(c->key.text))
      return [name = c->key.text, command = c->command(*this)] { run_command(name, command); };
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
