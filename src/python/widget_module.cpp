// trelvo.widget: the main window's module. Loading it loads the engine, the
// cell and the form modules it depends on; no Qt binding for Python exists,
// so it offers nothing else.
#include <pybind11/pybind11.h>

#include "pyutil.h"
#include "widget/widget.h"

namespace py = pybind11;

PYBIND11_MODULE(widget, m) {
  trelvo::py::import_sibling(m, "fitcore");
  trelvo::py::import_sibling(m, "sheetgriditem");
  trelvo::py::import_sibling(m, "viewdesign");
  trelvo::py::keep_loaded(&Widget::staticMetaObject);
}
