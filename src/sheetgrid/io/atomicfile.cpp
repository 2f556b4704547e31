#include "sheetgrid/io/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sheetgrid/io/table.h"

namespace trelvo::io {

QString os_error_text(int err, const QString& path) {
  return QStringLiteral("[Errno %1] %2: '%3'").arg(err).arg(QString::fromLocal8Bit(std::strerror(err)), path);
}

namespace {

QString resolve_target(const QString& target) {
  QFileInfo info(target);
  if (info.isSymLink()) {
    const QString linked = info.symLinkTarget();
    if (!linked.isEmpty()) return linked;
  }
  return target;
}

mode_t new_file_mode(const QByteArray& target) {
  struct stat st;
  if (::stat(target.constData(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

AtomicFile::AtomicFile(const QString& target) : target_(resolve_target(target)) {
  const QFileInfo info(target_);
  if (info.isDir()) throw IoError(os_error_text(EISDIR, target));
  const QString folder = info.absolutePath();
  QByteArray pattern = QFile::encodeName(folder + QLatin1Char('/') + QLatin1Char('.') + info.fileName()) + ".XXXXXX";
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) throw IoError(os_error_text(errno, target));
  temp_ = QFile::decodeName(pattern);
  if (::fchmod(fd_, new_file_mode(QFile::encodeName(target_))) != 0) {
    const int err = errno;
    ::close(fd_);
    ::unlink(pattern.constData());
    fd_ = -1;
    throw IoError(os_error_text(err, target));
  }
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temp_.isEmpty()) ::unlink(QFile::encodeName(temp_).constData());
}

void AtomicFile::write(const QByteArray& bytes) {
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(os_error_text(errno, target_));
    }
    p += n;
    left -= n;
  }
}

void AtomicFile::commit() {
  if (::fsync(fd_) != 0) throw IoError(os_error_text(errno, target_));
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw IoError(os_error_text(errno, target_));
  const QByteArray from = QFile::encodeName(temp_);
  const QByteArray to = QFile::encodeName(target_);
  if (::rename(from.constData(), to.constData()) != 0) throw IoError(os_error_text(errno, target_));
  committed_ = true;
  const int dir = ::open(QFile::encodeName(QFileInfo(target_).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace trelvo::io
