#include <QHash>
#include <algorithm>
#include <cmath>
#include <QSet>
#include <memory>
#include <vector>

#include "fitcore/a1label.h"
#include "fitcore/numtext.h"
#include "sheetgrid/io/exceldate.h"
#include "sheetgrid/io/fileread.h"
#include "sheetgrid/io/tablesize.h"
#include "sheetgrid/io/xlsx.h"
#include "sheetgrid/io/xlsxescape.h"
#include "sheetgrid/io/xmlpart.h"
#include "sheetgrid/io/zipreader.h"

namespace trelvo::io {
namespace {

const QLatin1String kMainNs("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QLatin1String kStrictNs("http://purl.oclc.org/ooxml/spreadsheetml/main");

bool is_main(const XmlPart& xml, QLatin1String local) {
  return xml.name() == local && (xml.namespaceUri() == kMainNs || xml.namespaceUri() == kStrictNs);
}

struct Relationship {
  QString target;
  QString type;
};

struct SheetEntry {
  QString name;
  QString part;
  bool chart = false;
};

// posixpath.normpath of a relative member name.
QString normalise(const QString& path) {
  QStringList out;
  for (const QString& piece : path.split(u'/')) {
    if (piece.isEmpty() || piece == QLatin1String(".")) continue;
    if (piece == QLatin1String("..")) {
      if (!out.isEmpty()) out.removeLast();
      continue;
    }
    out.append(piece);
  }
  return out.join(u'/');
}

QString rels_path(const QString& part) {
  const qsizetype slash = part.lastIndexOf(u'/');
  const QString folder = slash < 0 ? QString() : part.left(slash);
  const QString base = slash < 0 ? part : part.mid(slash + 1);
  return (folder.isEmpty() ? QString() : folder + u'/') + QStringLiteral("_rels/") + base + QStringLiteral(".rels");
}

// The member's bytes as the XML reader asks for them, inflated piece by piece.
ByteSource member_source(ZipReader& zip, const QString& name) {
  auto member = std::make_shared<ZipReader::Member>(zip.open(name));
  return [member] { return member->next(); };
}

QHash<QString, Relationship> read_relationships(ZipReader& zip, const QString& path, XmlBudget& budget) {
  XmlPart xml(member_source(zip, path), path, budget, XmlBudget::Part::Description);
  // Targets are relative to the folder that holds the _rels folder.
  QString folder = path.section(u'/', 0, -2);
  folder = folder.section(u'/', 0, -2);
  if (!path.contains(u'/') || path.count(u'/') < 2) folder.clear();
  QHash<QString, Relationship> rels;
  while (xml.nextStart()) {
    if (xml.name() != QLatin1String("Relationship")) continue;
    if (xml.attribute(u"TargetMode") == QLatin1String("External")) continue;
    QString target = xml.attribute(u"Target");
    if (target.startsWith(u'/')) {
      target = target.mid(1);
    } else {
      target = normalise(folder.isEmpty() ? target : folder + u'/' + target);
    }
    rels.insert(xml.attribute(u"Id"), Relationship{target, xml.attribute(u"Type")});
  }
  return rels;
}

// Python's int(text) for decimal text, as canonical digits ("-12"); nullopt
// when int() would refuse it.
std::optional<QString> python_int_text(const QString& raw) {
  // Plain digits without a leading zero, as workbooks store them, are their
  // own canonical text.
  if (!raw.isEmpty() && (raw.size() == 1 || raw.front() != u'0') &&
      std::all_of(raw.cbegin(), raw.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
    return raw;
  }
  const QString text = raw.trimmed();
  qsizetype i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  QString digits;
  bool last_digit = false;
  for (; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c >= u'0' && c <= u'9') {
      digits.append(c);
      last_digit = true;
    } else if (c == u'_' && last_digit && i + 1 < text.size() && text[i + 1] >= u'0' && text[i + 1] <= u'9') {
      last_digit = false;
    } else {
      return std::nullopt;
    }
  }
  if (digits.isEmpty()) return std::nullopt;
  qsizetype nz = 0;
  while (nz + 1 < digits.size() && digits[nz] == u'0') ++nz;
  digits = digits.mid(nz);
  if (negative && digits != QLatin1String("0")) digits.prepend(u'-');
  return digits;
}

// A number stored in a cell: integer text or float, as openpyxl casts it.
// The value of an integer is worked out only when `with_value` asks for it.
struct Number {
  QString text;
  double value = 0;
};

Number cast_number(const QString& raw, bool with_value) {
  if (raw.contains(u'.') || raw.contains(u'e') || raw.contains(u'E')) {
    const auto v = parse_python_float(raw.toStdString());
    if (!v) throw IoError(QStringLiteral("could not convert string to float: '%1'").arg(raw));
    return Number{QString::fromStdString(repr_double(*v)), *v};
  }
  const auto digits = python_int_text(raw);
  if (!digits) throw IoError(QStringLiteral("invalid literal for int() with base 10: '%1'").arg(raw));
  return Number{*digits, with_value ? digits->toDouble() : 0.0};
}

long long index_value(const QString& raw) {
  const auto digits = python_int_text(raw);
  if (!digits || digits->size() > 12) throw IoError(QStringLiteral("invalid literal for int() with base 10: '%1'").arg(raw));
  return digits->toLongLong();
}

// Text.content of a rich text element (<si> or <is>): its own <t>, then the
// <t> of each run; phonetic runs left out. Each <t> has its _xHHHH_ escapes
// decoded on its own, so no escape is made of the end of one and the start of
// the next.
QString rich_text(XmlPart& xml) {
  const int depth = xml.depth();
  QString plain;
  QString runs;
  while (xml.nextChild(depth)) {
    if (is_main(xml, QLatin1String("t"))) {
      plain = decode_xlsx_text(xml.text());
    } else if (is_main(xml, QLatin1String("r"))) {
      const int run = xml.depth();
      QString t;
      while (xml.nextChild(run)) {
        if (is_main(xml, QLatin1String("t"))) {
          t = decode_xlsx_text(xml.text());
        } else {
          xml.skip();
        }
      }
      runs += t;
      if (plain.size() + runs.size() > static_cast<qsizetype>(limits::kMaxCellTextUnits)) {
        throw IoError(QStringLiteral("A cell text is longer than %1 characters").arg(limits::kMaxCellTextUnits));
      }
    } else {
      xml.skip();
    }
  }
  return plain + runs;
}

// How a number format shows a number: 0 plain, 1 date or time, 2 duration.
// Throws IoError for a code longer than the format code limit.
char format_kind(const QString& code) {
  if (static_cast<std::size_t>(code.size()) > limits::kMaxNumberFormatChars) {
    throw IoError(QStringLiteral("A number format is longer than %1 characters").arg(limits::kMaxNumberFormatChars));
  }
  if (!is_date_format(code)) return 0;
  return is_duration_format(code) ? 2 : 1;
}

void check_text_length(const QString& text) {
  if (static_cast<std::size_t>(text.size()) > limits::kMaxCellTextUnits) {
    throw IoError(QStringLiteral("A cell text is longer than %1 characters").arg(limits::kMaxCellTextUnits));
  }
}

// Column letters and row of "B12" (optionally "$B$12"), 1-based; at most
// three letters.
bool parse_reference(QStringView ref, qint64& row, qint64& col) {
  const std::optional<a1::Label> label = a1::parse_label(
      std::u16string_view(ref.utf16(), static_cast<std::size_t>(ref.size())), a1::Syntax::Workbook);
  if (!label || label->letters > 3 || label->row < 0) return false;
  row = label->row + 1;
  col = label->col + 1;
  return true;
}

}  // namespace

// The workbook's shared strings, kept in one buffer; a string becomes a
// QString of its own when a cell first refers to it, and every later cell
// shares that one.
class SharedStrings {
 public:
  // Throws IoError once the strings pass the count or character limit.
  void push_back(const QString& text) {
    if (starts_.size() >= limits::kMaxXlsxSharedStrings) {
      throw IoError(QStringLiteral("The workbook holds more than %1 shared strings").arg(limits::kMaxXlsxSharedStrings));
    }
    if (static_cast<std::size_t>(chars_.size() + text.size()) > limits::kMaxXlsxSharedStringChars) {
      throw IoError(QStringLiteral("The shared strings of the workbook hold more than %1 characters")
                        .arg(limits::kMaxXlsxSharedStringChars));
    }
    starts_.push_back(static_cast<quint32>(chars_.size()));
    chars_ += text;
  }
  std::size_t size() const { return starts_.size(); }
  QString at(std::size_t index) const {
    const qsizetype start = starts_[index];
    const qsizetype end = index + 1 < starts_.size() ? starts_[index + 1] : chars_.size();
    if (start == end) return QString();
    if (made_.size() != starts_.size()) made_.resize(starts_.size());
    QString& made = made_[index];
    if (made.isNull()) made = QString(chars_.constData() + start, end - start);
    return made;
  }

 private:
  QString chars_;
  std::vector<quint32> starts_;
  mutable std::vector<QString> made_;
};

struct XlsxReader::Impl {
  explicit Impl(const XmlAllowance& allowance) : budget(allowance) {}
  QByteArray archive;
  std::unique_ptr<ZipReader> zip;
  QList<SheetEntry> sheets;
  int active = 0;
  bool mac1904 = false;
  SharedStrings shared;
  std::vector<char> date_style;      // per cellXfs index: 0 none, 1 date, 2 duration
  // What the parts read at opening spent; each sheet read goes on from here.
  XmlBudget budget;
  void read_content_types(QString& workbook, QString& strings);
  void read_workbook(const QString& part);
  void read_shared_strings(const QString& part);
  void read_styles();
  // The texts stored in the cells of the sheet being read (not the shared
  // strings): cells with equal texts share one string.
  mutable QSet<QString> inline_texts;
  Table read_sheet(const SheetEntry& sheet) const;
  // The value of the cell the reader stands on; `string` is set to the
  // shared string it reads, if any.
  std::optional<QString> cell_value(XmlPart& xml, std::optional<std::size_t>& string) const;
  QString shared_text(const QString& text) const;
};

QString XlsxReader::Impl::shared_text(const QString& text) const {
  if (text.isEmpty()) return text;
  const auto known = inline_texts.constFind(text);
  if (known != inline_texts.constEnd()) return *known;
  inline_texts.insert(text);
  return text;
}

void XlsxReader::Impl::read_content_types(QString& workbook, QString& strings) {
  const QString name = QStringLiteral("[Content_Types].xml");
  XmlPart xml(member_source(*zip, name), name, budget, XmlBudget::Part::Description);
  static const QStringList kWorkbookTypes = {
      QStringLiteral("application/vnd.ms-excel.template.macroEnabled.main+xml"),
      QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml"),
      QStringLiteral("application/vnd.ms-excel.sheet.macroEnabled.main+xml"),
      QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml")};
  QHash<QString, QString> overrides;  // content type -> first part name
  QSet<QString> defaults;
  while (xml.nextStart()) {
    if (xml.name() == QLatin1String("Override")) {
      const QString type = xml.attribute(u"ContentType");
      if (!overrides.contains(type)) overrides.insert(type, xml.attribute(u"PartName"));
    } else if (xml.name() == QLatin1String("Default")) {
      defaults.insert(xml.attribute(u"ContentType"));
    }
  }
  for (const QString& type : kWorkbookTypes) {
    if (overrides.contains(type)) {
      workbook = overrides.value(type).mid(1);
      break;
    }
  }
  if (workbook.isEmpty()) {
    for (const QString& type : kWorkbookTypes) {
      if (defaults.contains(type)) workbook = QStringLiteral("xl/workbook.xml");
    }
  }
  if (workbook.isEmpty()) throw IoError(std::string("File contains no valid workbook part"));
  const QString sst = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml");
  if (overrides.contains(sst)) strings = overrides.value(sst).mid(1);
}

void XlsxReader::Impl::read_workbook(const QString& part) {
  XmlPart xml(member_source(*zip, part), part, budget, XmlBudget::Part::Description);
  struct Declared {
    QString name, id;
  };
  QList<Declared> declared;
  bool have_active = false;
  while (xml.nextStart()) {
    if (is_main(xml, QLatin1String("workbookPr"))) {
      if (xml.hasAttribute(u"date1904")) {
        const QString v = xml.attribute(u"date1904");
        mac1904 = !(v.isEmpty() || v == QLatin1String("false") || v == QLatin1String("f") || v == QLatin1String("0"));
      }
    } else if (is_main(xml, QLatin1String("workbookView"))) {
      // The first view decides; one without activeTab names sheet 0.
      if (!have_active) {
        have_active = true;
        bool ok = false;
        active = xml.attribute(u"activeTab").trimmed().toInt(&ok);
        if (!ok) active = 0;
      }
    } else if (is_main(xml, QLatin1String("sheet"))) {
      declared.append(Declared{xml.attribute(u"name"), xml.relationshipAttribute(u"id")});
    }
  }
  const auto rels = read_relationships(*zip, rels_path(part), budget);
  for (const Declared& d : declared) {
    if (d.id.isEmpty()) continue;
    if (!rels.contains(d.id)) throw IoError(QStringLiteral("The workbook names a sheet part '%1' that it does not hold").arg(d.id));
    const Relationship& rel = rels.value(d.id);
    if (!zip->contains(rel.target)) continue;
    sheets.append(SheetEntry{d.name, rel.target, rel.type.contains(QLatin1String("chartsheet"))});
  }
  if (active < 0 || active >= sheets.size()) active = 0;
}

void XlsxReader::Impl::read_shared_strings(const QString& part) {
  XmlPart xml(member_source(*zip, part), part, budget, XmlBudget::Part::Values);
  while (xml.nextStart()) {
    if (!is_main(xml, QLatin1String("si"))) continue;
    QString text = rich_text(xml);
    check_text_length(text);
    shared.push_back(text);
  }
}

void XlsxReader::Impl::read_styles() {
  const QString part = QStringLiteral("xl/styles.xml");
  if (!zip->contains(part)) return;
  XmlPart xml(member_source(*zip, part), part, budget, XmlBudget::Part::Description);
  QHash<int, char> custom;  // numFmtId -> date_style kind of its code
  std::size_t format_chars = 0;
  std::vector<int> xf_formats;
  int num_fmts_depth = -1;  // depth of the <numFmts> open at the current element, or -1
  while (xml.nextStart()) {
    // Only the children of <numFmts> are the cells' formats: the differential
    // formats of conditional formats (<dxfs>) hold <numFmt> too, whose ids
    // may repeat those of the cells' formats.
    if (xml.depth() <= num_fmts_depth) num_fmts_depth = -1;
    if (is_main(xml, QLatin1String("numFmts"))) num_fmts_depth = xml.depth();
    if (is_main(xml, QLatin1String("numFmt")) && xml.depth() != num_fmts_depth + 1) continue;
    if (is_main(xml, QLatin1String("numFmt"))) {
      const QString code = xml.attribute(u"formatCode");
      format_chars += static_cast<std::size_t>(code.size());
      if (format_chars > limits::kMaxNumberFormatTotalChars) {
        throw IoError(QStringLiteral("The number formats of the workbook hold more than %1 characters")
                          .arg(limits::kMaxNumberFormatTotalChars));
      }
      custom.insert(xml.attribute(u"numFmtId").toInt(), format_kind(code));
      if (static_cast<std::size_t>(custom.size()) > limits::kMaxXlsxNumberFormats) {
        throw IoError(QStringLiteral("The workbook holds more than %1 number formats").arg(limits::kMaxXlsxNumberFormats));
      }
    } else if (is_main(xml, QLatin1String("cellXfs"))) {
      const int depth = xml.depth();
      while (xml.nextChild(depth)) {
        if (is_main(xml, QLatin1String("xf"))) {
          xf_formats.push_back(xml.attribute(u"numFmtId").toInt());
          if (xf_formats.size() > limits::kMaxXlsxCellStyles) {
            throw IoError(QStringLiteral("The workbook holds more than %1 cell styles").arg(limits::kMaxXlsxCellStyles));
          }
        }
        xml.skip();
      }
    }
  }
  date_style.assign(xf_formats.size(), 0);
  QHash<int, char> builtin;
  for (std::size_t i = 0; i < xf_formats.size(); ++i) {
    const int id = xf_formats[i];
    const auto own = custom.constFind(id);
    if (own != custom.constEnd()) {
      date_style[i] = *own;
      continue;
    }
    auto known = builtin.constFind(id);
    if (known == builtin.constEnd()) known = builtin.insert(id, format_kind(builtin_number_format(id)));
    date_style[i] = *known;
  }
}

std::optional<QString> XlsxReader::Impl::cell_value(XmlPart& xml, std::optional<std::size_t>& string) const {
  QString type = xml.attribute(u"t");
  if (type.isEmpty()) type = QStringLiteral("n");
  const QStringView style_text = xml.attributeView(u"s");
  const int style = style_text.isEmpty() ? 0 : style_text.trimmed().toInt();
  std::optional<QString> raw;
  std::optional<QString> inline_text;
  const int depth = xml.depth();
  while (xml.nextChild(depth)) {
    if (is_main(xml, QLatin1String("v"))) {
      if (!raw) raw = xml.text();
      else xml.skip();
    } else if (is_main(xml, QLatin1String("is"))) {
      if (!inline_text) inline_text = rich_text(xml);
      else xml.skip();
    } else {
      xml.skip();
    }
  }
  if (type == QLatin1String("inlineStr")) {
    if (inline_text) check_text_length(*inline_text);
    if (inline_text) return shared_text(*inline_text);
    return inline_text;
  }
  if (!raw || raw->isEmpty()) return std::nullopt;
  if (type == QLatin1String("n")) {
    const char kind = style >= 0 && static_cast<std::size_t>(style) < date_style.size() ? date_style[style] : 0;
    const Number number = cast_number(*raw, kind != 0);
    if (kind == 0) return number.text;
    if (auto text = excel_serial_text(number.value, mac1904, kind == 2)) return *text;
    return QStringLiteral("#VALUE!");
  }
  if (type == QLatin1String("s")) {
    long long index = index_value(*raw);
    const auto size = static_cast<long long>(shared.size());
    if (index < 0) index += size;
    if (index < 0 || index >= size) throw IoError(std::string("list index out of range"));
    string = static_cast<std::size_t>(index);
    return shared.at(*string);
  }
  if (type == QLatin1String("b")) {
    return index_value(*raw) != 0 ? QStringLiteral("True") : QStringLiteral("False");
  }
  if (type == QLatin1String("d")) return iso8601_text(*raw);
  check_text_length(*raw);
  return shared_text(*raw);  // "str", "e" and unknown kinds: the text as stored
}

Table XlsxReader::Impl::read_sheet(const SheetEntry& sheet) const {
  if (sheet.chart) throw IoError(QStringLiteral("'%1' is a chart sheet and holds no cells").arg(sheet.name));
  XmlBudget sheet_budget = budget;
  XmlPart xml(member_source(*zip, sheet.part), sheet.part, sheet_budget, XmlBudget::Part::Values);
  TableBuilder cells;
  qint64 paid = 0;  // the sheet's values the budget was told of
  // The shared strings whose share this read has paid: each once, with the
  // first cell that reads it and adds a value to the table, so that strings
  // no cell reads (or only empty ones) buy nothing.
  std::vector<bool> strings_paid;
  inline_texts.clear();
  qint64 row_counter = 0;
  // At most one <row> for each row of the grid, each row number once.
  qint64 row_elements = 0;
  std::vector<bool> row_seen(static_cast<std::size_t>(limits::kMaxRows) + 1);
  while (xml.nextStart()) {
    if (!is_main(xml, QLatin1String("row"))) continue;
    if (++row_elements > limits::kMaxRows) {
      throw IoError(QStringLiteral("The sheet holds more than %1 rows").arg(limits::kMaxRows));
    }
    if (xml.hasAttribute(u"r")) {
      const QString r = xml.attribute(u"r").trimmed();
      bool ok = false;
      row_counter = r.toLongLong(&ok);
      if (!ok) {
        const double v = r.toDouble(&ok);
        if (!ok || v != std::floor(v) || std::fabs(v) > 1e12) {
          throw IoError(QStringLiteral("%1 is not a valid row number").arg(r));
        }
        row_counter = static_cast<qint64>(v);
      }
    } else {
      ++row_counter;
    }
    if (row_counter > limits::kMaxRows) check_table_extent(row_counter, 1);
    if (row_counter >= 1) {
      if (row_seen[static_cast<std::size_t>(row_counter)]) {
        throw IoError(QStringLiteral("Row %1 appears twice in the sheet").arg(row_counter));
      }
      row_seen[static_cast<std::size_t>(row_counter)] = true;
    }
    qint64 col_counter = 0;
    const int depth = xml.depth();
    while (xml.nextChild(depth)) {
      if (!is_main(xml, QLatin1String("c"))) {
        xml.skip();
        continue;
      }
      qint64 row = row_counter, col = 0;
      if (const QStringView ref = xml.attributeView(u"r"); !ref.isEmpty()) {
        if (!parse_reference(ref, row, col)) throw IoError(QStringLiteral("Invalid cell coordinates (%1)").arg(ref));
        col_counter = col;
      } else {
        col = ++col_counter;
      }
      if (row < 1 || col < 1) throw IoError(QStringLiteral("Invalid cell coordinates in row %1").arg(row));
      // Only a value takes a place in the table: a cell that holds none (a
      // formatted empty cell) widens or lengthens nothing.
      std::optional<std::size_t> string;
      std::optional<QString> value = cell_value(xml, string);
      if (value) {
        cells.put(row - 1, col - 1, std::move(*value));
        // Each value the table holds pays for its share of the sheet's XML,
        // and the shared string it reads for that string's share.
        if (cells.filled() > paid) {
          qint64 earned = cells.filled() - paid;
          if (string) {
            if (strings_paid.empty()) strings_paid.resize(shared.size());
            if (!strings_paid[*string]) {
              strings_paid[*string] = true;
              ++earned;
            }
          }
          sheet_budget.add_values(earned);
          paid = cells.filled();
        }
      } else {
        cells.erase(row - 1, col - 1);
      }
    }
  }
  inline_texts.clear();
  Table table = cells.finish();
  table.sheet_name = sheet.name;
  return table;
}

XlsxReader::XlsxReader(const QString& path, qint64 max_decompressed, const XmlAllowance& allowance)
    : XlsxReader(read_whole_file(path, max_decompressed), max_decompressed, allowance) {}

XlsxReader::XlsxReader(const QByteArray& data, qint64 max_decompressed, const XmlAllowance& allowance)
    : d_(std::make_unique<Impl>(allowance)) {
  d_->archive = data;
  d_->zip = std::make_unique<ZipReader>(d_->archive, max_decompressed);
  QString workbook, strings;
  d_->read_content_types(workbook, strings);
  d_->read_workbook(workbook);
  if (!strings.isEmpty()) d_->read_shared_strings(strings);
  d_->read_styles();
}

XlsxReader::~XlsxReader() = default;
XlsxReader::XlsxReader(XlsxReader&&) noexcept = default;
XlsxReader& XlsxReader::operator=(XlsxReader&&) noexcept = default;

QStringList XlsxReader::sheetNames() const {
  QStringList names;
  for (const auto& s : d_->sheets) names.append(s.name);
  return names;
}

int XlsxReader::activeSheet() const { return d_->active; }

Table XlsxReader::readSheet(int index) const {
  if (index < 0 || index >= d_->sheets.size()) {
    throw IoError(QStringLiteral("The workbook has no sheet number %1").arg(index + 1));
  }
  return d_->read_sheet(d_->sheets[index]);
}

}  // namespace trelvo::io
