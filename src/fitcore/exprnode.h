#pragma once
// The compiled form of an expression: a list of nodes in evaluation order,
// written by the parser and read by the evaluator. Internal to fitcore.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "fitcore/exprvalue.h"
#include "fitcore/pyarith.h"

namespace trelvo {

namespace expr {

enum class Op : std::uint8_t { Const, Var, Object, Unbound, Neg, Pos, Binary, Attr, Call };

struct Node {
  Op op = Op::Const;
  BinOp bin = BinOp::Add;
  // Const: an int (is_int) or a float; Object: the object.
  bool is_int = false;
  Obj obj = Obj::None;
  int a = -1, b = -1;    // operands; for Call `a` is the callee
  int arg0 = 0, nargs = 0;  // Call: arguments in call_args[arg0, arg0 + nargs)
  int var = -1;
  union {
    std::int64_t i = 0;
    double f;
  };
  // Attr: attribute; Unbound: the name. A view into the text of the
  // CompiledExpression that holds the node.
  std::string_view name;

  Slot constant() const {
    if (op == Op::Object) return make_object(obj);
    return is_int ? make_int(SK::Int, i) : make_float(SK::Float, f);
  }
};

}  // namespace expr

class CompiledExpression {
 public:
  // Set once, before the nodes that view it are made.
  std::string text;
  std::vector<std::string> names;
  std::vector<expr::Node> nodes;  // in evaluation order (operands before their node)
  std::vector<int> call_args;
  bool elementwise = false;  // no operation needs a whole array at once

  mutable std::mutex pool_mutex;
  mutable std::vector<std::vector<double>> pool;
};

}  // namespace trelvo
