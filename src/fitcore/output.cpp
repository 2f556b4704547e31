#include "fitcore/output.h"

#include <iostream>
#include <utility>

namespace trelvo {

namespace {
OutputSink& sink() {
  static OutputSink s;
  return s;
}
}  // namespace

OutputSink set_output_sink(OutputSink s) { return std::exchange(sink(), std::move(s)); }

void print_line(const std::string& line) {
  if (sink()) {
    sink()(line);
  } else {
    std::cout << line << '\n' << std::flush;
  }
}

}  // namespace trelvo
