// trelvo.sheetgrid: the spreadsheet grid's module. Loading it loads the
// formula cell's and the fitting engine's modules of the package; the grid
// itself is used from C++ (the module's library carries it and the workbook
// libraries, so a missing one fails the load).
#include <pybind11/pybind11.h>

#include "pyutil.h"
#include "sheetgrid/clevertablewidget.h"

namespace py = pybind11;

PYBIND11_MODULE(sheetgrid, m) {
  trelvo::py::register_error_translator();
  trelvo::py::import_sibling(m, "sheetgriditem");
  trelvo::py::import_sibling(m, "fitcore");
  trelvo::py::keep_loaded(&CleverTableWidget::staticMetaObject);
}
