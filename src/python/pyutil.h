#pragma once
// Helpers shared by the extension modules: errors of the libraries become the
// named Python exceptions, the argument-type rule, warnings to Python's channel.
#include <pybind11/pybind11.h>

#include <string>

#include "fitcore/errors.h"
#include "fitcore/warnings.h"

namespace trelvo::py {

namespace py = pybind11;

// Python exception type for an error kind.
PyObject* exception_type(ErrorKind kind);

// Sets the Python error for `e` (with its cause chained, as "raise ... from").
void set_python_error(const Error& e);

// Registers the translator of trelvo::Error for every module that calls it.
void register_error_translator();

// The argument-type rule: `value` must be exactly of `type` (no subtype), or
// None when `none_allowed`. Raises TypeError "Argument '%.200s' has incorrect
// type (expected %.200s, got %.200s)" otherwise.
void require_exact(py::handle value, PyTypeObject* type, const char* arg_name,
                   const char* type_name, bool none_allowed);

// A float argument without default: converted with float(), so ints are
// accepted; a value without conversion raises Python's own TypeError.
double to_double(py::handle value);

// The warning sink that issues Python warnings (UserWarning, DeprecationWarning,
// RuntimeWarning; RankWarning as numpy's RankWarning). A warning turned into an
// error by the warnings filter is thrown as py::error_already_set.
void install_python_warning_sink();

// Imports the sibling module `name` of the package that holds `module` (a
// relative import: "<package>.<name>").
py::module_ import_sibling(const py::module_& module, const char* name);

// Keeps the library that defines `symbol` a load-time dependency of the
// module that calls it: for the modules that bind nothing of their library
// and load it only so that it is there for the C++ code above it.
void keep_loaded(const void* symbol);

// Python's type name of a value ("int", "NoneType").
std::string type_name(py::handle value);

}  // namespace trelvo::py
