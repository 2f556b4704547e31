#include <gtest/gtest.h>

#include "application/cmdline.h"

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
    {"help", {"-h"}, 0, nullptr, nullptr},
    {"help_after_unknown", {"--bogus", "--help"}, 0, nullptr, nullptr},
};

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
