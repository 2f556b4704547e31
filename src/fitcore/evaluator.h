#pragma once
// The expression evaluator that stands in for Python's eval of the text that
// parse_expression returns. It accepts only this grammar:
//   numbers (Python int and float literals), names bound by the caller,
//   + - * / // % **, unary + -, parentheses,
//   calls np.<name>(...) for the NumPy rows of the function table
//   (functiontable.h), pi(), e().
// Python precedence, associativity and int/float kinds; Python % and //;
// NumPy semantics for NumPy scalars and element-wise on arrays (inf and nan,
// no exception). Errors are trelvo::Error with Python's kind and text
// (SyntaxError, NameError, AttributeError, ZeroDivisionError, OverflowError,
// TypeError, ValueError).
//
// Where it departs from the host on purpose:
// - nothing outside the grammar runs: other names, builtins included, are
//   NameError; other syntax is SyntaxError;
// - np.min / np.max with two or more arguments are element-wise (minimum,
//   maximum); with one they reduce an array to a numpy.float64;
// - ints are exact within 64 bits and become floats beyond (so 3**40 is a
//   float and 9**9**9 an OverflowError, never a long computation);
// - a negative base to a non-integral power is nan, never complex;
// - the text is at most limits::kMaxExpressionBytes long and nests at most
//   limits::kMaxExpressionDepth deep (SyntaxError beyond).
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

  // Fast paths for model functions: the first name is bound to x, the others
  // to params in order. The scalar form binds Python floats (as a call with
  // plain floats does: a/0 raises ZeroDivisionError); the array form binds x
  // as an array without copying it and the params as numpy.float64 (as the
  // fitting library calls a model: a/0 gives inf). The array form may return
  // a scalar when the value does not depend on x. Safe to call from several
  // threads; one caller at a time reuses the expression's work buffers.
  Value eval_model(double x, std::span<const double> params) const;
  Value eval_model(std::span<const double> x, std::span<const double> params) const;

  const std::vector<std::string>& names() const;
  const std::string& text() const;

 private:
  std::shared_ptr<const CompiledExpression> impl_;
};

}  // namespace trelvo
