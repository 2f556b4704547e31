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

// What the grid holds, the one bound for every way cells are filled: a load
// places at most this many non-empty cells, and typing, paste, column paste
// and formula fill are refused where they would pass it, so that every grid
// saved loads again. Each filled cell is an item of a few hundred bytes, well
// below kMaxCells; a sheet of 1,048,576 x 2 cells fits.
inline constexpr std::int64_t kMaxFilledCells = 2'100'000;

// Most UTF-16 units of cell text the grid holds, summed over its filled cells
// (each as a save writes it: a formula's result), with the same reach as
// kMaxFilledCells: a sheet of 2,000,000 cells of 60 characters still loads.
inline constexpr std::int64_t kMaxTextUnits = 128LL * 1024 * 1024;

// Formula work one load may do, in units of one character of formula text
// checked or evaluated, or one reference read. Each distinct formula text is
// checked once and a formula without references evaluated once, so a text
// shared by many cells costs little; past the budget the load is refused.
// The whole budget costs about two seconds; a table of kMaxFilledCells
// distinct short formulas such as =B1048576*2 (11 characters checked, 10
// evaluated, one reference each) stays within it.
inline constexpr std::int64_t kMaxLoadFormulaWork = 48LL * 1024 * 1024;
static_assert(kMaxFilledCells * (11 + 10 + 1) <= kMaxLoadFormulaWork);

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

// Symbolic links a save follows to find the file it replaces, folders and
// the final name together: the system's own bound for one path lookup (the
// kernel's MAXSYMLINKS), so a save reaches every file a load opens, and a
// path that needs more (a loop among links) fails as opening it does.
inline constexpr int kMaxSaveLinkHops = 40;

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
inline constexpr std::size_t kMaxXlsxSharedStringChars = static_cast<std::size_t>(kMaxTextUnits);
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

// XML of one load (the parts read when a workbook is opened and the sheet
// then read), all parts together: the elements it may hold and the
// characters it may spend on what the reader passes over (blanks between
// tags, comments, processing instructions, text it does not read, such as a
// formula beside its stored result, and the text of attributes), so that
// parsing costs in proportion to the values the load reads. Each value read
// (a cell of the sheet that adds a value to the table, and the shared string
// the first such cell reads) pays for kXmlElementsPerValue elements (a
// formula cell alone in its row: row, cell, formula, value) and
// kXmlPassedOverCharsPerValue characters (so that a sheet with a value in
// every row of the grid may spend all its decompressed bytes on indentation
// and formulas). A fixed base, shared by every part of the load, pays for
// what holds no value: empty rows and cells, unknown elements, the parts
// that describe the sheet.
inline constexpr std::int64_t kXmlBaseElements = 5 * kMaxFilledCells;
inline constexpr std::int64_t kXmlBasePassedOverChars = 32 * kMaxFilledCells;
inline constexpr std::int64_t kXmlElementsPerValue = 4;
inline constexpr std::int64_t kXmlPassedOverCharsPerValue = kMaxDecompressedBytes / kMaxRows;

// Characters of an element, attribute or namespace prefix name that are not
// charged as passed over: the names workbooks use are shorter; a longer
// name pays for the rest, as attribute values do for all of theirs.
inline constexpr std::int64_t kXmlFreeNameChars = 32;

// The parts that only describe the sheet (content types, workbook,
// relationships, styles), together, within the base above: four elements
// and 32 characters passed over for each cell style a workbook may hold (an
// <xf> with its alignment and protection, a share of the fonts, fills and
// borders, each element on its own indented line).
inline constexpr std::int64_t kMaxXmlDescriptionElements = 4 * static_cast<std::int64_t>(kMaxXlsxCellStyles);
inline constexpr std::int64_t kMaxXmlDescriptionPassedOverChars = 32 * static_cast<std::int64_t>(kMaxXlsxCellStyles);

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
