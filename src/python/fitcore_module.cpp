// trelvo.fitcore: the fitting engine for the host. The names are bound in the
// order the module body of the engine binds them.
#include <pybind11/pybind11.h>

#include "pyutil.h"

namespace py = pybind11;

// Each part of the engine binds its own names (fitcore_*.cpp).
void bind_expression(py::module_& m);   // pi, e, parse_expression, fequal
void bind_linearfit(py::module_& m);    // LinearFit
void bind_nonlinearfit(py::module_& m); // NonLinearFit

PYBIND11_MODULE(fitcore, m) {
  trelvo::py::register_error_translator();
  m.attr("Callable") = py::module_::import("typing").attr("Callable");
  m.attr("np") = py::module_::import("numpy");
  m.attr("sopt") = py::module_::import("scipy.optimize");
  m.attr("inspect") = py::module_::import("inspect");
  m.attr("warnings") = py::module_::import("warnings");
  m.attr("re") = py::module_::import("re");
  m.attr("keyword") = py::module_::import("keyword");
  trelvo::py::install_python_warning_sink();
  bind_expression(m);
  bind_linearfit(m);
  bind_nonlinearfit(m);
}
