#pragma once
// Replacing a file only once its new content is complete.
#include <QByteArray>
#include <QString>

#include "fitcore/export.h"

namespace trelvo::io {

// A new file for `target` that takes the target's place only on commit():
// content goes to a temporary file in the target's folder; commit() flushes
// it to disk and renames it over the target. The target is the file that
// opening the name reaches: symbolic links, of folders on the way and of the
// final name, are followed as the system follows them (each link's text
// read against the real folder holding the link, at most
// limits::kMaxSaveLinkHops links), the file at the end is replaced and the
// links stay; a dangling final link makes the file it names, in that file's
// real folder. Until then an existing target is untouched; an AtomicFile
// destroyed without commit removes its temporary file. A new file gets the
// mode an existing target has, else 0666 less the umask.
//
// The temporary file is ".trelvo-HHHHHHHH-XXXXXX.tmp" (HHHHHHHH from the
// target's name, XXXXXX random), short enough beside a name of 255 bytes.
// It is locked while its AtomicFile lives; one left behind by a save that
// was killed (unlocked, for the same target) is removed by the next
// AtomicFile of that target.
//
// Every failure throws IoError with the system's reason ("[Errno 13]
// Permission denied: '/path'").
class AtomicFile {
 public:
  // Throws IoError when the target is a folder, when its links cannot be
  // followed (more links than the system follows: "[Errno 40] Too many
  // levels of symbolic links"), when it exists and is read-only (the user
  // may not write it, or no write permission bit is set at all, which is
  // also refused to the superuser), or when its folder takes no new file.
  explicit AtomicFile(const QString& target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // The temporary file, for writers that open the file by name themselves
  // (whatever they leave there is what commit() moves into place).
  const QString& tempPath() const { return temp_; }
  const QString& targetPath() const { return target_; }

  // Appends bytes; throws IoError when they cannot all be written (disk
  // full, file size limit).
  void write(const QByteArray& bytes);

  // The temporary file's bytes as they stand, read back through its own
  // descriptor (also when its mode denies the user reading); throws IoError
  // when it cannot be read.
  QByteArray readBack() const;

  // Throws IoError unless the temporary file holds exactly `expected`.
  void verifyContent(const QByteArray& expected) const;

  // Flushes and renames; throws IoError on any failure, in which case the
  // target is unchanged and the temporary file removed.
  void commit();

 private:
  QString target_;
  QString temp_;
  int fd_ = -1;
  bool committed_ = false;
};

using ReadBackHook = void (*)(const QString& temp_path);

// The text of a failed system call, as Python words an OSError.
QString os_error_text(int err, const QString& path);

}  // namespace trelvo::io

// For tests: `hook` is called with the temporary file's path right before
// each read-back (AtomicFile::readBack, verifyContent), so that a test can
// change the file between the write and the check; nullptr, the default,
// calls nothing. Exported under a plain name, so that a test can reach the
// copy inside the grid's shared library (dlsym).
extern "C" TRELVO_EXPORT void trelvo_io_set_read_back_hook(trelvo::io::ReadBackHook hook);
