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
  trelvo::py::import_sibling(m, "sheetgrid");
  trelvo::viewdesign::registerResources();
}
