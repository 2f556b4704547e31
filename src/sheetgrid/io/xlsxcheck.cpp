#include "sheetgrid/io/xlsxcheck.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <future>
#include <limits>

#include "fitcore/a1label.h"
#include "sheetgrid/io/zipreader.h"

namespace trelvo::io {
namespace {

const QString kWorkbook = QStringLiteral("xl/workbook.xml");
const QString kSheet = QStringLiteral("xl/worksheets/sheet1.xml");
const QString kSharedStrings = QStringLiteral("xl/sharedStrings.xml");

QString cell_name(qint64 row, qint64 col) {
  return QString::fromStdString(a1::cell_label(row, col).value_or("?"));
}

// Feeds the member to `xml` as it inflates and hands each token to `token`;
// throws IoError when the member is damaged or not well-formed XML.
template <typename Token>
void parse_member(ZipReader& zip, const QString& name, Token&& token) {
  ZipReader::Member member = zip.open(name);
  QXmlStreamReader xml;
  xml.setNamespaceProcessing(false);
  for (;;) {
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.hasError()) break;
      token(xml);
    }
    if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) break;
    const QByteArray piece = member.next();
    if (piece.isEmpty()) break;
    xml.addData(piece);
  }
  if (xml.hasError())
    throw IoError(QStringLiteral("Malformed XML in '%1': %2").arg(name, xml.errorString()));
}

// The zero-based row and column of an A1 reference ("B3" gives 2, 1), or
// {-1, -1}.
std::pair<qint64, qint64> parse_ref(QStringView ref) {
  qint64 col = 0;
  qsizetype i = 0;
  for (; i < ref.size() && ref[i] >= u'A' && ref[i] <= u'Z' && i < 4; ++i) col = col * 26 + (ref[i].unicode() - u'A' + 1);
  qint64 row = 0;
  const qsizetype digits = i;
  for (; i < ref.size() && ref[i] >= u'0' && ref[i] <= u'9' && i - digits < 8; ++i) row = row * 10 + (ref[i].unicode() - u'0');
  if (digits == 0 || i == digits || i != ref.size() || row == 0) return {-1, -1};
  return {row - 1, col - 1};
}

// The places written, in the writer's order (row by row, left to right).
class ExpectedCells {
 public:
  explicit ExpectedCells(const TextRows& rows) : rows_(rows) { advance(); }
  bool done() const { return row_ >= rows_.size(); }
  std::pair<qint64, qint64> place() const { return {static_cast<qint64>(row_), static_cast<qint64>(col_)}; }
  void next() {
    ++col_;
    advance();
  }
  qint64 count() const {
    qint64 n = 0;
    for (const auto& row : rows_)
      for (const QString& text : row)
        if (!is_empty_cell_text(text)) ++n;
    return n;
  }

 private:
  void advance() {
    while (row_ < rows_.size()) {
      const auto& row = rows_[row_];
      while (col_ < row.size() && is_empty_cell_text(row[col_])) ++col_;
      if (col_ < row.size()) return;
      ++row_;
      col_ = 0;
    }
  }
  const TextRows& rows_;
  std::size_t row_ = 0;
  std::size_t col_ = 0;
};

// Every member but the sheet: its size and CRC-32, and well-formed XML where
// it is XML. Gives the number of shared strings.
qint64 check_other_members(const QByteArray& workbook) {
  ZipReader zip(workbook, std::numeric_limits<qint64>::max());
  qint64 strings = 0;
  QStringList sheets;
  for (const QString& name : zip.names()) {
    if (name == kSheet) continue;
    if (name.endsWith(QLatin1String(".xml")) || name.endsWith(QLatin1String(".rels"))) {
      parse_member(zip, name, [&](QXmlStreamReader& xml) {
        if (!xml.isStartElement()) return;
        if (name == kSharedStrings && xml.name() == QLatin1String("si")) ++strings;
        if (name == kWorkbook && xml.name() == QLatin1String("sheet"))
          sheets << xml.attributes().value(QLatin1String("name")).toString();
      });
    } else {
      ZipReader::Member member = zip.open(name);
      while (!member.next().isEmpty()) {
      }
    }
  }
  if (sheets != QStringList{QStringLiteral("Sheet1")}) throw IoError(QStringLiteral("sheet list"));
  return strings;
}

// The sheet: well-formed, a cell at each place written and nowhere else.
// Gives one more than the largest shared string index a cell names (0 when
// none does).
qint64 check_sheet(const QByteArray& workbook, const TextRows& rows) {
  ZipReader zip(workbook, std::numeric_limits<qint64>::max());
  ExpectedCells expected(rows);
  qint64 read = 0;
  qint64 strings_named = 0;
  bool in_value = false;
  bool shared = false;
  parse_member(zip, kSheet, [&](QXmlStreamReader& xml) {
    switch (xml.tokenType()) {
      case QXmlStreamReader::StartElement:
        if (xml.name() == QLatin1String("c")) {
          // No copy of the attributes outlives this token: the reader would
          // make its list anew for each element.
          const auto [row, col] = parse_ref(xml.attributes().value(QLatin1String("r")));
          if (expected.done() || std::pair(row, col) != expected.place())
            throw IoError(QStringLiteral("a cell at %1").arg(row < 0 ? QStringLiteral("?") : cell_name(row, col)));
          expected.next();
          ++read;
          shared = xml.attributes().value(QLatin1String("t")) == QLatin1String("s");
        } else if (xml.name() == QLatin1String("v")) {
          in_value = true;
        }
        break;
      case QXmlStreamReader::Characters:
        // The writer puts a shared string's index in one run of digits.
        if (in_value && shared) {
          bool ok = false;
          const qint64 index = xml.text().toLongLong(&ok);
          if (!ok || index < 0) throw IoError(QStringLiteral("the shared string %1").arg(xml.text().toString()));
          strings_named = std::max(strings_named, index + 1);
          shared = false;
        }
        break;
      case QXmlStreamReader::EndElement:
        in_value = false;
        if (shared && xml.name() == QLatin1String("c"))
          throw IoError(QStringLiteral("a shared string cell without its index"));
        break;
      default:
        break;
    }
  });
  if (!expected.done()) throw IoError(QStringLiteral("%1 of %2 cells").arg(read).arg(expected.count()));
  return strings_named;
}

}  // namespace

void check_written_xlsx(const QByteArray& workbook, const TextRows& rows) {
  {
    const ZipReader zip(workbook, 0);
    for (const QString& needed : {kWorkbook, kSheet})
      if (!zip.contains(needed)) throw IoError(QStringLiteral("There is no item named '%1' in the archive").arg(needed));
  }
  // The sheet, most of the work, is read beside the other members.
  std::future<qint64> sheet = std::async(std::launch::async, [&] { return check_sheet(workbook, rows); });
  qint64 strings = 0;
  try {
    strings = check_other_members(workbook);
  } catch (...) {
    sheet.wait();
    throw;
  }
  const qint64 strings_named = sheet.get();
  if (strings_named > strings)
    throw IoError(QStringLiteral("the shared string %1 of %2 is missing").arg(strings_named - 1).arg(strings));
}

}  // namespace trelvo::io
