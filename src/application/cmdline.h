#pragma once
// The start-up command line, parsed the way Python's argparse parses it for
//   -h, --help            show this help message and exit
//   -l LOCALE, --locale LOCALE
// (value as the next argument, attached to -l, after "=", unambiguous prefixes
// of the long options, the last value wins). Qt's own options are not known.
#include <optional>
#include <string>
#include <vector>

#include "fitcore/export.h"

namespace trelvo {

struct TRELVO_EXPORT CommandLine {
  std::optional<std::string> locale;  // value of --locale, if given

  // Outcome of parsing: run the program, or exit with `exit_code` after
  // writing `out` to standard output and `err` to standard error.
  bool exit_now = false;
  int exit_code = 0;
  std::string out;
  std::string err;
};

// `args` is the full argument list, program name first; the program's name in
// texts is the base name of args[0]. `columns` is the terminal width used to
// wrap the help text (argparse's COLUMNS rule when 0).
TRELVO_EXPORT CommandLine parse_command_line(const std::vector<std::string>& args, int columns = 0);

// Parses, writes the texts and exits the process when the parse says so.
TRELVO_EXPORT CommandLine parse_command_line_or_exit(int argc, char** argv);

}  // namespace trelvo
