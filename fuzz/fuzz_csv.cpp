// links: sheetgrid_io
// The CSV reader on arbitrary bytes: it returns a table or throws IoError.
#include <cstddef>
#include <cstdint>

#include "sheetgrid/io/csv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    trelvo::io::parse_csv(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  } catch (const trelvo::io::IoError&) {
  }
  return 0;
}
