#pragma once
// The compiled form of an expression: a list of nodes in evaluation order,
// written by the parser and read by the evaluator. Internal to fitcore.
#include <mutex>
#include <string>
#include <vector>

#include "fitcore/exprvalue.h"
#include "fitcore/pyarith.h"

namespace trelvo {

namespace expr {

enum class Op : std::uint8_t { Const, Var, Object, Unbound, Neg, Pos, Binary, Attr, Call };

struct Node {
  Op op = Op::Const;
  BinOp bin = BinOp::Add;
  int a = -1, b = -1;    // operands; for Call `a` is the callee
  int arg0 = 0, nargs = 0;  // Call: arguments in call_args[arg0, arg0 + nargs)
  int var = -1;
  Slot constant;
  std::string name;  // Attr: attribute; Unbound: the name
};

}  // namespace expr

class CompiledExpression {
 public:
  std::string text;
  std::vector<std::string> names;
  std::vector<expr::Node> nodes;  // in evaluation order (operands before their node)
  std::vector<int> call_args;
  bool elementwise = false;  // no operation needs a whole array at once

  mutable std::mutex pool_mutex;
  mutable std::vector<std::vector<double>> pool;
};

}  // namespace trelvo
