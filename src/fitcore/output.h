#pragma once
// The engine's standard output: the few lines the engine prints (the data of
// a fit with a fixed intercept, ...). The Python binding installs a sink that
// writes to the host's sys.stdout; without a sink, lines go to std::cout.
#include <functional>
#include <string>

#include "fitcore/export.h"

namespace trelvo {

using OutputSink = std::function<void(const std::string& line)>;

// Installs a process-wide sink and returns the previous one.
TRELVO_EXPORT OutputSink set_output_sink(OutputSink sink);

// Writes `line` followed by a newline.
TRELVO_EXPORT void print_line(const std::string& line);

}  // namespace trelvo
