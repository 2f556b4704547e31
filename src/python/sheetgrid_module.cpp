// trelvo.sheetgrid: the spreadsheet grid's module. Loading it loads the
// formula cell's and the fitting engine's modules of the package; the grid
// itself is used from C++ (the module's library carries it and the workbook
// libraries, so a missing one fails the load).
#include <pybind11/pybind11.h>

#include "pyutil.h"
#include "sheetgrid/clevertablewidget.h"

namespace py = pybind11;

namespace {
// Keeps the grid library (and with it the workbook libraries) a load-time
// dependency of the module.
const void* volatile keep_grid_library = &CleverTableWidget::staticMetaObject;
}  // namespace

PYBIND11_MODULE(sheetgrid, m) {
  trelvo::py::register_error_translator();
  trelvo::py::import_sibling(m, "sheetgriditem");
  trelvo::py::import_sibling(m, "fitcore");
  (void)m;
}
