// links: sheetgrid_io Qt6::Core
// The XLS reader on untrusted bytes, and the writer's round trip. The first
// input byte picks the road (modulo 3):
//   0: the whole file through the OLE2 container (libgsf);
//   1: the rest taken directly as a BIFF workbook stream (the record parser
//      without the container, far faster to explore);
//   2: the rest as UTF-8 text, rows split at '\n' and cells at '\t', written
//      as a workbook and read back, which must give the same texts.
// Every input must end in a table or an IoError.
#include <cstddef>
#include <cstdint>

#include "sheetgrid/io/biff_reader.h"
#include "sheetgrid/io/biff_writer.h"
#include "sheetgrid/io/ole2_container.h"
#include "sheetgrid/io/xls.h"

// libgsf keeps a directory entry it allocated when it refuses some damaged
// OLE2 directories (inside gsf_infile_msole_new, allocated through GLib,
// whose frames carry no frame pointers); that leak is not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libglib\n"; }

namespace {

void read_file(const uint8_t* data, size_t size) {
  const auto book = trelvo::io::XlsReader::fromBytes(
      QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  for (int i = 0; i < book.sheetNames().size(); ++i) (void)book.readSheet(i);
}

void read_stream(const uint8_t* data, size_t size) {
  using namespace trelvo::io::biff;
  const ByteView stream(data, size);
  const Globals g = read_globals(stream);
  const std::vector<Extent> extents = check_sheets(stream, g);
  if (g.sheets.empty()) return;
  const Extent read = read_sheet(stream, g, g.sheets.front().offset, [](int, int, const QString&) {});
  if (read.end != extents.front().end) __builtin_trap();
}

void round_trip(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  trelvo::io::TextRows rows;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    std::vector<QString> row;
    for (const QString& cell : line.split(QLatin1Char('\t'))) row.push_back(cell);
    rows.push_back(std::move(row));
  }
  QByteArray file;
  try {
    file = trelvo::io::ole2::make_workbook_file(trelvo::io::biff::build_workbook_stream(rows));
  } catch (const trelvo::io::IoError&) {
    return;  // beyond the format's limits
  }
  const trelvo::io::Table t = trelvo::io::XlsReader::fromBytes(file).readSheet(0);
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      const QString& want = rows[r][c];
      const bool empty = want.isEmpty() || want == QLatin1String(" ");
      QString got;
      got = t.at(static_cast<int>(r), static_cast<int>(c)).value_or(QString());
      if (got != (empty ? QString() : want)) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int road = data[0] % 3;
  try {
    if (road == 0) read_file(data + 1, size - 1);
    if (road == 1) read_stream(data + 1, size - 1);
    if (road == 2) round_trip(data + 1, size - 1);
  } catch (const trelvo::io::IoError&) {
    if (road == 2) __builtin_trap();
  }
  return 0;
}
