// The UTF-8 decoder: code points and lengths, and the fault and length of
// each kind of refused sequence (as Python's codec reports them).
#include <gtest/gtest.h>

#include <string>

#include "fitcore/utf8.h"

namespace {

struct Utf8Case {
  const char* name;
  std::string bytes;
  char32_t code_point;
  std::size_t length;
  trelvo::utf8::Fault fault;
};

class Utf8Decode : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Decode, DecodesOrNamesTheFault) {
  const Utf8Case& c = GetParam();
  const trelvo::utf8::Decoded d = trelvo::utf8::decode(c.bytes, 0);
  EXPECT_EQ(d.code_point, c.code_point);
  EXPECT_EQ(d.length, c.length);
  EXPECT_EQ(d.fault, c.fault);
}

using trelvo::utf8::Fault;
INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Decode,
    ::testing::Values(Utf8Case{"ascii", "a", U'a', 1, Fault::None},
                      Utf8Case{"two_bytes", "\xc3\xa9", U'\u00e9', 2, Fault::None},
                      Utf8Case{"three_bytes", "\xe4\xb8\xad", U'\u4e2d', 3, Fault::None},
                      Utf8Case{"four_bytes", "\xf0\x9f\x98\x80", U'\U0001F600', 4, Fault::None},
                      Utf8Case{"lone_continuation", "\x80", 0xFFFD, 1, Fault::InvalidStart},
                      Utf8Case{"overlong_lead", "\xc0\x80", 0xFFFD, 1, Fault::InvalidStart},
                      Utf8Case{"overlong_three", "\xe0\x80\x80", 0xFFFD, 1, Fault::InvalidContinuation},
                      Utf8Case{"surrogate", "\xed\xa0\x80", 0xFFFD, 1, Fault::InvalidContinuation},
                      Utf8Case{"past_unicode", "\xf4\x90\x80\x80", 0xFFFD, 1, Fault::InvalidContinuation},
                      Utf8Case{"truncated", "\xe4\xb8", 0xFFFD, 2, Fault::UnexpectedEnd},
                      Utf8Case{"broken", "\xe4\xb8x", 0xFFFD, 2, Fault::InvalidContinuation}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
