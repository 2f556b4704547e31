#include "sheetgrid/io/fileread.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "sheetgrid/io/atomicfile.h"
#include "sheetgrid/io/table.h"

namespace trelvo::io {

QByteArray read_whole_file(const QString& path, qint64 max_bytes) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw IoError(os_error_text(errno, path));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st;
  if (::fstat(fd, &st) != 0) throw IoError(os_error_text(errno, path));
  if (S_ISDIR(st.st_mode)) throw IoError(os_error_text(EISDIR, path));
  QByteArray data;
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    if (st.st_size > max_bytes) {
      throw IoError(QStringLiteral("The file holds %1 bytes, more than the %2 bytes a table file may hold: '%3'")
                        .arg(st.st_size).arg(max_bytes).arg(path));
    }
    data.reserve(static_cast<qsizetype>(st.st_size));
  }
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(os_error_text(errno, path));
    }
    if (n == 0) break;
    if (data.size() + n > max_bytes) {
      throw IoError(QStringLiteral("The file holds more than the %1 bytes a table file may hold: '%2'")
                        .arg(max_bytes).arg(path));
    }
    data.append(buf, n);
  }
  return data;
}

}  // namespace trelvo::io
