// Loading the grid from CSV, XLSX and XLS files and saving its content
// rectangle to them.
#include <QDebug>
#include <QMessageBox>

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/filledbox.h"
#include "sheetgrid/memoryroom.h"
#include "sheetgrid/io/csv.h"
#include "sheetgrid/io/table.h"
#include "sheetgrid/io/tablesize.h"
#include "sheetgrid/io/xls.h"
#include "sheetgrid/io/xlsx.h"
#include "sheetgriditem/formulacache.h"

namespace {

using trelvo::io::IoError;
using trelvo::io::is_empty_cell_text;
using trelvo::io::Table;
using trelvo::io::TextRows;

enum class TableKind { Csv, Workbook };

// The description of a caught error, for the failure box and the debug line.
QString error_text(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return QStringLiteral("out of memory");
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("unknown error");
  }
}

// A load empties every line beyond the table; its checks and its growth
// both size the grid with this.
constexpr CleverTableWidget::Beyond kLoadBeyond = CleverTableWidget::Beyond::Cleared;

// The grid as the load leaves it: the size every check looks at.
std::pair<qint64, qint64> loaded_size(const CleverTableWidget& grid, const Table& table) {
  return grid.grown_size(table.height, table.width, kLoadBeyond);
}

// A load is refused before the grid changes when the grid as it will be
// after it (its present rows and columns grown to the table; lines beyond
// the table dropped where the limits need it, see loaded_size) passes the
// grid's limits, so only when the table alone does, or when the table fills
// more cells than one load may place.
void check_fits_grid(const CleverTableWidget& grid, const Table& table) {
  const auto [rows, cols] = loaded_size(grid, table);
  if (table.width < 0 || table.height < 0 || !trelvo::limits::fits_grid(rows, cols))
    throw IoError(QStringLiteral("The grid of %1 rows and %2 columns this table needs exceeds the grid's limits")
                      .arg(rows).arg(cols));
  qint64 filled = 0;
  for (const trelvo::io::Cell& cell : table.cells)
    if (cell.col < table.width && !is_empty_cell_text(cell.text)) ++filled;
  trelvo::io::check_filled_cells(filled);
}

// Qt cannot recover from a failed allocation while the grid grows: the load
// is refused before, when its estimated memory (the places of the grid as
// the load leaves it, when the rows grow or the columns change, which on a
// tall grid lays out every row again; the new cells and header items) and
// the reserve exceed what the process may still take.
void check_memory(const CleverTableWidget& grid, const Table& table) {
  namespace L = trelvo::limits;
  const auto [rows, cols] = loaded_size(grid, table);
  const bool rebuilt = rows > grid.rowCount() || cols != grid.columnCount();
  const qint64 headers = std::max<qint64>(rows - grid.rowCount(), 0) + std::max<qint64>(cols - grid.columnCount(), 0);
  const qint64 need = (rebuilt ? rows * cols * L::kLoadPlaceBytes : 0) +
                      (static_cast<qint64>(table.cells.size()) + headers) * L::kLoadItemBytes;
  const qint64 room = trelvo::memory_room();
  if (room >= 0 && need + L::kLoadMemoryReserve > room)
    throw IoError(QStringLiteral("The grid needs about %1 MiB for this table, more than the %2 MiB of memory left")
                      .arg((need + L::kLoadMemoryReserve) >> 20).arg(room >> 20));
}

[[noreturn]] void no_sheet_chosen() { throw IoError(QStringLiteral("No sheet was chosen.")); }

using Items = std::vector<std::unique_ptr<CleverTableWidgetItem>>;

// The new cells of `table`, one per place (null for an empty text), built
// before the grid changes. In row-major order, each formula is evaluated
// seeing the cells built before it and no others, as the grid holds them
// while it is filled; every formula text is checked once per load. Throws
// IoError once the formula work passes its budget, and std::bad_alloc when
// memory runs out, also inside a formula's evaluation: the load is refused
// rather than placing cells that show "#ERR: out of memory".
Items build_cells(const Table& table) {
  const std::vector<trelvo::io::Cell>& cells = table.cells;
  Items items(cells.size());
  std::size_t current = 0;
  FormulaCache cache;
  FormulaSite site;
  site.cache = &cache;
  site.out_of_memory_ends_run = true;
  site.lookup = [&](int row, int col) -> const QTableWidgetItem* {
    const auto end = cells.begin() + static_cast<std::ptrdiff_t>(current);
    const auto it = std::lower_bound(cells.begin(), end, std::make_pair(row, col),
                                     [](const trelvo::io::Cell& c, const std::pair<int, int>& key) {
                                       return std::make_pair(c.row, c.col) < key;
                                     });
    if (it == end || it->row != row || it->col != col) return nullptr;
    return items[static_cast<std::size_t>(it - cells.begin())].get();
  };
  for (; current < cells.size(); ++current) {
    const trelvo::io::Cell& cell = cells[current];
    if (cell.col >= table.width || is_empty_cell_text(cell.text)) continue;
    if (!cell.text.contains(QLatin1Char('='))) {
      items[current] = std::make_unique<CleverTableWidgetItem>(cell.text);
      continue;
    }
    site.row = cell.row;
    site.column = cell.col;
    items[current] = std::make_unique<CleverTableWidgetItem>();
    items[current]->setTextAt(cell.text, site);
    if (cache.work() > trelvo::limits::kMaxLoadFormulaWork)
      throw IoError(QStringLiteral("The formulas of the table need more work than one load may do (%1 units)")
                        .arg(trelvo::limits::kMaxLoadFormulaWork));
  }
  return items;
}

// The load procedure shared by the three formats. `read` gives the whole
// table (after any sheet choice) or throws; `empty` says whether it counts as
// an empty table. Every cell is made before the grid changes, so a refused or
// failed load leaves the grid as it was.
void load_table(CleverTableWidget& grid, const QString& path, TableKind kind,
                const std::function<Table()>& read, const std::function<bool(const Table&)>& empty) {
  if (path.isEmpty()) return;
  try {
    Table table = read();
    if (empty(table)) {
      QMessageBox::critical(&grid, CleverTableWidget::tr("加载错误"),
                            kind == TableKind::Csv ? CleverTableWidget::tr("CSV文件没有内容")
                                                   : CleverTableWidget::tr("Excel文件没有内容"));
      return;
    }
    check_fits_grid(grid, table);
    check_memory(grid, table);
    Items items = build_cells(table);
    const int height = table.height;
    const int width = table.width;
    {
      CleverTableWidget::BulkGuard bulk(grid);
      // Emptied first: lines beyond the table that the limits need gone
      // then leave without their cells being moved on a tall grid.
      grid.clearContents();
      grid.make_room_for(height, width, kLoadBeyond);
      if (grid.columnCount() < width) {
        grid._set_column_count(width);
        grid.renumber_header_col();
      }
      if (grid.rowCount() < height) {
        grid.setRowCount(height);
        grid.renumber_header_row();
      }
      for (std::size_t k = 0; k < items.size(); ++k)
        if (items[k]) grid.setItem(table.cells[k].row, table.cells[k].col, items[k].release());
      // Also when no cell was placed: the emptied grid's extent is recomputed
      // once, as the bulk ends.
      grid._max_content_pos();
    }
    qDebug().noquote() << QStringLiteral("Loaded file: %1").arg(path);
    if (kind == TableKind::Workbook) qDebug().noquote() << QStringLiteral("Loaded sheet: %1").arg(table.sheet_name);
  } catch (...) {
    const QString description = error_text(std::current_exception());
    trelvo::show_filled_box(&grid, QMessageBox::Critical, CleverTableWidget::tr("加载错误"),
                            CleverTableWidget::tr("加载文件失败\n\n%1"), description);
    qDebug().noquote() << QStringLiteral("Error loading file: %1").arg(description);
  }
}

// The save template shared by the three formats: the content rectangle's
// cell texts, as the extent stands, handed to `write`.
void save_table(CleverTableWidget& grid, const QString& path,
                const std::function<void(const QString&, const TextRows&)>& write) {
  if (path.isEmpty()) return;
  try {
    TextRows rows;
    const int last_row = grid.max_content_row;
    const int last_col = grid.max_content_col;
    // A grid without columns still has its row 0: one record of no values.
    if (last_row >= 0) {
      rows.reserve(static_cast<std::size_t>(last_row) + 1);
      for (int r = 0; r <= last_row; ++r) {
        std::vector<QString> record;
        record.reserve(static_cast<std::size_t>(last_col) + 1);
        for (int c = 0; c <= last_col; ++c) record.push_back(cellText(grid.item(r, c)));
        rows.push_back(std::move(record));
      }
    }
    write(path, rows);
  } catch (...) {
    const QString description = error_text(std::current_exception());
    trelvo::show_filled_box(&grid, QMessageBox::Critical, CleverTableWidget::tr("保存错误"),
                            CleverTableWidget::tr("保存文件时出现错误\n\n%1"), description);
    qDebug().noquote() << QStringLiteral("Error saving file: %1").arg(description);
    return;
  }
  trelvo::show_filled_box(&grid, QMessageBox::Information, CleverTableWidget::tr("保存成功"),
                          CleverTableWidget::tr("文件已保存至：%1"), path);
  qDebug().noquote() << QStringLiteral("Saved file: %1").arg(path);
}

}  // namespace

void CleverTableWidget::load_csv(const QString& path) {
  load_table(
      *this, path, TableKind::Csv, [&] { return trelvo::io::read_csv(path); },
      [](const Table& t) { return t.empty(); });
}

void CleverTableWidget::load_excel03(const QString& path) {
  load_table(
      *this, path, TableKind::Workbook,
      [&] {
        const trelvo::io::XlsReader reader(path);
        const QStringList names = reader.sheetNames();
        int index = 0;
        if (names.size() > 1) {
          const auto choice = _dialog_choose_sheet(names);
          if (!choice) no_sheet_chosen();
          index = choice->second;
        }
        return reader.readSheet(index);
      },
      [](const Table& t) {
        if (t.height == 0) return true;
        if (t.height == 1 && t.width == 1) return t.at(0, 0).value_or(QString()).isEmpty();
        return false;
      });
}

void CleverTableWidget::load_excel(const QString& path) {
  load_table(
      *this, path, TableKind::Workbook,
      [&] {
        const trelvo::io::XlsxReader reader(path);
        const QStringList names = reader.sheetNames();
        int index = reader.activeSheet();
        if (names.size() > 1) {
          // The active sheet preselected by its position, as two sheets may share a name.
          const auto choice = _dialog_choose_sheet(names, std::nullopt, index);
          if (!choice) no_sheet_chosen();
          index = choice->second;
        }
        return reader.readSheet(index);
      },
      [](const Table& t) { return t.empty(); });
}

void CleverTableWidget::save_csv(const QString& path) { save_table(*this, path, trelvo::io::write_csv); }

void CleverTableWidget::save_excel(const QString& path) { save_table(*this, path, trelvo::io::write_xlsx); }

void CleverTableWidget::save_excel03(const QString& path) { save_table(*this, path, trelvo::io::write_xls); }
