#include "fitcore/errors.h"

namespace trelvo {

const char* error_kind_name(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::ValueError: return "ValueError";
    case ErrorKind::TypeError: return "TypeError";
    case ErrorKind::SyntaxError: return "SyntaxError";
    case ErrorKind::NameError: return "NameError";
    case ErrorKind::AttributeError: return "AttributeError";
    case ErrorKind::ZeroDivisionError: return "ZeroDivisionError";
    case ErrorKind::OverflowError: return "OverflowError";
    case ErrorKind::IndexError: return "IndexError";
    case ErrorKind::RuntimeError: return "RuntimeError";
    case ErrorKind::MemoryError: return "MemoryError";
  }
  return "Exception";
}

Error::Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

Error::Error(ErrorKind kind, const std::string& message, ErrorKind cause_kind,
             const std::string& cause_message)
    : std::runtime_error(message),
      kind_(kind),
      has_cause_(true),
      cause_kind_(cause_kind),
      cause_message_(cause_message) {}

void raise(ErrorKind kind, const std::string& message) { throw Error(kind, message); }

std::string argument_type_message(const std::string& name, const std::string& expected,
                                  const std::string& got) {
  auto cut = [](const std::string& s) { return s.size() > 200 ? s.substr(0, 200) : s; };
  return "Argument '" + cut(name) + "' has incorrect type (expected " + cut(expected) + ", got " +
         cut(got) + ")";
}

}  // namespace trelvo
