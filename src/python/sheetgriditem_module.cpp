// trelvo.sheetgriditem: the formula cell for the host, for cells outside a
// grid. Loading it loads the fitting engine module of the same package.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <climits>
#include <memory>
#include <string>

#include "pyutil.h"
#include "sheetgriditem/clevertablewidgetitem.h"

namespace py = pybind11;
using trelvo::py::require_exact;

namespace {

QString to_qstring(py::handle text) { return QString::fromStdString(text.cast<std::string>()); }

py::object from_qstring(const std::optional<QString>& text) {
  if (!text) return py::none();
  return py::str(text->toStdString());
}

py::object from_value(const std::optional<trelvo::Value>& v) {
  if (!v) return py::none();
  if (v->is_numpy_scalar()) {
    py::module_ np = py::module_::import("numpy");
    if (v->is_int()) return np.attr("int64")(v->i);
    return np.attr("float64")(v->f);
  }
  if (v->is_int()) return py::int_(v->i);
  if (v->is_float()) return py::float_(v->f);
  py::list items;
  for (double d : v->a) items.append(d);
  return py::module_::import("numpy").attr("array")(items);
}

py::object from_variant(const QVariant& v) {
  if (!v.isValid()) return py::none();
  return py::str(v.toString().toStdString());
}

void require_str(py::handle value, const char* name) { require_exact(value, &PyUnicode_Type, name, "str", false); }
void require_int(py::handle value, const char* name) { require_exact(value, &PyLong_Type, name, "int", false); }

// An int argument that must fit a C int (as a C int parameter would take it).
int to_int(py::handle value) {
  int overflow = 0;
  const long long v = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (v == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (overflow != 0 || v > INT_MAX || v < INT_MIN) {
    PyErr_SetString(PyExc_OverflowError, "value too large to convert to int");
    throw py::error_already_set();
  }
  return static_cast<int>(v);
}

// index2label for any Python ints, however large.
py::object index2label(py::handle row, py::handle col) {
  int ro = 0, co = 0;
  const long long r = PyLong_AsLongLongAndOverflow(row.ptr(), &ro);
  const long long c = PyLong_AsLongLongAndOverflow(col.ptr(), &co);
  if (PyErr_Occurred()) throw py::error_already_set();
  if (ro < 0 || co < 0 || (ro == 0 && r < 0) || (co == 0 && c < 0)) return py::none();
  if (ro == 0 && co == 0) return from_qstring(CleverTableWidgetItem::index2label(r, c));
  std::string letters;
  py::object n = py::reinterpret_borrow<py::object>(col);
  const py::int_ base(26), zero(0), one(1);
  while (n.attr("__ge__")(zero).cast<bool>()) {
    letters.insert(letters.begin(), static_cast<char>(n.attr("__mod__")(base).cast<int>() + 65));
    n = n.attr("__floordiv__")(base).attr("__sub__")(one);
  }
  return py::str(letters + py::str(py::reinterpret_borrow<py::object>(row).attr("__add__")(one)).cast<std::string>());
}

}  // namespace

PYBIND11_MODULE(sheetgriditem, m) {
  trelvo::py::register_error_translator();

  // The package's fitting engine, by the package of this module.
  py::module_ fitcore = trelvo::py::import_sibling(m, "fitcore");

  m.attr("np") = py::module_::import("numpy");
  m.attr("re") = py::module_::import("re");
  for (const char* fn : {"parse_expression", "pi", "e"})
    if (py::hasattr(fitcore, fn)) m.attr(fn) = fitcore.attr(fn);

  py::class_<CleverTableWidgetItem>(m, "CleverTableWidgetItem",
                                    "A grid cell: raw text, shown text, = formulas and a number format.")
      .def(py::init([](py::object text) {
             require_str(text, "text");
             return std::make_unique<CleverTableWidgetItem>(to_qstring(text));
           }),
           py::arg("text") = py::str(""))
      .def(
          "setText",
          [](CleverTableWidgetItem& self, py::object text) {
            require_str(text, "text");
            self.setText(to_qstring(text));
          },
          py::arg("text"))
      .def("text", [](const CleverTableWidgetItem& self) { return from_qstring(self.text()); })
      .def("rawText", [](const CleverTableWidgetItem& self) { return from_qstring(self.rawText()); })
      .def(
          "setRawText",
          [](CleverTableWidgetItem& self, py::object raw_text) {
            require_str(raw_text, "raw_text");
            self.setRawText(to_qstring(raw_text));
          },
          py::arg("raw_text"))
      .def(
          "setDisplayText",
          [](CleverTableWidgetItem& self, py::object display_text) {
            require_str(display_text, "display_text");
            self.setDisplayText(to_qstring(display_text));
          },
          py::arg("display_text"))
      .def("displayText", [](const CleverTableWidgetItem& self) { return from_variant(self.displayText()); })
      .def(
          "setEditText",
          [](CleverTableWidgetItem& self, py::object edit_text) {
            require_str(edit_text, "edit_text");
            self.setEditText(to_qstring(edit_text));
          },
          py::arg("edit_text"))
      .def("editText", [](const CleverTableWidgetItem& self) { return from_variant(self.editText()); })
      .def_property_readonly("is_formula", [](const CleverTableWidgetItem& self) { return self.is_formula; })
      .def("formulaResult",
           [](const CleverTableWidgetItem& self) -> py::object {
             const auto r = self.formulaResult();
             if (!r) return py::none();
             return py::make_tuple(from_qstring(r->first), from_value(r->second));
           })
      .def("formulaText", [](const CleverTableWidgetItem& self) { return from_qstring(self.formulaText()); })
      .def(
          "setFormat",
          [](CleverTableWidgetItem& self, py::object dec, py::object sci) {
            require_int(dec, "dec");
            const int is_true = PyObject_IsTrue(sci.ptr());
            if (is_true < 0) throw py::error_already_set();
            self.setFormat(to_int(dec), is_true == 1);
          },
          py::arg("dec"), py::arg("sci") = false)
      .def("clearFormat", &CleverTableWidgetItem::clearFormat)
      .def(
          "label2index",
          [](const CleverTableWidgetItem&, py::object label) -> py::object {
            require_str(label, "label");
            const auto pos = CleverTableWidgetItem::label2index(to_qstring(label));
            if (!pos) return py::none();
            return py::make_tuple(pos->first, pos->second);
          },
          py::arg("label"))
      .def(
          "index2label",
          [](const CleverTableWidgetItem&, py::object row, py::object col) {
            require_int(row, "row");
            require_int(col, "col");
            return index2label(row, col);
          },
          py::arg("row"), py::arg("col"))
      .def(
          "formulaOffset",
          [](const CleverTableWidgetItem& self, py::object row, py::object col) {
            require_int(row, "row");
            require_int(col, "col");
            return from_qstring(self.formulaOffset(to_int(row), to_int(col)));
          },
          py::arg("row"), py::arg("col"))
      .def_property_readonly("sci", [](const CleverTableWidgetItem& self) { return self.sci; })
      .def_property_readonly("dec", [](const CleverTableWidgetItem& self) -> py::object {
        if (!self.dec) return py::none();
        return py::int_(*self.dec);
      });
}
