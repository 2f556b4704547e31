#include <xlsxwriter.h>

#include <QFile>
#include <QFileInfo>

#include "fitcore/a1label.h"
#include "sheetgrid/io/atomicfile.h"
#include "sheetgrid/io/utf8.h"
#include "sheetgrid/io/xlsx.h"
#include "sheetgrid/io/xlsxcheck.h"
#include "sheetgrid/io/xlsxescape.h"

namespace trelvo::io {
namespace {

QString cell_name(std::size_t row, std::size_t col) {
  return QString::fromStdString(a1::cell_label(static_cast<long long>(row), static_cast<long long>(col)).value());
}

// `stored` is the text as the library is handed it (escape_xlsx_text), whose
// length the library checks.
void check_text(const QString& text, const QString& stored, std::size_t row, std::size_t col) {
  if (text.contains(QChar(0))) {
    throw IoError(QStringLiteral("Cell %1 holds the control character U+0000, which a workbook cannot store")
                      .arg(cell_name(row, col)));
  }
  qsizetype points = 0;
  for (const QChar c : stored)
    if (!c.isLowSurrogate()) ++points;
  if (points > limits::kMaxXlsxCellChars) {
    throw IoError(QStringLiteral("Cell %1 holds %2 characters, more than the %3 a workbook cell holds")
                      .arg(cell_name(row, col)).arg(points).arg(limits::kMaxXlsxCellChars));
  }
}

[[noreturn]] void library_error(const char* step, lxw_error err) {
  throw IoError(QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromUtf8(lxw_strerror(err))));
}

struct WorkbookGuard {
  lxw_workbook* wb;
  ~WorkbookGuard() {
    if (wb) workbook_close(wb);  // frees it; the half-written temporary file is removed with its AtomicFile
  }
};

// The library does not notice every failed write of its scratch files (a
// member may end cut short in a well-formed zip), so the workbook is read
// back and checked whole (xlsxcheck.h).
void check_written(const AtomicFile& file, const TextRows& rows) {
  try {
    check_written_xlsx(file.readBack(), rows);
  } catch (const IoError& e) {
    throw IoError(QStringLiteral("The workbook written is damaged (%1): '%2'")
                      .arg(QString::fromUtf8(e.what()), file.targetPath()));
  }
}

}  // namespace

void write_xlsx(const QString& path, const TextRows& rows) {
  // Refuse what the format cannot hold before any file exists.
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      if (is_empty_cell_text(rows[r][c])) continue;
      if (r >= LXW_ROW_MAX) throw IoError(QStringLiteral("A workbook sheet holds at most %1 rows").arg(LXW_ROW_MAX));
      if (c >= LXW_COL_MAX) throw IoError(QStringLiteral("A workbook sheet holds at most %1 columns").arg(LXW_COL_MAX));
      check_text(rows[r][c], escape_xlsx_text(rows[r][c]), r, c);
      encode_utf8_strict(rows[r][c]);
    }
  }
  AtomicFile file(path);
  const QByteArray temp = QFile::encodeName(file.tempPath());
  // libxlsxwriter's own scratch files go beside the target too, not to a /tmp that may be full.
  QByteArray folder = QFile::encodeName(QFileInfo(file.tempPath()).absolutePath());
  lxw_workbook_options options{};
  options.tmpdir = folder.data();
  WorkbookGuard guard{workbook_new_opt(temp.constData(), &options)};
  if (!guard.wb) throw IoError(QStringLiteral("Cannot create the workbook '%1'").arg(path));
  lxw_worksheet* sheet = workbook_add_worksheet(guard.wb, "Sheet1");
  if (!sheet) throw IoError(std::string("Cannot add the sheet Sheet1"));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      if (is_empty_cell_text(rows[r][c])) continue;
      const QByteArray utf8 = escape_xlsx_text(rows[r][c]).toUtf8();
      const lxw_error err = worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                                   utf8.constData(), nullptr);
      if (err != LXW_NO_ERROR) library_error("Writing a cell failed", err);
    }
  }
  lxw_workbook* wb = guard.wb;
  guard.wb = nullptr;
  const lxw_error err = workbook_close(wb);
  if (err != LXW_NO_ERROR) library_error("Saving the workbook failed", err);
  check_written(file, rows);
  file.commit();
}

}  // namespace trelvo::io
