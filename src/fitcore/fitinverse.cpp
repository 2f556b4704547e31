#include "fitcore/fitinverse.h"

#include <cmath>

namespace trelvo::fitinverse {
namespace {

std::optional<double> finite(double x) {
  if (!std::isfinite(x)) return std::nullopt;
  return x;
}

// ln(q)/rate for q > 0 and rate != 0.
std::optional<double> logOver(double q, double rate) {
  if (!(q > 0.0) || rate == 0.0) return std::nullopt;
  return finite(std::log(q) / rate);
}

}  // namespace

Inverse exponential2Inverse() {
  return [](double y, const std::vector<double>& p) { return logOver(y / p.at(0), p.at(1)); };
}

Inverse exponential2FixedInverse(double a) {
  return [a](double y, const std::vector<double>& p) { return logOver(y / a, p.at(0)); };
}

Inverse exponentialInverse() {
  return [](double y, const std::vector<double>& p) { return logOver((y - p.at(0)) / p.at(1), p.at(2)); };
}

Inverse logarithmicInverse() {
  return [](double y, const std::vector<double>& p) -> std::optional<double> {
    if (p.at(1) == 0.0) return std::nullopt;
    return finite(std::exp((y - p.at(0)) / p.at(1)));
  };
}

Inverse powerInverse() {
  return [](double y, const std::vector<double>& p) -> std::optional<double> {
    const double q = y / p.at(0);
    if (!(q > 0.0) || p.at(1) == 0.0) return std::nullopt;
    return finite(std::pow(q, 1.0 / p.at(1)));
  };
}

}  // namespace trelvo::fitinverse
