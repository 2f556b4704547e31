// Loading the grid from CSV, XLSX and XLS files and saving its content
// rectangle to them.
#include <QDebug>
#include <QMessageBox>

#include <exception>
#include <functional>

#include "fitcore/limits.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/filledbox.h"
#include "sheetgrid/io/csv.h"
#include "sheetgrid/io/table.h"
#include "sheetgrid/io/tablesize.h"
#include "sheetgrid/io/xls.h"
#include "sheetgrid/io/xlsx.h"

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
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("unknown error");
  }
}

// A load is refused before the grid changes when the grid as it will be
// after it (its present rows and columns grown to the table; trailing empty
// lines beyond the table dropped where the limits need it, see grown_size)
// passes the grid's limits, or when the table fills more cells than one load
// may place.
void check_fits_grid(const CleverTableWidget& grid, const Table& table) {
  const auto [rows, cols] = grid.grown_size(static_cast<qint64>(table.rows.size()), table.width);
  if (table.width < 0 || !trelvo::limits::fits_grid(rows, cols))
    throw IoError(QStringLiteral("The grid of %1 rows and %2 columns this table needs exceeds the grid's limits")
                      .arg(rows).arg(cols));
  qint64 filled = 0;
  for (const trelvo::io::Row& row : table.rows) {
    const std::size_t n = std::min(row.size(), static_cast<std::size_t>(table.width));
    for (std::size_t j = 0; j < n; ++j)
      if (row[j] && !is_empty_cell_text(*row[j])) ++filled;
  }
  trelvo::io::check_filled_cells(filled);
}

[[noreturn]] void no_sheet_chosen() { throw IoError(QStringLiteral("No sheet was chosen.")); }

// The load procedure shared by the three formats. `read` gives the whole
// table (after any sheet choice) or throws; `empty` says whether it counts as
// an empty table.
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
    const int height = static_cast<int>(table.rows.size());
    const int width = table.width;
    {
      CleverTableWidget::BulkGuard bulk(grid);
      grid.make_room_for(height, width);
      if (grid.columnCount() < width) {
        grid._set_column_count(width);
        grid.renumber_header_col();
      }
      if (grid.rowCount() < height) {
        grid.setRowCount(height);
        grid.renumber_header_row();
      }
      grid.clearContents();
      for (int i = 0; i < height; ++i) {
        trelvo::io::Row& row = table.rows[static_cast<std::size_t>(i)];
        const int n = std::min(width, static_cast<int>(row.size()));
        for (int j = 0; j < n; ++j) {
          const trelvo::io::Value& value = row[static_cast<std::size_t>(j)];
          if (!value || is_empty_cell_text(*value)) continue;
          // A text without "=" is no formula: the cell is built whole before it
          // is placed, which the grid announces once. A formula is placed
          // first, so that it sees the cells placed before it.
          if (value->contains(QLatin1Char('=')))
            grid.set_cell_text(i, j, *value);
          else
            grid.setItem(i, j, new CleverTableWidgetItem(*value));
        }
        // The cells now share the texts: the row goes, so that the table and
        // the grid are never both held whole.
        trelvo::io::Row().swap(row);
      }
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
      [](const Table& t) { return t.rows.empty(); });
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
        if (t.rows.empty()) return true;
        if (t.rows.size() == 1 && t.width == 1) {
          const trelvo::io::Row& row = t.rows.front();
          return row.empty() || !row.front() || row.front()->isEmpty();
        }
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
      [](const Table& t) { return t.rows.empty(); });
}

void CleverTableWidget::save_csv(const QString& path) { save_table(*this, path, trelvo::io::write_csv); }

void CleverTableWidget::save_excel(const QString& path) { save_table(*this, path, trelvo::io::write_xlsx); }

void CleverTableWidget::save_excel03(const QString& path) { save_table(*this, path, trelvo::io::write_xls); }
