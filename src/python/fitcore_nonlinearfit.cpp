// Binding of NonLinearFit: the model function is any Python callable, or the
// compiled model that from_expr builds from a model expression.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fitcore/expression.h"
#include "fitcore/expressionmodel.h"
#include "fitcore/nonlinearfit.h"
#include "pyutil.h"

namespace py = pybind11;
using trelvo::Error;
using trelvo::ErrorKind;
using trelvo::Value;

namespace {

py::array_t<double> to_numpy(std::span<const double> v) {
  py::array_t<double> a(static_cast<py::ssize_t>(v.size()));
  std::copy(v.begin(), v.end(), a.mutable_data());
  return a;
}

py::object value_to_python(const Value& v) {
  switch (v.kind) {
    case Value::Kind::Int: return py::int_(v.i);
    case Value::Kind::Float: return py::float_(v.f);
    case Value::Kind::NpInt: return py::module_::import("numpy").attr("int64")(v.i);
    case Value::Kind::NpFloat: return py::module_::import("numpy").attr("float64")(v.f);
    case Value::Kind::Array: return to_numpy(v.a);
  }
  return py::none();
}

// A model result as an evaluator value: numbers stay scalars, anything else
// goes through numpy.asarray(result, float).
Value python_to_value(py::handle r) {
  if (PyFloat_Check(r.ptr())) return Value::real(PyFloat_AS_DOUBLE(r.ptr()));
  if (PyLong_Check(r.ptr())) {
    int overflow = 0;
    const long long i = PyLong_AsLongLongAndOverflow(r.ptr(), &overflow);
    if (overflow == 0 && !(i == -1 && PyErr_Occurred())) return Value::integer(i);
    PyErr_Clear();
    return Value::real(trelvo::py::to_double(r));
  }
  py::array_t<double, py::array::c_style | py::array::forcecast> a =
      py::module_::import("numpy").attr("asarray")(r, "float64");
  if (a.ndim() == 0) return Value::real(*a.data());
  std::vector<double> out(a.data(), a.data() + a.size());
  return Value::array(std::move(out));
}

// A Python callable as a model function. Its argument count and names come
// from its code object (functions and lambdas) or its signature (other
// callables); Python errors inside it leave as py::error_already_set.
class PythonModel : public trelvo::ModelFunction {
 public:
  explicit PythonModel(py::object func) : func_(std::move(func)) {
    if (PyFunction_Check(func_.ptr())) {
      py::object code = func_.attr("__code__");
      argcount_ = code.attr("co_argcount").cast<int>();
      for (py::handle n : code.attr("co_varnames")) varnames_.push_back(n.cast<std::string>());
      return;
    }
    if (!PyCallable_Check(func_.ptr())) {
      throw Error(ErrorKind::AttributeError,
                  "'" + trelvo::py::type_name(func_) + "' object has no attribute '__code__'");
    }
    py::object inspect = py::module_::import("inspect");
    py::object parameter = inspect.attr("Parameter");
    py::object positional_only = parameter.attr("POSITIONAL_ONLY");
    py::object positional = parameter.attr("POSITIONAL_OR_KEYWORD");
    py::object sig = inspect.attr("signature")(func_);
    for (py::handle p : sig.attr("parameters").attr("values")()) {
      py::object kind = p.attr("kind");
      if (kind.equal(positional_only) || kind.equal(positional)) {
        varnames_.push_back(p.attr("name").cast<std::string>());
      }
    }
    argcount_ = static_cast<int>(varnames_.size());
  }

  int argcount() const override { return argcount_; }
  std::vector<std::string> varnames() const override { return varnames_; }

  py::object call_raw(py::object x, std::span<const double> params) const {
    py::tuple args(params.size() + 1);
    args[0] = std::move(x);
    for (std::size_t i = 0; i < params.size(); ++i) args[i + 1] = py::float_(params[i]);
    return func_(*args);
  }
  Value call(double x, std::span<const double> params) const override {
    return python_to_value(call_raw(py::float_(x), params));
  }
  Value call(std::span<const double> x, std::span<const double> params) const override {
    return python_to_value(call_raw(to_numpy(x), params));
  }
  std::optional<std::string> source(std::string& error) const override {
    try {
      return py::module_::import("inspect").attr("getsource")(func_).cast<std::string>();
    } catch (py::error_already_set& e) {
      error = py::str(e.value()).cast<std::string>();
      return std::nullopt;
    }
  }

 private:
  py::object func_;
  int argcount_ = 0;
  std::vector<std::string> varnames_;
};

// The compiled model of from_expr as a Python object: callable like the
// lambda it stands for.
struct CompiledModel {
  std::shared_ptr<const trelvo::ExpressionModel> model;
};

py::object call_compiled(const CompiledModel& m, py::args args) {
  if (args.size() == 0) {
    throw Error(ErrorKind::TypeError, "<lambda>() missing 1 required positional argument: 'x'");
  }
  std::vector<double> params;
  for (std::size_t i = 1; i < args.size(); ++i) params.push_back(trelvo::py::to_double(args[i]));
  py::handle x = args[0];
  if (PyFloat_Check(x.ptr()) || PyLong_Check(x.ptr())) {
    return value_to_python(m.model->call(trelvo::py::to_double(x), params));
  }
  py::array_t<double, py::array::c_style | py::array::forcecast> a =
      py::module_::import("numpy").attr("asarray")(x, "float64");
  if (a.ndim() == 0) return value_to_python(m.model->call(*a.data(), params));
  return value_to_python(m.model->call(std::span<const double>(a.data(), a.size()), params));
}

std::vector<double> to_doubles(py::handle list) {
  std::vector<double> v;
  if (PyList_Check(list.ptr())) v.reserve(static_cast<std::size_t>(PyList_GET_SIZE(list.ptr())));
  for (py::handle item : list) v.push_back(trelvo::py::to_double(item));
  return v;
}

std::optional<std::vector<double>> to_optional_doubles(py::handle list) {
  if (list.is_none()) return std::nullopt;
  return to_doubles(list);
}

py::list to_list(const std::vector<double>& v) {
  py::list l(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) l[i] = py::float_(v[i]);
  return l;
}

void require_list(py::handle value, const char* name, bool none_allowed) {
  trelvo::py::require_exact(value, &PyList_Type, name, "list", none_allowed);
}

// NonLinearFit as Python sees it: the lists it was given, the model object,
// and the very list that fit returned, beside the numeric state.
struct PyNonLinearFit : NonLinearFit {
  PyNonLinearFit(NonLinearFit core, py::object x, py::object y, py::object f, py::object guess)
      : NonLinearFit(std::move(core)),
        x_list(std::move(x)),
        y_list(std::move(y)),
        func_obj(std::move(f)),
        p0_obj(std::move(guess)) {}
  py::object x_list, y_list, func_obj, p0_obj;
  py::object params_obj = py::none();

  // Takes params from the host attribute: the list that fit() returned may
  // have been changed in place since.
  void sync_params() { params = to_optional_doubles(params_obj); }

  const PythonModel* python_model() const { return dynamic_cast<const PythonModel*>(func.get()); }
};

std::shared_ptr<const trelvo::ModelFunction> model_of(py::handle func) {
  if (py::isinstance<CompiledModel>(func)) return func.cast<const CompiledModel&>().model;
  return std::make_shared<const PythonModel>(py::reinterpret_borrow<py::object>(func));
}

// Runs `work`; a RuntimeError raised by a Python model function inside it
// leaves as ValueError `prefix` + its text, with the RuntimeError as cause,
// as the fitting library's own RuntimeError does.
template <typename F>
auto model_runtime_error_as(const char* prefix, F&& work) -> decltype(work()) {
  try {
    return work();
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_RuntimeError)) throw;
    const std::string text = prefix + py::str(e.value()).cast<std::string>();
    py::raise_from(e, PyExc_ValueError, text.c_str());
    throw py::error_already_set();
  }
}

}  // namespace

void bind_nonlinearfit(py::module_& m) {
  py::class_<CompiledModel> compiled(m, "_CompiledModel");
  compiled.def("__call__", &call_compiled)
      .def("__repr__", [](const CompiledModel& c) { return "<compiled " + c.model->lambda_text() + ">"; });
  // Reachable through the objects from_expr builds, not as a module name; the
  // type must outlive the module attribute that held it.
  compiled.inc_ref();
  py::delattr(m, "_CompiledModel");

  py::class_<PyNonLinearFit> cls(m, "NonLinearFit");
  cls.def(py::init([](py::object x_data, py::object y_data, py::object func, py::object p0) {
            require_list(x_data, "x_data", false);
            require_list(y_data, "y_data", false);
            require_list(p0, "p0", true);
            auto model = model_of(func);
            NonLinearFit core(to_doubles(x_data), to_doubles(y_data), std::move(model), to_optional_doubles(p0));
            return std::make_unique<PyNonLinearFit>(std::move(core), x_data, y_data, func, p0);
          }),
          py::arg("x_data"), py::arg("y_data"), py::arg("func"), py::arg("p0") = py::none());

  py::cpp_function from_expr(
      [](py::object type, py::object x_data, py::object y_data, py::object expr, py::object p0) {
        require_list(x_data, "x_data", false);
        require_list(y_data, "y_data", false);
        trelvo::py::require_exact(expr, &PyUnicode_Type, "expr", "str", false);
        require_list(p0, "p0", true);
        auto [text, names] = parse_expression(expr.cast<std::string>(), true);
        CompiledModel compiled{std::make_shared<const trelvo::ExpressionModel>(text, std::move(names))};
        return type(x_data, y_data, py::cast(std::move(compiled)), p0);
      },
      py::name("from_expr"), py::arg("cls"), py::arg("x_data"), py::arg("y_data"), py::arg("expr"),
      py::arg("p0") = py::none());
  cls.attr("from_expr") = py::reinterpret_steal<py::object>(PyClassMethod_New(from_expr.ptr()));

  cls.def_property_readonly("x_data", [](const PyNonLinearFit& f) { return f.x_list; })
      .def_property_readonly("y_data", [](const PyNonLinearFit& f) { return f.y_list; })
      .def_property_readonly("func", [](const PyNonLinearFit& f) { return f.func_obj; })
      .def_property(
          "p0", [](const PyNonLinearFit& f) { return f.p0_obj; },
          [](PyNonLinearFit& f, py::object v) {
            f.p0 = to_optional_doubles(v);
            f.p0_obj = v;
          })
      .def_property(
          "params", [](const PyNonLinearFit& f) { return f.params_obj; },
          [](PyNonLinearFit& f, py::object v) {
            f.params = to_optional_doubles(v);
            f.params_obj = v;
          })
      .def("x_data_order", [](const PyNonLinearFit& f) { return f.x_data_order(); })
      .def(
          "set_p0",
          [](PyNonLinearFit& f, py::object p) {
            require_list(p, "p", false);
            f.set_p0(to_doubles(p));
            f.p0_obj = p;
          },
          py::arg("p"))
      .def(
          "fit",
          [](PyNonLinearFit& f, py::object p0) {
            require_list(p0, "p0", true);
            if (!p0.is_none()) {
              f.p0_obj = p0;
              f.p0 = to_doubles(p0);
            }
            py::list result = to_list(model_runtime_error_as("Model fit failed: ", [&] { return f.fit(); }));
            f.params_obj = result;
            return result;
          },
          py::arg("p0") = py::none())
      .def("args",
           [](const PyNonLinearFit& f) {
             py::list l;
             for (const std::string& n : f.args()) l.append(py::str(n));
             return l;
           })
      .def("source",
           [](const PyNonLinearFit& f) -> py::object {
             py::object print = py::module_::import("builtins").attr("print");
             std::optional<std::string> text = f.source([&](const std::string& line) { print(line); });
             if (text) return py::str(*text);
             return py::none();
           })
      .def(
          "yval",
          [](PyNonLinearFit& f, py::object x) -> py::object {
            const double xv = trelvo::py::to_double(x);
            f.require_fitted();
            f.sync_params();
            if (const PythonModel* pm = f.python_model()) return pm->call_raw(py::float_(xv), *f.params);
            return value_to_python(f.yval(xv));
          },
          py::arg("x"))
      .def(
          "ylist",
          [](PyNonLinearFit& f, py::object x) {
            require_list(x, "x", true);
            f.require_fitted();
            f.sync_params();
            return to_list(f.ylist(to_optional_doubles(x)));
          },
          py::arg("x") = py::none())
      .def(
          "r_squared",
          [](PyNonLinearFit& f, py::object y_pred) {
            require_list(y_pred, "y_pred", true);
            f.require_fitted();
            f.sync_params();
            return f.r_squared(to_optional_doubles(y_pred));
          },
          py::arg("y_pred") = py::none())
      .def(
          "solveval",
          [](PyNonLinearFit& f, py::object y, py::object) {
            const double yv = trelvo::py::to_double(y);
            f.require_fitted();
            f.sync_params();
            return model_runtime_error_as("Solution failed: ", [&] { return f.solveval(yv); });
          },
          py::arg("y"), py::arg("limit") = true)
      .def(
          "solve",
          [](PyNonLinearFit& f, py::object y, py::object) {
            require_list(y, "y", false);
            f.require_fitted();
            f.sync_params();
            py::list out;
            for (py::handle item : y) {
              const double yv = trelvo::py::to_double(item);
              out.append(py::float_(model_runtime_error_as("Solution failed: ", [&] { return f.solveval(yv); })));
            }
            return out;
          },
          py::arg("y"), py::arg("limit") = true);
}
