#include "fitcore/curvefit.h"

#include <minpack.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "fitcore/errors.h"
#include "fitcore/numtext.h"
#include "fitcore/vecmath.h"
#include "fitcore/warnings.h"

namespace trelvo {

namespace {

constexpr double kFtol = 1.49012e-08;
constexpr double kXtol = 1.49012e-08;
constexpr double kGtol = 0.0;
constexpr double kFactor = 100.0;

// MINPACK's callback carries no user data: the running fit is found here.
struct ResidualContext {
  const ModelFunction* model = nullptr;
  std::span<const double> x;
  std::span<const double> y;
  std::exception_ptr error;
};

thread_local ResidualContext* t_context = nullptr;

class ContextScope {
 public:
  explicit ContextScope(ResidualContext* context) : previous_(t_context) { t_context = context; }
  ~ContextScope() { t_context = previous_; }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

 private:
  ResidualContext* previous_;
};

// MINPACK's arrays of length m and m*n, kept from one fit to the next on the
// same thread: large fits would otherwise map and fault in fresh pages for
// every fit. Arrays larger than kKeptWorkspaceDoubles in all are freed after
// their fit. A fit started while another one on the thread holds them (a
// model that fits) gets arrays of its own.
constexpr std::size_t kKeptWorkspaceDoubles = std::size_t{16} << 20;  // 128 MiB

struct Workspace {
  std::vector<double> fvec, fjac, wa4;
  bool busy = false;
};

thread_local Workspace t_workspace;

class WorkspaceLease {
 public:
  WorkspaceLease(std::size_t m, std::size_t n) : owned_(!t_workspace.busy) {
    Workspace& w = owned_ ? t_workspace : local_;
    w.busy = true;
    w.fvec.resize(m);
    w.fjac.resize(m * n);
    w.wa4.resize(m);
    w_ = &w;
  }
  ~WorkspaceLease() {
    w_->busy = false;
    if (w_->fvec.capacity() + w_->fjac.capacity() + w_->wa4.capacity() > kKeptWorkspaceDoubles) {
      w_->fvec = {};
      w_->fjac = {};
      w_->wa4 = {};
    }
  }
  WorkspaceLease(const WorkspaceLease&) = delete;
  WorkspaceLease& operator=(const WorkspaceLease&) = delete;
  Workspace& get() { return *w_; }

 private:
  bool owned_;
  Workspace local_;
  Workspace* w_ = nullptr;
};

std::string shape_text(std::size_t n) { return "(" + std::to_string(n) + ",)"; }

// fvec = model(x, p) - y, with NumPy's broadcasting of a scalar or a
// one-element result.
void residuals(const ResidualContext& context, std::span<const double> p, std::span<double> fvec) {
  const Value v = context.model->call(context.x, p);
  const std::span<const double> y = context.y;
  if (v.is_array()) {
    if (v.a.size() == y.size()) {
      for (std::size_t i = 0; i < y.size(); ++i) fvec[i] = v.a[i] - y[i];
      return;
    }
    if (v.a.size() != 1) {
      raise(ErrorKind::ValueError, "operands could not be broadcast together with shapes " +
                                       shape_text(v.a.size()) + " " + shape_text(y.size()) + " ");
    }
    for (std::size_t i = 0; i < y.size(); ++i) fvec[i] = v.a[0] - y[i];
    return;
  }
  const double s = v.as_double();
  for (std::size_t i = 0; i < y.size(); ++i) fvec[i] = s - y[i];
}

void lmdif_callback(int* m, int* n, double* x, double* fvec, int* iflag) noexcept {
  ResidualContext* context = t_context;
  try {
    residuals(*context, std::span<const double>(x, static_cast<std::size_t>(*n)),
              std::span<double>(fvec, static_cast<std::size_t>(*m)));
  } catch (...) {
    context->error = std::current_exception();
    *iflag = -1;
  }
}

// printf's "%f" in the C locale, whatever locale the process runs in.
std::string format_fixed6(double v) { return format_f(v, 6); }

// leastsq's text for each MINPACK info code.
std::string info_message(int info, int maxfev) {
  const std::string ftol = format_fixed6(kFtol);
  const std::string xtol = format_fixed6(kXtol);
  const std::string gtol = format_fixed6(kGtol);
  switch (info) {
    case 0: return "Improper input parameters.";
    case 1:
      return "Both actual and predicted relative reductions in the sum of squares\n  are at most " + ftol;
    case 2: return "The relative error between two consecutive iterates is at most " + xtol;
    case 3:
      return "Both actual and predicted relative reductions in the sum of squares\n  are at most " + ftol +
             " and the relative error between two consecutive iterates is at \n  most " + xtol;
    case 4:
      return "The cosine of the angle between func(x) and any column of the\n  Jacobian is at most " +
             gtol + " in absolute value";
    case 5: return "Number of calls to function has reached maxfev = " + std::to_string(maxfev) + ".";
    case 6:
      return "ftol=" + ftol + " is too small, no further reduction in the sum of squares\n  is possible.";
    case 7:
      return "xtol=" + xtol +
             " is too small, no further improvement in the approximate\n  solution is possible.";
    case 8:
      return "gtol=" + gtol +
             " is too small, func(x) is orthogonal to the columns of\n  the Jacobian to machine precision.";
  }
  return "Unknown error.";
}

bool all_finite(std::span<const double> v) {
  for (double d : v) {
    if (!std::isfinite(d)) return false;
  }
  return true;
}

}  // namespace

std::vector<double> curve_fit(const ModelFunction& model, std::span<const double> x,
                              std::span<const double> y, const std::optional<std::vector<double>>& p0,
                              const CurveFitOptions& options) {
  vecmath::clear_upper_state();
  std::vector<double> p;
  if (p0) {
    p = *p0;
  } else {
    const int argcount = model.argcount();
    if (argcount < 2) raise(ErrorKind::ValueError, "Unable to determine number of fit parameters.");
    p.assign(static_cast<std::size_t>(argcount - 1), 1.0);
  }
  const std::size_t n = p.size();

  if (!all_finite(y) || !all_finite(x)) raise(ErrorKind::ValueError, "array must not contain infs or NaNs");
  if (y.empty()) raise(ErrorKind::ValueError, "`ydata` must not be empty!");
  if (y.size() != 1 && n > y.size()) {
    raise(ErrorKind::TypeError, "The number of func parameters=" + std::to_string(n) +
                                    " must not exceed the number of data points=" +
                                    std::to_string(y.size()));
  }

  ResidualContext context;
  context.model = &model;
  context.x = x;
  context.y = y;
  const std::size_t m = y.size();
  WorkspaceLease lease(m, n);
  std::vector<double>& fvec = lease.get().fvec;
  std::vector<double>& fjac = lease.get().fjac;
  std::vector<double>& wa4 = lease.get().wa4;
  // The first evaluation: errors of the model come before MINPACK's checks.
  residuals(context, p, fvec);
  if (n > m) {
    raise(ErrorKind::TypeError, "Improper input: func input vector length N=" + std::to_string(n) +
                                    " must not exceed func output vector length M=" + std::to_string(m));
  }

  int mi = static_cast<int>(m);
  int ni = static_cast<int>(n);
  double ftol = kFtol, xtol = kXtol, gtol = kGtol, factor = kFactor;
  double epsfcn = options.epsfcn;
  int maxfev = options.maxfev;
  int mode = 1, nprint = 0, info = 0, nfev = 0;
  int ldfjac = mi;
  std::vector<double> diag(n), qtf(n), wa1(n), wa2(n), wa3(n);
  std::vector<int> ipvt(n);
  {
    ContextScope scope(&context);
    lmdif_(lmdif_callback, &mi, &ni, p.data(), fvec.data(), &ftol, &xtol, &gtol, &maxfev, &epsfcn,
           diag.data(), &mode, &factor, &nprint, &info, &nfev, fjac.data(), &ldfjac, ipvt.data(), qtf.data(),
           wa1.data(), wa2.data(), wa3.data(), wa4.data());
  }
  if (context.error) std::rethrow_exception(context.error);
  if (info < 1 || info > 4) {
    throw Error(ErrorKind::RuntimeError, "Optimal parameters not found: " + info_message(info, maxfev));
  }
  // MINPACK may stop with a convergence code on infinite or NaN residuals;
  // that is no fit.
  if (!all_finite(p) || !all_finite(fvec)) {
    raise(ErrorKind::RuntimeError, "Optimal parameters not found: the model is not finite at the fitted parameters.");
  }

  // The covariance itself is not needed, only SciPy's warning when it cannot
  // be estimated: R (upper triangle of fjac) singular, or no spare points.
  bool singular = false;
  for (std::size_t j = 0; j < n; ++j) {
    if (fjac[j * m + j] == 0.0) singular = true;
  }
  if (singular || m <= n) warn(WarningKind::UserWarning, "Covariance of the parameters could not be estimated");
  return p;
}

}  // namespace trelvo
