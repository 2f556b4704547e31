#include "application/cmdline.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "fitcore/strrepr.h"

namespace trelvo {

namespace {

const char* const kDescription = "Trelvo Application";
const char* const kLocaleHelp = "set locale (e.g. zh_CN for Simplified Chinese, en for English)";

enum class Option { Help, Locale };

struct OptionString {
  const char* text;
  Option option;
};
const OptionString kOptionStrings[] = {
    {"-h", Option::Help}, {"--help", Option::Help}, {"-l", Option::Locale}, {"--locale", Option::Locale}};

const char* option_label(Option o) { return o == Option::Help ? "-h/--help" : "-l/--locale"; }

struct ParseError {
  std::string message;
};

// One classified argument: an option (known or not) or a plain argument.
struct Optional {
  bool known = false;
  Option option = Option::Help;
  std::string option_string;
  std::optional<std::string> explicit_arg;
};

const OptionString* find_exact(const std::string& s) {
  for (const auto& o : kOptionStrings)
    if (s == o.text) return &o;
  return nullptr;
}

bool looks_like_negative_number(const std::string& s) {
  static const std::regex re(R"(^-\d+$|^-\d*\.\d+$)");
  return std::regex_match(s, re);
}

// argparse's _parse_optional: nullopt for a plain argument.
std::optional<Optional> parse_optional(const std::string& arg) {
  if (arg.empty() || arg[0] != '-') return std::nullopt;
  if (const auto* o = find_exact(arg)) return Optional{true, o->option, arg, std::nullopt};
  if (arg.size() == 1) return std::nullopt;
  if (auto eq = arg.find('='); eq != std::string::npos) {
    if (const auto* o = find_exact(arg.substr(0, eq)))
      return Optional{true, o->option, arg.substr(0, eq), arg.substr(eq + 1)};
  }
  // Prefix matches.
  std::vector<Optional> tuples;
  if (arg.size() >= 2 && arg[1] == '-') {
    std::string prefix = arg;
    std::optional<std::string> explicit_arg;
    if (auto eq = arg.find('='); eq != std::string::npos) {
      prefix = arg.substr(0, eq);
      explicit_arg = arg.substr(eq + 1);
    }
    for (const auto& o : kOptionStrings)
      if (std::string(o.text).rfind(prefix, 0) == 0) tuples.push_back({true, o.option, o.text, explicit_arg});
  } else {
    const std::string short_prefix = arg.substr(0, 2);
    const std::string short_explicit = arg.substr(2);
    for (const auto& o : kOptionStrings) {
      if (short_prefix == o.text)
        tuples.push_back({true, o.option, o.text, short_explicit});
      else if (std::string(o.text).rfind(arg, 0) == 0)
        tuples.push_back({true, o.option, o.text, std::nullopt});
    }
  }
  if (tuples.size() > 1) {
    std::string options;
    for (size_t i = 0; i < tuples.size(); ++i) options += (i ? ", " : "") + tuples[i].option_string;
    std::string shown = arg.substr(0, arg.find('='));
    throw ParseError{"ambiguous option: " + shown + " could match " + options};
  }
  if (tuples.size() == 1) return tuples[0];
  if (looks_like_negative_number(arg)) return std::nullopt;
  if (arg.find(' ') != std::string::npos) return std::nullopt;
  return Optional{false, Option::Help, arg, std::nullopt};
}

std::string usage_line(const std::string& prog) { return "usage: " + prog + " [-h] [-l LOCALE]\n"; }

// Greedy word wrap, as textwrap does for plain words.
std::vector<std::string> wrap(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word, line;
  while (words >> word) {
    if (line.empty())
      line = word;
    else if (line.size() + 1 + word.size() <= width)
      line += " " + word;
    else {
      lines.push_back(line);
      line = word;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

int help_width(int columns) {
  if (columns <= 0) {
    if (const char* env = std::getenv("COLUMNS"); env && std::atoi(env) > 0) {
      columns = std::atoi(env);
    } else {
      winsize ws{};
      columns = (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) ? ws.ws_col : 80;
    }
  }
  return std::max(columns - 2, 11);
}

std::string help_text(const std::string& prog, int columns) {
  const int width = help_width(columns);
  const size_t help_position = std::min(24, std::max(width - 20, 2 * 2));
  const size_t help_width_ = std::max<int>(width - static_cast<int>(help_position), 11);
  std::string s = usage_line(prog) + "\n" + kDescription + "\n\noptions:\n";
  auto item = [&](const std::string& invocation, const std::string& help) {
    std::string line = "  " + invocation;
    const auto lines = wrap(help, help_width_);
    if (line.size() + 2 <= help_position) {
      line += std::string(help_position - line.size(), ' ');
    } else {
      line += "\n" + std::string(help_position, ' ');
    }
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i) line += "\n" + std::string(help_position, ' ');
      line += lines[i];
    }
    s += line + "\n";
  };
  item("-h, --help", "show this help message and exit");
  item("-l LOCALE, --locale LOCALE", kLocaleHelp);
  return s;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args, int columns) {
  CommandLine result;
  std::string prog = args.empty() ? "trelvo" : args[0];
  if (auto slash = prog.rfind('/'); slash != std::string::npos) prog = prog.substr(slash + 1);

  // Classify every argument first, as argparse does ("--" makes the rest plain).
  std::vector<std::optional<Optional>> kinds;
  try {
    bool marker = false;
    for (size_t i = 1; i < args.size(); ++i) {
      if (marker || args[i] == "--") {
        marker = true;
        kinds.push_back(std::nullopt);
        continue;
      }
      kinds.push_back(parse_optional(args[i]));
    }

    std::vector<std::string> extras;
    for (size_t i = 0; i < kinds.size();) {
      const std::string& arg = args[i + 1];
      if (!kinds[i]) {
        extras.push_back(arg);
        ++i;
        continue;
      }
      Optional opt = *kinds[i];
      if (!opt.known) {
        extras.push_back(arg);
        ++i;
        continue;
      }
      // Chained short flags (-hx) end in an error or another option.
      std::vector<std::pair<Option, std::optional<std::string>>> actions;
      size_t next = i + 1;
      while (true) {
        if (opt.explicit_arg) {
          if (opt.option == Option::Help) {
            if (opt.option_string[1] != '-' && !opt.explicit_arg->empty()) {
              actions.push_back({Option::Help, std::nullopt});
              std::string chained = std::string("-") + (*opt.explicit_arg)[0];
              std::string rest = opt.explicit_arg->substr(1);
              if (const auto* o = find_exact(chained)) {
                opt.option = o->option;
                opt.option_string = chained;
                opt.explicit_arg = rest.empty() ? std::nullopt : std::optional<std::string>(rest);
                continue;
              }
            }
            throw ParseError{std::string("argument ") + option_label(Option::Help) +
                             ": ignored explicit argument " + repr_str(*opt.explicit_arg, Undecodable::Escape)};
          }
          actions.push_back({Option::Locale, *opt.explicit_arg});
          break;
        }
        if (opt.option == Option::Help) {
          actions.push_back({Option::Help, std::nullopt});
          break;
        }
        // --locale takes the next plain argument; "--" is no value.
        if (next < kinds.size() && !kinds[next] && args[next + 1] != "--") {
          actions.push_back({Option::Locale, args[next + 1]});
          ++next;
        } else {
          throw ParseError{std::string("argument ") + option_label(Option::Locale) + ": expected one argument"};
        }
        break;
      }
      for (const auto& [option, value] : actions) {
        if (option == Option::Help) {
          result.exit_now = true;
          result.exit_code = 0;
          result.out = help_text(prog, columns);
          return result;
        }
        result.locale = value;
      }
      i = next;
    }
    if (!extras.empty()) {
      std::string joined;
      for (size_t k = 0; k < extras.size(); ++k) joined += (k ? " " : "") + extras[k];
      throw ParseError{"unrecognized arguments: " + joined};
    }
  } catch (const ParseError& e) {
    result.exit_now = true;
    result.exit_code = 2;
    result.err = usage_line(prog) + prog + ": error: " + e.message + "\n";
    result.locale.reset();
  }
  return result;
}

CommandLine parse_command_line_or_exit(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  CommandLine cl = parse_command_line(args);
  if (cl.exit_now) {
    std::fputs(cl.out.c_str(), stdout);
    std::fputs(cl.err.c_str(), stderr);
    std::fflush(stdout);
    std::exit(cl.exit_code);
  }
  return cl;
}

}  // namespace trelvo
