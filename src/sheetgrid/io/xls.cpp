#include "sheetgrid/io/xls.h"

#include "sheetgrid/io/atomicfile.h"
#include "sheetgrid/io/biff_reader.h"
#include "sheetgrid/io/biff_writer.h"
#include "sheetgrid/io/ole2_container.h"
#include "sheetgrid/io/tablesize.h"

namespace trelvo::io {

struct XlsReader::Data {
  QByteArray stream;
  biff::Globals globals;
  std::vector<biff::Extent> extents;

  biff::ByteView view() const {
    return biff::ByteView(reinterpret_cast<const unsigned char*>(stream.constData()),
                          static_cast<std::size_t>(stream.size()));
  }
};

std::shared_ptr<const XlsReader::Data> XlsReader::open(QByteArray stream) {
  auto d = std::make_shared<Data>();
  d->stream = std::move(stream);
  d->globals = biff::read_globals(d->view());
  d->extents = biff::check_sheets(d->view(), d->globals);
  return d;
}

XlsReader::XlsReader(const QString& path) : d_(open(ole2::read_workbook_stream(path))) {}

XlsReader XlsReader::fromBytes(const QByteArray& file) {
  return XlsReader(open(ole2::read_workbook_stream_from_bytes(file)));
}

QStringList XlsReader::sheetNames() const {
  QStringList names;
  for (const biff::SheetEntry& s : d_->globals.sheets) names << s.name;
  return names;
}

Table XlsReader::readSheet(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= d_->globals.sheets.size())
    throw IoError(QStringLiteral("list index out of range: sheet %1 of %2").arg(index).arg(d_->globals.sheets.size()));
  const biff::SheetEntry& sheet = d_->globals.sheets[static_cast<std::size_t>(index)];
  TableBuilder cells;
  biff::read_sheet(d_->view(), d_->globals, sheet.offset,
                   [&cells](int row, int col, const QString& text) { cells.put(row, col, text); });
  Table t = cells.finish();
  t.sheet_name = sheet.name;
  return t;
}

void write_xls(const QString& path, const TextRows& rows) {
  const QByteArray bytes = ole2::make_workbook_file(biff::build_workbook_stream(rows));
  AtomicFile file(path);
  file.write(bytes);
  file.verifyContent(bytes);
  file.commit();
}

}  // namespace trelvo::io
