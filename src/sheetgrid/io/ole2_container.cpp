#include "sheetgrid/io/ole2_container.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "fitcore/limits.h"
#include "sheetgrid/io/fileread.h"
#include "sheetgrid/io/table.h"

namespace trelvo::io::ole2 {

namespace {

const char kSignature[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};

void ensure_gsf() {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
}

// Owns one GObject reference.
template <typename T>
struct GRef {
  T* p = nullptr;
  explicit GRef(T* ptr = nullptr) : p(ptr) {}
  GRef(const GRef&) = delete;
  GRef& operator=(const GRef&) = delete;
  ~GRef() {
    if (p) g_object_unref(p);
  }
};

QString take_error(GError* err, const char* fallback) {
  QString msg = err && err->message ? QString::fromUtf8(err->message) : QString::fromLatin1(fallback);
  if (err) g_error_free(err);
  return msg;
}

[[noreturn]] void too_large(qint64 size) {
  throw IoError(QStringLiteral("The workbook stream is too large (%1 bytes, at most %2)")
                    .arg(size)
                    .arg(trelvo::limits::kMaxDecompressedBytes));
}

QByteArray read_all(GsfInput* in) {
  const gsf_off_t size = gsf_input_size(in);
  if (size < 0) throw IoError(QStringLiteral("Cannot read the workbook stream (damaged file)"));
  if (size > trelvo::limits::kMaxDecompressedBytes) too_large(size);
  // Grown chunk by chunk, so that a size the container merely declares is
  // never allocated before its sectors have been read.
  QByteArray out;
  gsf_off_t done = 0;
  while (done < size) {
    const qsizetype n = static_cast<qsizetype>(std::min<gsf_off_t>(size - done, 1 << 20));
    out.resize(static_cast<qsizetype>(done) + n);
    if (!gsf_input_read(in, static_cast<size_t>(n), reinterpret_cast<guint8*>(out.data()) + done))
      throw IoError(QStringLiteral("Cannot read the workbook stream (damaged file)"));
    done += n;
  }
  return out;
}

QByteArray workbook_of(GsfInput* source) {
  GError* err = nullptr;
  GRef<GsfInfile> ole(gsf_infile_msole_new(source, &err));
  if (!ole.p)
    throw IoError(QStringLiteral("Not a valid OLE2 compound document: %1")
                      .arg(take_error(err, "unreadable container")));
  if (err) g_error_free(err);
  const int n = gsf_infile_num_children(ole.p);
  for (const char* wanted : {"Workbook", "Book"}) {
    for (int i = 0; i < n; ++i) {
      const char* name = gsf_infile_name_by_index(ole.p, i);
      if (!name || g_ascii_strcasecmp(name, wanted) != 0) continue;
      GRef<GsfInput> child(gsf_infile_child_by_index(ole.p, i));
      if (!child.p) throw IoError(QStringLiteral("Cannot open the workbook stream (damaged file)"));
      return read_all(child.p);
    }
  }
  throw IoError(QStringLiteral("Can't find workbook in OLE2 compound document"));
}

bool has_signature(const QByteArray& head) {
  return head.size() >= 8 && std::equal(kSignature, kSignature + 8, head.constData());
}

}  // namespace

QByteArray read_workbook_stream(const QString& path) {
  ensure_gsf();
  InputFile file(path);
  const QByteArray head = file.head(8);
  if (head.startsWith("PK\x03\x04"))
    throw IoError(QStringLiteral("%1 is an XLSX (zip) workbook, not an XLS workbook").arg(path));
  if (!has_signature(head)) {
    if (file.size() > trelvo::limits::kMaxDecompressedBytes) too_large(file.size());
    return file.readAll(trelvo::limits::kMaxDecompressedBytes);
  }
  // libgsf reads the very file checked above, through its descriptor.
  struct Stream {
    FILE* f;
    ~Stream() {
      if (f) std::fclose(f);
    }
  } stream{::fdopen(file.fd(), "rb")};
  if (!stream.f) throw IoError(QStringLiteral("Cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
  file.release();
  GRef<GsfInput> in(gsf_input_stdio_new_FILE(QFile::encodeName(path).constData(), stream.f, TRUE));
  if (!in.p) throw IoError(QStringLiteral("Cannot open %1").arg(path));
  return workbook_of(in.p);
}

QByteArray read_workbook_stream_from_bytes(const QByteArray& file) {
  ensure_gsf();
  if (file.startsWith("PK\x03\x04")) throw IoError(QStringLiteral("This is an XLSX (zip) workbook, not an XLS workbook"));
  if (!has_signature(file)) {
    if (file.size() > trelvo::limits::kMaxDecompressedBytes) too_large(file.size());
    return file;
  }
  GRef<GsfInput> in(gsf_input_memory_new(reinterpret_cast<const guint8*>(file.constData()),
                                         static_cast<gsf_off_t>(file.size()), FALSE));
  if (!in.p) throw IoError(QStringLiteral("Cannot read the workbook file"));
  return workbook_of(in.p);
}

QByteArray make_workbook_file(const QByteArray& stream) {
  ensure_gsf();
  GRef<GsfOutput> mem(gsf_output_memory_new());
  if (!mem.p) throw IoError(QStringLiteral("Cannot create the workbook container"));
  auto failed = [](GsfOutput* out, const char* what) {
    const GError* e = out ? gsf_output_error(out) : nullptr;
    const QString detail = e && e->message ? QString::fromUtf8(e->message) : QStringLiteral("libgsf failed");
    throw IoError(QStringLiteral("Cannot write the workbook container (%1): %2")
                      .arg(QLatin1String(what), detail));
  };
  {
    GRef<GsfOutfile> ole(gsf_outfile_msole_new(mem.p));
    if (!ole.p) failed(mem.p, "create");
    {
      GRef<GsfOutput> child(gsf_outfile_new_child(ole.p, "Workbook", FALSE));
      if (!child.p) failed(GSF_OUTPUT(ole.p), "add stream");
      if (!gsf_output_write(child.p, static_cast<size_t>(stream.size()),
                            reinterpret_cast<const guint8*>(stream.constData())))
        failed(child.p, "write");
      if (!gsf_output_close(child.p)) failed(child.p, "close stream");
    }
    if (!gsf_output_close(GSF_OUTPUT(ole.p))) failed(GSF_OUTPUT(ole.p), "close");
  }
  const gsf_off_t size = gsf_output_size(mem.p);
  const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(mem.p));
  if (size <= 0 || !bytes) failed(mem.p, "collect");
  return QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
}

}  // namespace trelvo::io::ole2
