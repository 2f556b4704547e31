#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fitcore/errors.h"
#include "fitcore/evaluator.h"
#include "fitcore/expression.h"
#include "fitcore/limits.h"

namespace {

using trelvo::ErrorKind;
using trelvo::Expression;
using trelvo::Value;
using Kind = trelvo::Value::Kind;

std::string case_name(std::string name) {
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

Value eval_text(const std::string& text) { return Expression::compile(text, {}).eval({}); }

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct ScalarCase {
  const char* name;
  const char* text;
  Kind kind;
  double value;  // integers compare exactly through their double
};

class EvalScalar : public testing::TestWithParam<ScalarCase> {};

TEST_P(EvalScalar, GivesPythonKindAndValue) {
  const auto& c = GetParam();
  const Value v = eval_text(c.text);
  EXPECT_EQ(static_cast<int>(v.kind), static_cast<int>(c.kind)) << v.type_name();
  if (std::isnan(c.value)) {
    EXPECT_TRUE(std::isnan(v.as_double()));
  } else {
    EXPECT_EQ(v.as_double(), c.value);
    EXPECT_EQ(std::signbit(v.as_double()), std::signbit(c.value));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Evaluator, EvalScalar,
    testing::Values(
        // int and float kinds
        ScalarCase{"int_sum", "2+3", Kind::Int, 5},
        ScalarCase{"true_division_is_float", "7/2", Kind::Float, 3.5},
        ScalarCase{"exact_int_division_is_float", "4/2", Kind::Float, 2.0},
        ScalarCase{"negative_int_power_is_float", "2**-1", Kind::Float, 0.5},
        ScalarCase{"int_power", "2**10", Kind::Int, 1024},
        ScalarCase{"float_literal", "1.5e3", Kind::Float, 1500},
        ScalarCase{"point_five", ".5", Kind::Float, 0.5},
        ScalarCase{"five_point", "5.", Kind::Float, 5.0},
        ScalarCase{"underscores", "1_000", Kind::Int, 1000},
        ScalarCase{"zeros", "00", Kind::Int, 0},
        ScalarCase{"pi_call", "2*pi()", Kind::Float, 2 * 3.141592653589793},
        ScalarCase{"e_call", "e()", Kind::Float, 2.718281828459045},
        // precedence and associativity
        ScalarCase{"unary_minus_below_power", "-2**2", Kind::Int, -4},
        ScalarCase{"power_right_assoc", "2**3**2", Kind::Int, 512},
        ScalarCase{"power_binds_unary_exponent", "2**-1**2", Kind::Float, 0.5},
        ScalarCase{"mul_before_add", "1+2*3", Kind::Int, 7},
        ScalarCase{"left_assoc_sub", "10-4-3", Kind::Int, 3},
        ScalarCase{"left_assoc_div", "8/4/2", Kind::Float, 1.0},
        ScalarCase{"parentheses", "(1+2)*3", Kind::Int, 9},
        ScalarCase{"unary_plus", "+-+3", Kind::Int, -3},
        ScalarCase{"negative_base_bracketed", "(-2)**2", Kind::Int, 4},
        // Python % and // (sign of divisor)
        ScalarCase{"int_mod_negative_divisor", "7%-3", Kind::Int, -2},
        ScalarCase{"int_mod_negative_dividend", "-7%3", Kind::Int, 2},
        ScalarCase{"int_floordiv_negative", "-7//2", Kind::Int, -4},
        ScalarCase{"float_mod_negative_divisor", "7.5%-2", Kind::Float, -0.5},
        ScalarCase{"float_floordiv_negative", "-7.5//2", Kind::Float, -4.0},
        ScalarCase{"float_mod_zero_result_takes_divisor_sign", "4.0%-2", Kind::Float, -0.0},
        ScalarCase{"float_mod_inf_divisor", "-5.0%(1e400)", Kind::Float, kInf},
        // bounded ints
        ScalarCase{"int_add_overflow_to_float", "9223372036854775807+1", Kind::Float, 9223372036854775808.0},
        ScalarCase{"int_mul_overflow_to_float", "3037000500*3037000500", Kind::Float, 9.223372037000250e18},
        ScalarCase{"int_power_overflow_to_float", "3**40", Kind::Float, 12157665459056928801.0},
        ScalarCase{"big_literal_is_float", "99999999999999999999", Kind::Float, 1e20},
        ScalarCase{"floordiv_min_by_minus_one", "(-9223372036854775807-1)//-1", Kind::Float, 9223372036854775808.0},
        ScalarCase{"mod_min_by_minus_one", "(-9223372036854775807-1)%-1", Kind::Int, 0},
        ScalarCase{"negate_min", "-(-9223372036854775807-1)", Kind::Float, 9223372036854775808.0},
        // float power without complex numbers
        ScalarCase{"negative_base_fraction_is_nan", "(-8)**(1/3)", Kind::Float, kNan},
        ScalarCase{"negative_base_integral_float", "(-2.0)**3", Kind::Float, -8.0},
        ScalarCase{"float_underflow_is_zero", "10.0**-400", Kind::Float, 0.0},
        ScalarCase{"one_to_nan", "1.0**(1e400-1e400)", Kind::Float, 1.0},
        ScalarCase{"literal_overflow_is_inf", "1e400", Kind::Float, kInf},
        // NumPy functions on scalars give NumPy scalars
        ScalarCase{"np_exp_of_int", "np.exp(0)", Kind::NpFloat, 1.0},
        ScalarCase{"np_sqrt_domain_nan", "np.sqrt(-1)", Kind::NpFloat, kNan},
        ScalarCase{"np_log_zero", "np.log(0)", Kind::NpFloat, -kInf},
        ScalarCase{"np_absolute_int", "np.absolute(-3)", Kind::NpInt, 3},
        ScalarCase{"np_absolute_float", "np.absolute(-2.5)", Kind::NpFloat, 2.5},
        ScalarCase{"np_min_of_int", "np.min(3)", Kind::NpInt, 3},
        ScalarCase{"np_max_two_ints", "np.max(2, 7)", Kind::NpInt, 7},
        ScalarCase{"np_max_mixed", "np.max(1, 2.5)", Kind::NpFloat, 2.5},
        ScalarCase{"np_min_three", "np.min(4, -1.5, 2)", Kind::NpFloat, -1.5},
        ScalarCase{"np_max_nan_propagates", "np.max(1, np.sqrt(-1))", Kind::NpFloat, kNan},
        ScalarCase{"np_pow_ints", "np.pow(2, 10)", Kind::NpInt, 1024},
        ScalarCase{"np_pow_float", "np.pow(2, 0.5)", Kind::NpFloat, 1.4142135623730951},
        ScalarCase{"np_pow_negative_base_fraction", "np.pow(-8.0, 1/3)", Kind::NpFloat, kNan},
        // NumPy integers past 64 bits become floats, as ** gives them
        ScalarCase{"np_pow_2_62_exact", "np.pow(2, 62)", Kind::NpInt, 4611686018427387904.0},
        ScalarCase{"np_pow_2_1000", "np.pow(2, 1000)", Kind::NpFloat, 1.0715086071862673e+301},
        ScalarCase{"np_pow_10_19", "np.pow(10, 19)", Kind::NpFloat, 1e19},
        ScalarCase{"np_pow_then_product", "np.pow(2, 62)*4", Kind::NpFloat, 1.8446744073709552e+19},
        ScalarCase{"np_pow_then_sum", "np.pow(2, 62)+np.pow(2, 62)", Kind::NpFloat, 9223372036854775808.0},
        ScalarCase{"np_pow_then_difference", "0-np.pow(2, 62)-np.pow(2, 62)-1", Kind::NpFloat, -9223372036854775808.0},
        ScalarCase{"np_absolute_of_min", "np.absolute(-9223372036854775807-1)", Kind::NpFloat, 9223372036854775808.0},
        ScalarCase{"np_negate_min", "-np.min(-9223372036854775807-1)", Kind::NpFloat, 9223372036854775808.0},
        ScalarCase{"np_floordiv_min_by_minus_one", "np.min(-9223372036854775807-1)//-1", Kind::NpFloat,
                   9223372036854775808.0},
        ScalarCase{"np_acosh_domain", "np.acosh(0.5)", Kind::NpFloat, kNan},
        ScalarCase{"np_atanh_one", "np.atanh(1)", Kind::NpFloat, kInf},
        ScalarCase{"np_cbrt_negative", "np.cbrt(-8)", Kind::NpFloat, -2.0},
        ScalarCase{"np_log2", "np.log2(8)", Kind::NpFloat, 3.0},
        ScalarCase{"np_log10", "np.log10(1000)", Kind::NpFloat, 3.0},
        // NumPy scalar arithmetic does not raise
        ScalarCase{"np_float_division_by_zero", "np.exp(0)/0", Kind::NpFloat, kInf},
        ScalarCase{"np_float_floordiv_by_zero", "np.exp(0)//0", Kind::NpFloat, kInf},
        ScalarCase{"np_float_mod_by_zero", "np.exp(0)%0", Kind::NpFloat, kNan},
        ScalarCase{"np_float_power_overflow", "np.exp(1)**1000", Kind::NpFloat, kInf},
        ScalarCase{"np_float_plus_python_int", "np.exp(0)+1", Kind::NpFloat, 2.0},
        ScalarCase{"np_int_plus_python_int", "np.absolute(-3)+1", Kind::NpInt, 4},
        ScalarCase{"np_int_plus_python_float", "np.absolute(-3)+0.5", Kind::NpFloat, 3.5},
        ScalarCase{"np_int_true_division", "np.absolute(7)/2", Kind::NpFloat, 3.5},
        ScalarCase{"np_int_floordiv_by_zero", "np.absolute(7)//0", Kind::NpInt, 0},
        ScalarCase{"np_int_mod_python_sign", "np.absolute(7)%-3", Kind::NpInt, -2}),
    [](const auto& info) { return case_name(info.param.name); });

struct ErrorCase {
  const char* name;
  const char* text;
  ErrorKind kind;
  const char* message;
};

class EvalError : public testing::TestWithParam<ErrorCase> {};

TEST_P(EvalError, RaisesPythonKindAndText) {
  const auto& c = GetParam();
  try {
    const Value v = Expression::compile(c.text, {"a"}).eval(std::vector<Value>{Value::real(2.0)});
    FAIL() << "gave " << v.as_double();
  } catch (const trelvo::Error& e) {
    EXPECT_EQ(trelvo::error_kind_name(e.kind()), std::string(trelvo::error_kind_name(c.kind)));
    EXPECT_STREQ(e.what(), c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Evaluator, EvalError,
    testing::Values(
        ErrorCase{"number_blank_name", "2 a", ErrorKind::SyntaxError, "invalid syntax (<string>, line 1)"},
        ErrorCase{"four_stars", "a****2", ErrorKind::SyntaxError, "invalid syntax (<string>, line 1)"},
        ErrorCase{"digit_name", "2a", ErrorKind::SyntaxError, "invalid decimal literal (<string>, line 1)"},
        ErrorCase{"leading_zero", "007", ErrorKind::SyntaxError,
                  "leading zeros in decimal integer literals are not permitted; use an 0o prefix for octal "
                  "integers (<string>, line 1)"},
        ErrorCase{"double_underscore_literal", "1__0", ErrorKind::SyntaxError, "invalid decimal literal (<string>, line 1)"},
        ErrorCase{"empty", "", ErrorKind::SyntaxError, "invalid syntax (<string>, line 0)"},
        ErrorCase{"never_closed", "(a+1", ErrorKind::SyntaxError, "'(' was never closed (<string>, line 1)"},
        ErrorCase{"unmatched", "a+1)", ErrorKind::SyntaxError, "unmatched ')' (<string>, line 1)"},
        ErrorCase{"dangling_operator", "a+", ErrorKind::SyntaxError, "invalid syntax (<string>, line 1)"},
        ErrorCase{"comparison_outside_grammar", "a<1", ErrorKind::SyntaxError, "invalid syntax (<string>, line 1)"},
        ErrorCase{"tuple_outside_grammar", "a, 1", ErrorKind::SyntaxError, "invalid syntax (<string>, line 1)"},
        ErrorCase{"keyword_argument", "np.exp(x=1)", ErrorKind::SyntaxError, "invalid syntax (<string>, line 1)"},
        ErrorCase{"subscript", "a[0]", ErrorKind::SyntaxError, "invalid syntax (<string>, line 1)"},
        ErrorCase{"lambda_text", "lambda: 1", ErrorKind::SyntaxError, "invalid syntax (<string>, line 1)"},
        ErrorCase{"second_line", "1\n2", ErrorKind::SyntaxError, "invalid syntax (<string>, line 1)"},
        ErrorCase{"unicode_digit", "a+\xD9\xA3", ErrorKind::SyntaxError,
                  "invalid character '\xD9\xA3' (U+0663) (<string>, line 1)"},
        ErrorCase{"complex_literal", "1j", ErrorKind::SyntaxError, "complex numbers are not supported (<string>, line 1)"},
        ErrorCase{"unknown_name", "foo+1", ErrorKind::NameError, "name 'foo' is not defined"},
        ErrorCase{"unknown_function", "foo(a)", ErrorKind::NameError, "name 'foo' is not defined"},
        ErrorCase{"host_builtin_is_unknown", "__import__(chr(111)+chr(115))", ErrorKind::NameError,
                  "name '__import__' is not defined"},
        ErrorCase{"unicode_name", "\xCE\xB1+1", ErrorKind::NameError, "name '\xCE\xB1' is not defined"},
        ErrorCase{"x_unbound_in_cell", "x+1", ErrorKind::NameError, "name 'x' is not defined"},
        ErrorCase{"name_error_before_later_zero_division", "foo + 1/0", ErrorKind::NameError, "name 'foo' is not defined"},
        ErrorCase{"zero_division_before_later_name_error", "1/0 + foo", ErrorKind::ZeroDivisionError, "division by zero"},
        ErrorCase{"np_np", "np.np.exp(a)", ErrorKind::AttributeError, "module 'numpy' has no attribute 'np'"},
        ErrorCase{"attribute_of_bound_number", "a.np.exp(a)", ErrorKind::AttributeError, "'float' object has no attribute 'np'"},
        ErrorCase{"bound_number_not_callable", "a(1)", ErrorKind::TypeError, "'float' object is not callable"},
        ErrorCase{"int_division_by_zero", "1/0", ErrorKind::ZeroDivisionError, "division by zero"},
        ErrorCase{"float_division_by_zero", "a/0", ErrorKind::ZeroDivisionError, "float division by zero"},
        ErrorCase{"int_floordiv_by_zero", "1//0", ErrorKind::ZeroDivisionError, "integer division or modulo by zero"},
        ErrorCase{"int_mod_by_zero", "1%0", ErrorKind::ZeroDivisionError, "integer modulo by zero"},
        ErrorCase{"float_floordiv_by_zero", "a//0", ErrorKind::ZeroDivisionError, "float floor division by zero"},
        ErrorCase{"float_mod_by_zero", "a%0", ErrorKind::ZeroDivisionError, "float modulo by zero"},
        ErrorCase{"zero_to_negative_power", "0**-1", ErrorKind::ZeroDivisionError, "0.0 cannot be raised to a negative power"},
        ErrorCase{"float_power_overflow", "10.0**400", ErrorKind::OverflowError, "(34, 'Numerical result out of range')"},
        ErrorCase{"tower_of_nines", "9**9**9", ErrorKind::OverflowError, "(34, 'Numerical result out of range')"},
        ErrorCase{"np_int_negative_power", "np.pow(2, -1)", ErrorKind::ValueError, "Integers to negative integer powers are not allowed."},
        ErrorCase{"np_int_power_overflow", "np.pow(10, 400)", ErrorKind::OverflowError, "(34, 'Numerical result out of range')"},
        ErrorCase{"ufunc_no_argument", "np.exp()", ErrorKind::TypeError, "exp() takes from 1 to 2 positional arguments but 0 were given"},
        ErrorCase{"ufunc_three_arguments", "np.asin(1, 2, 3)", ErrorKind::TypeError, "arcsin() takes from 1 to 2 positional arguments but 3 were given"},
        ErrorCase{"ufunc_out_argument", "np.exp(1, 2)", ErrorKind::TypeError, "return arrays must be of ArrayType"},
        ErrorCase{"power_one_argument", "np.pow(2)", ErrorKind::TypeError, "power() takes from 2 to 3 positional arguments but 1 was given"},
        ErrorCase{"min_no_argument", "np.min()", ErrorKind::TypeError, "min() missing 1 required positional argument: 'a'"},
        ErrorCase{"pi_with_argument", "pi(1)", ErrorKind::TypeError, "pi() takes 0 positional arguments but 1 was given"},
        ErrorCase{"module_in_arithmetic", "np + 1", ErrorKind::TypeError, "unsupported operand type(s) for +: 'module' and 'int'"},
        ErrorCase{"module_not_callable", "np(1)", ErrorKind::TypeError, "'module' object is not callable"}),
    [](const auto& info) { return case_name(info.param.name); });

// The arrays path must give, element by element, what the scalar path gives
// with NumPy float semantics.
struct ArrayCase {
  const char* name;
  const char* text;
};

class EvalArray : public testing::TestWithParam<ArrayCase> {};

TEST_P(EvalArray, MatchesScalarEvaluationElementwise) {
  const auto& c = GetParam();
  const Expression ex = Expression::compile(c.text, {"x", "a", "b"});
  const std::vector<double> xs = {-3.5, -1.0, -0.0, 0.0, 0.25, 1.0, 2.0, 7.5, kInf, kNan};
  const std::vector<double> params = {1.5, -2.0};
  const Value all = ex.eval_model(xs, params);
  ASSERT_TRUE(all.is_array());
  ASSERT_EQ(all.a.size(), xs.size());
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const std::vector<Value> one = {Value::np_real(xs[i]), Value::np_real(params[0]), Value::np_real(params[1])};
    const double expected = ex.eval(one).as_double();
    if (std::isnan(expected))
      EXPECT_TRUE(std::isnan(all.a[i])) << "x=" << xs[i];
    else
      EXPECT_EQ(all.a[i], expected) << "x=" << xs[i];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Evaluator, EvalArray,
    testing::Values(ArrayCase{"polynomial", "a*x**2 + b*x + 1"}, ArrayCase{"exponential", "a + b*np.exp(-x/a)"},
                    ArrayCase{"division_by_zero", "1/x"}, ArrayCase{"floor_and_mod", "x//b + x%b - x%0"},
                    ArrayCase{"half_power_is_sqrt", "x**0.5 + x**-1 + x**1"},
                    ArrayCase{"fractional_power", "np.absolute(x)**a + x**a"},
                    ArrayCase{"nested_functions", "np.log(np.sqrt(np.absolute(x)+1)) + np.sin(np.cos(x))"},
                    ArrayCase{"elementwise_max_min", "np.max(x, 0) + np.min(x, a, 1)"},
                    ArrayCase{"unary_minus", "-x**2 + -(-x)"},
                    ArrayCase{"all_functions",
                              "np.cbrt(x)+np.log2(x)+np.log10(x)+np.tan(x)+np.asin(x/9)+np.acos(x/9)+np.atan(x)"
                              "+np.sinh(x)+np.cosh(x)+np.tanh(x)+np.asinh(x)+np.acosh(x)+np.atanh(x/9)"}),
    [](const auto& info) { return case_name(info.param.name); });

// Long arrays are evaluated in cache-sized blocks: each element, the kind of
// the result and any reduction must be what the whole array gives at once
// (the general eval() form evaluates whole arrays).
struct LongArrayCase {
  const char* name;
  const char* text;
  std::size_t length;
};

class EvalLongArray : public testing::TestWithParam<LongArrayCase> {};

TEST_P(EvalLongArray, BlocksGiveTheWholeArrayResult) {
  const auto& c = GetParam();
  const Expression ex = Expression::compile(c.text, {"x", "a", "b"});
  std::vector<double> xs(c.length);
  for (std::size_t i = 0; i < xs.size(); ++i) xs[i] = -7.0 + 13.0 * static_cast<double>(i) / static_cast<double>(xs.size());
  xs[0] = kNan;
  xs[xs.size() / 2] = kInf;
  xs.back() = -kInf;
  const std::vector<double> params = {1.5, -2.0};
  const Value blocked = ex.eval_model(xs, params);
  const Value whole = ex.eval(std::vector<Value>{Value::array(xs), Value::np_real(params[0]), Value::np_real(params[1])});
  ASSERT_EQ(static_cast<int>(blocked.kind), static_cast<int>(whole.kind));
  if (!whole.is_array()) {
    EXPECT_EQ(blocked.as_double(), whole.as_double());
    return;
  }
  ASSERT_EQ(blocked.a.size(), whole.a.size());
  for (std::size_t i = 0; i < whole.a.size(); ++i) {
    if (std::isnan(whole.a[i]))
      EXPECT_TRUE(std::isnan(blocked.a[i])) << "at " << i;
    else
      EXPECT_EQ(blocked.a[i], whole.a[i]) << "at " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Evaluator, EvalLongArray,
    testing::Values(LongArrayCase{"exponential", "a + b*np.exp(a*x)", 10000},
                    LongArrayCase{"one_past_a_block", "a*x**2 + b*x + 1", 2049},
                    LongArrayCase{"exact_blocks", "np.sin(x)/x - x//b + x%a", 8192},
                    LongArrayCase{"bare_variable", "x", 5000},
                    LongArrayCase{"unary_and_powers", "-x**0.5 + +x**-1 + np.absolute(x)**a", 4097},
                    LongArrayCase{"all_functions",
                                  "np.cbrt(x)+np.log(x)+np.log2(x)+np.log10(x)+np.tan(x)+np.asin(x/9)+np.acos(x/9)"
                                  "+np.atan(x)+np.sinh(x)+np.cosh(x)+np.tanh(x)+np.asinh(x)+np.acosh(x)+np.atanh(x/9)"
                                  "+np.sqrt(x)+np.exp(x)+np.cos(x)+np.pow(x, a)",
                                  10000},
                    LongArrayCase{"max_sees_every_block", "x - np.max(x)", 5000},
                    LongArrayCase{"min_sees_every_block", "x + np.min(x)", 5000},
                    LongArrayCase{"elementwise_max_min", "np.max(x, a) + np.min(x, b, 0)", 5000},
                    LongArrayCase{"scalar_result", "a*b + 1", 10000}),
    [](const auto& info) { return case_name(info.param.name); });

TEST(Evaluator, LongArrayErrorsAreTheWholeArrayErrors) {
  std::vector<double> xs(10000, 1.0);
  const std::vector<double> params = {1.0};
  for (const char* text : {"x + foo", "x + np.nope(x)", "x + (1/0)", "np.exp(x, x)"}) {
    const Expression ex = Expression::compile(text, {"x", "a"});
    std::string blocked, whole;
    try {
      ex.eval_model(xs, params);
    } catch (const trelvo::Error& e) {
      blocked = e.what();
    }
    try {
      ex.eval(std::vector<Value>{Value::array(xs), Value::np_real(1.0)});
    } catch (const trelvo::Error& e) {
      whole = e.what();
    }
    EXPECT_FALSE(blocked.empty()) << text;
    EXPECT_EQ(blocked, whole) << text;
  }
}

TEST(Evaluator, ReductionOfArrayIsScalar) {
  const Expression ex = Expression::compile("np.max(x) - np.min(x)", {"x"});
  const Value v = ex.eval(std::vector<Value>{Value::array({3.0, -1.0, 2.0})});
  EXPECT_EQ(v.kind, Kind::NpFloat);
  EXPECT_EQ(v.f, 4.0);
}

TEST(Evaluator, ReductionOfEmptyArrayIsValueError) {
  const Expression ex = Expression::compile("np.min(x)", {"x"});
  try {
    ex.eval(std::vector<Value>{Value::array({})});
    FAIL();
  } catch (const trelvo::Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::ValueError);
    EXPECT_STREQ(e.what(), "zero-size array to reduction operation minimum which has no identity");
  }
}

TEST(Evaluator, ArraysOfDifferentLengthsDoNotBroadcast) {
  const Expression ex = Expression::compile("x + y", {"x", "y"});
  try {
    ex.eval(std::vector<Value>{Value::array({1, 2, 3}), Value::array({1, 2, 3, 4})});
    FAIL();
  } catch (const trelvo::Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::ValueError);
    EXPECT_STREQ(e.what(), "operands could not be broadcast together with shapes (3,) (4,) ");
  }
  const Value v = ex.eval(std::vector<Value>{Value::array({1, 2, 3}), Value::array({10})});
  EXPECT_EQ(v.a, (std::vector<double>{11, 12, 13}));
}

TEST(Evaluator, ModelWithoutXGivesScalar) {
  const Expression ex = Expression::compile("a + 1", {"x", "a"});
  const std::vector<double> xs = {1, 2, 3};
  const std::vector<double> p = {2};
  const Value v = ex.eval_model(xs, p);
  EXPECT_TRUE(v.is_scalar());
  EXPECT_EQ(v.as_double(), 3.0);
}

TEST(Evaluator, ScalarModelUsesPythonFloats) {
  const Expression ex = Expression::compile("a/x", {"x", "a"});
  const std::vector<double> p = {2};
  EXPECT_EQ(ex.eval_model(4.0, p).kind, Kind::Float);
  EXPECT_THROW(ex.eval_model(0.0, p), trelvo::Error);
  // The fit's array call passes NumPy scalars: no exception, inf.
  const std::vector<double> xs = {0.0};
  EXPECT_EQ(ex.eval_model(xs, p).a[0], kInf);
}

TEST(Evaluator, BoundNamesShadowGlobals) {
  const Expression ex = Expression::compile("e + pi + np", {"e", "pi", "np"});
  const Value v = ex.eval(std::vector<Value>{Value::integer(1), Value::integer(2), Value::integer(3)});
  EXPECT_EQ(v.kind, Kind::Int);
  EXPECT_EQ(v.i, 6);
}

TEST(Evaluator, RepeatedEvaluationReusesBuffersCorrectly) {
  const Expression ex = Expression::compile("a*np.exp(b*x) + x*x - x", {"x", "a", "b"});
  std::vector<double> xs(1000);
  for (std::size_t i = 0; i < xs.size(); ++i) xs[i] = static_cast<double>(i) / 100.0;
  const std::vector<double> p = {2.0, -0.5};
  const Value first = ex.eval_model(xs, p);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(ex.eval_model(xs, p).a, first.a);
  // np.exp may be a vectorised form within a few ulp of libm's.
  EXPECT_DOUBLE_EQ(first.a[100], 2.0 * std::exp(-0.5) + 1.0 - 1.0);
  const std::vector<double> fewer(xs.begin(), xs.begin() + 10);
  EXPECT_EQ(ex.eval_model(fewer, p).a.size(), 10u);
}

TEST(Evaluator, WrongValueCountIsTypeError) {
  const Expression ex = Expression::compile("x", {"x"});
  EXPECT_THROW(ex.eval({}), trelvo::Error);
}

struct BoundCase {
  const char* name;
  std::string text;
};

class EvalBounds : public testing::TestWithParam<BoundCase> {};

TEST_P(EvalBounds, DeepOrLongInputIsSyntaxError) {
  try {
    Expression::compile(GetParam().text, {"x"});
    FAIL();
  } catch (const trelvo::Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::SyntaxError);
  }
}

std::string repeat(const std::string& s, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += s;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Evaluator, EvalBounds,
    testing::Values(BoundCase{"nested_parentheses", repeat("(", 100000) + "x" + repeat(")", 100000)},
                    BoundCase{"unary_chain", repeat("-", 100000) + "x"},
                    BoundCase{"power_chain", repeat("x**", 100000) + "x"},
                    BoundCase{"nested_calls", repeat("np.exp(", 5000) + "x" + repeat(")", 5000)},
                    BoundCase{"too_long", repeat("x+", trelvo::limits::kMaxExpressionBytes) + "x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Evaluator, NestingUpToTheLimitEvaluates) {
  const std::size_t levels = trelvo::limits::kMaxExpressionDepth - 1;
  const std::string text = repeat("(-", levels) + "x" + repeat(")", levels);
  const Expression ex = Expression::compile(text, {"x"});
  EXPECT_EQ(ex.eval(std::vector<Value>{Value::integer(2)}).i, levels % 2 ? -2 : 2);
  try {
    Expression::compile("(" + text + ")", {"x"});
    FAIL();
  } catch (const trelvo::Error& e) {
    EXPECT_STREQ(e.what(), "too many nested parentheses (<string>, line 1)");
  }
}

TEST(Evaluator, WideFlatExpressionCompiles) {
  // Long sums are loops, not recursion.
  const std::string text = repeat("x+", 20000) + "x";
  const Expression ex = Expression::compile(text, {"x"});
  EXPECT_EQ(ex.eval(std::vector<Value>{Value::integer(1)}).i, 20001);
}

TEST(Evaluator, ModelOnManyPointsIsFast) {
  const Expression ex = Expression::compile("a * np.exp(b * x) + c * x**2", {"x", "a", "b", "c"});
  std::vector<double> xs(100000);
  for (std::size_t i = 0; i < xs.size(); ++i) xs[i] = static_cast<double>(i) * 1e-5;
  const std::vector<double> p = {1.0, -0.5, 0.25};
  const auto start = std::chrono::steady_clock::now();
  double sum = 0;
  for (int k = 0; k < 200; ++k) sum += ex.eval_model(xs, p).a[k];
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GT(sum, 0);
  // 2e7 element evaluations; generous even for a loaded machine.
  EXPECT_LT(seconds, 10.0);
}

}  // namespace

// ---------------------------------------------------------------------------
// Cross-check against the host's own eval with NumPy: the text that
// parse_expression writes is evaluated by /usr/bin/python3 and by us, with x
// bound to a float, then to an array, and a to an int.

namespace reference {

const char* kScript = R"PY(
import sys, math
import numpy as np
for old, new in [('arcsin','asin'),('arccos','acos'),('arctan','atan'),('arcsinh','asinh'),
                 ('arccosh','acosh'),('arctanh','atanh'),('power','pow')]:
    if not hasattr(np, new): setattr(np, new, getattr(np, old))
np.seterr(all='ignore')
import functools
# Our min/max with several arguments are element-wise (NumPy would read an axis).
def wrap(reduce, pairwise):
    return lambda *a: reduce(a[0]) if len(a) == 1 else functools.reduce(pairwise, a)
np.min, np.max = wrap(np.amin, np.minimum), wrap(np.amax, np.maximum)
def pi(): return np.pi
def e(): return np.e
xs = [float(v) for v in sys.argv[1].split()]
def kind(v):
    if isinstance(v, np.ndarray): return 'Array'
    if isinstance(v, np.floating): return 'NpFloat'
    if isinstance(v, np.integer): return 'NpInt'
    if isinstance(v, bool): return 'Bool'
    if isinstance(v, int): return 'Int'
    if isinstance(v, float): return 'Float'
    return type(v).__name__
for line in sys.stdin.read().split('\n')[:-1]:
    for x in (2.5, np.array(xs)):
        try:
            v = eval(line, {'np': np, 'pi': pi, 'e': e}, {'x': x, 'a': 3})
            k = kind(v)
            vals = [repr(float(t)) for t in np.atleast_1d(v)] if k in ('Array', 'NpFloat', 'Float') else [str(int(v))] if k in ('Int', 'NpInt') else []
            print(k, ' '.join(vals))
        except Exception as ex:
            print('!' + type(ex).__name__, str(ex).replace('\n', ' '))
)PY";

const std::vector<double> kXs = {-2.0, -0.5, 0.0, 0.5, 3.0};

const char* kInputs[] = {
    "2+3", "7/2", "2^10", "2^(-1)", "-2^2", "2^3^2", "7%-3", "-7.5%2", "a%2.5", "x%a", "x*a - a/2",
    "1/x", "a/(x-x)", "x^2 + 3*x - 1", "x^0.5", "x^a", "x^(-1)", "(0-x)^0.5", "exp(x) + log(x)",
    "sqrt(x) - cbrt(x)", "log10(abs(x)) + log2(abs(x)+1)", "sin(x)*cos(x)/tan(x+1)", "asin(x/4) + acos(x/4)",
    "atan(x) + sinh(x) - cosh(x) + tanh(x)", "asinh(x) + acosh(x) + atanh(x/4)", "abs(a) + abs(x)",
    "min(x) + max(x)", "max(a)", "min(a, 2)", "pow(a, 2)", "pow(x, a)", "pow(2.0, a)", "np.absolute(a) // 2", "max(x, 0) + min(x, a, 1)",
    "abs(a) / 2", "abs(a) % 0", "exp(a) / 0", "exp(a) + a", "pi() * x + e()", "1e5 * x + 1.5E-3",
    "(x + 1) * (x - 1) / (x^2 + 1)", "3^40", "10.0^400", "0^(-1)", "foo(x)", "y + 1", "np.exp(x)",
    "(0-8)^(1/3)", "a^a^a", "x%0", "a//a", "2 x", "x^^2", "1e5 % 7", "abs(x-1) % (a-1.5)",
};

struct Result {
  std::string kind;
  std::vector<std::string> values;
};

Result ours(const Expression& ex, const Value& x) {
  Result r;
  try {
    const Value v = ex.eval(std::vector<Value>{x, Value::integer(3)});
    switch (v.kind) {
      case Kind::Int: r.kind = "Int"; break;
      case Kind::Float: r.kind = "Float"; break;
      case Kind::NpInt: r.kind = "NpInt"; break;
      case Kind::NpFloat: r.kind = "NpFloat"; break;
      case Kind::Array: r.kind = "Array"; break;
    }
    if (v.is_int()) {
      r.values.push_back(std::to_string(v.i));
    } else {
      for (double d : v.is_array() ? v.a : std::vector<double>{v.f}) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", d);
        r.values.push_back(buf);
      }
    }
  } catch (const trelvo::Error& e) {
    r.kind = std::string("!") + trelvo::error_kind_name(e.kind());
  }
  return r;
}

bool same_number(const std::string& ours_text, const std::string& theirs_text) {
  const double a = std::strtod(ours_text.c_str(), nullptr);
  const double b = std::strtod(theirs_text.c_str(), nullptr);
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  if (a == b) return true;
  // NumPy's vectorised transcendental functions may differ in the last bits.
  return std::fabs(a - b) <= 4e-15 * std::max(std::fabs(a), std::fabs(b));
}

}  // namespace reference

TEST(EvaluatorReference, AgreesWithPythonAndNumpy) {
  using namespace reference;
  if (access("/usr/bin/python3", X_OK) != 0) GTEST_SKIP() << "no /usr/bin/python3";
  std::vector<std::string> converted;
  std::string input;
  for (const char* text : kInputs) {
    // Texts that the gate refuses (// for one) go to both evaluators unchanged.
    try {
      converted.push_back(parse_expression(text, false).first);
    } catch (const trelvo::Error&) {
      converted.push_back(text);
    }
    input += converted.back() + "\n";
  }
  char script_path[] = "/tmp/trelvo_ref_XXXXXX";
  const int fd = mkstemp(script_path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, kScript, std::strlen(kScript)), static_cast<ssize_t>(std::strlen(kScript)));
  close(fd);
  char input_path[] = "/tmp/trelvo_in_XXXXXX";
  const int fd2 = mkstemp(input_path);
  ASSERT_GE(fd2, 0);
  ASSERT_EQ(write(fd2, input.data(), input.size()), static_cast<ssize_t>(input.size()));
  close(fd2);
  std::string xs_arg;
  for (double v : kXs) xs_arg += std::to_string(v) + " ";
  const std::string command = "/usr/bin/python3 " + std::string(script_path) + " '" + xs_arg + "' < " + input_path;
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> lines;
  char buf[4096];
  while (std::fgets(buf, sizeof buf, pipe)) {
    std::string line(buf);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    lines.push_back(line);
  }
  const int status = pclose(pipe);
  unlink(script_path);
  unlink(input_path);
  if (status != 0 || lines.empty()) GTEST_SKIP() << "python3 with numpy is not usable";
  ASSERT_EQ(lines.size(), 2 * converted.size());
  for (std::size_t k = 0; k < converted.size(); ++k) {
    for (int variant = 0; variant < 2; ++variant) {
      const std::string& line = lines[2 * k + variant];
      std::istringstream in(line);
      Result theirs;
      in >> theirs.kind;
      for (std::string v; in >> v;) theirs.values.push_back(v);
      Result mine;
      try {
        const Expression ex = Expression::compile(converted[k], {"x", "a"});
        mine = ours(ex, variant == 0 ? Value::real(2.5) : Value::array(kXs));
      } catch (const trelvo::Error& e) {
        mine.kind = std::string("!") + trelvo::error_kind_name(e.kind());
      }
      const std::string where = converted[k] + (variant == 0 ? " (x float)" : " (x array)") + ": python says " + line;
      if (theirs.kind == "complex") {
        // We give nan where the host would leave the reals.
        EXPECT_EQ(mine.kind, "Float") << where;
        continue;
      }
      if (theirs.kind[0] == '!') {
        EXPECT_EQ(mine.kind, theirs.kind.substr(0, theirs.kind.find(' '))) << where;
        continue;
      }
      if (theirs.kind == "Int" && theirs.values[0].size() > 18 &&
          std::strtod(theirs.values[0].c_str(), nullptr) > 9.2e18) {
        // Our ints stay within 64 bits and become floats beyond.
        EXPECT_EQ(mine.kind, "Float") << where;
        EXPECT_TRUE(same_number(mine.values[0], theirs.values[0])) << where;
        continue;
      }
      EXPECT_EQ(mine.kind, theirs.kind) << where;
      ASSERT_EQ(mine.values.size(), theirs.values.size()) << where;
      for (std::size_t i = 0; i < mine.values.size(); ++i)
        EXPECT_TRUE(same_number(mine.values[i], theirs.values[i])) << where << " ours " << mine.values[i];
    }
  }
}
