#pragma once
// The one warning channel of the libraries. The Python binding installs a sink
// that issues Python warnings; C++ callers may install their own. Without a
// sink, warnings are written to standard error.
#include <functional>
#include <string>

#include "fitcore/export.h"

namespace trelvo {

enum class WarningKind { UserWarning, DeprecationWarning, RuntimeWarning, RankWarning };

using WarningSink = std::function<void(WarningKind, const std::string&)>;

// Installs a sink for the calling thread and returns the previous one.
// The sink may throw; the exception then leaves the warning's caller.
TRELVO_EXPORT WarningSink set_warning_sink(WarningSink sink);
TRELVO_EXPORT void warn(WarningKind kind, const std::string& message);

// Installs a sink for a scope and restores the previous one on exit.
class TRELVO_EXPORT ScopedWarningSink {
 public:
  explicit ScopedWarningSink(WarningSink sink) : previous_(set_warning_sink(std::move(sink))) {}
  ~ScopedWarningSink() { set_warning_sink(std::move(previous_)); }
  ScopedWarningSink(const ScopedWarningSink&) = delete;
  ScopedWarningSink& operator=(const ScopedWarningSink&) = delete;

 private:
  WarningSink previous_;
};

}  // namespace trelvo
