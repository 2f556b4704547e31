#include "fitcore/exprparser.h"

#include <string_view>
#include <unordered_map>
#include <utility>

#include "fitcore/errors.h"
#include "fitcore/limits.h"

namespace trelvo::expr {
namespace {

// Above this many bound names a name is looked up in a hash map.
constexpr std::size_t kLinearNames = 8;

// The arguments of the calls being parsed, innermost last; kept between
// parses of one thread.
struct Scratch {
  std::vector<int> args;
};

class Parser {
 public:
  Parser(const std::vector<Token>& tokens, CompiledExpression& c, Scratch& scratch)
      : toks_(tokens), c_(c), source_(c.text), s_(scratch) {
    s_.args.clear();
    // Each number, name, operator and "(" makes at most one node, each ","
    // or "(" at most one call argument: the lists never grow past this.
    std::size_t nodes = 0, call_args = 0;
    for (const Token& t : tokens) {
      nodes += t.t == T::Num || t.t == T::Name || t.t == T::Op || t.t == T::LPar;
      call_args += t.t == T::Comma || t.t == T::LPar;
    }
    c.nodes.clear();
    c.call_args.clear();
    c.nodes.reserve(nodes);
    c.call_args.reserve(call_args);
    if (c.names.size() > kLinearNames) {
      index_.reserve(c.names.size());
      // The first of equal names wins, as the linear search finds it.
      for (std::size_t k = 0; k < c.names.size(); ++k) index_.emplace(c.names[k], static_cast<int>(k));
    }
  }

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

  int push(const Node& n) {
    c_.nodes.push_back(n);
    return static_cast<int>(c_.nodes.size()) - 1;
  }

  // The index of `name` among the bound names, or -1.
  int bound_index(std::string_view name) const {
    if (!index_.empty()) {
      const auto it = index_.find(name);
      return it == index_.end() ? -1 : it->second;
    }
    for (std::size_t k = 0; k < c_.names.size(); ++k)
      if (c_.names[k] == name) return static_cast<int>(k);
    return -1;
  }
  int binary(BinOp op, int a, int b) {
    Node n;
    n.op = Op::Binary;
    n.bin = op;
    n.a = a;
    n.b = b;
    return push(n);
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
      return push(n);
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
        n.name = next().text(source_);
        node = push(n);
      } else if (peek().t == T::LPar) {
        next();
        // The arguments stand on the shared stack while they are parsed (a
        // nested call pushes and pops its own above them).
        const std::size_t first = s_.args.size();
        while (peek().t != T::RPar) {
          const int arg = parse_expr();
          s_.args.push_back(arg);
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
        n.nargs = static_cast<int>(s_.args.size() - first);
        c_.call_args.insert(c_.call_args.end(), s_.args.begin() + static_cast<std::ptrdiff_t>(first), s_.args.end());
        s_.args.resize(first);
        node = push(n);
      } else {
        return node;
      }
    }
  }

  int parse_atom() {
    const Token& tok = peek();
    if (tok.t == T::Num) {
      const Token& num = next();
      Node n;
      n.op = Op::Const;
      n.is_int = num.is_int;
      if (num.is_int) n.i = num.i;
      else n.f = num.f;
      return push(n);
    }
    if (tok.t == T::Name) {
      const std::string_view name = next().text(source_);
      Node n;
      if (const int k = bound_index(name); k >= 0) {
        n.op = Op::Var;
        n.var = k;
        return push(n);
      }
      if (name == "np") {
        n.op = Op::Object;
        n.obj = Obj::Numpy;
      } else if (name == kPi.name) {
        n.op = Op::Object;
        n.obj = Obj::Pi;
      } else if (name == kE.name) {
        n.op = Op::Object;
        n.obj = Obj::E;
      } else {
        n.op = Op::Unbound;
        n.name = name;
      }
      return push(n);
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

  const std::vector<Token>& toks_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  CompiledExpression& c_;
  const std::string_view source_;
  Scratch& s_;
  std::unordered_map<std::string_view, int> index_;
};

}  // namespace

void parse(const std::vector<Token>& tokens, CompiledExpression& c) {
  thread_local Scratch scratch;
  Parser(tokens, c, scratch).parse();
}

}  // namespace trelvo::expr
