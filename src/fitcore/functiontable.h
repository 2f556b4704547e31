#pragma once
// The functions an expression may call: one row each, read by the gate (which
// rewrites a call `name(` into `replacement(`) and by the evaluator (which
// resolves np.<attr> and the constants pi() and e()). Internal to fitcore.
#include <array>
#include <cstdint>
#include <string_view>

namespace trelvo::expr {

// The NumPy functions, in the order of kFunctions.
enum class Fn : std::uint8_t {
  Exp, Pow, Absolute, Sqrt, Cbrt, Log, Log10, Log2, Min, Max, Sin, Cos, Tan,
  Asin, Acos, Atan, Sinh, Cosh, Tanh, Asinh, Acosh, Atanh
};

struct FunctionRow {
  std::string_view name;        // as the user writes it
  std::string_view attr;        // name under np., empty for a constant
  std::string_view numpy_name;  // NumPy's own name (its error texts); for a constant the name
  double value = 0.0;           // a constant's value (NumPy's pi and e)
  constexpr bool is_numpy() const { return !attr.empty(); }
};

// The NumPy functions first (row k is Fn k), then the constants pi and e; the
// gate rewrites the calls in this order.
inline constexpr std::array<FunctionRow, 24> kFunctions = {{
    {"exp", "exp", "exp"},          {"pow", "pow", "power"},        {"abs", "absolute", "absolute"},
    {"sqrt", "sqrt", "sqrt"},       {"cbrt", "cbrt", "cbrt"},       {"log", "log", "log"},
    {"log10", "log10", "log10"},    {"log2", "log2", "log2"},       {"min", "min", "min"},
    {"max", "max", "max"},          {"sin", "sin", "sin"},          {"cos", "cos", "cos"},
    {"tan", "tan", "tan"},          {"asin", "asin", "arcsin"},     {"acos", "acos", "arccos"},
    {"atan", "atan", "arctan"},     {"sinh", "sinh", "sinh"},       {"cosh", "cosh", "cosh"},
    {"tanh", "tanh", "tanh"},       {"asinh", "asinh", "arcsinh"},  {"acosh", "acosh", "arccosh"},
    {"atanh", "atanh", "arctanh"},  {"pi", "", "pi", 3.141592653589793},
    {"e", "", "e", 2.718281828459045},
}};

inline constexpr std::size_t kNumpyFunctionCount = static_cast<std::size_t>(Fn::Atanh) + 1;

// The rows of the constants pi() and e().
inline constexpr const FunctionRow& kPi = kFunctions[kNumpyFunctionCount];
inline constexpr const FunctionRow& kE = kFunctions[kNumpyFunctionCount + 1];

inline const FunctionRow& function_row(Fn fn) { return kFunctions[static_cast<std::size_t>(fn)]; }

}  // namespace trelvo::expr
