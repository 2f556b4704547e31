#include "fitcore/tochars.h"

#include <cmath>
#include <cstddef>

namespace trelvo {

std::string to_chars_string(double v, std::chars_format fmt) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, fmt);
  return std::string(buf, r.ptr);
}

std::string to_chars_string(double v, std::chars_format fmt, int precision) {
  std::string out(static_cast<std::size_t>(precision) + 400, '\0');
  for (;;) {
    auto r = std::to_chars(out.data(), out.data() + out.size(), v, fmt, precision);
    if (r.ec == std::errc()) {
      out.resize(static_cast<std::size_t>(r.ptr - out.data()));
      return out;
    }
    out.resize(out.size() * 2);
  }
}

std::string exponent_text(int exp, int min_digits) {
  std::string d = std::to_string(exp < 0 ? -exp : exp);
  while (static_cast<int>(d.size()) < min_digits) d.insert(d.begin(), '0');
  return std::string(exp < 0 ? "-" : "+") + d;
}

std::string nonfinite_text(double v) {
  if (std::isnan(v)) return "nan";
  return v < 0 ? "-inf" : "inf";
}

}  // namespace trelvo
