#include "sheetgrid/io/atomicfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fitcore/limits.h"
#include "sheetgrid/io/fileread.h"
#include "sheetgrid/io/table.h"

namespace trelvo::io {

QString os_error_text(int err, const QString& path) {
  return QStringLiteral("[Errno %1] %2: '%3'").arg(err).arg(QString::fromLocal8Bit(std::strerror(err)), path);
}

namespace {

constexpr char kTempStart[] = ".trelvo-";
constexpr char kTempEnd[] = ".tmp";
constexpr int kTempRandom = 6;  // the XXXXXX of mkostemps

std::atomic<ReadBackHook> read_back_hook{nullptr};

void before_read_back(const QString& temp) {
  if (const ReadBackHook hook = read_back_hook.load()) hook(temp);
}

// The text of the symbolic link `link`.
QByteArray read_link(const QByteArray& link, const QString& target) {
  QByteArray text(256, Qt::Uninitialized);
  for (;;) {
    const ssize_t n = ::readlink(link.constData(), text.data(), static_cast<size_t>(text.size()));
    if (n < 0) throw IoError(os_error_text(errno, target));
    if (n < text.size()) {
      text.truncate(n);
      return text;
    }
    text.resize(text.size() * 2);
  }
}

// The file open(target) reaches, found as the system finds it: name by name
// from the working folder (or the root), each symbolic link's text read
// against the real folder that holds the link, so that a ".." in it leaves
// that folder and not the name the link was reached through; at most
// kMaxSaveLinkHops links in all, folders and the final name together. A
// final name that does not exist (also where a dangling link points) is the
// file a save creates. Throws IoError with the system's reason: ELOOP past
// the links the system follows (a loop among them), ENOENT for a missing
// folder, ENOTDIR, EACCES.
QByteArray resolve_target(const QString& target) {
  const QByteArray name = QFile::encodeName(target);
  if (name.isEmpty()) throw IoError(os_error_text(ENOENT, target));
  // The real folder reached so far, absolute, "" for the root.
  QByteArray folder;
  if (!name.startsWith('/')) {
    char* cwd = ::getcwd(nullptr, 0);
    if (!cwd) throw IoError(os_error_text(errno, target));
    folder = cwd;
    std::free(cwd);
    if (folder == "/") folder.clear();
  }
  // The names still to walk, the next one last. A path ending in "/" names
  // a folder: its "." keeps the name before it from being the final one.
  std::vector<QByteArray> rest;
  const auto walk_next = [&rest](const QByteArray& path) {
    if (path.endsWith('/')) rest.emplace_back(".");
    const QList<QByteArray> parts = path.split('/');
    for (auto part = parts.rbegin(); part != parts.rend(); ++part)
      if (!part->isEmpty()) rest.push_back(*part);
  };
  walk_next(name);
  int links = 0;
  while (!rest.empty()) {
    const QByteArray part = std::move(rest.back());
    rest.pop_back();
    if (part == ".") continue;
    if (part == "..") {
      folder.truncate(std::max<qsizetype>(0, folder.lastIndexOf('/')));
      continue;
    }
    const QByteArray path = folder + '/' + part;
    struct stat st;
    if (::lstat(path.constData(), &st) != 0) {
      if (errno == ENOENT && rest.empty()) return path;
      throw IoError(os_error_text(errno, target));
    }
    if (S_ISLNK(st.st_mode)) {
      if (++links > limits::kMaxSaveLinkHops) throw IoError(os_error_text(ELOOP, target));
      const QByteArray text = read_link(path, target);
      if (text.startsWith('/')) folder.clear();
      walk_next(text);
      continue;
    }
    if (!rest.empty() && !S_ISDIR(st.st_mode)) throw IoError(os_error_text(ENOTDIR, target));
    folder = path;
  }
  return folder.isEmpty() ? QByteArray("/") : folder;
}

mode_t new_file_mode(const struct stat* existing) {
  if (existing) return existing->st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// ".trelvo-HHHHHHHH-": the start of every temporary file name of `name`.
QByteArray temp_prefix(const QByteArray& name) {
  return QByteArray(kTempStart) + QCryptographicHash::hash(name, QCryptographicHash::Sha1).left(4).toHex() + '-';
}

// Removes the temporary files of earlier saves of the same name in `folder`
// that no live save holds locked. Best effort: what cannot be removed stays.
void remove_stale_temps(const QByteArray& folder, const QByteArray& prefix) {
  const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  DIR* entries = ::fdopendir(dir);
  if (!entries) {
    ::close(dir);
    return;
  }
  const std::size_t length = static_cast<std::size_t>(prefix.size()) + kTempRandom + std::strlen(kTempEnd);
  while (const dirent* e = ::readdir(entries)) {
    const char* name = e->d_name;
    if (std::strlen(name) != length || std::strncmp(name, prefix.constData(), prefix.size()) != 0 ||
        std::strcmp(name + prefix.size() + kTempRandom, kTempEnd) != 0)
      continue;
    // A temporary file has its target's mode, which may deny reading.
    int fd = ::openat(dir, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) fd = ::openat(dir, name, O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlinkat(dir, name, 0);
    ::close(fd);
  }
  ::closedir(entries);
}

void write_all(int fd, const char* p, qsizetype left, const QString& target) {
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(os_error_text(errno, target));
    }
    p += n;
    left -= n;
  }
}

}  // namespace

AtomicFile::AtomicFile(const QString& target) : target_(QFile::decodeName(resolve_target(target))) {
  const QFileInfo info(target_);
  if (info.isDir()) throw IoError(os_error_text(EISDIR, target));
  const QByteArray target_name = QFile::encodeName(target_);
  struct stat existing;
  const bool exists = ::stat(target_name.constData(), &existing) == 0;
  if (exists && (::access(target_name.constData(), W_OK) != 0 || (existing.st_mode & 0222) == 0))
    throw IoError(os_error_text(EACCES, target));

  const QByteArray folder = QFile::encodeName(info.absolutePath());
  const QByteArray prefix = temp_prefix(QFile::encodeName(info.fileName()));
  remove_stale_temps(folder, prefix);
  // A stale-file sweep of another save may remove a new file before it is
  // locked; such a file is made again.
  for (int attempt = 0;; ++attempt) {
    QByteArray pattern = folder + '/' + prefix + QByteArray(kTempRandom, 'X') + kTempEnd;
    fd_ = ::mkostemps(pattern.data(), static_cast<int>(std::strlen(kTempEnd)), O_CLOEXEC);
    if (fd_ < 0) throw IoError(os_error_text(errno, target));
    temp_ = QFile::decodeName(pattern);
    struct stat st;
    if (::flock(fd_, LOCK_EX) == 0 && ::fstat(fd_, &st) == 0 && st.st_nlink > 0) break;
    ::close(fd_);
    fd_ = -1;
    temp_.clear();
    if (attempt == 3) throw IoError(os_error_text(EAGAIN, target));
  }
  if (::fchmod(fd_, new_file_mode(exists ? &existing : nullptr)) != 0) {
    const int err = errno;
    ::close(fd_);
    ::unlink(QFile::encodeName(temp_).constData());
    fd_ = -1;
    throw IoError(os_error_text(err, target));
  }
}

AtomicFile::~AtomicFile() {
  // Removed before its lock goes with the descriptor.
  if (!committed_ && !temp_.isEmpty()) ::unlink(QFile::encodeName(temp_).constData());
  if (fd_ >= 0) ::close(fd_);
}

void AtomicFile::write(const QByteArray& bytes) { write_all(fd_, bytes.constData(), bytes.size(), target_); }

QByteArray AtomicFile::readBack() const {
  before_read_back(temp_);
  struct stat st;
  if (::fstat(fd_, &st) != 0) throw IoError(os_error_text(errno, target_));
  QByteArray data;
  data.reserve(static_cast<qsizetype>(st.st_size));
  read_descriptor(fd_, st.st_size, target_, [&data](const char* p, qsizetype n) { data.append(p, n); });
  return data;
}

void AtomicFile::verifyContent(const QByteArray& expected) const {
  // Compared piece by piece: the file is never held a second time.
  before_read_back(temp_);
  struct stat st;
  if (::fstat(fd_, &st) != 0) throw IoError(os_error_text(errno, target_));
  bool same = st.st_size == expected.size();
  qsizetype at = 0;
  if (same) {
    read_descriptor(fd_, st.st_size, target_, [&](const char* p, qsizetype n) {
      same = same && at + n <= expected.size() && std::memcmp(expected.constData() + at, p, static_cast<std::size_t>(n)) == 0;
      at += n;
    });
  }
  if (!same || at != expected.size())
    throw IoError(QStringLiteral("The file written does not hold what was written: '%1'").arg(target_));
}

void AtomicFile::commit() {
  if (::fsync(fd_) != 0) throw IoError(os_error_text(errno, target_));
  // A second descriptor keeps the lock from the close to the rename.
  const int lock = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (lock < 0) throw IoError(os_error_text(errno, target_));
  const int fd = fd_;
  fd_ = lock;
  if (::close(fd) != 0) throw IoError(os_error_text(errno, target_));
  const QByteArray from = QFile::encodeName(temp_);
  const QByteArray to = QFile::encodeName(target_);
  if (::rename(from.constData(), to.constData()) != 0) throw IoError(os_error_text(errno, target_));
  committed_ = true;
  ::close(fd_);
  fd_ = -1;
  const int dir = ::open(QFile::encodeName(QFileInfo(target_).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace trelvo::io

extern "C" void trelvo_io_set_read_back_hook(trelvo::io::ReadBackHook hook) { trelvo::io::read_back_hook.store(hook); }
