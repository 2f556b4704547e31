#pragma once
// Workbook dates and times as text, the way Python shows the values openpyxl
// gives for them (str() of datetime, date, time and timedelta).
#include <QString>
#include <optional>

namespace trelvo::io {

// The text of a date-formatted serial number: "2024-03-01 12:30:00" (with
// ".ffffff" when there are fractional seconds), "12:30:00" for a serial in
// [0, 1) that stays within the day, and for a duration format ("[h]:mm:ss")
// a duration "1 day, 2:03:04". Times are rounded to milliseconds. Serials
// count days from 1899-12-30 (with the 1900 leap-day shift below 60), or from
// 1904-01-01 when `mac1904`. Returns nullopt when the serial is outside the
// dates Python can hold (years 1 to 9999), or not finite.
std::optional<QString> excel_serial_text(double serial, bool mac1904, bool duration);

// The text of an ISO 8601 cell value (cells of type "d"): "2024-03-01",
// "12:30:00", "2024-03-01 12:30:00" or a duration "PT1H30M" as "1:30:00".
// Throws IoError for a text that is neither.
QString iso8601_text(const QString& value);

// Whether a number format code shows a date or time (openpyxl's rule: a date
// letter d m h y s, not escaped by a backslash nor the first character, in
// the first section outside quoted literals and [..] groups other than
// [h] [m] [s]), and whether it shows a duration ([h], [mm], [ss] ...). Both
// take time linear in the code's length.
bool is_date_format(const QString& code);
bool is_duration_format(const QString& code);

// The code of a built-in number format id, or an empty text for an id
// without one.
QString builtin_number_format(int id);

}  // namespace trelvo::io
