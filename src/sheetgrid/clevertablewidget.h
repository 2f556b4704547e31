#pragma once
// The spreadsheet grid: a table widget whose cells become formula cells when
// they are edited, with shared command actions, widget-scoped key shortcuts,
// A1 label lookup, optional self-extension and four signals to its owner.
//
// The class is defined over several source files: the core (construction,
// editing hooks, selection records, shortcuts, self-extension, switches,
// header titles, formula fill, content extent, trimming, renumbering) lives in
// clevertablewidget*.cpp of this folder; the editing commands and the file
// loaders and savers are further files of the same class.
//
// Item pointers: Qt deletes an item that setItem replaces, and the grid
// replaces plain items inside its cellChanged handling. No member keeps an item
// pointer across a call that can emit cellChanged; positions are kept instead.
#include <QList>
#include <QMetaObject>
#include <QPersistentModelIndex>
#include <QString>
#include <QTableWidget>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "fitcore/export.h"
#include "sheetgriditem/clevertablewidgetitem.h"

class QAction;
class QHeaderView;
class QLineEdit;
class QResizeEvent;
class QShortcut;

class TRELVO_EXPORT CleverTableWidget : public QTableWidget {
  Q_OBJECT

 signals:
  // (max_content_row, max_content_col) after every recomputation of the
  // content extent; emitted by _max_content_pos only.
  void ContentsChangeSignal(int row, int col);
  // After every selection change, once the selection records and the content
  // extent are up to date (ContentsChangeSignal comes first).
  void ItemSelectionSignal();
  // The double-click editor's whole text on each change / when it finishes.
  // An edit cancelled by Escape does not finish: the cell stays exactly as it
  // was (no text is set again, so a formula is not evaluated again).
  // `item` is the cell's formula cell at the moment of emission, owned by the
  // grid: valid only while the slot runs, until the next change of the grid.
  void ItemTextChangedSignal(CleverTableWidgetItem* item, const QString& text);
  void ItemTextFinishedSignal(CleverTableWidgetItem* item, const QString& text);
  // Once as each outermost bulk of writes that touched cells ends (every
  // editing command, paste, column command, load, transpose and formula fill
  // runs as one), right after its ContentsChangeSignal. Cells may have been
  // replaced, moved, inserted or removed meanwhile: a receiver finds its cells
  // again by position. Single edits outside a bulk (in-cell editing,
  // set_cell_text) send only cellChanged.
  void CellsRewrittenSignal();

 public:
  // Stores the three flags unchanged; `infinite` is only recorded (no
  // scroll handlers, see enable_infinite). Creates the 23 actions (grid as
  // parent, not added to the grid), sets the custom context-menu policy on the
  // grid and both headers, and with `shortcut` creates the 16 shortcut objects.
  // A grid built with `editable` false has no edit triggers.
  explicit CleverTableWidget(QWidget* parent = nullptr, int rowCount = 0, int columnCount = 0,
                             bool editable = true, bool shortcut = true, bool infinite = false);
  ~CleverTableWidget() override;

  // ---- flags -------------------------------------------------------------
  bool editable;
  bool infinite;
  bool shortcut;

  // ---- the 23 actions, children of the grid, in creation order ------------
  QAction* copy_action = nullptr;
  QAction* paste_action = nullptr;
  QAction* clear_action = nullptr;
  QAction* delete_action = nullptr;
  QAction* align_left_action = nullptr;
  QAction* align_right_action = nullptr;
  QAction* align_center_action = nullptr;
  QAction* highlight_action = nullptr;
  QAction* cancle_highlight_action = nullptr;
  QAction* bold_action = nullptr;
  QAction* cancle_bold_action = nullptr;
  QAction* move_up_action = nullptr;
  QAction* move_down_action = nullptr;
  QAction* move_left_action = nullptr;
  QAction* move_right_action = nullptr;
  QAction* ascending_col_action = nullptr;
  QAction* descending_col_action = nullptr;
  QAction* reverse_col_action = nullptr;
  QAction* paste_col_action = nullptr;
  QAction* float_col_action = nullptr;
  QAction* digital_format_action = nullptr;
  QAction* expand_formula_action = nullptr;
  QAction* transpose_action = nullptr;

  QHeaderView* hh = nullptr;
  std::optional<int> selected_col;
  QHeaderView* vh = nullptr;
  std::optional<int> selected_row;

  // True once the 16 shortcut objects exist; never false again.
  bool shortcut_init = false;

  // Content extent as last computed (see _max_content_pos).
  int max_content_row = 0;
  int max_content_col = 0;

  // Selection records. whole_rows / whole_cols: nullopt when no row (column)
  // is selected whole, else a non-empty list in order of discovery (empty
  // lists only before the first selection change). The corner lists hold the
  // bottom row / right column of each range of the last non-empty selection.
  std::optional<QList<int>> whole_rows = QList<int>{};
  std::optional<QList<int>> whole_cols = QList<int>{};
  QList<int> selected_corner_cols;
  QList<int> selected_corner_rows;

  // ---- the 16 widget-scoped shortcut objects (null until enable_shortcut) --
  QShortcut* short_a_up = nullptr;
  QShortcut* short_a_down = nullptr;
  QShortcut* short_a_left = nullptr;
  QShortcut* short_a_right = nullptr;
  QShortcut* short_a_a = nullptr;
  QShortcut* short_a_d = nullptr;
  QShortcut* short_a_r = nullptr;
  QShortcut* short_a_v = nullptr;
  QShortcut* short_a_u = nullptr;
  QShortcut* short_c_c = nullptr;
  QShortcut* short_c_v = nullptr;
  QShortcut* short_c_0 = nullptr;
  QShortcut* short_del = nullptr;
  QShortcut* short_c_l = nullptr;
  QShortcut* short_c_r = nullptr;
  QShortcut* short_c_e = nullptr;

  // ---- formula fill --------------------------------------------------------
  // With exactly one selected range larger than one cell, asks for the base
  // cell and formula in a modal FormulaExpander and, when accepted, writes
  // every cell of the range with the base formula moved by the cell's distance
  // from the base cell (row-major order). Anything else: returns silently.
  // Writes run under one BulkGuard: one ContentsChangeSignal at the end. A
  // fill that would pass the grid's content limits writes nothing
  // (refuse_past_content_limits).
  void expand_formula();

  // ---- label lookup --------------------------------------------------------
  // The item at an A1 label ("([A-Za-z]+)(\d+)" matched at the start; text
  // after the digits ignored) inside the current rows and columns; nullptr
  // for no label, a position outside the grid, or a cell without item.
  QTableWidgetItem* get_item_from_label(const QString& label) const;
  // The A1 label of an item's own position; nullopt for nullptr or an item in
  // no table. The item's table is not checked.
  static std::optional<QString> get_label_from_item(const QTableWidgetItem* item);

  // ---- shortcuts -----------------------------------------------------------
  // A QShortcut for `key` with the grid as parent and `context`; `func` (may be
  // empty: nothing connected) runs on activation. Returns the new object.
  QShortcut* initial_shortcut(const QString& key, std::function<void()> func,
                              Qt::ShortcutContext context = Qt::WidgetShortcut);
  // Sets `shortcut`; the first call creates the 16 objects, later calls only
  // enable them. disable_shortcut disables them and never creates any.
  void enable_shortcut();
  void disable_shortcut();
  bool is_shortcut() const { return shortcut; }
  bool is_infinite() const { return infinite; }
  bool is_editable() const { return editable; }

  // ---- self-extension ------------------------------------------------------
  // Sets `infinite`, connects one more pair of scroll handlers, fills the
  // visible area at once.
  void enable_infinite();
  // Clears `infinite`, removes one pair of handler connections (none: passes),
  // then clear_empty_space().
  void disable_infinite();
  void _handle_horizontal_scroll(int value);
  void _handle_vertical_scroll(int value);
  // Renumbers the headers (the stale titles only, see renumber_header_col),
  // then adds columns (all still missing at the default width in one change)
  // / rows until the last one reaches the viewport's right / bottom edge or
  // the grid's limits, then removes trailing empty, unprotected columns
  // / rows that start beyond it (each kind in one change).
  void _fill_visible_area();
  // One line at the end, unless the grid would pass its limits (rows x
  // columns, rows, columns): the self-extension stops there.
  void _add_rows_at_end();
  void _remove_rows_at_end();
  void _add_columns_at_end();
  void _remove_columns_at_end();

  // ---- column count changes ------------------------------------------------
  // With `count` > 0 inserts `count` empty columns before column `at`
  // (0..columnCount()); with `count` < 0 removes -count columns from `at` on;
  // 0 does nothing. The result is Qt's insertColumns / removeColumns: items
  // and header items move with their columns (removed ones are deleted), the
  // selection, current cell, column widths and row states follow, no
  // cellChanged. Qt moves every item once per row for it (quadratic in the
  // rows): on a grid of more than column_change_rows rows, unless a cell is
  // being edited or the grid sorts itself, the items are taken out, the rows dropped, the columns
  // changed, and rows and items put back instead, linear in the cells; the
  // view is not laid out meanwhile (a self-extending grid refits once, at
  // the end), so its headers, scroll bars and cells agree afterwards.
  void _change_columns(int at, int count);
  // What a block written into the grid leaves of the lines beyond it: a
  // paste keeps their cells, a load empties them.
  enum class Beyond { Kept, Cleared };
  // The size (rows, columns) of the grid grown to hold `rows` x `cols`:
  // where growing the present grid to it would pass the grid's limits, the
  // trailing columns and then rows beyond `rows` x `cols` are not counted,
  // as far as needed: with Kept only empty ones (such as the self-extension
  // adds to fill the view), with Cleared any (the block empties them).
  // make_room_for removes those lines, with their cells and header titles,
  // when the result fits the limits, so that a paste of a block that fits on
  // its own fits whatever the view's width, and a load of a table that fits
  // on its own always does. The checks before a paste or load and the
  // growth itself ask the same `beyond`.
  std::pair<qint64, qint64> grown_size(qint64 rows, qint64 cols, Beyond beyond) const;
  void make_room_for(qint64 rows, qint64 cols, Beyond beyond);
  // _change_columns at the end to reach `count` (>= 0) columns.
  void _set_column_count(int count);
  // Row count above which _change_columns refills the grid (tests and
  // benches move it to compare both ways).
  int column_change_rows = 2000;

  // ---- editing switches and header titles ----------------------------------
  // editable false + no edit triggers / editable true + double-click only.
  void disable_editing();
  void enable_editing();
  // On an editable grid: gives the line a header item (its current title) if
  // it has none, then asks for a new title in a modal text dialog; confirming
  // sets it (empty included), cancelling keeps the old one.
  void change_horizontal_header(int index);
  void change_vertical_header(int index);

  // ---- selection records ---------------------------------------------------
  void _get_selected_items_right_down_corner();
  std::optional<QList<int>> _is_whole_row_selected() const;
  std::optional<QList<int>> _is_whole_column_selected() const;

  // ---- empty cells, content extent, trimming --------------------------------
  // True when no cell of the line holds text other than "" or " " (a missing
  // item counts as ""). Any index outside the grid has no items.
  bool row_is_empty(int row) const;
  bool col_is_empty(int col) const;
  // Recomputes (max_content_row, max_content_col): last row / column >= 1
  // holding content, else 0; -1 for a grid without rows / columns. Emits
  // ContentsChangeSignal on every call (deferred to the end of a bulk).
  void _max_content_pos();
  // _max_content_pos(), then the stored pair (inside a bulk: the stored pair
  // as last computed, the recomputation being deferred).
  std::pair<int, int> get_max_content_pos();
  // What the grid's cells hold together: the cells holding text other than
  // "" or " ", and the UTF-16 units of those texts as cellText gives them
  // (what a save writes and a load then reads).
  struct Content {
    qint64 filled = 0;
    qint64 units = 0;
  };
  // Counted over every place on the first call after the cells changed, then
  // kept until the model reports the next change.
  Content content() const;
  qint64 filled_cell_count() const { return content().filled; }
  // The one test of what the grid may hold, for every way cells are filled
  // (typing, paste, column paste, formula fill) and the same the loaders
  // apply, so that every grid saved loads again: a change after which the
  // grid would hold `after`, more than limits::kMaxFilledCells filled cells
  // or limits::kMaxTextUnits units of text, is refused. Warns "警告" ("操作后
  // 表格的非空单元格将超过%1个…" or "操作后表格单元格的文字将超过%1个字符…") and
  // returns true; the caller then changes nothing.
  bool refuse_past_content_limits(const Content& after, const char* command);
  // Sets `text` typed into the cell (row, col), creating a formula cell where
  // there is none (set_cell_text), unless the grid would then hold more than
  // its limits (refuse_past_content_limits): false, with the grid unchanged.
  bool write_typed_text(int row, int col, const QString& text);
  // On an editable grid that is not self-extending: remove every empty row
  // (bottom-up) / column (right to left), interior ones included. Headers are
  // not renumbered; the extent is not recomputed.
  void clear_empty_row();
  void clear_empty_col();
  // Not self-extending: clear_empty_col(), then clear_empty_row().
  void clear_empty_space();
  // The grid's own trimming, for the program: as clear_empty_space, on a
  // read-only grid as well.
  void trim_empty_space();

  // ---- header renumbering ---------------------------------------------------
  // On an editable grid: every column (row) header item gets its letters
  // (bijective base 26 of column + 1) / its 1-based number; missing header
  // items are created as empty formula cells first. Only the titles that may
  // have gone wrong since the last renumbering are looked at: lines from the
  // first one inserted, removed or moved on, lines past the count of the last
  // renumbering, and lines whose header data changed (a title set by other
  // code, a header item replaced); a sort or reset makes every title stale.
  // A title is set while its item is out of the header (taken out and put
  // back, or new), with the model's signals blocked; one headerDataChanged
  // then covers the lines whose title changed (none when none did). Code
  // that changes header items or line counts with the model's signals
  // blocked must leave the titles as they were. Read-only: nothing (the
  // stale titles wait for a renumbering on an editable grid).
  void renumber_header_col();
  void renumber_header_row();
  void renumber_header();
  // The grid's own column renumbering, for the program: as
  // renumber_header_col, on a read-only grid as well.
  void number_header_col();

  // ---- bulk writes ----------------------------------------------------------
  // Between beginBulk() and the matching endBulk() (nestable) the content
  // extent is not recomputed, and a self-extending grid does not refit its
  // visible area on resize, nor add or remove a line on a scroll bar's change
  // (which would drop the empty lines a writer has just added, or add lines
  // to the grid's passing shape). The outermost endBulk() refits once if a
  // resize or scroll change came, then
  // recomputes the extent once (one ContentsChangeSignal) if one was asked for,
  // followed by CellsRewrittenSignal.
  void beginBulk();
  void endBulk();
  bool inBulk() const { return bulk_depth_ > 0; }
  class BulkGuard {
   public:
    explicit BulkGuard(CleverTableWidget& grid) : grid_(grid) { grid_.beginBulk(); }
    ~BulkGuard() { grid_.endBulk(); }
    BulkGuard(const BulkGuard&) = delete;
    BulkGuard& operator=(const BulkGuard&) = delete;

   private:
    CleverTableWidget& grid_;
  };

  // Puts a new formula cell with `text` at (row, col), growing the grid when
  // the position lies past its end: an empty cell is placed first and its text
  // set afterwards, so a formula sees the grid. Refuses negative positions and
  // positions beyond the grid limits (returns false).
  bool set_cell_text(int row, int col, const QString& text);

  // Column letters of a 1-based column number ("" for n <= 0): 1 A, 27 AA.
  static QString num_to_letters(long long n);

  // ---- editing commands (clevertablewidget_edit*.cpp) ----
  // Commands gated by `editable` return silently on a read-only grid; commands
  // that need exactly one selected range return silently without one. Every
  // command that rewrites many cells runs under one BulkGuard: the content
  // extent is recomputed (and ContentsChangeSignal emitted) once at its end.
  // Refusals named below show a modal warning titled "警告" with the grid as
  // parent. No command throws.

  // Connects each of the 23 actions to its command (a failure is logged under
  // the command's name) and the context-menu requests of the cells and both
  // headers; called once by the constructor.
  void connect_editing_commands();
  // The command of a keyed shortcut ("Alt+Up", ..., "Ctrl+E"); empty for any
  // other key. Each call wraps the command so that no exception leaves it (a
  // failure is logged under the key).
  std::function<void()> shortcut_command(const QString& key);

  // Context menu. `from` is the widget that asked: hh (a column hit: its
  // column at `pos` is selected and kept in selected_col), vh (a row hit,
  // selected_row), anything else the cells (`pos` in viewport coordinates).
  // On an editable grid the menu opens only with exactly one selected range.
  // selected_col and selected_row are none again once the menu has closed.
  void showContextMenu(const QPoint& pos, QWidget* from = nullptr);

  // Moves the one selected block by one cell, trading places with the
  // neighbouring line; the selection follows. Up at row 0 / left at column 0
  // warn "已到达顶部，无法向上移动" / "已到达最左侧，无法向左移动"; down / right at
  // the end append one row / column first.
  void move_up();
  void move_down();
  void move_left();
  void move_right();

  // Styles of the selected items (empty cells of a single range get an empty
  // formula cell first); not gated by `editable`.
  void align_left();
  void align_right();
  void align_center();
  // Commands for choice "Y" (yellow) / "T" (transparent), and "Y" (bold) /
  // "N" (not bold); any other choice only logs, once per selected item.
  std::function<void()> highlight_background(const QString& choice);
  std::function<void()> bold_text(const QString& choice);

  // Writes each value's text (text as is, numbers as the host prints them,
  // an invalid QVariant as "None") into a centred formula cell of
  // `tablewidget_object` at (row, column) of the list; positions outside the
  // table's current size are skipped. A formula is evaluated once its cell is
  // placed.
  static void write_dim2_list_to_table(const QList<QVariantList>& dim2_list,
                                       QTableWidget* tablewidget_object);
  // Hides every row whose cell in `col` has no item or a text() outside
  // `filter_list`; never shows a row.
  void filter_operation(int col, const QStringList& filter_list);

  // Number format of the first selected range through a modal FormatDialog
  // preset from its top-left cell; cells without item are skipped.
  void digital_format();

  // Column commands on every column holding a selected cell, whole columns.
  QList<int> get_selected_columns_list() const;
  void sort_col_ascending();
  void sort_col_descending();
  void reverse_col();
  // Exactly one selected column, else warns "只能选择一列进行粘贴替换操作"; a
  // clipboard without numbers warns "粘贴数据中不包含有效数字字符"; more numbers
  // than the grid limits allow rows warns "粘贴数据行数超出表格大小上限，无法替换列";
  // one that would pass the grid's content limits is refused by
  // refuse_past_content_limits.
  void paste_col();
  void float_col();
  // Numbers matching "[-+]?\d+\.?\d*(?:[eE][-+]?\d+)?", in order.
  static QList<double> filter_string_to_float_list(const QString& input_str);

  // Swaps rows and columns in place (trimming around it); an empty grid warns
  // "表格为空，无法进行转置操作", a grid whose square would exceed the grid
  // limits warns "表格过大，无法进行转置操作". Not gated by `editable`.
  void transpose_table();

  // Selection queries; none changes the grid.
  bool _judge_rectangular_selected() const;
  // Last row holding content in columns selected_top..selected_bottom, else 0.
  int _insert_add_row_helper(int selected_top, int selected_bottom) const;
  // Last column holding content in rows selected_left..selected_right, else 0.
  int _insert_add_col_helper(int selected_left, int selected_right) const;
  int get_first_empty_row_id() const;
  QList<QStringList> read_table_context() const;
  // The (row, column) of every selected cell that holds a selectable, enabled
  // item in a shown row and column (the cells of selectedItems()), each once,
  // range by range in row-major order. Read from the selection ranges, so it
  // stays linear after lines were inserted or removed.
  QList<std::pair<int, int>> selected_item_cells() const;
  // Takes the item at (row, col) out and puts it back with the model's
  // signals blocked: nothing is announced, and Qt finds the item at its place
  // again without searching the table when it changes.
  void reseat_item(int row, int col);

  // Clipboard: tab-separated cells, line-feed-separated rows, no final line
  // feed. Paste grows the grid from the anchor; a paste that would exceed the
  // grid limits changes nothing and warns "粘贴数据超出表格大小上限，无法粘贴";
  // one that would pass the grid's content limits is refused by
  // refuse_past_content_limits.
  void copy_selection();
  void paste_selection();
  void clear_selection();

  // Delete and insert on the one selected block. The operation strings are
  // "Move Left", "Move Up", "Delete Selected Rows", "Delete Selected Cols"
  // (delete) and "Move Right", "Move Down", "Insert Rows Above",
  // "Insert Cols Left" (insert); any other string logs "Empty Message".
  void delete_selection();
 public slots:
  void _delete_operations(const QString& message);

 public:
  void insert_base_on_selection();
  // The whole-line insertion ("R" rows above / "C" columns left of the
  // block), performed when the returned function is called.
  std::function<void()> insert_whole_base_on_selection(const QString& insert_type);
 public slots:
  void _insert_operations(const QString& message);

 public:
  void _set_null_item();
  // ---- end of editing commands ----

  // ---- file import and export (clevertablewidget_files.cpp) ----
  // With two or more names: a modal "选择工作表" list of `sheetnames`, the row
  // of the first `active_names` preselected (absent or unknown: row
  // `active_index` when it is a row, else row 0). Returns (name, position of
  // the chosen row), so of two equal names the one chosen; none for fewer
  // than two names, Cancel, Esc or a closed dialog.
  std::optional<std::pair<QString, int>> _dialog_choose_sheet(const QStringList& sheetnames,
                                                               const std::optional<QString>& active_names = std::nullopt,
                                                               int active_index = 0);
  // Load a CSV (UTF-8, one leading byte-order mark dropped, blank lines
  // dropped), XLSX or XLS file into the grid. "" does nothing. The whole table
  // is read (and the sheet chosen, for workbooks of several sheets) before the
  // grid changes; a failed, refused or cancelled read, a table beyond the grid
  // limits or an empty table ends in a critical box with the grid unchanged.
  // Otherwise: the grid grows to the table (a grown dimension is renumbered;
  // where the grid's lines beyond the table would take it past the limits,
  // as many of them as needed go, see grown_size, else it never shrinks),
  // every cell is emptied, and each value other than "" and " "
  // becomes a formula cell: one holding "=" is placed first and then given its
  // text (a formula sees the cells placed before it), any other is built with
  // its text and then placed. Each table row is released once placed, so the
  // table and the filled grid are never held whole together. One
  // content-extent recomputation at the end. Never throws.
  void load_csv(const QString& path);
  void load_excel03(const QString& path);
  void load_excel(const QString& path);
  // Save rows 0..max_content_row, columns 0..max_content_col as they stand
  // (the caller refreshes the extent) as CSV (empty cells " ", CR LF), XLSX or
  // XLS (one sheet "Sheet1" of text cells, empty cells left out). "" does
  // nothing. The file replaces an existing one only once completely written:
  // success gives the "保存成功" box; any failure (unwritable path, full disk,
  // a text or size the format cannot hold) gives the "保存错误" box and leaves
  // an existing file as it was. Never throws; the grid is not changed.
  void save_csv(const QString& path);
  void save_excel(const QString& path);
  void save_excel03(const QString& path);
  // ---- end of file import and export ----

 protected:
  // With `infinite` set, fills the visible area first (after the bulk, inside
  // one); then Qt's handling.
  void resizeEvent(QResizeEvent* event) override;
  // An editable grid never searches by keyboard: a key typed into it is meant
  // for a cell, never a jump to another one. A read-only grid searches as Qt's
  // views do.
  void keyboardSearch(const QString& search) override;

 protected slots:
  // Marks an editor closed with Escape (Qt leaves its cell alone) as
  // cancelled before Qt closes it, so that it reports no finish.
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 public slots:
  // Replaces a plain item by a formula cell of the same text; then the extent.
  void _cell_change_(int row, int col);
  // Makes the cell a formula cell, opens the in-cell editor with its typed
  // text and wires the editor to ItemText*Signal.
  void _cell_double_clicked_(int row, int col);
  // Records, debug lines, extent, then ItemSelectionSignal.
  void _item_selection_changed();

 private:
  // Replaces the item at (row, col) by an empty formula cell and sets `text`
  // on it; returns the new cell (valid until the next grid change).
  CleverTableWidgetItem* replace_with_formula_cell(int row, int col, const QString& text);
  // Reports the editor's text; a cancelled editor reports no finish.
  void emit_editor_text(const QPersistentModelIndex& cell, QLineEdit* editor, bool finished);
  // clear_empty_row / clear_empty_col without the `editable` test.
  void trim_empty_rows();
  void trim_empty_cols();

  // Header titles that may be wrong, per orientation, kept from the model's
  // line and header signals: every section from `from` on, those of
  // `ranges`, and every section at or past `numbered` (the count at the last
  // renumbering). Renumbering looks at these only.
  struct StaleTitles {
    int from = 0;
    int numbered = 0;
    std::vector<std::pair<int, int>> ranges;
  };
  StaleTitles stale_cols_;
  StaleTitles stale_rows_;
  bool retitling_ = false;
  // Up to `count` columns at the end, as many as the grid's limits allow.
  void add_columns_at_end(int count);
  // Inside a bulk: marks the refit pending and returns true (the scroll
  // handlers then leave the lines alone).
  bool scroll_waits_for_bulk();
  // Whether the self-extension may remove column `col` once it is the last:
  // empty, not selected whole, not the right column of a selected range.
  bool column_may_go(int col) const;
  // The same for row `row`: empty, not selected whole, not the bottom row of
  // a selected range.
  bool row_may_go(int row) const;
  // One past the last row before `rows` that is selected whole or ends a
  // selected range (0 for none): of the first `rows` rows, none before it
  // leaves with the trailing rows.
  int rows_selection_keeps(int rows) const;
  void watch_titles();
  // Sections first..last (last < 0: first to the end) may have a wrong title.
  void mark_titles_stale(Qt::Orientation orientation, int first, int last = -1);
  // Gives every stale section of `orientation` its title; then none is stale.
  void retitle(Qt::Orientation orientation);
  // content() as last counted; dropped by every change the model reports.
  mutable std::optional<Content> content_;
  void watch_content();
  int bulk_depth_ = 0;
  bool extent_pending_ = false;
  bool fill_pending_ = false;
  std::vector<std::pair<QMetaObject::Connection, QMetaObject::Connection>> scroll_connections_;
};
