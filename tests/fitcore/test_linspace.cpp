// Evenly spaced values against NumPy's linspace, bit for bit.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fitcore/linspace.h"

namespace {

struct LinspaceCase {
  const char* name;
  double start, stop;
  std::int64_t num;
  std::vector<double> numpy;  // numpy.linspace(start, stop, num)
};

class Linspace : public ::testing::TestWithParam<LinspaceCase> {};

TEST_P(Linspace, MatchesNumPy) {
  const LinspaceCase& c = GetParam();
  const std::vector<double> got = trelvo::linspace(c.start, c.stop, c.num);
  ASSERT_EQ(got.size(), c.numpy.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], c.numpy[i]) << "at " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Grids, Linspace,
    ::testing::Values(
        // Rounding of i * step + start; the last value is exactly stop.
        LinspaceCase{"tenths", 0.1, 0.7, 7,
                     {0x1.999999999999ap-4, 0x1.999999999999ap-3, 0x1.3333333333333p-2, 0x1.999999999999ap-2,
                      0x1.0000000000000p-1, 0x1.3333333333333p-1, 0x1.6666666666666p-1}},
        LinspaceCase{"through_zero", -1.0, 2.0, 4, {-1.0, 0.0, 1.0, 2.0}},
        LinspaceCase{"descending_wide", 1e300, -1e300, 3, {1e300, 0.0, -1e300}},
        LinspaceCase{"no_spread", 5.0, 5.0, 2, {5.0, 5.0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
