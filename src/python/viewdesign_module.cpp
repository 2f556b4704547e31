// trelvo.viewdesign: the unit of the main window's form. The form class itself
// is used from C++ by the window (there is no Qt binding for Python here);
// loading the module loads the grid module beside it and registers the form's
// resources, and the module offers no names of its own.
#include <pybind11/pybind11.h>

#include <string>

#include "pyutil.h"
#include "viewdesign/resources.h"

namespace py = pybind11;

PYBIND11_MODULE(viewdesign, m) {
  trelvo::py::register_error_translator();
  // Relative import of the grid module: "<package>.sheetgrid".
  const std::string name = py::str(m.attr("__name__"));
  const auto dot = name.rfind('.');
  const std::string package = dot == std::string::npos ? std::string() : name.substr(0, dot + 1);
  py::module_::import((package + "sheetgrid").c_str());
  trelvo::viewdesign::registerResources();
}
