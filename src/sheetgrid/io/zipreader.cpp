#include "sheetgrid/io/zipreader.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <QBuffer>

#include "sheetgrid/io/table.h"

namespace trelvo::io {

struct ZipReader::Impl {
  QBuffer buffer;
  QuaZip zip{&buffer};
  QSet<QString> names;
  qint64 budget = 0;
};

ZipReader::ZipReader(const QByteArray& archive, qint64 max_decompressed) : d_(std::make_unique<Impl>()) {
  d_->budget = max_decompressed;
  d_->buffer.setData(archive);
  if (!d_->zip.open(QuaZip::mdUnzip)) throw IoError(std::string("File is not a zip file"));
  const QStringList names = d_->zip.getFileNameList();
  if (d_->zip.getZipError() != 0) throw IoError(std::string("File is not a zip file"));
  for (const QString& name : names) d_->names.insert(name);
}

ZipReader::~ZipReader() {
  d_->zip.close();
}

bool ZipReader::contains(const QString& name) const {
  return d_->names.contains(name);
}

QByteArray ZipReader::read(const QString& name) {
  if (!contains(name) || !d_->zip.setCurrentFile(name)) {
    throw IoError(QStringLiteral("There is no item named '%1' in the archive").arg(name));
  }
  QuaZipFile file(&d_->zip);
  if (!file.open(QIODevice::ReadOnly)) {
    throw IoError(QStringLiteral("Bad zip member '%1' (error %2)").arg(name).arg(file.getZipError()));
  }
  QByteArray out;
  char chunk[1 << 16];
  for (;;) {
    const qint64 n = file.read(chunk, sizeof chunk);
    if (n < 0 || file.getZipError() != 0) {
      throw IoError(QStringLiteral("Error -3 while decompressing data: '%1' is corrupt").arg(name));
    }
    if (n == 0) break;
    if (n > d_->budget) {
      throw IoError(QStringLiteral("The workbook decompresses to more than the allowed size (member '%1')").arg(name));
    }
    d_->budget -= n;
    out.append(chunk, static_cast<qsizetype>(n));
  }
  file.close();
  if (file.getZipError() != 0) {
    throw IoError(QStringLiteral("Bad CRC-32 for file '%1'").arg(name));
  }
  return out;
}

}  // namespace trelvo::io
