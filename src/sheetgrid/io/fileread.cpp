#include "sheetgrid/io/fileread.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "sheetgrid/io/atomicfile.h"
#include "sheetgrid/io/table.h"

namespace trelvo::io {

namespace {

void check_regular(const struct stat& st, const QString& path) {
  if (S_ISDIR(st.st_mode)) throw IoError(os_error_text(EISDIR, path));
  if (!S_ISREG(st.st_mode)) throw IoError(QStringLiteral("Not a regular file: '%1'").arg(path));
}

}  // namespace

InputFile::InputFile(const QString& path) : path_(path) {
  const QByteArray name = QFile::encodeName(path);
  // Refused by its name first, so that no device is even opened; checked
  // again on the descriptor, as the name may have changed meanwhile.
  struct stat st;
  if (::stat(name.constData(), &st) != 0) throw IoError(os_error_text(errno, path));
  check_regular(st, path);
  // O_NONBLOCK: opening a FIFO that has taken the name's place does not wait.
  fd_ = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd_ < 0) throw IoError(os_error_text(errno, path));
  try {
    if (::fstat(fd_, &st) != 0) throw IoError(os_error_text(errno, path));
    check_regular(st, path);
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) throw IoError(os_error_text(errno, path));
  } catch (...) {
    ::close(fd_);
    throw;
  }
  size_ = st.st_size;
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

int InputFile::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

QByteArray InputFile::head(qint64 n) const {
  QByteArray data(static_cast<qsizetype>(n), Qt::Uninitialized);
  qint64 got = 0;
  while (got < n) {
    const ssize_t r = ::pread(fd_, data.data() + got, static_cast<size_t>(n - got), got);
    if (r < 0) {
      if (errno == EINTR) continue;
      throw IoError(os_error_text(errno, path_));
    }
    if (r == 0) break;
    got += r;
  }
  data.truncate(static_cast<qsizetype>(got));
  return data;
}

QByteArray InputFile::readAll(qint64 max_bytes) const {
  if (size_ > max_bytes) {
    throw IoError(QStringLiteral("The file holds %1 bytes, more than the %2 bytes a table file may hold: '%3'")
                      .arg(size_).arg(max_bytes).arg(path_));
  }
  QByteArray data;
  data.reserve(static_cast<qsizetype>(size_));
  char buf[1 << 16];
  for (qint64 offset = 0;;) {
    const ssize_t n = ::pread(fd_, buf, sizeof buf, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(os_error_text(errno, path_));
    }
    if (n == 0) break;
    // The file may have grown since it was opened.
    if (data.size() + n > max_bytes) {
      throw IoError(QStringLiteral("The file holds more than the %1 bytes a table file may hold: '%2'")
                        .arg(max_bytes).arg(path_));
    }
    data.append(buf, n);
    offset += n;
  }
  return data;
}

QByteArray read_whole_file(const QString& path, qint64 max_bytes) { return InputFile(path).readAll(max_bytes); }

}  // namespace trelvo::io
