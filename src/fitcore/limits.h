#pragma once
// Every size limit of the system, in one place. The loaders, the grid, the
// evaluator and the chart read them from here.
#include <cstddef>
#include <cstdint>

namespace trelvo::limits {

// Largest grid the loaders and paste will build (rows x columns).
inline constexpr int kMaxRows = 1'048'576;
inline constexpr int kMaxCols = 16'384;
inline constexpr std::int64_t kMaxCells = 20'000'000;

// Longest cell text accepted from a file or the clipboard.
inline constexpr std::size_t kMaxCellTextBytes = 32'767 * 4;

// Decompressed bytes read from one workbook (counted while streaming); also
// the largest table file (CSV or workbook) read into memory.
inline constexpr std::int64_t kMaxDecompressedBytes = 512LL * 1024 * 1024;

// The XLS (BIFF8) format's own bounds: rows and columns of a sheet, UTF-16
// units of one cell text, worksheets of a workbook (16-bit sheet indexes);
// and the most shared strings read from one workbook.
inline constexpr int kXlsMaxRows = 65'536;
inline constexpr int kXlsMaxCols = 256;
inline constexpr int kXlsMaxCellChars = 32'767;
inline constexpr int kXlsMaxSheets = 65'535;
inline constexpr std::size_t kMaxSharedStrings = 4'000'000;

// Evaluator: longest accepted expression text, deepest nesting, and the
// largest array it evaluates on.
inline constexpr std::size_t kMaxExpressionBytes = 64 * 1024;
inline constexpr int kMaxExpressionDepth = 200;
inline constexpr std::size_t kMaxArrayLength = 100'000'000;

// Fitted curve: most points drawn, and the refused level beyond it.
inline constexpr std::int64_t kMaxCurvePoints = 10'000'000;

// Chart series: above this many points per device-pixel column of the plot
// area a series is drawn from its reduced point list.
inline constexpr int kChartPointsPerPixelColumn = 4;

}  // namespace trelvo::limits
