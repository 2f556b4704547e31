#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "application/cmdline.h"

extern char** environ;

namespace {

struct Case {
  const char* name;
  std::vector<std::string> args;  // after the program name
  int exit_code;                  // -1: runs on
  const char* locale;             // expected value when it runs on (nullptr: none)
  const char* error;              // expected error message (after "trelvo: error: ")
};

// Expected outcomes as Python 3.11's argparse gives them for the same parser.
const Case kCases[] = {
    {"none", {}, -1, nullptr, nullptr},
    {"short_separate", {"-l", "en"}, -1, "en", nullptr},
    {"short_attached", {"-len"}, -1, "en", nullptr},
    {"short_equals", {"-l=en"}, -1, "en", nullptr},
    {"long_separate", {"--locale", "zh_CN"}, -1, "zh_CN", nullptr},
    {"long_equals", {"--locale=en"}, -1, "en", nullptr},
    {"long_prefix", {"--loc=en"}, -1, "en", nullptr},
    {"long_shortest_prefix", {"--l", "en"}, -1, "en", nullptr},
    {"last_wins", {"-l", "zh_CN", "-l", "en"}, -1, "en", nullptr},
    {"empty_value", {"--locale="}, -1, "", nullptr},
    {"negative_number_value", {"-l", "-1"}, -1, "-1", nullptr},
    {"missing_value", {"-l"}, 2, nullptr, "argument -l/--locale: expected one argument"},
    {"long_missing_value", {"--locale"}, 2, nullptr, "argument -l/--locale: expected one argument"},
    {"option_as_value", {"-l", "-x"}, 2, nullptr, "argument -l/--locale: expected one argument"},
    {"qt_option", {"-style", "fusion"}, 2, nullptr, "unrecognized arguments: -style fusion"},
    {"unknown_short", {"-x"}, 2, nullptr, "unrecognized arguments: -x"},
    {"positional", {"foo"}, 2, nullptr, "unrecognized arguments: foo"},
    {"extra_after_value", {"--lo", "en", "bar"}, 2, nullptr, "unrecognized arguments: bar"},
    {"marker_alone", {"--"}, 2, nullptr, "unrecognized arguments: --"},
    {"marker_is_no_value", {"-l", "--", "foo"}, 2, nullptr, "argument -l/--locale: expected one argument"},
    {"marker_after_value", {"--locale", "en", "--"}, 2, nullptr, "unrecognized arguments: --"},
    {"short_attached_equals", {"-len=x"}, -1, "en=x", nullptr},
    {"help_with_explicit", {"-hx"}, 2, nullptr, "argument -h/--help: ignored explicit argument 'x'"},
    {"long_help_with_explicit", {"--help=x"}, 2, nullptr, "argument -h/--help: ignored explicit argument 'x'"},
    {"help_chained_locale", {"-hl"}, 2, nullptr, "argument -l/--locale: expected one argument"},
    // The ignored argument is shown as Python's repr of the str argv holds.
    {"help_explicit_line_break", {"--help=a\nb"}, 2, nullptr, "argument -h/--help: ignored explicit argument 'a\\nb'"},
    {"help_explicit_controls", {"--help=\x01\t\r\\\x7f" "b\xc2\x85"}, 2, nullptr,
     "argument -h/--help: ignored explicit argument '\\x01\\t\\r\\\\\\x7fb\\x85'"},
    {"help_explicit_both_quotes", {"--help=\"q'"}, 2, nullptr,
     "argument -h/--help: ignored explicit argument '\"q\\''"},
    {"help_explicit_single_quote", {"--help=it's"}, 2, nullptr,
     "argument -h/--help: ignored explicit argument \"it's\""},
    {"help_explicit_letters", {"-h\xc3\xa9\xf0\x9f\x98\x80"}, 2, nullptr,
     "argument -h/--help: ignored explicit argument '\xc3\xa9\xf0\x9f\x98\x80'"},
    {"help_explicit_format_character", {"--help=\xe2\x80\x8b"}, 2, nullptr,
     "argument -h/--help: ignored explicit argument '\\u200b'"},
    {"help_explicit_undecodable", {"--help=\xff\xe2\x80x\xed\xa0\x80"}, 2, nullptr,
     "argument -h/--help: ignored explicit argument '\\udcff\\udce2\\udc80x\\udced\\udca0\\udc80'"},
    {"help", {"-h"}, 0, nullptr, nullptr},
    {"help_after_unknown", {"--bogus", "--help"}, 0, nullptr, nullptr},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class CommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineTest, MatchesArgparse) {
  const Case& c = GetParam();
  std::vector<std::string> args{"/usr/bin/trelvo"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const auto r = trelvo::parse_command_line(args, 80);
  if (c.exit_code < 0) {
    EXPECT_FALSE(r.exit_now) << r.err;
    ASSERT_EQ(r.locale.has_value(), c.locale != nullptr);
    if (c.locale) EXPECT_EQ(*r.locale, c.locale);
    return;
  }
  ASSERT_TRUE(r.exit_now);
  EXPECT_EQ(r.exit_code, c.exit_code);
  if (c.error) {
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, std::string("usage: trelvo [-h] [-l LOCALE]\ntrelvo: error: ") + c.error + "\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLineTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct Outcome {
  int exit_code = -1;
  std::string out, err;
};

std::string readAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) != 0;) {
    if (n < 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return text;
}

// What /usr/bin/python3's argparse prints for the same parser and argv (raw
// bytes, 80 columns, UTF-8); nullopt when there is no such interpreter.
std::optional<Outcome> argparse(const std::vector<std::string>& args) {
  const char* const python = "/usr/bin/python3";
  if (access(python, X_OK) != 0) return std::nullopt;
  const char* const script =
      "import argparse\n"
      "p = argparse.ArgumentParser(prog='trelvo', description='Trelvo Application')\n"
      "p.add_argument('-l', '--locale', help='set locale (e.g. zh_CN for Simplified Chinese, en for English)')\n"
      "p.parse_args()\n";
  std::vector<std::string> argvText = {python, "-I", "-c", script};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argvText) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText = {"COLUMNS=80", "LC_ALL=C.UTF-8"};
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("COLUMNS=", 0) != 0 && entry.rfind("LC_ALL=", 0) != 0) envText.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(out[1]);
    close(err[0]);
    close(err[1]);
    execve(python, argv.data(), envp.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  Outcome o;
  o.out = readAll(out[0]);  // both texts are far below a pipe's buffer
  o.err = readAll(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  o.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

// Every case that ends the program, set against argparse itself: exit code,
// help text and error text byte for byte.
TEST(CommandLineArgparse, EndingCasesPrintWhatArgparsePrints) {
  for (const Case& c : kCases) {
    if (c.exit_code < 0) continue;
    const std::optional<Outcome> want = argparse(c.args);
    if (!want) GTEST_SKIP() << "no /usr/bin/python3";
    std::vector<std::string> args{"/usr/bin/trelvo"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = trelvo::parse_command_line(args, 80);
    EXPECT_EQ(r.exit_code, want->exit_code) << c.name;
    EXPECT_EQ(r.out, want->out) << c.name;
    EXPECT_EQ(r.err, want->err) << c.name;
  }
}

TEST(CommandLineHelp, LayoutAtEightyColumns) {
  const auto r = trelvo::parse_command_line({"trelvo", "--help"}, 80);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "usage: trelvo [-h] [-l LOCALE]\n"
            "\n"
            "Trelvo Application\n"
            "\n"
            "options:\n"
            "  -h, --help            show this help message and exit\n"
            "  -l LOCALE, --locale LOCALE\n"
            "                        set locale (e.g. zh_CN for Simplified Chinese, en for\n"
            "                        English)\n");
}

TEST(CommandLineHelp, ProgramIsTheBaseName) {
  const auto r = trelvo::parse_command_line({"/opt/x/trelvo-widget", "-q"}, 80);
  EXPECT_EQ(r.err, "usage: trelvo-widget [-h] [-l LOCALE]\ntrelvo-widget: error: unrecognized arguments: -q\n");
}

}  // namespace
