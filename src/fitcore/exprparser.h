#pragma once
// The grammar of the expression language (Python precedence and
// associativity) from tokens to the compiled node list. Internal to fitcore.
#include <vector>

#include "fitcore/exprnode.h"
#include "fitcore/tokenizer.h"

namespace trelvo::expr {

// Sets the nodes and call arguments of `c` from `tokens`, the tokens of
// c.text (its names already set: a name among them becomes a variable, np,
// pi and e objects, any other name unbound). Throws SyntaxError for tokens
// outside the grammar or nested deeper than the limits allow.
void parse(const std::vector<Token>& tokens, CompiledExpression& c);

}  // namespace trelvo::expr
