#pragma once
// A model function compiled from a model expression: the parameters are the
// names parse_expression reports, x first. It stands for the text
// "lambda x, a, b: <rewritten expression>", which is what it reports.
#include <span>
#include <string>
#include <vector>

#include "fitcore/evaluator.h"
#include "fitcore/export.h"
#include "fitcore/modelfunction.h"

namespace trelvo {

class TRELVO_EXPORT ExpressionModel : public ModelFunction {
 public:
  // `names` are x and the parameters in order; `text` is in evaluator syntax.
  // Throws SyntaxError when the evaluator cannot read `text`.
  ExpressionModel(const std::string& text, std::vector<std::string> names);

  int argcount() const override;
  std::vector<std::string> varnames() const override;
  // Called with another count of parameters than names after x: TypeError
  // with Python's text for the lambda ("<lambda>() missing 1 required
  // positional argument: 'b'"). Errors of the evaluator pass unchanged.
  Value call(double x, std::span<const double> params) const override;
  Value call(std::span<const double> x, std::span<const double> params) const override;
  // The text exists only in memory: nullopt, "could not get source code".
  std::optional<std::string> source(std::string& error) const override;

  // "lambda x, a, b: a * np.exp(b * x)".
  std::string lambda_text() const;
  const std::string& text() const { return text_; }

 private:
  void check_count(std::size_t given) const;

  std::string text_;
  std::vector<std::string> names_;
  Expression expression_;
};

}  // namespace trelvo
