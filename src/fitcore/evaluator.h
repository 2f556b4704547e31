#pragma once
// The expression evaluator that stands in for Python's eval of the text that
// parse_expression returns. It accepts only this grammar:
//   numbers (Python int and float literals), names bound by the caller,
//   + - * / // % **, unary + -, parentheses,
//   calls np.<name>(...) for the targets of the function map, pi(), e().
// Python precedence, associativity and int/float kinds; Python % and //;
// NumPy semantics element-wise on arrays. Errors are trelvo::Error with
// Python's kind and text (SyntaxError, NameError, AttributeError,
// ZeroDivisionError, OverflowError, TypeError).
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fitcore/export.h"
#include "fitcore/value.h"

namespace trelvo {

class CompiledExpression;

class TRELVO_EXPORT Expression {
 public:
  // Compiles `text` once. `names` are the variables the caller will bind, in
  // the order of the values given to eval(). A name used in the text but not
  // in `names` (or an unknown function) compiles and fails with NameError
  // ("name 'foo' is not defined") when it is evaluated, as in Python.
  // Throws SyntaxError for text outside the grammar.
  static Expression compile(const std::string& text, const std::vector<std::string>& names);

  Expression();
  ~Expression();
  Expression(const Expression&);
  Expression& operator=(const Expression&);
  Expression(Expression&&) noexcept;
  Expression& operator=(Expression&&) noexcept;

  // Evaluates with one value per bound name. Arrays broadcast against scalars;
  // two arrays must have the same length.
  Value eval(std::span<const Value> values) const;

  // Fast paths for model functions: first name bound to x, then the params.
  Value eval_model(double x, std::span<const double> params) const;
  Value eval_model(std::span<const double> x, std::span<const double> params) const;

  const std::vector<std::string>& names() const;
  const std::string& text() const;

 private:
  std::shared_ptr<const CompiledExpression> impl_;
};

}  // namespace trelvo
