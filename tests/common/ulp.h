#pragma once
// Distance between doubles in units in the last place.
#include <cstdint>
#include <cstring>
#include <limits>

namespace trelvo::test {

// Units in the last place between two finite doubles (0 when equal, +0 and -0
// included).
inline std::uint64_t ulp_distance(double a, double b) {
  auto ordered = [](double d) {
    std::int64_t i;
    std::memcpy(&i, &d, sizeof i);
    return i < 0 ? std::numeric_limits<std::int64_t>::min() - i : i;
  };
  const std::int64_t x = ordered(a), y = ordered(b);
  return x > y ? static_cast<std::uint64_t>(x) - static_cast<std::uint64_t>(y)
               : static_cast<std::uint64_t>(y) - static_cast<std::uint64_t>(x);
}

}  // namespace trelvo::test
