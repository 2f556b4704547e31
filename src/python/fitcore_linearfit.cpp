// Binding of the polynomial fit: the host's view of LinearFit, with its
// attributes as host objects (x_data / y_data as NumPy arrays, params as the
// very list that fit() returns, so that changing that list changes the model).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <climits>
#include <cmath>
#include <optional>
#include <vector>

#include "fitcore/linearfit.h"
#include "fitcore/output.h"
#include "pyutil.h"

namespace py = pybind11;
using trelvo::py::require_exact;
using trelvo::py::to_double;

namespace {

// Numbers of a host list, with the ints marked (bool counts as int, as it
// does for NumPy's array()).
struct HostNumbers {
  std::vector<double> values;
  std::vector<bool> is_int;
  bool all_float = true;
  bool all_int = true;
  // Some value (a bool, an int beyond int64, another number type) makes
  // NumPy build an array of another kind than float64 / int64.
  bool other_kind = false;
};

HostNumbers read_numbers(py::handle list) {
  HostNumbers out;
  PyObject* seq = list.ptr();
  const Py_ssize_t n = PyList_GET_SIZE(seq);
  out.values.resize(static_cast<std::size_t>(n));
  out.is_int.resize(static_cast<std::size_t>(n));
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject* item = PyList_GET_ITEM(seq, i);
    double v;
    bool is_int = false;
    if (PyFloat_CheckExact(item)) {
      v = PyFloat_AS_DOUBLE(item);
    } else if (PyLong_Check(item)) {
      v = PyLong_AsDouble(item);
      if (v == -1.0 && PyErr_Occurred()) throw py::error_already_set();
      is_int = true;
      if (!PyLong_CheckExact(item) || !(std::fabs(v) < 9.2e18)) out.other_kind = true;
    } else {
      v = to_double(item);
      out.other_kind = true;
    }
    out.values[static_cast<std::size_t>(i)] = v;
    out.is_int[static_cast<std::size_t>(i)] = is_int;
    if (is_int) out.all_float = false;
    else out.all_int = false;
  }
  return out;
}

std::vector<double> read_doubles(py::handle list) { return read_numbers(list).values; }

py::array float_array(const std::vector<double>& v) {
  return py::array_t<double>(static_cast<py::ssize_t>(v.size()), v.data());
}

// The NumPy array the host's np.array() builds from these numbers: int64 for
// all ints, float64 otherwise (an empty list gives a float array).
py::object host_array(const std::vector<double>& v, const std::vector<bool>& is_int) {
  bool all_int = !v.empty();
  for (std::size_t i = 0; i < v.size() && all_int; ++i) all_int = i < is_int.size() && is_int[i];
  if (!all_int) return float_array(v);
  py::array_t<long long> a(static_cast<py::ssize_t>(v.size()));
  auto* p = a.mutable_data();
  for (std::size_t i = 0; i < v.size(); ++i) p[i] = static_cast<long long>(v[i]);
  return std::move(a);
}

py::list float_list(const std::vector<double>& v) {
  py::list out(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) PyList_SET_ITEM(out.ptr(), i, PyFloat_FromDouble(v[i]));
  return out;
}

py::object solution_object(const trelvo::Solution& s) {
  switch (s.kind) {
    case trelvo::Solution::Kind::Value: return py::float_(s.x);
    case trelvo::Solution::Kind::None: return py::none();
    case trelvo::Solution::Kind::Multiple: {
      py::dict d;
      d["x"] = float_list(s.xs);
      d["y"] = py::float_(s.y);
      return std::move(d);
    }
  }
  return py::none();
}

int exact_int(py::handle value) {
  long long v = PyLong_AsLongLong(value.ptr());
  if (v == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (v > INT_MAX || v < INT_MIN) {
    PyErr_SetString(PyExc_OverflowError, "Python int too large to convert to C int");
    throw py::error_already_set();
  }
  return static_cast<int>(v);
}

// The host object: the engine's model plus the attributes in host form.
struct PyLinearFit {
  LinearFit model;
  py::object x_array, y_array;
  py::object params_list = py::none();

  // Takes params from the host attribute (the caller may have changed it).
  void sync_params() {
    if (params_list.is_none()) {
      model.params.reset();
      return;
    }
    std::vector<double> p;
    for (py::handle item : params_list) p.push_back(to_double(item));
    model.params = std::move(p);
  }

  void require_fitted() {
    sync_params();
    if (!model.params) throw trelvo::Error(trelvo::ErrorKind::ValueError, "Model has not been fitted yet.");
  }
};

}  // namespace

void bind_linearfit(py::module_& m) {
  trelvo::set_output_sink([](const std::string& line) { py::print(line); });

  py::class_<PyLinearFit>(m, "LinearFit", py::dynamic_attr())
      .def(py::init([](py::object x_data, py::object y_data, py::object degree, py::object y_intercept) {
             require_exact(x_data, &PyList_Type, "x_data", "list", false);
             require_exact(y_data, &PyList_Type, "y_data", "list", false);
             require_exact(degree, &PyLong_Type, "degree", "int", false);
             require_exact(y_intercept, &PyFloat_Type, "y_intercept", "float", true);
             HostNumbers x = read_numbers(x_data);
             HostNumbers y = read_numbers(y_data);
             std::optional<double> y0;
             if (!y_intercept.is_none()) y0 = PyFloat_AS_DOUBLE(y_intercept.ptr());
             auto self = std::make_unique<PyLinearFit>();
             self->model = LinearFit(x.values, y.values, exact_int(degree), y0, x.is_int, y.is_int);
             const bool x_plain = !x.other_kind && (x.all_float || x.all_int);
             const bool y_plain = !y.other_kind && (y.all_float || y.all_int);
             py::module_ np = py::module_::import("numpy");
             self->x_array = x_plain ? host_array(x.values, x.is_int) : np.attr("array")(x_data);
             self->y_array = y_plain ? host_array(y.values, y.is_int) : np.attr("array")(y_data);
             return self;
           }),
           py::arg("x_data"), py::arg("y_data"), py::arg("degree") = 2, py::arg("y_intercept") = py::none())
      .def_property(
          "x_data", [](PyLinearFit& s) { return s.x_array; },
          [](PyLinearFit& s, py::object v) {
            py::array_t<double, py::array::forcecast> a(v);
            s.model.x_data.assign(a.data(), a.data() + a.size());
            s.model.x_is_int.clear();
            s.x_array = v;
          })
      .def_property(
          "y_data", [](PyLinearFit& s) { return s.y_array; },
          [](PyLinearFit& s, py::object v) {
            py::array_t<double, py::array::forcecast> a(v);
            s.model.y_data.assign(a.data(), a.data() + a.size());
            s.model.y_is_int.clear();
            s.y_array = v;
          })
      .def_property(
          "y_intercept",
          [](PyLinearFit& s) -> py::object {
            if (!s.model.y_intercept) return py::none();
            return py::float_(*s.model.y_intercept);
          },
          [](PyLinearFit& s, py::object v) {
            if (v.is_none()) s.model.y_intercept.reset();
            else s.model.y_intercept = to_double(v);
          })
      .def_property(
          "degree", [](PyLinearFit& s) { return s.model.degree; },
          [](PyLinearFit& s, py::object v) { s.model.degree = exact_int(v); })
      .def_property(
          "params", [](PyLinearFit& s) { return s.params_list; },
          [](PyLinearFit& s, py::object v) { s.params_list = v; })
      .def("x_data_order", [](PyLinearFit& s) { return s.model.x_data_order(); })
      .def(
          "insert_y_intercept",
          [](PyLinearFit& s, py::object y_intercept) -> py::tuple {
            require_exact(y_intercept, &PyFloat_Type, "y_intercept", "float", true);
            std::optional<double> y0;
            if (!y_intercept.is_none()) y0 = PyFloat_AS_DOUBLE(y_intercept.ptr());
            auto d = s.model.insert_y_intercept(y0);
            if (!d) return py::make_tuple(py::none(), py::none());
            return py::make_tuple(host_array(d->x, d->x_is_int), host_array(d->y, d->y_is_int));
          },
          py::arg("y_intercept") = py::none())
      .def(
          "fit",
          [](PyLinearFit& s, py::object degree) -> py::object {
            require_exact(degree, &PyLong_Type, "degree", "int", true);
            std::optional<int> d;
            if (!degree.is_none()) d = exact_int(degree);
            s.sync_params();
            s.model.fit(d);
            s.params_list = float_list(*s.model.params);
            return s.params_list;
          },
          py::arg("degree") = py::none())
      .def(
          "yval",
          [](PyLinearFit& s, py::object x) {
            double v = to_double(x);
            s.require_fitted();
            return s.model.yval(v);
          },
          py::arg("x"))
      .def(
          "ylist",
          [](PyLinearFit& s, py::object x) {
            require_exact(x, &PyList_Type, "x", "list", true);
            s.require_fitted();
            std::optional<std::vector<double>> xs;
            if (!x.is_none()) xs = read_doubles(x);
            return float_list(s.model.ylist(xs));
          },
          py::arg("x") = py::none())
      .def(
          "r_squared",
          [](PyLinearFit& s, py::object y_pred) {
            require_exact(y_pred, &PyList_Type, "y_pred", "list", true);
            s.require_fitted();
            std::optional<std::vector<double>> yp;
            if (!y_pred.is_none()) yp = read_doubles(y_pred);
            return s.model.r_squared(yp);
          },
          py::arg("y_pred") = py::none())
      .def(
          "predict",
          [](PyLinearFit& s, py::object y) {
            require_exact(y, &PyList_Type, "y", "list", false);
            s.sync_params();
            std::vector<double> ys;
            try {
              ys = read_doubles(y);
            } catch (py::error_already_set&) {
              // The deprecation notice and the not-fitted error come before
              // any value of the list is looked at.
              s.model.predict({});
              throw;
            }
            auto [xs, ns] = s.model.predict(ys);
            py::list n_list;
            for (long long n : ns) n_list.append(n);
            return py::make_tuple(float_list(xs), n_list);
          },
          py::arg("y"))
      .def(
          "solveval",
          [](PyLinearFit& s, py::object y, py::object limit) {
            double v = to_double(y);
            s.require_fitted();
            return solution_object(s.model.solveval(v, limit.ptr() != Py_False));
          },
          py::arg("y"), py::arg("limit") = true)
      .def(
          "solve",
          [](PyLinearFit& s, py::object ylist, py::object limit) {
            require_exact(ylist, &PyList_Type, "ylist", "list", false);
            s.require_fitted();
            const bool limited = limit.ptr() != Py_False;
            py::list out;
            for (py::handle item : ylist) out.append(solution_object(s.model.solveval(to_double(item), limited)));
            return out;
          },
          py::arg("ylist"), py::arg("limit") = true)
      .def(
          "formula",
          [](PyLinearFit& s, py::object x, py::object decimal, py::object scientific) {
            require_exact(x, &PyUnicode_Type, "x", "str", false);
            require_exact(decimal, &PyLong_Type, "decimal", "int", false);
            s.require_fitted();
            const int truth = PyObject_IsTrue(scientific.ptr());
            if (truth < 0) throw py::error_already_set();
            return s.model.formula(x.cast<std::string>(), exact_int(decimal), truth == 1);
          },
          py::arg("x") = "x", py::arg("decimal") = 3, py::arg("scientific") = false);
}
