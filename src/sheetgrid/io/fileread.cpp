#include "sheetgrid/io/fileread.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
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

void read_descriptor(int fd, qint64 limit, const QString& path, const std::function<void(const char*, qsizetype)>& piece) {
  char buf[1 << 16];
  for (qint64 offset = 0; offset < limit;) {
    const ssize_t n = ::pread(fd, buf, static_cast<size_t>(std::min<qint64>(sizeof buf, limit - offset)), offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(os_error_text(errno, path));
    }
    if (n == 0) return;
    piece(buf, static_cast<qsizetype>(n));
    offset += n;
  }
}

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
  QByteArray data;
  read_descriptor(fd_, std::min(n, size_), path_, [&data](const char* p, qsizetype k) { data.append(p, k); });
  return data;
}

QByteArray InputFile::readAll(qint64 max_bytes) const {
  if (size_ > max_bytes) {
    throw IoError(QStringLiteral("The file holds %1 bytes, more than the %2 bytes a table file may hold: '%3'")
                      .arg(size_).arg(max_bytes).arg(path_));
  }
  QByteArray data;
  data.reserve(static_cast<qsizetype>(size_));
  read_descriptor(fd_, size_, path_, [&data](const char* p, qsizetype k) { data.append(p, k); });
  return data;
}

QByteArray read_whole_file(const QString& path, qint64 max_bytes) { return InputFile(path).readAll(max_bytes); }

}  // namespace trelvo::io
