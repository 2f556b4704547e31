#pragma once
// Errors raised by the libraries. Each carries the kind of error the Python
// binding raises for it (ValueError, TypeError, ...) and the message text.
#include <stdexcept>
#include <string>

#include "fitcore/export.h"

namespace trelvo {

enum class ErrorKind {
  ValueError,
  TypeError,
  SyntaxError,
  NameError,
  AttributeError,
  ZeroDivisionError,
  OverflowError,
  IndexError,
  RuntimeError,
  MemoryError,
};

// Python's name of the kind ("ValueError", ...).
TRELVO_EXPORT const char* error_kind_name(ErrorKind kind);

class TRELVO_EXPORT Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& message);
  // An error raised while handling another one (Python's "raise ... from cause").
  Error(ErrorKind kind, const std::string& message, ErrorKind cause_kind,
        const std::string& cause_message);

  ErrorKind kind() const { return kind_; }
  bool has_cause() const { return has_cause_; }
  ErrorKind cause_kind() const { return cause_kind_; }
  const std::string& cause_message() const { return cause_message_; }

 private:
  ErrorKind kind_;
  bool has_cause_ = false;
  ErrorKind cause_kind_ = ErrorKind::RuntimeError;
  std::string cause_message_;
};

[[noreturn]] TRELVO_EXPORT void raise(ErrorKind kind, const std::string& message);

// "Argument 'name' has incorrect type (expected list, got int)".
TRELVO_EXPORT std::string argument_type_message(const std::string& name, const std::string& expected,
                                                const std::string& got);

}  // namespace trelvo
