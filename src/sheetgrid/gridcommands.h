#pragma once
// The grid's command table: one row per action holding everything the grid
// wires to that command (its text, key, shortcut object and log name).
#include <array>
#include <functional>
#include <span>

#include "sheetgrid/clevertablewidget.h"

class QAction;
class QShortcut;

namespace trelvo {

struct GridCommand {
  // A key the command answers to on the focused grid.
  struct Key {
    const char* text = nullptr;  // a QKeySequence text; nullptr: no key
    QShortcut* CleverTableWidget::*object = nullptr;
    int order = 0;  // 1-based position among the shortcut objects' creation
  };

  QAction* CleverTableWidget::*action;
  const char* text;  // untranslated; translated in CleverTableWidget's context
  Key key;
  const char* log_name;  // the name an action's failure is logged under
  // Makes the command for a grid; called once per connection.
  std::function<void()> (*command)(CleverTableWidget&);
};

inline constexpr int kGridActions = 23;
inline constexpr int kGridShortcuts = 16;

// The 23 rows in the actions' order of creation.
std::span<const GridCommand, kGridActions> grid_commands();
// The 16 rows with a key, in the shortcut objects' order of creation.
const std::array<const GridCommand*, kGridShortcuts>& keyed_grid_commands();

}  // namespace trelvo
