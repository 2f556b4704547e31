#include "fitcore/modelfunction.h"

namespace trelvo {

ModelFunction::~ModelFunction() = default;

std::optional<std::string> ModelFunction::source(std::string& error) const {
  error = "could not get source code";
  return std::nullopt;
}

}  // namespace trelvo
