// The grid's command table.
#include "sheetgrid/gridcommands.h"

#include <QCoreApplication>

namespace trelvo {

namespace {

using G = CleverTableWidget;

template <void (G::*Method)()>
std::function<void()> call(G& grid) {
  return [&grid] { (grid.*Method)(); };
}

// The command a factory makes for one choice.
template <std::function<void()> (G::*Factory)(const QString&), char Choice>
std::function<void()> choice(G& grid) {
  return (grid.*Factory)(QString(QLatin1Char(Choice)));
}

// action, text, key (text, shortcut object, its position of creation), log name, command
const GridCommand kCommands[kGridActions] = {
    {&G::copy_action, QT_TRANSLATE_NOOP("CleverTableWidget", "复制"),
     {"Ctrl+C", &G::short_c_c, 10}, "copy_selection", call<&G::copy_selection>},
    {&G::paste_action, QT_TRANSLATE_NOOP("CleverTableWidget", "粘贴"),
     {"Ctrl+V", &G::short_c_v, 11}, "paste_selection", call<&G::paste_selection>},
    {&G::clear_action, QT_TRANSLATE_NOOP("CleverTableWidget", "清空"),
     {"Ctrl+0", &G::short_c_0, 12}, "clear_selection", call<&G::clear_selection>},
    {&G::delete_action, QT_TRANSLATE_NOOP("CleverTableWidget", "删除"),
     {"Del", &G::short_del, 13}, "delete_selection", call<&G::delete_selection>},
    {&G::align_left_action, QT_TRANSLATE_NOOP("CleverTableWidget", "左对齐"),
     {"Ctrl+L", &G::short_c_l, 14}, "align_left", call<&G::align_left>},
    {&G::align_right_action, QT_TRANSLATE_NOOP("CleverTableWidget", "右对齐"),
     {"Ctrl+R", &G::short_c_r, 15}, "align_right", call<&G::align_right>},
    {&G::align_center_action, QT_TRANSLATE_NOOP("CleverTableWidget", "居中对齐"),
     {"Ctrl+E", &G::short_c_e, 16}, "align_center", call<&G::align_center>},
    {&G::highlight_action, QT_TRANSLATE_NOOP("CleverTableWidget", "高亮"),
     {}, "highlight_background", choice<&G::highlight_background, 'Y'>},
    {&G::cancle_highlight_action, QT_TRANSLATE_NOOP("CleverTableWidget", "取消高亮"),
     {}, "highlight_background", choice<&G::highlight_background, 'T'>},
    {&G::bold_action, QT_TRANSLATE_NOOP("CleverTableWidget", "加粗"),
     {}, "bold_text", choice<&G::bold_text, 'Y'>},
    {&G::cancle_bold_action, QT_TRANSLATE_NOOP("CleverTableWidget", "取消加粗"),
     {}, "bold_text", choice<&G::bold_text, 'N'>},
    {&G::move_up_action, QT_TRANSLATE_NOOP("CleverTableWidget", "上移"),
     {"Alt+Up", &G::short_a_up, 1}, "move_up", call<&G::move_up>},
    {&G::move_down_action, QT_TRANSLATE_NOOP("CleverTableWidget", "下移"),
     {"Alt+Down", &G::short_a_down, 2}, "move_down", call<&G::move_down>},
    {&G::move_left_action, QT_TRANSLATE_NOOP("CleverTableWidget", "左移"),
     {"Alt+Left", &G::short_a_left, 3}, "move_left", call<&G::move_left>},
    {&G::move_right_action, QT_TRANSLATE_NOOP("CleverTableWidget", "右移"),
     {"Alt+Right", &G::short_a_right, 4}, "move_right", call<&G::move_right>},
    {&G::ascending_col_action, QT_TRANSLATE_NOOP("CleverTableWidget", "列升序"),
     {"Alt+A", &G::short_a_a, 5}, "sort_col_ascending", call<&G::sort_col_ascending>},
    {&G::descending_col_action, QT_TRANSLATE_NOOP("CleverTableWidget", "列降序"),
     {"Alt+D", &G::short_a_d, 6}, "sort_col_descending", call<&G::sort_col_descending>},
    {&G::reverse_col_action, QT_TRANSLATE_NOOP("CleverTableWidget", "列逆序"),
     {"Alt+R", &G::short_a_r, 7}, "reverse_col", call<&G::reverse_col>},
    {&G::paste_col_action, QT_TRANSLATE_NOOP("CleverTableWidget", "粘贴替换列"),
     {"Alt+V", &G::short_a_v, 8}, "paste_col", call<&G::paste_col>},
    {&G::float_col_action, QT_TRANSLATE_NOOP("CleverTableWidget", "上浮数字"),
     {"Alt+U", &G::short_a_u, 9}, "float_col", call<&G::float_col>},
    {&G::digital_format_action, QT_TRANSLATE_NOOP("CleverTableWidget", "设置数字格式"),
     {}, "digital_format", call<&G::digital_format>},
    {&G::expand_formula_action, QT_TRANSLATE_NOOP("CleverTableWidget", "拓展公式"),
     {}, "expand_formula", call<&G::expand_formula>},
    {&G::transpose_action, QT_TRANSLATE_NOOP("CleverTableWidget", "列表转置"),
     {}, "transpose_table", call<&G::transpose_table>},
};

}  // namespace

std::span<const GridCommand, kGridActions> grid_commands() { return kCommands; }

const std::array<const GridCommand*, kGridShortcuts>& keyed_grid_commands() {
  static const std::array<const GridCommand*, kGridShortcuts> keyed = [] {
    std::array<const GridCommand*, kGridShortcuts> out{};
    for (const GridCommand& c : kCommands) {
      if (c.key.text) out.at(c.key.order - 1) = &c;
    }
    return out;
  }();
  return keyed;
}

}  // namespace trelvo
