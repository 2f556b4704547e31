#include "sheetgrid/io/biff_writer.h"

#include <QHash>
#include <algorithm>
#include <cstring>
#include <vector>

#include "fitcore/limits.h"
#include "sheetgrid/io/biff_records.h"

namespace trelvo::io::biff {

namespace {

constexpr std::size_t kMaxRecordData = 8224;
constexpr quint16 kCellXf = 0x0011;

// A growing little-endian byte buffer of records.
class Writer {
 public:
  QByteArray bytes;

  std::size_t size() const { return static_cast<std::size_t>(bytes.size()); }
  void u8(quint8 v) { bytes.append(static_cast<char>(v)); }
  void u16(quint16 v) {
    u8(static_cast<quint8>(v & 0xFF));
    u8(static_cast<quint8>(v >> 8));
  }
  void u32(quint32 v) {
    u16(static_cast<quint16>(v & 0xFFFF));
    u16(static_cast<quint16>(v >> 16));
  }
  void put_u32(std::size_t at, quint32 v) {
    for (int i = 0; i < 4; ++i) bytes[static_cast<qsizetype>(at) + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  void put_u16(std::size_t at, quint16 v) {
    bytes[static_cast<qsizetype>(at)] = static_cast<char>(v & 0xFF);
    bytes[static_cast<qsizetype>(at) + 1] = static_cast<char>(v >> 8);
  }

  // A record from its code and data written as hex digits.
  void record(quint16 code, const char* hex = "") {
    const QByteArray data = QByteArray::fromHex(hex);
    u16(code);
    u16(static_cast<quint16>(data.size()));
    bytes.append(data);
  }
  // Starts a record whose length is patched by end_record().
  std::size_t begin_record(quint16 code) {
    u16(code);
    const std::size_t at = size();
    u16(0);
    return at;
  }
  void end_record(std::size_t length_at) {
    put_u16(length_at, static_cast<quint16>(size() - length_at - 2));
  }
};


bool fits_latin1(const QString& s) {
  return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x100; });
}

// The shared strings, each written as xlwt does: compressed when every
// character fits in one byte, else UTF-16LE.
struct SharedStrings {
  std::vector<QString> unique;
  QHash<QString, quint32> index;
  quint32 total = 0;

  quint32 add(const QString& s) {
    ++total;
    auto it = index.constFind(s);
    if (it != index.constEnd()) return it.value();
    const quint32 i = static_cast<quint32>(unique.size());
    index.insert(s, i);
    unique.push_back(s);
    return i;
  }
};

// Writes SST and its CONTINUE records, then EXTSST with the position of
// every bucket's first string.
void write_sst(Writer& w, const SharedStrings& sst) {
  const std::size_t n = sst.unique.size();
  const std::size_t per_bucket = std::max<std::size_t>(8, (n + 127) / 128);
  struct Bucket {
    quint32 stream_pos;
    quint16 record_offset;
  };
  std::vector<Bucket> buckets;

  std::size_t rec_start = w.size();  // header of the current SST/CONTINUE record
  std::size_t len_at = w.begin_record(kSst);
  w.u32(sst.total);
  w.u32(static_cast<quint32>(n));
  auto room = [&] { return kMaxRecordData - (w.size() - rec_start - 4); };
  auto next_record = [&] {
    w.end_record(len_at);
    rec_start = w.size();
    len_at = w.begin_record(kContinue);
  };

  for (std::size_t i = 0; i < n; ++i) {
    const QString& s = sst.unique[i];
    const bool wide = !fits_latin1(s);
    const std::size_t unit = wide ? 2 : 1;
    // The header and at least one character stay in one record.
    if (room() < 3 + (s.isEmpty() ? 0 : unit)) next_record();
    if (i % per_bucket == 0)
      buckets.push_back({static_cast<quint32>(w.size()), static_cast<quint16>(w.size() - rec_start)});
    w.u16(static_cast<quint16>(s.size()));
    w.u8(wide ? 1 : 0);
    // A record never ends between the two halves of a surrogate pair: readers
    // (xlrd among them) decode each record's part on its own.
    qsizetype done = 0;
    while (done < s.size()) {
      qsizetype take = std::min<qsizetype>(static_cast<qsizetype>(room() / unit), s.size() - done);
      if (take > 0 && take < s.size() - done && s[done + take - 1].isHighSurrogate()) --take;
      if (take == 0) {
        next_record();
        w.u8(wide ? 1 : 0);
        continue;
      }
      for (qsizetype k = done; k < done + take; ++k) {
        if (wide)
          w.u16(s[k].unicode());
        else
          w.u8(static_cast<quint8>(s[k].unicode()));
      }
      done += take;
    }
  }
  w.end_record(len_at);

  const std::size_t ext_at = w.begin_record(kExtsst);
  w.u16(static_cast<quint16>(per_bucket));
  for (const Bucket& b : buckets) {
    w.u32(b.stream_pos);
    w.u16(b.record_offset);
    w.u16(0);
  }
  w.end_record(ext_at);
}

void write_globals_head(Writer& w) {
  w.record(kBof, "00060500bb0dcc070000000006000000");
  w.record(0x00E1, "b004");  // INTERFACEHDR
  w.record(0x00C1, "0000");  // MMS
  w.record(0x00E2);          // INTERFACEEND
  {
    // WRITEACCESS: the user name "None" padded with blanks to 112 bytes.
    QByteArray name = "None";
    name.append(QByteArray(112 - name.size(), ' '));
    w.record(0x005C, name.toHex().constData());
  }
  w.record(kCodepage, "b004");  // 1200: UTF-16
  w.record(0x0161, "0000");     // DSF
  w.record(0x013D, "0100");     // TABID
  w.record(0x009C, "0e00");     // FNGROUPCOUNT
  w.record(0x0019, "0000");     // WINDOWPROTECT
  w.record(0x0012, "0000");     // PROTECT
  w.record(0x0063, "0000");     // OBJPROTECT
  w.record(0x0013, "0000");     // PASSWORD
  w.record(0x01AF, "0000");     // PROT4REV
  w.record(0x01BC, "0000");     // PROT4REVPASS
  w.record(0x0040, "0000");     // BACKUP
  w.record(0x008D, "0000");     // HIDEOBJ
  w.record(0x003D, "e0015a00cf3f4e2a38000000000001005802");  // WINDOW1
  w.record(0x0022, "0000");     // DATEMODE: 1900
  w.record(0x000E, "0100");     // PRECISION
  w.record(0x01B7, "0000");     // REFRESHALL
  w.record(0x00DA, "0000");     // BOOKBOOL
  for (int i = 0; i < 7; ++i) w.record(0x0031, "c8000000ff7f90010000000001000500417269616c");  // FONT Arial 10
  w.record(0x041E, "a40007000047656e6572616c");  // FORMAT 164 "General"
  for (int i = 0; i < 16; ++i) w.record(0x00E0, "0600a400f5ff200000f40000000000000000c020");  // style XFs
  w.record(0x00E0, "0600a4000100200000f80000000000000000c020");  // cell XF 16
  w.record(0x00E0, "0700a4000100200000f80000000000000000c020");  // cell XF 17, used by every cell
  w.record(0x0293, "008000ff");  // STYLE: built-in Normal
  w.record(0x0160, "0100");      // USESELFS
}

void write_sheet_head(Writer& w, quint32 nrows, quint16 ncols) {
  w.record(kBof, "00061000bb0dcc070000000006000000");
  w.record(0x000D, "0100");              // CALCMODE
  w.record(0x000C, "6400");              // CALCCOUNT
  w.record(0x000F, "0100");              // REFMODE
  w.record(0x0011, "0000");              // ITERATION
  w.record(0x0010, "fca9f1d24d62503f");  // DELTA
  w.record(0x005F, "0000");              // SAVERECALC
  w.record(0x0080, "0000000001000000");  // GUTS
  w.record(0x0225, "0000ff00");          // DEFAULTROWHEIGHT
  w.record(0x0081, "010c");              // WSBOOL
  const std::size_t dim = w.begin_record(kDimensions);
  w.u32(0);
  w.u32(nrows);
  w.u16(0);
  w.u16(ncols);
  w.u16(0);
  w.end_record(dim);
  w.record(0x002A, "0000");              // PRINTHEADERS
  w.record(0x002B, "0000");              // PRINTGRIDLINES
  w.record(0x0082, "0100");              // GRIDSET
  w.record(0x001B, "0000");              // HORIZONTALPAGEBREAKS
  w.record(0x001A, "0000");              // VERTICALPAGEBREAKS
  w.record(0x0014, "0200002650");        // HEADER "&P"
  w.record(0x0015, "0200002646");        // FOOTER "&F"
  w.record(0x0083, "0100");              // HCENTER
  w.record(0x0084, "0000");              // VCENTER
  w.record(0x0026, "333333333333d33f");  // LEFTMARGIN
  w.record(0x0027, "333333333333d33f");  // RIGHTMARGIN
  w.record(0x0028, "85eb51b81e85e33f");  // TOPMARGIN
  w.record(0x0029, "ae47e17a14aed73f");  // BOTTOMMARGIN
  w.record(0x00A1, "0900640001000100010083002c012c019a9999999999b93f9a9999999999b93f0100");  // SETUP
  w.record(0x0012, "0000");              // PROTECT
  w.record(0x00DD, "0000");              // SCENPROTECT
  w.record(0x0019, "0000");              // WINDOWPROTECT
  w.record(0x0063, "0000");              // OBJPROTECT
  w.record(0x0013, "0000");              // PASSWORD
}

struct Cell {
  quint16 col;
  quint32 sst;
};

}  // namespace

QByteArray build_workbook_stream(const TextRows& rows) {
  using trelvo::limits::kXlsMaxCellChars;
  using trelvo::limits::kXlsMaxCols;
  using trelvo::limits::kXlsMaxRows;
  if (rows.size() > static_cast<std::size_t>(kXlsMaxRows))
    throw IoError(QStringLiteral("Too many rows for an XLS sheet: %1 (at most %2)").arg(rows.size()).arg(kXlsMaxRows));
  SharedStrings sst;
  std::vector<std::vector<Cell>> cells(rows.size());
  quint32 nrows = 0;
  quint16 ncols = 0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].size() > static_cast<std::size_t>(kXlsMaxCols))
      throw IoError(QStringLiteral("Too many columns for an XLS sheet: %1 (at most %2)")
                        .arg(rows[r].size())
                        .arg(kXlsMaxCols));
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      const QString& text = rows[r][c];
      if (is_empty_cell_text(text)) continue;
      if (text.size() > kXlsMaxCellChars)
        throw IoError(QStringLiteral("Cell text too long for XLS at row %1, column %2: %3 characters (at most %4)")
                          .arg(r)
                          .arg(c)
                          .arg(text.size())
                          .arg(kXlsMaxCellChars));
      cells[r].push_back({static_cast<quint16>(c), sst.add(text)});
      nrows = static_cast<quint32>(r + 1);
      ncols = std::max<quint16>(ncols, static_cast<quint16>(c + 1));
    }
  }

  Writer w;
  write_globals_head(w);
  const std::size_t boundsheet = w.begin_record(kBoundsheet);
  w.u32(0);  // the sheet's BOF offset, patched below
  w.u8(0);   // visible
  w.u8(0);   // worksheet
  w.u8(6);   // "Sheet1", compressed
  w.u8(0);
  w.bytes.append("Sheet1");
  w.end_record(boundsheet);
  write_sst(w, sst);
  w.record(kEof);

  w.put_u32(boundsheet + 2, static_cast<quint32>(w.size()));
  write_sheet_head(w, nrows, ncols);
  // Rows in blocks of 32: the ROW records, then the cells of those rows.
  for (std::size_t block = 0; block < nrows; block += 32) {
    const std::size_t end = std::min<std::size_t>(block + 32, nrows);
    for (std::size_t r = block; r < end; ++r) {
      if (cells[r].empty()) continue;
      const std::size_t at = w.begin_record(kRow);
      w.u16(static_cast<quint16>(r));
      w.u16(cells[r].front().col);
      w.u16(static_cast<quint16>(cells[r].back().col + 1));
      w.u16(0x00FF);
      w.u16(0);
      w.u16(0);
      w.u32(0x000F0100);
      w.end_record(at);
    }
    for (std::size_t r = block; r < end; ++r) {
      for (const Cell& cell : cells[r]) {
        const std::size_t at = w.begin_record(kLabelsst);
        w.u16(static_cast<quint16>(r));
        w.u16(cell.col);
        w.u16(kCellXf);
        w.u32(cell.sst);
        w.end_record(at);
      }
    }
  }
  w.record(kWindow2, "b60200000000400000000000000000000000");
  w.record(kEof);
  if (w.bytes.size() < 4096) w.bytes.append(QByteArray(4096 - w.bytes.size(), '\0'));
  return w.bytes;
}

}  // namespace trelvo::io::biff
