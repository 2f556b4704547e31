#include "pyutil.h"

namespace trelvo::py {

PyObject* exception_type(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::ValueError: return PyExc_ValueError;
    case ErrorKind::TypeError: return PyExc_TypeError;
    case ErrorKind::SyntaxError: return PyExc_SyntaxError;
    case ErrorKind::NameError: return PyExc_NameError;
    case ErrorKind::AttributeError: return PyExc_AttributeError;
    case ErrorKind::ZeroDivisionError: return PyExc_ZeroDivisionError;
    case ErrorKind::OverflowError: return PyExc_OverflowError;
    case ErrorKind::IndexError: return PyExc_IndexError;
    case ErrorKind::RuntimeError: return PyExc_RuntimeError;
    case ErrorKind::MemoryError: return PyExc_MemoryError;
  }
  return PyExc_RuntimeError;
}

void set_python_error(const Error& e) {
  if (e.has_cause()) {
    PyErr_SetString(exception_type(e.cause_kind()), e.cause_message().c_str());
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    PyErr_NormalizeException(&type, &value, &tb);
    PyErr_SetString(exception_type(e.kind()), e.what());
    PyObject *type2, *value2, *tb2;
    PyErr_Fetch(&type2, &value2, &tb2);
    PyErr_NormalizeException(&type2, &value2, &tb2);
    PyException_SetCause(value2, value);  // steals value
    Py_INCREF(value);
    PyException_SetContext(value2, value);  // steals value
    Py_XDECREF(type);
    Py_XDECREF(tb);
    PyErr_Restore(type2, value2, tb2);
    return;
  }
  PyErr_SetString(exception_type(e.kind()), e.what());
}

void register_error_translator() {
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const Error& e) {
      set_python_error(e);
    }
  });
}

py::module_ import_sibling(const py::module_& module, const char* name) {
  const std::string full = py::str(module.attr("__name__"));
  const auto dot = full.rfind('.');
  const std::string package = dot == std::string::npos ? std::string() : full.substr(0, dot + 1);
  return py::module_::import((package + name).c_str());
}

std::string type_name(py::handle value) { return Py_TYPE(value.ptr())->tp_name; }

void require_exact(py::handle value, PyTypeObject* type, const char* arg_name, const char* type_name_,
                   bool none_allowed) {
  if (none_allowed && value.is_none()) return;
  if (Py_TYPE(value.ptr()) == type) return;
  throw Error(ErrorKind::TypeError, argument_type_message(arg_name, type_name_, type_name(value)));
}

double to_double(py::handle value) {
  double d = PyFloat_AsDouble(value.ptr());
  if (d == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  return d;
}

void install_python_warning_sink() {
  set_warning_sink([](WarningKind kind, const std::string& message) {
    py::gil_scoped_acquire gil;
    PyObject* category = PyExc_UserWarning;
    py::object keep;
    switch (kind) {
      case WarningKind::UserWarning: category = PyExc_UserWarning; break;
      case WarningKind::DeprecationWarning: category = PyExc_DeprecationWarning; break;
      case WarningKind::RuntimeWarning: category = PyExc_RuntimeWarning; break;
      case WarningKind::RankWarning:
        keep = py::module_::import("numpy").attr("RankWarning");
        category = keep.ptr();
        break;
    }
    if (PyErr_WarnEx(category, message.c_str(), 1) < 0) throw py::error_already_set();
  });
}

namespace {
const void* volatile kept_symbol = nullptr;
}  // namespace

void keep_loaded(const void* symbol) { kept_symbol = symbol; }

}  // namespace trelvo::py
