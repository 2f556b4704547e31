#include "sheetgrid/io/biff_reader.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "fitcore/limits.h"
#include "fitcore/numtext.h"
#include "sheetgrid/io/biff_strings.h"

namespace trelvo::io::biff {

namespace {

constexpr quint16 kStreamGlobals = 0x0005;
constexpr quint16 kStreamWorksheet = 0x0010;
constexpr quint16 kStreamWorkspace = 0x0100;

bool is_bof(quint16 code) {
  return code == 0x0809 || code == 0x0409 || code == 0x0209 || code == 0x0009;
}

QString hex4(quint16 v) { return QStringLiteral("0x%1").arg(v, 4, 16, QLatin1Char('0')); }

// Checks a BOF record for the required stream type; the globals' BOF must
// also name BIFF8.
void check_bof(const Record& r, quint16 required) {
  if (!is_bof(r.code)) corrupt(QStringLiteral("expected a BOF record; found %1").arg(hex4(r.code)));
  if (r.data.size() < 4 || r.data.size() > 20)
    corrupt(QStringLiteral("invalid length (%1) for BOF record").arg(r.data.size()));
  const quint16 version = r.data.u16(0);
  const quint16 stream_type = r.data.u16(2);
  if (required == kStreamGlobals) {
    if (r.code != kBof || version != 0x0600)
      throw IoError(QStringLiteral(
          "Unsupported XLS version (BOF record %1, version %2): only Excel 97-2003 (BIFF8) "
          "workbooks are read")
                        .arg(hex4(r.code), hex4(version)));
  }
  if (stream_type == required) return;
  if (stream_type == kStreamWorkspace)
    corrupt(QStringLiteral("Workspace file -- no spreadsheet data"));
  corrupt(QStringLiteral("BOF not workbook/worksheet: stream type %1").arg(hex4(stream_type)));
}

QString number_text(double d) { return QString::fromStdString(trelvo::repr_double(d)); }

bool is_shared_formula_etc(quint16 code) {
  return code == kShrfmla || code == kArray || code == kTableop || code == kTableop2 ||
         code == kArray2 || code == kTableopB2;
}

}  // namespace

QString error_text(quint8 code) {
  switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    case 0x2A: return QStringLiteral("#N/A");
    default: return QString::number(code);
  }
}

double decode_rk(quint32 rk) {
  double d;
  if (rk & 2) {
    d = static_cast<double>(static_cast<qint32>(rk) >> 2);
  } else {
    const quint64 bits = static_cast<quint64>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&d, &bits, sizeof d);
  }
  return (rk & 1) ? d / 100.0 : d;
}

Globals read_globals(ByteView stream) {
  Globals g;
  RecordReader rr(stream, 0);
  if (stream.size() < 4 || !is_bof(stream.u16(0)))
    corrupt(QStringLiteral("expected a BOF record at the start of the workbook"));
  check_bof(rr.next(), kStreamGlobals);
  for (;;) {
    const Record r = rr.next();
    switch (r.code) {
      case kSst: {
        std::vector<ByteView> chunks{r.data};
        while (auto c = rr.nextIf(kContinue)) chunks.push_back(c->data);
        g.shared_strings = read_sst(chunks, trelvo::limits::kMaxSharedStrings);
        break;
      }
      case kBoundsheet: {
        const quint32 offset = r.data.u32(0);
        const quint8 type = r.data.u8(5);
        QString name = read_unicode(r.data, 6, 1);
        if (type != 0) break;
        if (g.sheets.size() >= static_cast<std::size_t>(trelvo::limits::kXlsMaxSheets))
          corrupt(QStringLiteral("more than %1 worksheets").arg(trelvo::limits::kXlsMaxSheets));
        g.sheets.push_back({std::move(name), offset});
        break;
      }
      case kFilepass:
        throw IoError(QStringLiteral("Workbook is encrypted"));
      case kEof:
        return g;
      default:
        break;
    }
  }
}

Extent read_sheet(ByteView stream, const Globals& globals, std::size_t offset, const CellSink& sink) {
  if (offset >= stream.size())
    corrupt(QStringLiteral("a sheet starts at offset %1, past the end of the stream").arg(offset));
  RecordReader rr(stream, offset);
  check_bof(rr.next(), kStreamWorksheet);
  Extent ext;
  auto put = [&](int row, int col, const QString& text) {
    if (col >= trelvo::limits::kXlsMaxCols)
      corrupt(QStringLiteral("cell column %1 is out of range").arg(col));
    sink(row, col, text);
  };
  for (;;) {
    const Record r = rr.next();
    const ByteView& d = r.data;
    switch (r.code) {
      case kNumber:
        put(d.u16(0), d.u16(2), number_text(d.f64(6)));
        break;
      case kLabelsst: {
        const qint32 index = d.i32(6);
        if (index < 0 || static_cast<std::size_t>(index) >= globals.shared_strings.size())
          corrupt(QStringLiteral("LABELSST refers to shared string %1 of %2")
                      .arg(index)
                      .arg(globals.shared_strings.size()));
        put(d.u16(0), d.u16(2), globals.shared_strings[static_cast<std::size_t>(index)]);
        break;
      }
      case kLabel:
      case kRstring:
        put(d.u16(0), d.u16(2), read_unicode(d, 6, 2));
        break;
      case kRk:
        put(d.u16(0), d.u16(2), number_text(decode_rk(d.u32(6))));
        break;
      case kMulrk: {
        d.require(0, 6);
        const int row = d.u16(0);
        const int first = d.u16(2);
        const int last = d.u16(d.size() - 2);
        std::size_t pos = 4;
        for (int col = first; col <= last; ++col, pos += 6) put(row, col, number_text(decode_rk(d.u32(pos + 2))));
        break;
      }
      case kBoolerr:
        d.require(0, 8);
        put(d.u16(0), d.u16(2), d.u8(7) != 0 ? error_text(d.u8(6)) : QString::number(d.u8(6)));
        break;
      case kFormula:
      case kFormula3:
      case kFormula4: {
        d.require(0, 16);
        const int row = d.u16(0);
        const int col = d.u16(2);
        if (d.u8(12) == 0xFF && d.u8(13) == 0xFF) {
          const quint8 kind = d.u8(6);
          if (kind == 0) {
            Record s = rr.next();
            if (s.code != kString && s.code != kStringB2) {
              if (!is_shared_formula_etc(s.code))
                corrupt(QStringLiteral("expected SHRFMLA, ARRAY, TABLEOP* or STRING record; found %1")
                            .arg(hex4(s.code)));
              s = rr.next();
              if (s.code != kString && s.code != kStringB2)
                corrupt(QStringLiteral("expected STRING record; found %1").arg(hex4(s.code)));
            }
            put(row, col, read_string_record(s.data, rr));
          } else if (kind == 1) {
            put(row, col, QString::number(d.u8(8)));
          } else if (kind == 2) {
            put(row, col, error_text(d.u8(8)));
          } else if (kind == 3) {
            put(row, col, QString());
          } else {
            corrupt(QStringLiteral("unexpected special case (0x%1) in FORMULA").arg(kind, 2, 16, QLatin1Char('0')));
          }
        } else {
          put(row, col, number_text(d.f64(6)));
        }
        break;
      }
      case kEof:
        ext.end = rr.position();
        return ext;
      default:
        if (is_bof(r.code)) {
          // An embedded chart or other substream: skipped up to its EOF.
          while (rr.next().code != kEof) {
          }
        }
        break;
    }
  }
}

std::vector<Extent> check_sheets(ByteView stream, const Globals& globals) {
  std::vector<Extent> extents;
  std::map<std::size_t, Extent> seen;
  std::size_t budget = stream.size();
  for (const SheetEntry& s : globals.sheets) {
    auto it = seen.find(s.offset);
    if (it == seen.end()) {
      const Extent ext = read_sheet(stream, globals, s.offset, [](int, int, const QString&) {});
      const std::size_t read = ext.end - s.offset;
      if (read > budget) corrupt(QStringLiteral("worksheets overlap"));
      budget -= read;
      it = seen.emplace(s.offset, ext).first;
    }
    extents.push_back(it->second);
  }
  return extents;
}

}  // namespace trelvo::io::biff
