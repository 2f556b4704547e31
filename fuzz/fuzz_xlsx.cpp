// links: sheetgrid_io
// The XLSX reader on arbitrary bytes: every sheet is read; each step returns
// or throws IoError. The decompression cap is lowered to keep runs fast.
#include <cstddef>
#include <cstdint>

#include "sheetgrid/io/xlsx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    trelvo::io::XlsxReader reader(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                                  64 << 20);
    reader.activeSheet();
    for (int i = 0; i < reader.sheetNames().size(); ++i) {
      try {
        reader.readSheet(i);
      } catch (const trelvo::io::IoError&) {
      }
    }
  } catch (const trelvo::io::IoError&) {
  }
  return 0;
}
