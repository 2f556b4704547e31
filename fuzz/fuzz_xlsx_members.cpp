// links: sheetgrid_io Qt6::Core z
// The XLSX reader on a valid workbook with one member replaced, so that the
// fuzzer works on the XML of each part instead of on zip bytes. The first
// input byte picks the member (its low bits, modulo the member count) and
// whether the member is deflated (bit 7); the rest of the input is the
// member's new content. Every input must end in tables or an IoError, and
// the unchanged workbook must load.
//
// With TRELVO_FUZZ_WRITE_SEEDS=<folder> set, the target writes one seed per
// member (the member unchanged) into that folder and exits.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/zipwriter.h"
#include "sheetgrid/io/xlsx.h"

namespace {

struct Member {
  const char* name;
  const char* text;
};

const Member kMembers[] = {
    {"[Content_Types].xml",
     R"(<?xml version="1.0" encoding="UTF-8"?>)"
     R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
     R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
     R"(<Default Extension="xml" ContentType="application/xml"/>)"
     R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
     R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
     R"(<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
     R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
     R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)"
     R"(</Types>)"},
    {"_rels/.rels",
     R"(<?xml version="1.0" encoding="UTF-8"?>)"
     R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
     R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
     R"(</Relationships>)"},
    {"xl/workbook.xml",
     R"(<?xml version="1.0" encoding="UTF-8"?>)"
     R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
     R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
     R"(<workbookPr date1904="0"/><bookViews><workbookView activeTab="1"/></bookViews>)"
     R"(<sheets><sheet name="Data" sheetId="1" r:id="rId1"/><sheet name="More" sheetId="2" r:id="rId2"/></sheets>)"
     R"(</workbook>)"},
    {"xl/_rels/workbook.xml.rels",
     R"(<?xml version="1.0" encoding="UTF-8"?>)"
     R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
     R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
     R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet2.xml"/>)"
     R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
     R"(<Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
     R"(</Relationships>)"},
    {"xl/sharedStrings.xml",
     R"(<?xml version="1.0" encoding="UTF-8"?>)"
     R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="4" uniqueCount="3">)"
     R"(<si><t>x</t></si><si><r><rPr><b/></rPr><t>bold</t></r><r><t xml:space="preserve"> run</t></r></si>)"
     R"(<si><t>a_x005F_b &amp; &#x4e2d;</t><rPh sb="0" eb="1"><t>p</t></rPh></si>)"
     R"(</sst>)"},
    {"xl/styles.xml",
     R"(<?xml version="1.0" encoding="UTF-8"?>)"
     R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
     R"(<numFmts count="2"><numFmt numFmtId="164" formatCode="yyyy\-mm\-dd;@"/>)"
     R"(<numFmt numFmtId="165" formatCode="[h]:mm:ss"/></numFmts>)"
     R"(<cellXfs count="5"><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/>)"
     R"(<xf numFmtId="165"/><xf numFmtId="2"/></cellXfs>)"
     R"(</styleSheet>)"},
    {"xl/worksheets/sheet1.xml",
     R"(<?xml version="1.0" encoding="UTF-8"?>)"
     R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
     R"(<row r="1"><c r="A1"><v>3</v></c><c r="B1"><v>2.5</v></c><c r="C1" t="s"><v>1</v></c>)"
     R"(<c r="D1" t="b"><v>1</v></c><c r="E1" t="e"><v>#DIV/0!</v></c></row>)"
     R"(<row r="3"><c r="A3" s="1"><v>45000.5</v></c><c r="B3" s="2"><v>1</v></c><c r="C3" s="3"><v>1.25</v></c>)"
     R"(<c r="D3" t="inlineStr"><is><t>inline</t></is></c><c r="E3" t="str"><f>A1</f><v>=3</v></c></row>)"
     R"(<row><c><v>-12</v></c><c t="d"><v>2024-03-01T12:30:00</v></c><c t="s"><v>2</v></c></row>)"
     R"(</sheetData></worksheet>)"},
    {"xl/worksheets/sheet2.xml",
     R"(<?xml version="1.0" encoding="UTF-8"?>)"
     R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
     R"(<row r="2"><c r="$B$2" t="s"><v>0</v></c><c r="C2" s="4"><v>1e-05</v></c></row>)"
     R"(</sheetData></worksheet>)"},
};
constexpr std::size_t kMemberCount = sizeof kMembers / sizeof kMembers[0];

// A zip archive of the members, each stored or deflated as asked.
QByteArray archive(const std::vector<QByteArray>& contents, const std::vector<bool>& deflated) {
  std::vector<trelvo::test::ZipMember> members;
  for (std::size_t i = 0; i < kMemberCount; ++i) members.push_back({kMembers[i].name, contents[i], deflated[i]});
  return trelvo::test::zip_archive(members);
}

// Reads every sheet; a sheet's failure ends the reading only when `strict`.
void read_all(const QByteArray& file, bool strict) {
  trelvo::io::XlsxReader reader(file, 64 << 20);
  reader.activeSheet();
  for (int i = 0; i < reader.sheetNames().size(); ++i) {
    try {
      reader.readSheet(i);
    } catch (const trelvo::io::IoError&) {
      if (strict) throw;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* folder = std::getenv("TRELVO_FUZZ_WRITE_SEEDS");
  if (!folder) return 0;
  QDir().mkpath(QString::fromLocal8Bit(folder));
  for (std::size_t i = 0; i < kMemberCount; ++i) {
    QFile file(QString::fromLocal8Bit(folder) + QStringLiteral("/member%1").arg(i));
    if (!file.open(QIODevice::WriteOnly)) std::abort();
    file.write(QByteArray(1, static_cast<char>(i)) + QByteArray(kMembers[i].text));
  }
  std::exit(0);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<QByteArray> contents;
  for (const Member& m : kMembers) contents.emplace_back(m.text);
  std::vector<bool> deflated(kMemberCount, false);
  const std::size_t pick = (data[0] & 0x7F) % kMemberCount;
  contents[pick] = QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  deflated[pick] = (data[0] & 0x80) != 0;
  const bool unchanged = contents[pick] == QByteArray(kMembers[pick].text);
  try {
    read_all(archive(contents, deflated), unchanged);
  } catch (const trelvo::io::IoError&) {
    if (unchanged) __builtin_trap();  // the valid workbook itself must load
  }
  return 0;
}
