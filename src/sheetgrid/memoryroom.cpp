#include "sheetgrid/memoryroom.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace trelvo {

namespace {

// The value in kB of the line "key: value kB" of a /proc file, times 1024; -1
// when the file or the line is missing.
qint64 proc_kib(const char* file, const char* key) {
  std::FILE* f = std::fopen(file, "re");
  if (!f) return -1;
  char line[256];
  qint64 bytes = -1;
  const std::size_t n = std::strlen(key);
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, key, n) == 0 && line[n] == ':') {
      long long kib = 0;
      if (std::sscanf(line + n + 1, "%lld", &kib) == 1) bytes = static_cast<qint64>(kib) * 1024;
      break;
    }
  }
  std::fclose(f);
  return bytes;
}

}  // namespace

qint64 memory_room() {
  qint64 room = -1;
  rlimit limit{};
  if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    const qint64 used = proc_kib("/proc/self/status", "VmSize");
    room = std::max<qint64>(0, static_cast<qint64>(limit.rlim_cur) - std::max<qint64>(used, 0));
  }
  const qint64 available = proc_kib("/proc/meminfo", "MemAvailable");
  if (available >= 0) room = room < 0 ? available : std::min(room, available);
  return room;
}

}  // namespace trelvo
