#pragma once
// A model function for NonLinearFit: y = f(x, p1, ..., pn). It reports its
// argument count (x included) and variable names (x, the parameters, then any
// further local names), and evaluates on one x or element-wise on an array.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fitcore/export.h"
#include "fitcore/value.h"

namespace trelvo {

class TRELVO_EXPORT ModelFunction {
 public:
  virtual ~ModelFunction();
  virtual int argcount() const = 0;
  virtual std::vector<std::string> varnames() const = 0;
  // f(x, params...) at one x. The result is a scalar Value (Int or Float) or,
  // for a model that ignores x in a strange way, whatever the model gives.
  virtual Value call(double x, std::span<const double> params) const = 0;
  // f(x, params...) element-wise. A model whose value does not depend on x may
  // return a scalar Value; callers that need an array treat that as an error.
  virtual Value call(std::span<const double> x, std::span<const double> params) const = 0;
  // The model's source text, or nullopt with the reason in `error` when the
  // text cannot be found.
  virtual std::optional<std::string> source(std::string& error) const;
};

}  // namespace trelvo
