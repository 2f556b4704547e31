// Times the start search of the exponential and power kinds on 10^4 points
// as the fits find the CPU: with the vector registers' upper halves clean,
// and dirty, as code run before it in the same pass of the window's event
// loop may leave them. Prints dirty / clean (goal: about 1).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "fitcore/fitstart.h"

namespace {

constexpr int kPoints = 10000;

// Leaves the upper half of a vector register set, as AVX code does that
// returns without vzeroupper.
void dirtyUpperState() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx")) asm volatile("vpcmpeqd %%ymm15, %%ymm15, %%ymm15" ::: "xmm15");
#endif
}

double bestMs(const std::function<void()>& body, bool dirty) {
  double best = 1e300;
  for (int run = 0; run < 20; ++run) {
    if (dirty) dirtyUpperState();
    const auto start = std::chrono::steady_clock::now();
    body();
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main() {
  std::vector<double> x(kPoints), ye(kPoints), yp(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    x[i] = 0.5 + i * (3.0 / (kPoints - 1));
    ye[i] = 1 + 2 * std::exp(0.5 * x[i]) + 0.01 * std::sin(7.3 * i + 0.4);
    yp[i] = 2 * std::pow(x[i], 1.5) + 0.01 * std::sin(7.3 * i + 0.4);
  }
  namespace fs = trelvo::fitstart;
  struct Case {
    const char* label;
    std::function<bool()> start;
  } cases[] = {
      {"a + b*e^(c*x)", [&] { return fs::exponentialStart(x, ye).has_value(); }},
      {"a*e^(b*x)", [&] { return fs::exponential2Start(x, ye).has_value(); }},
      {"a*x^b", [&] { return fs::powerStart(x, yp).has_value(); }},
  };
  int status = 0;
  std::printf("start search, %d points (ms, best of 20; ratio = dirty / clean upper vector state)\n", kPoints);
  std::printf("  %-16s %9s %9s %8s\n", "kind", "clean", "dirty", "ratio");
  for (const Case& c : cases) {
    if (!c.start()) status = 1;
    const double clean = bestMs([&] { (void)c.start(); }, false);
    const double dirty = bestMs([&] { (void)c.start(); }, true);
    std::printf("  %-16s %9.3f %9.3f %7.2fx\n", c.label, clean, dirty, dirty / clean);
  }
  return status;
}
