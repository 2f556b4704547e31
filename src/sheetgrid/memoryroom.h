#pragma once
// How much more memory the process can take: Qt does not survive a failed
// allocation while a table grows, so a large growth is checked beforehand.
#include <QtGlobal>

namespace trelvo {

// Bytes the process may still allocate: the smaller of the room below its
// address-space limit (RLIMIT_AS less the VmSize of /proc/self/status) and the
// system's available memory (MemAvailable of /proc/meminfo). -1 when neither
// is known (no limit and no /proc).
qint64 memory_room();

}  // namespace trelvo
