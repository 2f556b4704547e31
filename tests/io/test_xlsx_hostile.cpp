// Workbooks whose XML or styles would make a naive reader slow or large: each
// ends in a table or in IoError, whichever the table below says, and the
// reader keeps working on the parts it is given (UTF-16 parts included).
#include <gtest/gtest.h>

#include <algorithm>

#include <QByteArray>
#include <QString>
#include <functional>

#include "common/zipwriter.h"
#include "fitcore/limits.h"
#include "sheetgrid/io/exceldate.h"
#include "sheetgrid/io/xlsx.h"
#include "sheetgrid/io/zipreader.h"

using trelvo::io::IoError;
using trelvo::io::Table;
using trelvo::io::XlsxReader;
namespace limits = trelvo::limits;

namespace {

const char* const kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// A zip archive of stored members.
QByteArray zip(const std::vector<std::pair<QByteArray, QByteArray>>& members) {
  std::vector<trelvo::test::ZipMember> stored;
  for (const auto& [name, data] : members) stored.push_back({name, data});
  return trelvo::test::zip_archive(stored);
}

// A one-sheet workbook with the given sheet part and styles part (none when
// empty).
QByteArray workbook(const QByteArray& sheet, const QByteArray& styles = {}) {
  std::vector<std::pair<QByteArray, QByteArray>> members = {
      {"[Content_Types].xml",
       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
       "<Override PartName=\"/xl/workbook.xml\" "
       "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>"},
      {"xl/workbook.xml", QByteArray("<workbook xmlns=\"") + kMain +
                              "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                              "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
       "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
      {"xl/worksheets/sheet1.xml", sheet}};
  if (!styles.isEmpty()) members.emplace_back("xl/styles.xml", styles);
  return zip(members);
}

QByteArray sheet_of(const QByteArray& rows, const QByteArray& root_attributes = {}) {
  return QByteArray("<worksheet xmlns=\"") + kMain + "\"" + root_attributes + "><sheetData>" + rows +
         "</sheetData></worksheet>";
}

QByteArray styles_of(const QByteArray& format, int xf_count) {
  QByteArray xfs;
  for (int i = 0; i < xf_count; ++i) xfs += "<xf numFmtId=\"164\"/>";
  return QByteArray("<styleSheet xmlns=\"") + kMain + "\"><numFmts><numFmt numFmtId=\"164\" formatCode=\"" + format +
         "\"/></numFmts><cellXfs>" + xfs + "</cellXfs></styleSheet>";
}

QByteArray attributes(int count, const char* stem = "a") {
  QByteArray out;
  for (int i = 0; i < count; ++i) out += " " + QByteArray(stem) + QByteArray::number(i) + "=\"1\"";
  return out;
}

QByteArray namespaces(int count) {
  QByteArray out;
  for (int i = 0; i < count; ++i) out += " xmlns:n" + QByteArray::number(i) + "=\"urn:n" + QByteArray::number(i) + "\"";
  return out;
}

QByteArray nested(int depth) {
  return QByteArray("<x>").repeated(depth) + QByteArray("</x>").repeated(depth);
}

// UTF-16 or UTF-32 code units of `utf8`, little- or big-endian, after a
// byte-order mark when `mark`.
QByteArray wide(const QByteArray& utf8, int width, bool big, bool mark = true) {
  const QList<uint> units = (mark ? QStringLiteral("\uFEFF") : QString()).append(QString::fromUtf8(utf8)).toUcs4();
  QByteArray out;
  for (const uint u : units) {
    for (int i = 0; i < width; ++i) {
      const int shift = 8 * (big ? width - 1 - i : i);
      out.append(static_cast<char>((u >> shift) & 0xFF));
    }
  }
  return out;
}

QByteArray utf16le(const QByteArray& utf8) { return wide(utf8, 2, false); }

// UTF-7 whose markup is one base64 run: not a single "<" byte.
QByteArray utf7(const QByteArray& utf8) {
  const QByteArray units = wide(utf8, 2, true, false);
  return "<?xml version=\"1.0\" encoding=\"UTF-7\"?>+" + units.toBase64(QByteArray::OmitTrailingEquals) + "-";
}

// Elements nested in each other that declare `count` namespaces in all, ten
// to an element, and end again.
QByteArray nested_namespaces(int count) {
  QByteArray open, close;
  for (int i = 0; i < count; i += 10) {
    open += "<x";
    for (int j = i; j < std::min(count, i + 10); ++j) {
      open += " xmlns:n" + QByteArray::number(j) + "=\"urn:n" + QByteArray::number(j) + "\"";
    }
    open += ">";
    close += "</x>";
  }
  return open + close;
}

// The first row holds A1 = 1; `rows` is what follows it.
QByteArray sheet_after_a1(const QByteArray& rows) {
  return sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + rows);
}

QByteArray number_formats(int count, int length) {
  QByteArray formats;
  for (int i = 0; i < count; ++i) {
    formats += "<numFmt numFmtId=\"" + QByteArray::number(164 + i) + "\" formatCode=\"" +
               QByteArray::number(i).rightJustified(length, '0') + "\"/>";
  }
  return QByteArray("<styleSheet xmlns=\"") + kMain + "\"><numFmts>" + formats +
         "</numFmts><cellXfs><xf numFmtId=\"0\"/></cellXfs></styleSheet>";
}

// More would-be start tags than the nesting limit allows.
const std::string kOpens = [] {
  std::string out;
  for (int i = 0; i < 200; ++i) out += "<x>";
  return out;
}();

struct Case {
  const char* name;
  std::function<QByteArray()> file;
  const char* refusal;  // a part of the error text, or nullptr: the file loads
  const char* a1;       // A1's text when it loads
};

const Case kCases[] = {
    {"BracketFormatOverTheLengthLimit",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\" s=\"0\"><v>1</v></c></row>"),
                          styles_of(QByteArray(100'000, '['), 1)); },
     "number format is longer", nullptr},
    {"BracketFormatOnManyStylesIsPlain",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\" s=\"1999\"><v>1</v></c></row>"),
                          styles_of(QByteArray(4000, '[') + "0", 2000)); },
     nullptr, "1"},
    {"BracketFormatWithDateLetterIsDate",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\" s=\"0\"><v>1</v></c></row>"),
                          styles_of(QByteArray(4000, '[') + "yy", 1)); },
     nullptr, "1900-01-01 00:00:00"},
    {"TwentyThousandAttributesOnEachCell",
     [] {
       QByteArray rows = "<row r=\"1\">";
       for (int i = 0; i < 3; ++i) rows += "<c r=\"A1\"" + attributes(20'000) + "><v>1</v></c>";
       return workbook(sheet_of(rows + "</row>"));
     },
     "attributes", nullptr},
    {"AttributesAtTheLimit",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\"" + attributes(limits::kMaxXmlAttributes - 1) +
                                   "><v>7</v></c></row>")); },
     nullptr, "7"},
    {"AttributesJustOverTheLimit",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\"" + attributes(limits::kMaxXmlAttributes) +
                                   "><v>7</v></c></row>")); },
     "more than 64 attributes", nullptr},
    {"HundredThousandNamespacesOnTheRoot",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", namespaces(100'000))); },
     "attributes", nullptr},
    {"NamespacesPiledUpByNesting",
     [] {
       QByteArray open, close;
       for (int i = 0; i < 100; ++i) {
         open += "<x" + namespaces(10) + ">";
         close += "</x>";
       }
       return workbook(sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + open + close));
     },
     "namespace declarations", nullptr},
    // The root's default namespace is one of those in scope.
    {"NamespacesInScopeAtTheLimit",
     [] { return workbook(sheet_after_a1(nested_namespaces(limits::kMaxXmlNamespaceDeclarations - 1))); },
     nullptr, "1"},
    {"NamespacesInScopeJustOverTheLimit",
     [] { return workbook(sheet_after_a1(nested_namespaces(limits::kMaxXmlNamespaceDeclarations))); },
     "More than 128 namespace declarations", nullptr},
    {"NamespaceOnEachOfManyCells",
     [] {
       QByteArray rows = "<row r=\"1\">";
       for (int i = 0; i < 20'000; ++i) rows += "<c xmlns:q=\"urn:q\" r=\"A1\"><v>5</v></c>";
       return workbook(sheet_of(rows + "</row>"));
     },
     nullptr, "5"},
    {"DeepNesting",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + nested(100'000))); },
     "nested more than", nullptr},
    {"NestingAtTheLimit",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + nested(limits::kMaxXmlDepth - 2))); },
     nullptr, "1"},
    {"NestingJustOverTheLimit",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + nested(limits::kMaxXmlDepth - 1))); },
     "nested more than 128", nullptr},
    {"BlanksBetweenTags",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + QByteArray(3 << 20, ' '))); },
     "text between two tags", nullptr},
    {"CellTextOverTheLimit",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\" t=\"str\"><v>" +
                                   QByteArray(limits::kMaxCellTextUnits + 1, 'x') + "</v></c></row>")); },
     "cell text is longer", nullptr},
    {"CellTextOverTheLimitInPieces",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A1\" t=\"str\"><v>" +
                                   (QByteArray(1000, 'x') + "<!---->").repeated(200) + "</v></c></row>")); },
     "cell text is longer", nullptr},
    {"LongCommentOverTheMarkupLimit",
     [] { return workbook(sheet_of("<!--" + QByteArray(limits::kMaxXmlMarkup, 'x') + "-->")); },
     "comment", nullptr},
    {"Utf16SheetLoads",
     [] {
       QByteArray rows;
       for (int r = 1; r <= 300; ++r) rows += "<row r=\"" + QByteArray::number(r) + "\"><c><v>" + QByteArray::number(r) + "</v></c><c/></row>";
       return workbook(utf16le("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + sheet_of(rows)));
     },
     nullptr, "1"},
    {"Utf16SheetWithTooManyAttributes",
     [] { return workbook(utf16le("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" +
                                  sheet_of("<row r=\"1\"><c r=\"A1\"" + attributes(300) + "><v>1</v></c></row>"))); },
     "attributes", nullptr},
    // Only UTF-8 and UTF-16 parts: the scan ahead of the parser reads these
    // two, and the parser decodes whatever the declaration names.
    {"Utf7MarkupWithoutALessThanByte",
     [] { return workbook(utf7(sheet_of("<row r=\"1\"><c r=\"A1\"" + attributes(100) + "><v>1</v></c></row>"))); },
     "encoding UTF-7 is not allowed", nullptr},
    {"Utf7WithinTheLimits",
     [] { return workbook(utf7(sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"))); },
     "encoding UTF-7 is not allowed", nullptr},
    {"Latin1Declared",
     [] { return workbook("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" +
                          sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>")); },
     "encoding ISO-8859-1 is not allowed", nullptr},
    {"Utf32Sheet",
     [] { return workbook(wide(sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"), 4, false)); },
     "UTF-32 is not allowed", nullptr},
    {"Utf32SheetWithoutMark",
     [] { return workbook(wide(sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"), 4, true, false)); },
     "UTF-32 is not allowed", nullptr},
    {"Utf16DeclaredOnEightBitBytes",
     [] { return workbook("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" +
                          sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>")); },
     "declared encoding UTF-16 does not match", nullptr},
    // Without a byte-order mark the parser reads "UTF-16" as little-endian.
    {"Utf16DeclaredOnBigEndianWithoutMark",
     [] { return workbook(wide("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" +
                               sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"), 2, true, false)); },
     "does not match", nullptr},
    {"Utf8DeclaredOnUtf16",
     [] { return workbook(utf16le("<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
                                  sheet_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"))); },
     "declared encoding UTF-8 does not match", nullptr},
    {"Utf16BigEndianWithMarkLoads",
     [] { return workbook(wide("<?xml version=\"1.0\" encoding=\"utf-16\"?>" +
                               sheet_of("<row r=\"1\"><c r=\"A1\"><v>4</v></c></row>"), 2, true)); },
     nullptr, "4"},
    {"Utf16LeDeclaredWithoutMarkLoads",
     [] { return workbook(wide("<?xml version=\"1.0\" encoding=\"UTF-16LE\"?>" +
                               sheet_of("<row r=\"1\"><c r=\"A1\"><v>4</v></c></row>"), 2, false, false)); },
     nullptr, "4"},
    {"Utf8DeclaredInSmallLettersLoads",
     [] { return workbook("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>" +
                          sheet_of("<row r=\"1\"><c r=\"A1\"><v>4</v></c></row>")); },
     nullptr, "4"},
    // Parse cost in proportion to what the part can hold: rows, elements,
    // characters passed over, number format characters.
    {"RowElementsAtTheGridLimit",
     [] { return workbook(sheet_after_a1(QByteArray("<row/>").repeated(limits::kMaxRows - 1))); },
     nullptr, "1"},
    {"RowElementsJustOverTheGridLimit",
     [] { return workbook(sheet_after_a1(QByteArray("<row/>").repeated(limits::kMaxRows))); },
     "more than 1048576 rows", nullptr},
    {"RowNumberRepeated",
     [] { return workbook(sheet_after_a1("<row r=\"3\"/><row r=\"2\"/><row/>")); },
     "Row 3 appears twice", nullptr},
    {"RowNumberPastTheGrid",
     [] { return workbook(sheet_after_a1("<row r=\"1048577\"/>")); },
     "more than 1048576 rows", nullptr},
    {"RowsOutOfOrderLoad",
     [] { return workbook(sheet_of("<row r=\"3\"><c><v>3</v></c></row><row r=\"1\"><c><v>1</v></c></row>")); },
     nullptr, "1"},
    // The load's base, plus the share of A1's value.
    {"ElementsOverTheWorkbookBase",
     [] { return workbook(sheet_after_a1(QByteArray("<a/>").repeated(limits::kXmlBaseElements))); },
     "more than 10500004 elements (1 values read)", nullptr},
    {"BlanksCutByCommentsOverTheWorkbookBase",
     [] {
       const QByteArray run = QByteArray(1 << 20, ' ') + "<!---->";
       return workbook(sheet_after_a1(run.repeated(limits::kXmlBasePassedOverChars / run.size() + 1)));
     },
     "more than 67200512 characters of blanks, comments", nullptr},
    {"EmptyCommentsOverTheWorkbookBase",
     [] {
       const auto count = (limits::kXmlBasePassedOverChars + limits::kXmlPassedOverCharsPerValue) / 7 + 1;
       return workbook(sheet_after_a1(QByteArray("<!---->").repeated(count)));
     },
     "more than 67200512 characters of blanks, comments", nullptr},
    {"NumberFormatsAtTheTotalLimit",
     [] { return workbook(sheet_after_a1(""), number_formats(1024, limits::kMaxNumberFormatChars)); },
     nullptr, "1"},
    {"NumberFormatsJustOverTheTotalLimit",
     [] { return workbook(sheet_after_a1(""), number_formats(1025, limits::kMaxNumberFormatChars)); },
     "number formats of the workbook hold more than 4194304 characters", nullptr},
    {"TagLookalikesInsideCommentsCDataAndValuesAreNotTags",
     [] {
       const QByteArray opens = QByteArray::fromStdString(kOpens);
       const QByteArray brackets = QByteArray(opens).replace('<', '[');
       return workbook(sheet_of("<?pi " + opens + "?><!-- " + opens + " --><row r=\"1\"><c r=\"A1\" t=\"str\" q='a\"/>" +
                                brackets + "'><v><![CDATA[" + opens + "]]></v></c></row>"));
     },
     nullptr, kOpens.c_str()},
    {"DocumentTypeDeclaration",
     [] { return workbook("<!DOCTYPE w [<!ENTITY a \"b\">]>" + sheet_of("")); },
     "Document type", nullptr},
    {"ReferenceWithDollars",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"$a$1\" t=\"str\"><v>x</v></c></row>")); },
     nullptr, "x"},
    {"ReferenceOfFourLetters",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"AAAA1\"><v>1</v></c></row>")); },
     "Invalid cell coordinates (AAAA1)", nullptr},
    {"ReferenceOfRowZero",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A0\"><v>1</v></c></row>")); },
     "Invalid cell coordinates (A0)", nullptr},
    {"ReferenceWithNonAsciiDigits",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A\xd9\xa1\"><v>1</v></c></row>")); },
     "Invalid cell coordinates", nullptr},
    {"ReferenceRowPastInt",
     [] { return workbook(sheet_of("<row r=\"1\"><c r=\"A99999999999999\"><v>1</v></c></row>")); },
     "more than 1048576 rows", nullptr},
};

class Hostile : public ::testing::TestWithParam<Case> {};

TEST_P(Hostile, RefusedOrLoaded) {
  const Case& c = GetParam();
  const QByteArray file = c.file();
  try {
    XlsxReader reader(file);
    const Table t = reader.readSheet(0);
    ASSERT_EQ(c.refusal, nullptr) << "loaded, expected a refusal with \"" << c.refusal << "\"";
    ASSERT_FALSE(t.dense_rows().empty());
    ASSERT_FALSE(t.dense_rows()[0].empty());
    ASSERT_TRUE(t.dense_rows()[0][0].has_value());
    EXPECT_EQ(t.dense_rows()[0][0]->toStdString(), c.a1);
  } catch (const IoError& e) {
    ASSERT_NE(c.refusal, nullptr) << "refused: " << e.what();
    EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Files, Hostile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A number format's class does not depend on how it is split into pieces the
// scan has to skip: quoted literals, [..] groups, escapes, unclosed brackets.
TEST(NumberFormat, DateLettersOutsideLiteralsAndGroups) {
  struct Row {
    const char* code;
    bool date;
  };
  const Row rows[] = {
      {"yyyy-mm-dd", true},     {"0.00", false},           {"\"day\"0", false},    {"[Red]0", false},
      {"[h]:mm:ss", true},      {"[$-409]0", false},       {"0\\d", false},        {"d", false},
      {"0d", true},             {"[[[[0", false},          {"[[[[d", true},        {"\"d0", true},
      {"\"a\nd\"", true},       {"General;yy", false},     {"[mm]", true},         {"[Blue]\"x\"0 y", true},
      {"@", false},             {"[<=999]000;00-00", false}};
  for (const Row& r : rows) {
    EXPECT_EQ(trelvo::io::is_date_format(QString::fromUtf8(r.code)), r.date) << r.code;
  }
}

// The zip reader gives a member piece by piece, with the same bytes and the
// same refusals as reading it whole.
TEST(ZipMember, PiecesMakeTheMember) {
  QByteArray big;
  for (int i = 0; i < 50'000; ++i) big += QByteArray::number(i) + ",";
  const QByteArray archive = zip({{"a", big}, {"b", ""}});
  trelvo::io::ZipReader reader(archive, 1 << 30);
  auto member = reader.open("a");
  QByteArray joined;
  int pieces = 0;
  for (QByteArray p = member.next(); !p.isEmpty(); p = member.next(), ++pieces) joined += p;
  EXPECT_EQ(joined, big);
  EXPECT_GT(pieces, 1);
  EXPECT_EQ(reader.read("b"), QByteArray());
  EXPECT_THROW(reader.open("c"), IoError);
  trelvo::io::ZipReader small(archive, 1000);
  EXPECT_THROW(small.read("a"), IoError);
}

// The budget of one load, scaled to a hundredth of its base and caps (the
// share of each value as it is), so that workbooks of some hundred thousand
// elements show what the real limits do at ten million: 100,000 elements and
// 640,000 characters passed over, the parts describing the sheet 40,000
// elements and 320,000 characters of these.
trelvo::io::XmlAllowance scaled_allowance() {
  // Fixed figures, so the cases below stay where they are whatever the
  // grid's filled-cell limit.
  trelvo::io::XmlAllowance a;
  a.base_elements = 100'000;
  a.base_passed_over = 640'000;
  a.description_elements /= 100;
  a.description_passed_over /= 100;
  return a;
}

// What the reader passes over: `elements` elements `element` (by default an
// empty one it does not know), then `kilochars` runs of 993 blanks, each cut
// from the next by an empty comment (1,000 characters a run).
struct Filler {
  int elements = 0;
  int kilochars = 0;
  QByteArray element = "<a/>";
};

QByteArray filler(const Filler& f) {
  return f.element.repeated(f.elements) + (QByteArray(993, ' ') + "<!---->").repeated(f.kilochars);
}

// An element the reader does not know with an attribute of `length`
// characters, or (`name`) a name of that length.
QByteArray long_element(int length, bool name = false) {
  return name ? "<" + QByteArray(length, 'n') + "/>" : "<a b=\"" + QByteArray(length, 'x') + "\"/>";
}

// Filler for each part a load reads.
struct Padding {
  Filler types, book, rels, styles, strings, sheet;
};

const QByteArray kOneSharedCell = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>";

// A workbook of one sheet with styles and one shared string "s", every part
// holding its filler; `rows` go before the sheet's filler.
QByteArray padded_workbook(const Padding& p, const QByteArray& rows = kOneSharedCell) {
  return zip({
      {"[Content_Types].xml",
       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
       "<Override PartName=\"/xl/workbook.xml\" "
       "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
       "<Override PartName=\"/xl/sharedStrings.xml\" "
       "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>" +
           filler(p.types) + "</Types>"},
      {"xl/workbook.xml", QByteArray("<workbook xmlns=\"") + kMain +
                              "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                              "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets>" +
                              filler(p.book) + "</workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
       "worksheet\" Target=\"worksheets/sheet1.xml\"/>" +
           filler(p.rels) + "</Relationships>"},
      {"xl/styles.xml", QByteArray("<styleSheet xmlns=\"") + kMain + "\">" + filler(p.styles) +
                            "<cellXfs><xf numFmtId=\"0\"/></cellXfs></styleSheet>"},
      {"xl/sharedStrings.xml", QByteArray("<sst xmlns=\"") + kMain + "\"><si><t>s</t></si>" + filler(p.strings) + "</sst>"},
      {"xl/worksheets/sheet1.xml", sheet_of(rows + filler(p.sheet))},
  });
}

// `count` cells of the number 1, ten to a row; with `same_place` every one at A1.
QByteArray number_rows(int count, bool same_place = false) {
  QByteArray out;
  for (int r = 0; r * 10 < count; ++r) {
    out += "<row>";
    for (int c = r * 10; c < std::min(count, r * 10 + 10); ++c) out += same_place ? "<c r=\"A1\"><v>1</v></c>" : "<c><v>1</v></c>";
    out += "</row>";
  }
  return out;
}

struct BudgetCase {
  const char* name;
  std::function<QByteArray()> file;
  const char* refusal;  // a part of the error text, or nullptr: the file loads
};
void PrintTo(const BudgetCase& c, std::ostream* os) { *os << c.name; }

const BudgetCase kBudgetCases[] = {
    // Each part within what one part alone could hold before.
    {"FillerInFivePartsEachWithinOnePartsShare",
     [] {
       const Filler f{90'000, 600};
       return padded_workbook({f, f, {}, f, f, f});
     },
     "The parts describing the sheet hold more than 40000 elements in '[Content_Types].xml'"},
    {"DescriptionPartsOverTheirElementCapTogether",
     [] {
       const Filler f{11'000, 0};
       return padded_workbook({f, f, f, f, {}, {}});
     },
     "The parts describing the sheet hold more than 40000 elements in 'xl/styles.xml'"},
    {"DescriptionPartsOverTheirCharacterCapTogether",
     [] {
       const Filler f{0, 90};
       return padded_workbook({f, f, f, f, {}, {}});
     },
     "The parts describing the sheet hold more than 320000 characters of blanks, comments and unread text in "
     "'xl/styles.xml'"},
    {"DescriptionPartsWithinTheirCaps",
     [] {
       const Filler f{9'900, 79};
       return padded_workbook({f, f, f, f, {}, {}});
     },
     nullptr},
    {"SheetFillerWithinTheBase", [] { return padded_workbook({{}, {}, {}, {}, {}, {99'000, 630}}); }, nullptr},
    // The shared string and A1 pay for eight elements and 1,024 characters.
    {"StringsAndSheetOverTheElementBaseTogether",
     [] { return padded_workbook({{}, {}, {}, {}, {55'000, 0}, {50'000, 0}}); },
     "The workbook holds more than 100008 elements (2 values read) in 'xl/worksheets/sheet1.xml'"},
    {"StringsAndSheetOverTheCharacterBaseTogether",
     [] { return padded_workbook({{}, {}, {}, {}, {0, 400}, {0, 300}}); },
     "The workbook holds more than 641024 characters of blanks, comments and unread text (2 values read) in "
     "'xl/worksheets/sheet1.xml'"},
    {"DescriptionFillerCountsTowardsTheBase",
     [] {
       const Filler f{9'900, 0};
       return padded_workbook({f, f, f, f, {}, {65'000, 0}});
     },
     "The workbook holds more than 100008 elements (2 values read) in 'xl/worksheets/sheet1.xml'"},
    // 5,000 values pay for 20,000 elements and 2,560,000 characters more.
    {"ValuesPayForFillerPastTheBase",
     [] { return padded_workbook({{}, {}, {}, {}, {}, {100'000, 2'500}}, kOneSharedCell + number_rows(5'000)); },
     nullptr},
    // The shared string no cell reads pays for nothing.
    {"ValuesAtOnePlacePayOnce",
     [] { return padded_workbook({{}, {}, {}, {}, {}, {100'000, 0}}, number_rows(5'000, true)); },
     "The workbook holds more than 100004 elements (1 values read)"},
    // Shared strings pay only for what a cell reads: neither empty ones nor
    // ones no cell reads buy room for filler (before, each paid its share).
    {"EmptySharedStringsBuyNothing",
     [] { return padded_workbook({{}, {}, {}, {}, {60'000, 0, "<si/>"}, {45'000, 0}}); },
     "The workbook holds more than 100008 elements (2 values read) in 'xl/worksheets/sheet1.xml'"},
    {"SharedStringsNoCellReadsBuyNothing",
     [] { return padded_workbook({{}, {}, {}, {}, {1'000, 0, "<si><t>x</t></si>"}, {0, 700}}); },
     "The workbook holds more than 641024 characters of blanks, comments and unread text (2 values read)"},
    {"SharedStringReadByManyCellsPaysOnce",
     [] {
       const QByteArray cells = QByteArray("<row><c t=\"s\"><v>0</v></c></row>").repeated(1'000);
       return padded_workbook({{}, {}, {}, {}, {}, {0, 1'200}}, kOneSharedCell + cells);
     },
     "more than 1153024 characters of blanks, comments and unread text (1002 values read)"},
    // Attribute text is passed over, whether the reader uses the attribute
    // or not; so are names past their first 32 characters.
    {"AttributeTextPassedOver",
     [] { return padded_workbook({{}, {}, {}, {}, {}, {700, 0, long_element(1'000)}}); },
     "The workbook holds more than 641024 characters of blanks, comments and unread text (2 values read)"},
    {"LongNamesPassedOver",
     [] { return padded_workbook({{}, {}, {}, {}, {}, {700, 0, long_element(1'032, true)}}); },
     "The workbook holds more than 641024 characters of blanks, comments and unread text (2 values read)"},
    {"ShortNamesWithinTheBase",
     [] { return padded_workbook({{}, {}, {}, {}, {}, {20'000, 0, long_element(32, true)}}); },
     nullptr},
    // The attributes of the parts describing the sheet count towards the
    // load, not towards those parts' own cap (a style's are many and short).
    {"DescriptionAttributesCountTowardsTheLoadOnly",
     [] { return padded_workbook({{}, {}, {}, {400, 0, long_element(1'000)}, {}, {}}); },
     nullptr},
    {"DescriptionAttributesOverTheLoadsBase",
     [] { return padded_workbook({{}, {}, {}, {700, 0, long_element(1'000)}, {}, {}}); },
     "The workbook holds more than 640000 characters of blanks, comments and unread text (0 values read) in "
     "'xl/styles.xml'"},
    {"EmptyTextsPayNothing",
     [] {
       const QByteArray empty = QByteArray("<c t=\"inlineStr\"><is><t></t></is></c>").repeated(10);
       return padded_workbook({{}, {}, {}, {}, {}, {0, 700}}, ("<row>" + empty + "</row>").repeated(500));
     },
     "The workbook holds more than 640000 characters of blanks, comments and unread text (0 values read)"},
};

class LoadBudget : public ::testing::TestWithParam<BudgetCase> {};

TEST_P(LoadBudget, RefusedOrLoaded) {
  const BudgetCase& c = GetParam();
  try {
    const Table t = XlsxReader(c.file(), limits::kMaxDecompressedBytes, scaled_allowance()).readSheet(0);
    ASSERT_EQ(c.refusal, nullptr) << "loaded, expected a refusal with \"" << c.refusal << "\"";
    EXPECT_EQ(t.at(0, 0), QStringLiteral("s"));
  } catch (const IoError& e) {
    ASSERT_NE(c.refusal, nullptr) << "refused: " << e.what();
    EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Workbooks, LoadBudget, ::testing::ValuesIn(kBudgetCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Each sheet read is one load: it goes on from what opening the workbook
// spent, not from what an earlier sheet read spent.
TEST(LoadBudget, EachSheetReadStartsFromTheOpening) {
  const XlsxReader reader(padded_workbook({{}, {}, {}, {}, {}, {60'000, 400}}), limits::kMaxDecompressedBytes,
                          scaled_allowance());
  EXPECT_EQ(reader.readSheet(0).at(0, 0), QStringLiteral("s"));
  EXPECT_EQ(reader.readSheet(0).at(0, 0), QStringLiteral("s"));
}

// The allowance at its edges: the cap of the parts describing the sheet,
// which count towards the load's base as well; the base; each value's share;
// a copy going on from where the original stood.
TEST(XmlBudget, ExactlyAtTheAllowanceAndOneOver) {
  using trelvo::io::XmlBudget;
  trelvo::io::XmlAllowance a;
  a.base_elements = 10;
  a.base_passed_over = 100;
  a.elements_per_value = 4;
  a.passed_over_per_value = 50;
  a.description_elements = 6;
  a.description_passed_over = 60;
  const auto values = XmlBudget::Part::Values;
  const auto description = XmlBudget::Part::Description;

  XmlBudget budget(a);
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(budget.element(description)) << i;
  EXPECT_FALSE(budget.passed_over(description, 60));
  XmlBudget over_description = budget;
  EXPECT_TRUE(over_description.element(description));
  EXPECT_TRUE(XmlBudget(budget).passed_over(description, 1));

  XmlBudget opened = budget;  // four elements and 40 characters left of the base
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(budget.element(values)) << i;
  EXPECT_TRUE(XmlBudget(budget).element(values));
  EXPECT_FALSE(budget.passed_over(values, 40));
  EXPECT_TRUE(XmlBudget(budget).passed_over(values, 1));

  // Two values pay for eight elements and 100 characters more, for the load
  // but not for the description's own cap.
  opened.add_values(2);
  EXPECT_TRUE(XmlBudget(opened).element(description));
  for (int i = 0; i < 12; ++i) EXPECT_FALSE(opened.element(values)) << i;
  EXPECT_TRUE(XmlBudget(opened).element(values));
  EXPECT_FALSE(opened.passed_over(values, 140));
  EXPECT_TRUE(XmlBudget(opened).passed_over(values, 1));
}

}  // namespace

// Cells out of order, repeated and emptied again: the table holds each place
// once, with the last value given there, in row-major order.
TEST(SparseTable, LastValueAtEachPlace) {
  const QByteArray rows =
      "<row r=\"3\"><c r=\"B3\"><v>1</v></c><c r=\"C3\"><v>2</v></c>"
      "<c r=\"B3\"/><c r=\"D3\" t=\"inlineStr\"><is><t>b</t></is></c></row>"
      "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a</t></is></c>"
      "<c r=\"A1\" t=\"inlineStr\"><is><t>b</t></is></c></row>";
  const Table t = XlsxReader(workbook(sheet_of(rows))).readSheet(0);
  EXPECT_EQ(t.height, 3);
  EXPECT_EQ(t.width, 4);
  ASSERT_EQ(t.cells.size(), 3u);
  EXPECT_EQ(t.at(0, 0), QStringLiteral("b"));
  EXPECT_FALSE(t.at(2, 1).has_value());
  EXPECT_EQ(t.at(2, 2), QStringLiteral("2"));
  EXPECT_EQ(t.at(2, 3), QStringLiteral("b"));
  // Equal stored texts share one string.
  EXPECT_EQ(t.at(0, 0)->constData(), t.at(2, 3)->constData());
  EXPECT_TRUE(std::is_sorted(t.cells.begin(), t.cells.end(), [](const auto& a, const auto& b) {
    return std::make_pair(a.row, a.col) < std::make_pair(b.row, b.col);
  }));
}
