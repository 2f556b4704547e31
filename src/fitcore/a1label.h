#pragma once
// A1 cell labels ("B12": column letters, then the 1-based row number) and
// their 0-based rows and columns.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "fitcore/export.h"

namespace trelvo::a1 {

// Column letters of a 0-based column: 0 "A", 25 "Z", 26 "AA", 16383 "XFD";
// "" for a negative column.
TRELVO_EXPORT std::string column_letters(long long col);

// Label of a 0-based cell: (11, 1) "B12". nullopt when the row or the column
// is negative.
TRELVO_EXPORT std::optional<std::string> cell_label(long long row, long long col);

// What parse_label accepts.
enum class Syntax {
  // "b12": ASCII letters in either case, then decimal digits (any Unicode
  // decimal digit of the Basic Multilingual Plane); text may follow.
  Formula,
  // "B12" or "$B$12" as a workbook writes a reference: a "$" may stand before
  // the letters and before the digits, digits are 0-9 only, nothing follows.
  Workbook,
};

struct Label {
  long long row = 0;         // 0-based: the number as written minus one ("A0" gives -1)
  long long col = 0;         // 0-based
  std::size_t letters = 0;   // column letters read
  std::size_t length = 0;    // UTF-16 units read
};

// Reads the label at the start of `text` (UTF-16). nullopt when the letters
// or the digits are missing, when (Workbook) anything follows them, or when
// the 0-based column or (Formula) row is past INT_MAX. A Workbook row past
// INT_MAX reads as INT_MAX + 1, for the caller's own row limit to refuse.
TRELVO_EXPORT std::optional<Label> parse_label(std::u16string_view text, Syntax syntax = Syntax::Formula);

}  // namespace trelvo::a1
