#include "fitcore/expressionmodel.h"

#include "fitcore/errors.h"

namespace trelvo {

ExpressionModel::ExpressionModel(const std::string& text, std::vector<std::string> names)
    : text_(text), names_(std::move(names)), expression_(Expression::compile(text, names_)) {}

int ExpressionModel::argcount() const { return static_cast<int>(names_.size()); }

std::vector<std::string> ExpressionModel::varnames() const { return names_; }

void ExpressionModel::check_count(std::size_t given) const {
  const std::size_t wanted = names_.size();
  const std::size_t total = given + 1;
  if (total == wanted) return;
  if (total > wanted) {
    raise(ErrorKind::TypeError, "<lambda>() takes " + std::to_string(wanted) + " positional argument" +
                                    (wanted == 1 ? "" : "s") + " but " + std::to_string(total) +
                                    (total == 1 ? " was" : " were") + " given");
  }
  const std::size_t missing = wanted - total;
  std::string list;
  for (std::size_t k = 0; k < missing; ++k) {
    const std::string quoted = "'" + names_[total + k] + "'";
    if (k > 0) list += (missing == 2) ? " and " : (k + 1 == missing ? ", and " : ", ");
    list += quoted;
  }
  raise(ErrorKind::TypeError, "<lambda>() missing " + std::to_string(missing) + " required positional argument" +
                                  (missing == 1 ? "" : "s") + ": " + list);
}

Value ExpressionModel::call(double x, std::span<const double> params) const {
  check_count(params.size());
  return expression_.eval_model(x, params);
}

Value ExpressionModel::call(std::span<const double> x, std::span<const double> params) const {
  check_count(params.size());
  return expression_.eval_model(x, params);
}

std::optional<std::string> ExpressionModel::source(std::string& error) const {
  error = "could not get source code";
  return std::nullopt;
}

std::string ExpressionModel::lambda_text() const {
  std::string s = "lambda ";
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (i > 0) s += ", ";
    s += names_[i];
  }
  return s + ": " + text_;
}

}  // namespace trelvo
