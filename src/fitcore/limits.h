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

// True when a grid of `rows` rows and `cols` columns is within the three
// limits above.
constexpr bool fits_grid(std::int64_t rows, std::int64_t cols) {
  return rows <= kMaxRows && cols <= kMaxCols && rows * cols <= kMaxCells;
}

// Most non-empty cells the grid's bulk commands (paste, column paste,
// formula fill) leave in the grid: what it holds in memory (each filled cell
// is an item of a few hundred bytes), well below kMaxCells.
inline constexpr std::int64_t kMaxFilledCells = 2'000'000;

// Cells typed one at a time may take the grid past kMaxFilledCells; a load
// accepts this many filled cells more, so that such a grid, once saved,
// loads again.
inline constexpr std::int64_t kTypedCellsMargin = 100'000;
inline constexpr std::int64_t kMaxLoadFilledCells = kMaxFilledCells + kTypedCellsMargin;

// Most UTF-16 units of cell text one load places, summed over its filled
// cells: a sheet of kMaxFilledCells cells of 60 characters still loads.
inline constexpr std::int64_t kMaxLoadTextUnits = 128LL * 1024 * 1024;

// Formula work one load may do, in units of one character of formula text
// checked or evaluated, or one reference read. Each distinct formula text is
// checked once and a formula without references evaluated once, so a text
// shared by many cells costs little; past the budget the load is refused.
// The whole budget costs about two seconds; a table of kMaxLoadFilledCells
// distinct short formulas such as =B1048576*2 (11 characters checked, 10
// evaluated, one reference each) stays within it.
inline constexpr std::int64_t kMaxLoadFormulaWork = 48LL * 1024 * 1024;
static_assert(kMaxLoadFilledCells * (11 + 10 + 1) <= kMaxLoadFormulaWork);

// The memory a load needs before the grid grows, as the load estimates it:
// bytes per place of the grown grid (its item pointer, twice while the list
// grows), bytes per placed cell or header item (the item, its texts' role
// data and the allocator's share), and the reserve that must stay free
// beyond the estimate. A load whose estimate plus reserve does not fit the
// address-space limit or the system's available memory is refused.
inline constexpr std::int64_t kLoadPlaceBytes = 16;
inline constexpr std::int64_t kLoadItemBytes = 512;
inline constexpr std::int64_t kLoadMemoryReserve = 128LL * 1024 * 1024;

// Longest cell text the XLSX reader accepts (a shared or inline string, in
// UTF-16 units, after its escapes are resolved).
inline constexpr std::size_t kMaxCellTextUnits = 32'767 * 4;

// Longest CSV value the reader takes, in code points (Python's
// field_size_limit).
inline constexpr std::int64_t kMaxCsvFieldChars = 131'072;

// Longest cell text an XLSX workbook stores, in code points.
inline constexpr std::int64_t kMaxXlsxCellChars = 32'767;

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

// XLSX workbooks: the most shared strings and the most characters they hold
// together (as many as one load places, so that every workbook saved from a
// grid that loaded reads again), the most cell styles (<xf> of <cellXfs>)
// and custom number formats, and the longest number format code.
inline constexpr std::size_t kMaxXlsxSharedStrings = 4'000'000;
inline constexpr std::size_t kMaxXlsxSharedStringChars = static_cast<std::size_t>(kMaxLoadTextUnits);
inline constexpr std::size_t kMaxXlsxCellStyles = 1'000'000;
inline constexpr std::size_t kMaxXlsxNumberFormats = 100'000;
inline constexpr std::size_t kMaxNumberFormatChars = 4096;

// Characters of all custom number format codes of a workbook together, each
// of which the reader scans: 1,024 codes at the longest, or every one of
// kMaxXlsxNumberFormats at 41 characters (a spreadsheet program keeps a few
// hundred codes of at most 255).
inline constexpr std::size_t kMaxNumberFormatTotalChars = 4 * 1024 * 1024;

// XML parts of a workbook: the most attributes of one element, namespace
// declarations in scope at once, element nesting depth, and the longest text
// run (characters or CDATA between two tags) and markup (one tag, comment or
// processing instruction), in code units of the part's encoding. The text
// run holds a cell text of kMaxCellTextUnits characters written as character
// references.
inline constexpr int kMaxXmlAttributes = 64;
inline constexpr int kMaxXmlNamespaceDeclarations = 128;
inline constexpr int kMaxXmlDepth = 128;
inline constexpr std::int64_t kMaxXmlTextRun = 2 * 1024 * 1024;
inline constexpr std::int64_t kMaxXmlMarkup = 1024 * 1024;

// XML parts of a workbook, in total: the most elements of one part, and the
// most characters one part may spend on what the reader passes over (blanks
// between tags, comments, processing instructions, text outside the values
// it reads), so that parsing a part costs in proportion to the cells it may
// hold. A sheet of kMaxFilledCells cells on kMaxRows rows, each cell with an
// inline text (three elements), needs 7.05 million elements, the shared
// strings of kMaxXlsxSharedStrings plain texts 8 million; 24 blanks a cell
// indent such a sheet written one element a line.
inline constexpr std::int64_t kMaxXmlElements = 5 * kMaxFilledCells;
inline constexpr std::int64_t kMaxXmlPassedOverChars = 32 * kMaxFilledCells;

// Evaluator: longest accepted expression text, deepest nesting, and the
// largest array it evaluates on.
inline constexpr std::size_t kMaxExpressionBytes = 64 * 1024;
inline constexpr int kMaxExpressionDepth = 200;
inline constexpr std::size_t kMaxArrayLength = 100'000'000;

// Fitted curve: most points of a refined curve (level 6); a higher level is
// refused. An unrefined curve has one point per data row.
inline constexpr std::int64_t kMaxCurvePoints = 1'000'000;

// Debug lines: a list of at most kDebugListWhole values is written whole; a
// longer one as its first and last kDebugListEnds values.
inline constexpr std::size_t kDebugListWhole = 20;
inline constexpr std::size_t kDebugListEnds = 5;

// Chart view: its size at start, and the range the size dialog offers for
// each side, in pixels.
inline constexpr int kChartStartWidth = 720;
inline constexpr int kChartStartHeight = 385;
inline constexpr int kChartSideMin = 10;
inline constexpr int kChartSideMax = 5000;

// Fitted curve: a refined curve above this level (10^level points) asks
// first whether to go on.
inline constexpr int kCurveLevelAsked = 5;

// Chart series: above this many points per device-pixel column of the plot
// area a series is drawn from its reduced point list.
inline constexpr int kChartPointsPerPixelColumn = 4;
// Chart series: most Qt series one list with points that are not finite is
// drawn as; beyond it the narrowest gaps are bridged.
inline constexpr int kMaxChartPieces = 64;

}  // namespace trelvo::limits
