#include "fitcore/a1label.h"

#include <climits>

#include "fitcore/numtext.h"

namespace trelvo::a1 {

std::string column_letters(long long col) {
  std::string letters;
  while (col >= 0) {
    letters.insert(letters.begin(), static_cast<char>('A' + col % 26));
    col = col / 26 - 1;
  }
  return letters;
}

std::optional<std::string> cell_label(long long row, long long col) {
  if (row < 0 || col < 0) return std::nullopt;
  return column_letters(col) + std::to_string(static_cast<unsigned long long>(row) + 1);
}

std::optional<Label> parse_label(std::u16string_view text, Syntax syntax) {
  const bool workbook = syntax == Syntax::Workbook;
  const std::size_t n = text.size();
  std::size_t i = 0;
  if (workbook && i < n && text[i] == u'$') ++i;
  // Both numbers stop growing once past INT_MAX + 1 (refused below), so that
  // long labels cannot overflow.
  constexpr long long kPast = static_cast<long long>(INT_MAX) + 2;
  Label label;
  long long col = 0;
  while (i < n) {
    char16_t c = text[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c < u'A' || c > u'Z') break;
    if (col < kPast) col = col * 26 + (c - u'A' + 1);
    ++label.letters;
    ++i;
  }
  if (label.letters == 0) return std::nullopt;
  if (workbook && i < n && text[i] == u'$') ++i;
  long long number = 0;
  std::size_t digits = 0;
  for (; i < n; ++i, ++digits) {
    const char16_t c = text[i];
    const int d = workbook ? (c >= u'0' && c <= u'9' ? c - u'0' : -1) : unicode_digit(c);
    if (d < 0) break;
    if (number < kPast) number = number * 10 + d;
  }
  if (digits == 0 || (workbook && i != n)) return std::nullopt;
  if (workbook && number > kPast) number = kPast;
  if (col - 1 > INT_MAX || (!workbook && number - 1 > INT_MAX)) return std::nullopt;
  label.row = number - 1;
  label.col = col - 1;
  label.length = i;
  return label;
}

}  // namespace trelvo::a1
