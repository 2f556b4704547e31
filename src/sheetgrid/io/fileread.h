#pragma once
// Reading a whole input file into memory, with the system's reason on failure.
#include <QByteArray>
#include <QString>

namespace trelvo::io {

// The file's bytes. Throws IoError "[Errno 2] No such file or directory: 'path'"
// (and the like) when it cannot be opened or read, and when it holds more
// than `max_bytes` bytes.
QByteArray read_whole_file(const QString& path, qint64 max_bytes);

}  // namespace trelvo::io
