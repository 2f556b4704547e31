// Binding of the expression gate: pi, e, parse_expression, fequal.
#include <pybind11/pybind11.h>

#include <string>

#include "fitcore/expression.h"
#include "pyutil.h"

namespace py = pybind11;

namespace {

// str <-> UTF-8 bytes; lone surrogates pass through as their 3-byte forms,
// so any str round-trips.
std::string to_utf8(py::handle text) {
  py::object bytes = py::reinterpret_steal<py::object>(
      PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogatepass"));
  if (!bytes) throw py::error_already_set();
  return std::string(PyBytes_AS_STRING(bytes.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(bytes.ptr())));
}

py::str from_utf8(const std::string& text) {
  PyObject* s = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogatepass");
  if (!s) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(s);
}

}  // namespace

void bind_expression(py::module_& m) {
  m.def("pi", []() { return pi(); }, "NumPy's pi.");
  m.def("e", []() { return e(); }, "NumPy's e.");
  m.def(
      "parse_expression",
      [](py::object expression, py::object have_x) {
        trelvo::py::require_exact(expression, &PyUnicode_Type, "expression", "str", false);
        const int truth = PyObject_IsTrue(have_x.ptr());
        if (truth < 0) throw py::error_already_set();
        const std::string text = to_utf8(expression);
        std::pair<std::string, std::vector<std::string>> result;
        {
          py::gil_scoped_release release;
          result = parse_expression(text, truth != 0);
        }
        py::list names;
        for (const std::string& n : result.second) names.append(from_utf8(n));
        return py::make_tuple(from_utf8(result.first), names);
      },
      py::arg("expression"), py::arg("have_x") = true,
      "Checks a model or cell expression and rewrites it for evaluation; returns "
      "(converted, names). Raises ValueError with the reason of a rejection.");
  m.def(
      "fequal",
      [](py::object a, py::object b, py::object epsilon) {
        const double da = trelvo::py::to_double(a);
        const double db = trelvo::py::to_double(b);
        const double de = trelvo::py::to_double(epsilon);
        return fequal(da, db, de);
      },
      py::arg("a"), py::arg("b"), py::arg("epsilon") = 1e-10,
      "True exactly when epsilon > |a - b|.");
}
