#include "fitcore/evaluator.h"

#include <memory>
#include <mutex>

#include "fitcore/blockevaluator.h"
#include "fitcore/errors.h"
#include "fitcore/exprnode.h"
#include "fitcore/exprparser.h"
#include "fitcore/limits.h"
#include "fitcore/tokenizer.h"

namespace trelvo {
namespace {

using expr::Evaluator;
using expr::make_float;
using expr::make_int;
using expr::Node;
using expr::Op;
using expr::SK;
using expr::Slot;

Slot slot_of(const Value& v) {
  switch (v.kind) {
    case Value::Kind::Int: return make_int(SK::Int, v.i);
    case Value::Kind::NpInt: return make_int(SK::NpInt, v.i);
    case Value::Kind::Float: return make_float(SK::Float, v.f);
    case Value::Kind::NpFloat: return make_float(SK::NpFloat, v.f);
    case Value::Kind::Array: break;
  }
  Slot s;
  s.k = SK::Array;
  s.p = v.a.data();
  s.n = v.a.size();
  return s;
}

// run(evaluator) with the expression's work buffers, or with buffers of its
// own while another caller holds them.
template <class Run>
Value with_evaluator(const CompiledExpression& c, Run run) {
  std::unique_lock lock(c.pool_mutex, std::try_to_lock);
  if (lock.owns_lock()) {
    Evaluator ev(c, c.pool);
    return run(ev);
  }
  std::vector<std::vector<double>> local;
  Evaluator ev(c, local);
  return run(ev);
}

template <class Bind>
Value evaluate(const CompiledExpression& c, Bind bind) {
  return with_evaluator(c, [&](Evaluator& ev) { return ev.run(bind); });
}

// Arrays longer than this are evaluated in blocks that stay in the cache.
constexpr std::size_t kBlockLength = 2048;

// Whether every operation of the expression is element-wise: np.min and
// np.max may reduce an array, everything else maps element by element.
bool is_elementwise(const CompiledExpression& c) {
  for (const Node& n : c.nodes)
    if (n.op == Op::Attr && (n.name == "min" || n.name == "max")) return false;
  return true;
}

}  // namespace

Expression Expression::compile(const std::string& text, const std::vector<std::string>& names) {
  if (text.size() > limits::kMaxExpressionBytes) expr::syntax_error("expression is too long");
  auto c = std::make_shared<CompiledExpression>();
  c->text = text;
  c->names = names;
  // One token list per thread, reused: a long text grows no fresh vector.
  thread_local std::vector<expr::Token> tokens;
  expr::tokenize(c->text, tokens);
  expr::parse(tokens, *c);
  c->elementwise = is_elementwise(*c);
  Expression e;
  e.impl_ = std::move(c);
  return e;
}

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(const Expression&) = default;
Expression& Expression::operator=(const Expression&) = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;

namespace {
const CompiledExpression& require(const std::shared_ptr<const CompiledExpression>& impl) {
  if (!impl) raise(ErrorKind::ValueError, "expression is not compiled");
  return *impl;
}
void require_count(const CompiledExpression& c, std::size_t given) {
  if (given != c.names.size())
    raise(ErrorKind::TypeError, "the expression takes " + std::to_string(c.names.size()) +
                                    " values but " + std::to_string(given) + " were given");
}
}  // namespace

Value Expression::eval(std::span<const Value> values) const {
  const CompiledExpression& c = require(impl_);
  require_count(c, values.size());
  std::vector<Slot> bound;
  bound.reserve(values.size());
  for (const Value& v : values) bound.push_back(slot_of(v));
  return evaluate(c, [&](int k) { return bound[k]; });
}

Value Expression::eval_model(double x, std::span<const double> params) const {
  const CompiledExpression& c = require(impl_);
  require_count(c, params.size() + 1);
  return evaluate(c, [&](int k) {
    return make_float(SK::Float, k == 0 ? x : params[k - 1]);
  });
}

Value Expression::eval_model(std::span<const double> x, std::span<const double> params) const {
  const CompiledExpression& c = require(impl_);
  require_count(c, params.size() + 1);
  auto bind = [&](int k, std::size_t offset, std::size_t length) {
    if (k > 0) return make_float(SK::NpFloat, params[k - 1]);
    Slot s;
    s.k = SK::Array;
    s.p = x.data() + offset;
    s.n = length;
    return s;
  };
  if (c.elementwise && x.size() > kBlockLength && x.size() <= limits::kMaxArrayLength)
    return with_evaluator(c, [&](Evaluator& ev) { return ev.run_blocks(x.size(), kBlockLength, bind); });
  return evaluate(c, [&](int k) { return bind(k, 0, x.size()); });
}

const std::vector<std::string>& Expression::names() const { return require(impl_).names; }
const std::string& Expression::text() const { return require(impl_).text; }

}  // namespace trelvo
