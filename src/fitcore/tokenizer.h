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

struct Token {
  T t = T::End;
  BinOp op = BinOp::Add;
  bool unary_capable = false;  // "+" or "-"
  std::string text;
  Slot value;
};

// The tokens of `s`, ending with a T::End token. Throws SyntaxError for an
// invalid literal or character, unbalanced parentheses, brackets nested
// limits::kMaxExpressionDepth deep, or text after a line end outside brackets.
std::vector<Token> tokenize(std::string_view s);

}  // namespace trelvo::expr
