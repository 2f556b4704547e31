#pragma once
// Members of a zip archive held in memory, decompressed under a byte budget.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

namespace trelvo::io {

// Reads stored and deflated members of a zip archive (no encryption, no
// ZIP64). Read-only; every failure throws IoError.
class ZipReader {
 public:
  // Indexes the archive's central directory. At most `max_decompressed` bytes
  // are decompressed over the reader's lifetime, counted while inflating.
  // Throws IoError "File is not a zip file" when the central directory is
  // missing, truncated or inconsistent.
  ZipReader(const QByteArray& archive, qint64 max_decompressed);

  bool contains(const QString& name) const { return entries_.contains(name); }
  // The names of every member.
  QStringList names() const { return entries_.keys(); }

  // The member's bytes. Throws IoError when it is missing ("There is no item
  // named 'x' in the archive"), encrypted, uses another compression method,
  // is corrupt (bad deflate data, size or CRC-32 mismatch), or would pass the
  // byte budget.
  QByteArray read(const QString& name);

  // A member read piece by piece, for callers that consume it as it is
  // inflated. The reader must outlive it.
  class Member {
   public:
    Member(Member&&) noexcept;
    Member& operator=(Member&&) noexcept;
    ~Member();
    // The next piece of the member's bytes (at most 64 KiB); an empty array
    // once the member has ended and its size and CRC-32 were found right.
    // Throws IoError as read() does, at the piece where the fault shows.
    QByteArray next();

   private:
    friend class ZipReader;
    struct State;
    explicit Member(std::unique_ptr<State> state);
    std::unique_ptr<State> d_;
  };

  // Starts reading a member. Throws IoError as read() does for a missing,
  // encrypted or misplaced member, or one of another compression method.
  Member open(const QString& name);

 private:
  struct Entry {
    quint16 flags = 0;
    quint16 method = 0;
    quint32 crc = 0;
    quint32 compressed = 0;
    quint32 size = 0;
    quint32 offset = 0;
  };
  QByteArray archive_;
  QHash<QString, Entry> entries_;
  qint64 budget_;
};

}  // namespace trelvo::io
