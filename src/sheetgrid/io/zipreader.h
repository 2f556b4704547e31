#pragma once
// Members of a zip archive held in memory, decompressed under a byte budget.
#include <QByteArray>
#include <QSet>
#include <QString>
#include <memory>

namespace trelvo::io {

class ZipReader {
 public:
  // Opens the archive in `archive` (which must outlive the reader). At most
  // `max_decompressed` bytes are decompressed over the reader's lifetime,
  // counted while streaming. Throws IoError "File is not a zip file" when the
  // central directory cannot be read (truncated or not a zip).
  ZipReader(const QByteArray& archive, qint64 max_decompressed);
  ~ZipReader();

  bool contains(const QString& name) const;

  // The member's bytes. Throws IoError when it is missing ("There is no item
  // named 'x' in the archive"), corrupt (bad data, CRC mismatch) or would
  // pass the byte budget.
  QByteArray read(const QString& name);

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace trelvo::io
