// trelvo.widget: the main window's module. Loading it loads the engine, the
// cell and the form modules it depends on; no Qt binding for Python exists,
// so it offers nothing else.
#include <pybind11/pybind11.h>

#include "widget/widget.h"

namespace py = pybind11;

PYBIND11_MODULE(widget, m) {
  py::module_::import("trelvo.fitcore");
  py::module_::import("trelvo.sheetgriditem");
  py::module_::import("trelvo.viewdesign");
  // The module needs the window library loaded with it.
  static const void* const window_class [[maybe_unused]] = &Widget::staticMetaObject;
  (void)m;
}
