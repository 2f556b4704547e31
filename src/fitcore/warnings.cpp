#include "fitcore/warnings.h"

#include <cstdio>

namespace trelvo {

namespace {
thread_local WarningSink current_sink;

const char* kind_name(WarningKind kind) {
  switch (kind) {
    case WarningKind::UserWarning: return "UserWarning";
    case WarningKind::DeprecationWarning: return "DeprecationWarning";
    case WarningKind::RuntimeWarning: return "RuntimeWarning";
    case WarningKind::RankWarning: return "RankWarning";
  }
  return "Warning";
}
}  // namespace

WarningSink set_warning_sink(WarningSink sink) {
  WarningSink previous = std::move(current_sink);
  current_sink = std::move(sink);
  return previous;
}

void warn(WarningKind kind, const std::string& message) {
  if (current_sink) {
    current_sink(kind, message);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", kind_name(kind), message.c_str());
}

}  // namespace trelvo
