// Every grid within its limits saves in every format and loads back cell for
// cell: one filled to the filled-cell limit (no command or typed key takes
// it further), and 1,000,000 distinct texts of 70 characters (71 MB of CSV).
// The verified save must not refuse the program's own output for its size.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "fitcore/limits.h"
#include "sheetgrid/io/csv.h"
#include "sheetgrid/io/xls.h"
#include "sheetgrid/io/xlsx.h"

using trelvo::io::Table;
using trelvo::io::TextRows;

namespace {

struct Format {
  const char* name;
  void (*write)(const QString&, const TextRows&);
  Table (*read)(const QString&);
};
void PrintTo(const Format& f, std::ostream* os) { *os << f.name; }

const Format kFormats[] = {
    {"csv", trelvo::io::write_csv, trelvo::io::read_csv},
    {"xlsx", trelvo::io::write_xlsx, [](const QString& p) { return trelvo::io::XlsxReader(p).readSheet(0); }},
    {"xls", trelvo::io::write_xls, [](const QString& p) { return trelvo::io::XlsReader(p).readSheet(0); }},
};

// `count` texts made by `text`, in rows of `width` (an XLS sheet holds 256
// columns and 65,536 rows).
TextRows laid_out(qint64 count, int width, const std::function<QString(qint64)>& text) {
  TextRows rows(static_cast<std::size_t>((count + width - 1) / width));
  for (qint64 i = 0; i < count; ++i) rows[static_cast<std::size_t>(i / width)].push_back(text(i));
  return rows;
}

void expect_loads_back(const Format& format, const TextRows& rows) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("grid.") + QLatin1String(format.name));
  ASSERT_NO_THROW(format.write(path, rows));
  Table table;
  ASSERT_NO_THROW(table = format.read(path));
  ASSERT_EQ(static_cast<std::size_t>(table.height), rows.size());
  // Every text written is a value of the table at its place, and nothing else is.
  std::size_t k = 0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c, ++k) {
      ASSERT_LT(k, table.cells.size()) << "row " << r << ", column " << c;
      const trelvo::io::Cell& cell = table.cells[k];
      ASSERT_TRUE(cell.row == static_cast<int>(r) && cell.col == static_cast<int>(c) && cell.text == rows[r][c])
          << "row " << r << ", column " << c;
    }
  }
  ASSERT_EQ(k, table.cells.size());
}

class SavesAtTheLimits : public testing::TestWithParam<Format> {};

TEST_P(SavesAtTheLimits, GridFilledToTheLimit) {
  const qint64 filled = trelvo::limits::kMaxFilledCells;
  expect_loads_back(GetParam(), laid_out(filled, 250, [](qint64 i) { return QString::number(i); }));
}

TEST_P(SavesAtTheLimits, MillionDistinctTextsOf70Characters) {
  expect_loads_back(GetParam(), laid_out(1'000'000, 16, [](qint64 i) {
    return QStringLiteral("text %1 ").arg(i, 7, 10, QLatin1Char('0')).leftJustified(70, u'x');
  }));
}

INSTANTIATE_TEST_SUITE_P(Formats, SavesAtTheLimits, testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
