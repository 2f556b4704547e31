#pragma once
// Runs a compiled expression: each node once, in order, on Python and NumPy
// scalars or on float arrays (whole, or block by block when every operation
// is element-wise). Internal to fitcore.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "fitcore/errors.h"
#include "fitcore/exprnode.h"
#include "fitcore/value.h"

namespace trelvo::expr {

// The node results of one evaluation. Each thread keeps one list and lends
// it to one evaluator at a time, so that evaluating a long expression again
// takes no fresh memory; an evaluator made while the list is lent (another
// evaluation under way on the thread) gets a list of its own.
class SlotList {
 public:
  explicit SlotList(std::size_t n);
  ~SlotList();
  SlotList(const SlotList&) = delete;
  SlotList& operator=(const SlotList&) = delete;
  Slot& operator[](std::size_t k) { return data_[k]; }

 private:
  Slot* data_ = nullptr;
  bool borrowed_ = false;
  std::vector<Slot> own_;
};

class Evaluator {
 public:
  // `pool` holds the work buffers; the evaluator reuses and grows it. One
  // evaluator at a time per pool.
  Evaluator(const CompiledExpression& c, std::vector<std::vector<double>>& pool)
      : c_(c), pool_(pool), slots_(c.nodes.size()) {
    for (std::size_t k = 0; k < pool_.size(); ++k) free_.push_back(static_cast<int>(k));
  }

  // The expression's value; bind(var) gives the value of variable `var`.
  template <class Bind>
  Value run(Bind bind) {
    const std::size_t count = c_.nodes.size();
    for (std::size_t k = 0; k < count; ++k) slots_[k] = eval_node(c_.nodes[k], bind);
    return to_value(slots_[count - 1]);
  }

  // Runs the nodes once per block of at most `block` elements of arrays of
  // length n; bind(var, offset, length) gives a variable's value for a block.
  // Only for expressions whose operations are all element-wise: element i of
  // the result is then what run() gives for it.
  template <class Bind>
  Value run_blocks(std::size_t n, std::size_t block, Bind bind) {
    const std::size_t count = c_.nodes.size();
    std::vector<double> out;
    for (std::size_t offset = 0; offset < n; offset += block) {
      const std::size_t length = std::min(block, n - offset);
      auto bind_block = [&](int var) { return bind(var, offset, length); };
      for (std::size_t k = 0; k < count; ++k) slots_[k] = eval_node(c_.nodes[k], bind_block);
      Slot& last = slots_[count - 1];
      if (!last.is_array()) return to_value(last);
      if (offset == 0) out.reserve(n);
      out.insert(out.end(), last.p, last.p + length);
      release(last);
    }
    return Value::array(std::move(out));
  }

 private:
  template <class Bind>
  Slot eval_node(const Node& n, Bind& bind) {
    switch (n.op) {
      case Op::Const:
      case Op::Object: return n.constant();
      case Op::Var: return bind(n.var);
      case Op::Unbound: raise(ErrorKind::NameError, "name '" + std::string(n.name) + "' is not defined");
      case Op::Neg:
      case Op::Pos: return unary(n.op, slots_[n.a]);
      case Op::Binary: return binary(n.bin, slots_[n.a], slots_[n.b]);
      case Op::Attr: return attribute(slots_[n.a], n.name);
      case Op::Call: return call(n);
    }
    return {};
  }

  int acquire(std::size_t n);
  void release(Slot& s);
  // An output array of length n: takes over an operand's buffer when it can.
  Slot output_array(std::size_t n, Slot& x, Slot* y);
  double* data(const Slot& s) { return pool_[s.buf].data(); }

  Slot unary(Op op, Slot& x);
  std::size_t broadcast_length(const Slot& x, const Slot& y);
  Slot array_binary(BinOp op, Slot& x, Slot& y);
  Slot binary(BinOp op, Slot& x, Slot& y);
  Slot attribute(const Slot& x, std::string_view name);
  Slot call(const Node& n);
  Slot np_power(Slot& x, Slot& y);
  // One argument: NumPy's reduction. Several: element-wise minimum/maximum.
  Slot min_max(Fn fn, const int* args, int nargs);
  Value to_value(const Slot& s);

  const CompiledExpression& c_;
  std::vector<std::vector<double>>& pool_;
  SlotList slots_;
  std::vector<int> free_;
};

}  // namespace trelvo::expr
