#include "fitcore/secant.h"

#include <cmath>
#include <cstdio>

#include "fitcore/errors.h"
#include "fitcore/numtext.h"

namespace trelvo {

namespace {

// numpy.isclose(a, b, rtol=0, atol=atol) for scalars.
bool isclose(double a, double b, double atol) {
  if (std::isfinite(a) && std::isfinite(b)) return std::fabs(a - b) <= atol;
  return a == b;
}

std::string failed_text(std::int64_t iterations, double value) {
  return "Failed to converge after " + std::to_string(iterations) + " iterations, value is " +
         repr_double(value) + ".";
}

SecantResult finish(double p, std::int64_t iterations, std::int64_t calls) {
  SecantResult r;
  r.root = p;
  r.iterations = iterations;
  r.function_calls = calls;
  r.converged = std::isfinite(p);
  if (!r.converged) r.message = failed_text(iterations, p);
  return r;
}

}  // namespace

SecantResult secant(const std::function<double(double)>& f, double x0, double x1, double xtol,
                    std::int64_t maxiter) {
  if (!(xtol > 0)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", xtol);
    raise(ErrorKind::ValueError, std::string("tol too small (") + buf + " <= 0)");
  }
  if (maxiter < 1) raise(ErrorKind::ValueError, "maxiter must be greater than 0");
  double p0 = 1.0 * x0;
  if (x1 == x0) raise(ErrorKind::ValueError, "x1 and x0 must be different");
  double p1 = x1;
  std::int64_t calls = 0;
  double q0 = f(p0);
  ++calls;
  double q1 = f(p1);
  ++calls;
  if (std::fabs(q1) < std::fabs(q0)) {
    std::swap(p0, p1);
    std::swap(q0, q1);
  }
  double p = 0.0;
  std::int64_t itr = 0;
  for (itr = 0; itr < maxiter; ++itr) {
    if (q1 == q0) {
      if (p1 != p0) {
        SecantResult r;
        r.root = (p1 + p0) / 2.0;
        r.iterations = itr + 1;
        r.function_calls = calls;
        r.message = "Tolerance of " + repr_double(p1 - p0) + " reached.";
        return r;
      }
      return finish((p1 + p0) / 2.0, itr + 1, calls);
    }
    if (std::fabs(q1) > std::fabs(q0)) {
      p = (-q0 / q1 * p1 + p0) / (1 - q0 / q1);
    } else {
      p = (-q1 / q0 * p0 + p1) / (1 - q1 / q0);
    }
    if (!std::isfinite(p)) return finish(p, itr + 1, calls);
    if (isclose(p, p1, xtol)) return finish(p, itr + 1, calls);
    p0 = p1;
    q0 = q1;
    p1 = p;
    q1 = f(p1);
    ++calls;
    if (!std::isfinite(q1)) {
      SecantResult r;
      r.root = p1;
      r.iterations = itr + 1;
      r.function_calls = calls;
      r.message = "The function is " + repr_double(q1) + " at x = " + repr_double(p1) + " after " +
                  std::to_string(itr + 1) + " iterations.";
      return r;
    }
  }
  SecantResult r;
  r.root = p;
  r.iterations = itr;
  r.function_calls = calls;
  r.message = failed_text(itr, p);
  return r;
}

}  // namespace trelvo
