#include "fitcore/exprparser.h"

#include <utility>

#include "fitcore/errors.h"
#include "fitcore/limits.h"

namespace trelvo::expr {
namespace {

class Parser {
 public:
  Parser(std::vector<Token> tokens, CompiledExpression& c) : toks_(std::move(tokens)), c_(c) {}

  void parse() {
    if (toks_.size() == 1) raise(ErrorKind::SyntaxError, "invalid syntax (<string>, line 0)");
    parse_expr();
    if (peek().t != T::End) syntax_error("invalid syntax");
  }

 private:
  struct DepthGuard {
    int& d;
    explicit DepthGuard(int& depth) : d(depth) {
      // A bracket level takes up to three steps (expression, factor, unary
      // sign), so every level the tokenizer lets through fits.
      if (++d > 4 * limits::kMaxExpressionDepth) syntax_error("expression is nested too deeply");
    }
    ~DepthGuard() { --d; }
  };

  const Token& peek() const { return toks_[pos_]; }
  const Token& next() { return toks_[pos_++]; }
  bool at_op(BinOp op) const { return peek().t == T::Op && peek().op == op; }

  int push(Node n) {
    c_.nodes.push_back(std::move(n));
    return static_cast<int>(c_.nodes.size()) - 1;
  }
  int binary(BinOp op, int a, int b) {
    Node n;
    n.op = Op::Binary;
    n.bin = op;
    n.a = a;
    n.b = b;
    return push(std::move(n));
  }

  int parse_expr() {
    DepthGuard g(depth_);
    int left = parse_term();
    while (at_op(BinOp::Add) || at_op(BinOp::Sub)) {
      const BinOp op = next().op;
      left = binary(op, left, parse_term());
    }
    return left;
  }

  int parse_term() {
    int left = parse_factor();
    while (at_op(BinOp::Mul) || at_op(BinOp::Div) || at_op(BinOp::FloorDiv) || at_op(BinOp::Mod)) {
      const BinOp op = next().op;
      left = binary(op, left, parse_factor());
    }
    return left;
  }

  int parse_factor() {
    DepthGuard g(depth_);
    if (peek().t == T::Op && peek().unary_capable) {
      const BinOp op = next().op;
      Node n;
      n.op = op == BinOp::Sub ? Op::Neg : Op::Pos;
      n.a = parse_factor();
      return push(std::move(n));
    }
    return parse_power();
  }

  int parse_power() {
    const int base = parse_primary();
    if (at_op(BinOp::Pow)) {
      next();
      return binary(BinOp::Pow, base, parse_factor());
    }
    return base;
  }

  int parse_primary() {
    int node = parse_atom();
    for (;;) {
      if (peek().t == T::Dot) {
        next();
        if (peek().t != T::Name) syntax_error("invalid syntax");
        Node n;
        n.op = Op::Attr;
        n.a = node;
        n.name = next().text;
        node = push(std::move(n));
      } else if (peek().t == T::LPar) {
        next();
        std::vector<int> args;
        while (peek().t != T::RPar) {
          args.push_back(parse_expr());
          if (peek().t == T::Comma) {
            next();
          } else if (peek().t != T::RPar) {
            syntax_error("invalid syntax");
          }
        }
        next();
        Node n;
        n.op = Op::Call;
        n.a = node;
        n.arg0 = static_cast<int>(c_.call_args.size());
        n.nargs = static_cast<int>(args.size());
        c_.call_args.insert(c_.call_args.end(), args.begin(), args.end());
        node = push(std::move(n));
      } else {
        return node;
      }
    }
  }

  int parse_atom() {
    const Token& tok = peek();
    if (tok.t == T::Num) {
      Node n;
      n.op = Op::Const;
      n.constant = next().value;
      return push(std::move(n));
    }
    if (tok.t == T::Name) {
      const std::string& name = next().text;
      Node n;
      for (std::size_t k = 0; k < c_.names.size(); ++k) {
        if (c_.names[k] == name) {
          n.op = Op::Var;
          n.var = static_cast<int>(k);
          return push(std::move(n));
        }
      }
      if (name == "np") {
        n.op = Op::Object;
        n.constant = make_object(Obj::Numpy);
      } else if (name == kPi.name) {
        n.op = Op::Object;
        n.constant = make_object(Obj::Pi);
      } else if (name == kE.name) {
        n.op = Op::Object;
        n.constant = make_object(Obj::E);
      } else {
        n.op = Op::Unbound;
        n.name = name;
      }
      return push(std::move(n));
    }
    if (tok.t == T::LPar) {
      next();
      if (peek().t == T::RPar) syntax_error("invalid syntax");
      const int inner = parse_expr();
      if (peek().t != T::RPar) syntax_error("invalid syntax");
      next();
      return inner;
    }
    syntax_error("invalid syntax");
  }

  std::vector<Token> toks_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  CompiledExpression& c_;
};

}  // namespace

void parse(std::vector<Token> tokens, CompiledExpression& c) { Parser(std::move(tokens), c).parse(); }

}  // namespace trelvo::expr
