// trelvo.application: the start-up module. run_app() parses sys.argv, runs
// the application and ends with SystemExit carrying the event loop's status
// (the help option and command-line errors end it the same way, before any
// window exists).
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "application/cmdline.h"
#include "application/runapp.h"
#include "pyutil.h"

namespace py = pybind11;

namespace {

[[noreturn]] void system_exit(int status) {
  PyErr_SetObject(PyExc_SystemExit, py::int_(status).ptr());
  throw py::error_already_set();
}

}  // namespace

PYBIND11_MODULE(application, m) {
  trelvo::py::import_sibling(m, "widget");
  m.def("run_app", [] {
    py::module_ sys = py::module_::import("sys");
    auto args = sys.attr("argv").cast<std::vector<std::string>>();
    if (args.empty()) args.push_back("trelvo");
    const trelvo::CommandLine cl = trelvo::parse_command_line(args);
    if (cl.exit_now) {
      sys.attr("stdout").attr("write")(cl.out);
      sys.attr("stderr").attr("write")(cl.err);
      sys.attr("stdout").attr("flush")();
      sys.attr("stderr").attr("flush")();
      system_exit(cl.exit_code);
    }
    // Qt keeps argc/argv for the application's life: they outlive the call.
    static std::vector<std::string> storage;
    static std::vector<char*> argv;
    static int argc = 0;
    storage = args;
    argv.clear();
    for (auto& s : storage) argv.push_back(s.data());
    argv.push_back(nullptr);
    argc = static_cast<int>(storage.size());
    int status = 0;
    {
      py::gil_scoped_release release;
      status = trelvo::run_app(cl, argc, argv.data());
    }
    system_exit(status);
  });
}
