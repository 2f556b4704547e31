#include "fitcore/numpyprint.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "fitcore/tochars.h"

namespace trelvo {
namespace {

// NumPy's Dragon4 output with at most `precision` fraction digits, unique
// (shortest) digits otherwise; trailing zeros removed, the point kept.
std::string dragon4_positional(double v, int precision) {
  std::string s = to_chars_string(v, std::chars_format::fixed);
  auto dot = s.find('.');
  if (dot != std::string::npos && static_cast<int>(s.size() - dot - 1) > precision)
    s = to_chars_string(v, std::chars_format::fixed, precision);
  dot = s.find('.');
  if (dot == std::string::npos) return s + ".";
  while (s.back() == '0') s.pop_back();
  return s;
}

struct Scientific {
  std::string mantissa;  // "-1.5", "1."
  int exponent;
};

Scientific dragon4_scientific(double v, int precision) {
  std::string s = to_chars_string(v, std::chars_format::scientific);
  auto e = s.find('e');
  auto dot = s.find('.');
  std::size_t frac = dot == std::string::npos || dot > e ? 0 : e - dot - 1;
  if (static_cast<int>(frac) > precision) {
    s = to_chars_string(v, std::chars_format::scientific, precision);
    e = s.find('e');
  }
  std::string mant = s.substr(0, e);
  int exp = std::stoi(s.substr(e + 1));
  if (mant.find('.') == std::string::npos) {
    mant += '.';
  } else {
    while (mant.back() == '0') mant.pop_back();
  }
  return {mant, exp};
}

// NumPy's line layout of a 1-D array's words: one blank between words,
// wrapped before column 75, "..." after the third word of a summary.
std::string numpy_layout(const std::vector<std::string>& words, bool summary) {
  constexpr std::size_t kLineWidth = 75, kEdgeItems = 3;
  const std::string hanging = " ";
  const std::size_t elem_width = kLineWidth - 1;
  std::string s, line = hanging;
  auto extend = [&](const std::string& word) {
    bool wrap = line.size() + word.size() > elem_width && line.size() > hanging.size();
    if (wrap) {
      auto end = line.find_last_not_of(' ');
      s += line.substr(0, end == std::string::npos ? 0 : end + 1) + "\n";
      line = hanging;
    }
    line += word;
  };
  for (std::size_t k = 0; k < words.size(); ++k) {
    extend(words[k]);
    if (k + 1 < words.size()) line += ' ';
    if (summary && k + 1 == kEdgeItems) {
      extend("...");
      line += ' ';
    }
  }
  s += line;
  return "[" + s.substr(hanging.size()) + "]";
}

}  // namespace

std::string numpy_array_str(const std::vector<double>& values) {
  constexpr int kPrecision = 8;
  constexpr std::size_t kThreshold = 1000, kEdgeItems = 3;
  if (values.empty()) return "[]";

  const bool summary = values.size() > kThreshold;
  std::vector<double> shown;
  if (summary) {
    shown.assign(values.begin(), values.begin() + kEdgeItems);
    shown.insert(shown.end(), values.end() - kEdgeItems, values.end());
  } else {
    shown = values;
  }

  // Choose the notation from the finite non-zero values.
  bool exp_format = false, any_finite = false, any_nonfinite = false, neg_inf = false;
  double max_val = 0.0, min_val = std::numeric_limits<double>::infinity();
  for (double x : shown) {
    if (!std::isfinite(x)) {
      any_nonfinite = true;
      if (std::isinf(x) && x < 0) neg_inf = true;
      continue;
    }
    any_finite = true;
    if (x != 0.0) {
      max_val = std::max(max_val, std::fabs(x));
      min_val = std::min(min_val, std::fabs(x));
    }
  }
  if (max_val > 0.0 && (max_val >= 1e8 || min_val < 0.0001 || max_val / min_val > 1000.0))
    exp_format = true;

  std::size_t pad_left = 0, pad_right = 0;
  std::vector<std::string> words(shown.size());
  // Non-finite values widen the integer part so that all words align.
  auto widen_for_nonfinite = [&] {
    if (!any_nonfinite) return;
    std::size_t offset = pad_right + 1;
    std::size_t inflen = 3 + (neg_inf ? 1 : 0);
    if (3 > offset) pad_left = std::max(pad_left, 3 - offset);
    if (inflen > offset) pad_left = std::max(pad_left, inflen - offset);
  };
  if (any_finite && exp_format) {
    std::vector<Scientific> sci(shown.size());
    std::size_t precision = 0, exp_digits = 0;
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (!std::isfinite(shown[k])) continue;
      sci[k] = dragon4_scientific(shown[k], kPrecision);
      auto dot = sci[k].mantissa.find('.');
      pad_left = std::max(pad_left, dot);
      precision = std::max(precision, sci[k].mantissa.size() - dot - 1);
      exp_digits = std::max(exp_digits, exponent_text(sci[k].exponent, 2).size() - 1);
    }
    pad_right = exp_digits + 2 + precision;
    widen_for_nonfinite();
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (!std::isfinite(shown[k])) continue;
      // Same value again with exactly `precision` fraction digits.
      Scientific s = dragon4_scientific(shown[k], static_cast<int>(precision));
      std::string mant = s.mantissa;
      mant.append(precision - (mant.size() - mant.find('.') - 1), '0');
      std::string w = std::string(pad_left - mant.find('.'), ' ') + mant + "e" +
                      exponent_text(s.exponent, static_cast<int>(exp_digits));
      words[k] = w;
    }
  } else if (any_finite) {
    std::vector<std::string> pos(shown.size());
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (!std::isfinite(shown[k])) continue;
      pos[k] = dragon4_positional(shown[k], kPrecision);
      auto dot = pos[k].find('.');
      pad_left = std::max(pad_left, dot);
      pad_right = std::max(pad_right, pos[k].size() - dot - 1);
    }
    widen_for_nonfinite();
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (!std::isfinite(shown[k])) continue;
      const std::string& p = pos[k];
      auto dot = p.find('.');
      words[k] = std::string(pad_left - dot, ' ') + p +
                 std::string(pad_right - (p.size() - dot - 1), ' ');
    }
  }
  if (any_nonfinite) {
    for (std::size_t k = 0; k < shown.size(); ++k) {
      if (std::isfinite(shown[k])) continue;
      std::string r = nonfinite_text(shown[k]);
      std::size_t width = pad_left + pad_right + 1;
      words[k] = std::string(width > r.size() ? width - r.size() : 0, ' ') + r;
    }
  }

  return numpy_layout(words, summary);
}

std::string numpy_int_array_str(const std::vector<long long>& values) {
  constexpr std::size_t kThreshold = 1000, kEdgeItems = 3;
  if (values.empty()) return "[]";
  const bool summary = values.size() > kThreshold;
  std::vector<long long> shown;
  if (summary) {
    shown.assign(values.begin(), values.begin() + kEdgeItems);
    shown.insert(shown.end(), values.end() - kEdgeItems, values.end());
  } else {
    shown = values;
  }
  auto [lo, hi] = std::minmax_element(shown.begin(), shown.end());
  std::size_t width = std::max(std::to_string(*lo).size(), std::to_string(*hi).size());
  std::vector<std::string> words;
  for (long long v : shown) {
    std::string t = std::to_string(v);
    words.push_back(std::string(width - t.size(), ' ') + t);
  }
  return numpy_layout(words, summary);
}

}  // namespace trelvo
