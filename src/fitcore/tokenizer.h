#pragma once
// The expression text as tokens: Python's numbers (int and float literals),
// names (Unicode identifiers), the operators and brackets of the grammar.
// Internal to fitcore.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fitcore/exprvalue.h"
#include "fitcore/pyarith.h"

namespace trelvo::expr {

// Raises SyntaxError with the host's location suffix " (<string>, line 1)".
[[noreturn]] void syntax_error(const std::string& message);

enum class T : std::uint8_t { Num, Name, Op, LPar, RPar, Comma, Dot, Other, End };

// One token: its place in the source text (no copy of it) and, for a
// number, its value.
struct Token {
  T t = T::End;
  BinOp op = BinOp::Add;
  bool unary_capable = false;  // "+" or "-"
  bool is_int = false;         // Num: an int literal that fits 64 bits (i), else a float (f)
  std::uint32_t begin = 0;     // the token's bytes in the source
  std::uint32_t length = 0;
  union {
    std::int64_t i = 0;
    double f;
  };

  std::string_view text(std::string_view source) const { return source.substr(begin, length); }
  Slot value() const { return is_int ? make_int(SK::Int, i) : make_float(SK::Float, f); }
};

// Replaces `out` by the tokens of `s`, ending with a T::End token (`out`
// keeps its capacity, so a caller may reuse one vector). `s` is at most
// limits::kMaxExpressionBytes long. Throws SyntaxError for an invalid
// literal or character, unbalanced parentheses, brackets nested
// limits::kMaxExpressionDepth deep, or text after a line end outside
// brackets.
void tokenize(std::string_view s, std::vector<Token>& out);

}  // namespace trelvo::expr
