#pragma once
// Reading input files: regular files only, with the system's reason on failure.
#include <QByteArray>
#include <QString>
#include <functional>

namespace trelvo::io {

// Reads `fd` from offset 0 with pread, handing each piece (at most 64 KiB)
// to `piece`, until `limit` bytes or the end of the file, whichever comes
// first; an interrupted read is retried. Throws IoError with the system's
// reason for `path` when a read fails.
void read_descriptor(int fd, qint64 limit, const QString& path, const std::function<void(const char*, qsizetype)>& piece);

// An input file opened for reading. Only a regular file (or a symbolic link
// to one) is opened: a FIFO, a device such as /dev/zero, a socket or a
// folder is refused at once, without waiting for a writer and without
// reading from it. Only as many bytes as the file's size when it was opened
// are read, so a pseudo-file that reports no size (/proc/self/pagemap,
// /proc/kmsg) reads as empty and never blocks. Throws IoError "[Errno 2] No such file or directory:
// 'path'" (and the like) when it cannot be opened, "Not a regular file:
// 'path'" for anything else. Owns its descriptor until release().
class InputFile {
 public:
  explicit InputFile(const QString& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  int fd() const { return fd_; }
  // The file's size when it was opened.
  qint64 size() const { return size_; }
  // Up to `n` bytes from the start, fewer for a shorter file.
  QByteArray head(qint64 n) const;
  // The file's size() bytes (fewer if it has shrunk); throws IoError when it
  // cannot be read or its size is more than `max_bytes` bytes.
  QByteArray readAll(qint64 max_bytes) const;
  // Hands the descriptor over to the caller, who closes it.
  int release();

 private:
  QString path_;
  int fd_ = -1;
  qint64 size_ = 0;
};

// The file's bytes (InputFile(path).readAll(max_bytes)).
QByteArray read_whole_file(const QString& path, qint64 max_bytes);

}  // namespace trelvo::io
