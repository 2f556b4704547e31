#pragma once
// The application's entry: command line, application object, main window,
// event loop.
#include <functional>

#include "fitcore/export.h"

namespace trelvo {

// Parses the command line (help: exit 0; an error: exit 2, before any window
// exists), creates MApp with the chosen language, creates and shows the main
// window, fits the chart view once, and runs the event loop. Returns the
// loop's status; the window is destroyed before the application object.
// `before_exec`, when given, runs just before the loop (tests use it).
TRELVO_EXPORT int run_app(int argc, char** argv, const std::function<void()>& before_exec = {});

struct CommandLine;
// The same with the command line parsed already (it must not ask to exit).
TRELVO_EXPORT int run_app(const CommandLine& cl, int& argc, char** argv,
                          const std::function<void()>& before_exec = {});

}  // namespace trelvo
