#include "fitcore/evaluator.h"

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>

#include "fitcore/errors.h"
#include "fitcore/limits.h"
#include "fitcore/pyregex.h"
#include "fitcore/utf8.h"
#include "fitcore/vecmath.h"

namespace trelvo {
namespace {

// ---------------------------------------------------------------- values

enum class Obj : std::uint8_t { None, Numpy, Pi, E, Fn };
enum class Fn : std::uint8_t {
  Exp, Pow, Absolute, Sqrt, Cbrt, Log, Log10, Log2, Min, Max, Sin, Cos, Tan,
  Asin, Acos, Atan, Sinh, Cosh, Tanh, Asinh, Acosh, Atanh
};

struct NumpyFunction {
  const char* attr;  // name under np.
  Fn fn;
  const char* name;  // NumPy's own name, used in its error texts
};

constexpr NumpyFunction kNumpyFunctions[] = {
    {"exp", Fn::Exp, "exp"},         {"pow", Fn::Pow, "power"},       {"absolute", Fn::Absolute, "absolute"},
    {"sqrt", Fn::Sqrt, "sqrt"},      {"cbrt", Fn::Cbrt, "cbrt"},      {"log", Fn::Log, "log"},
    {"log10", Fn::Log10, "log10"},   {"log2", Fn::Log2, "log2"},      {"min", Fn::Min, "min"},
    {"max", Fn::Max, "max"},         {"sin", Fn::Sin, "sin"},         {"cos", Fn::Cos, "cos"},
    {"tan", Fn::Tan, "tan"},         {"asin", Fn::Asin, "arcsin"},    {"acos", Fn::Acos, "arccos"},
    {"atan", Fn::Atan, "arctan"},    {"sinh", Fn::Sinh, "sinh"},      {"cosh", Fn::Cosh, "cosh"},
    {"tanh", Fn::Tanh, "tanh"},      {"asinh", Fn::Asinh, "arcsinh"}, {"acosh", Fn::Acosh, "arccosh"},
    {"atanh", Fn::Atanh, "arctanh"},
};

const NumpyFunction& numpy_function(Fn fn) { return kNumpyFunctions[static_cast<int>(fn)]; }

enum class SK : std::uint8_t { Int, Float, NpInt, NpFloat, Array, Object };

// One node's result during evaluation. Arrays point either at the caller's
// data or at a workspace buffer the slot owns (`buf`).
struct Slot {
  SK k = SK::Float;
  Obj obj = Obj::None;
  Fn fn = Fn::Exp;
  std::int64_t i = 0;
  double f = 0.0;
  const double* p = nullptr;
  std::size_t n = 0;
  int buf = -1;

  bool is_array() const { return k == SK::Array; }
  double scalar() const {
    switch (k) {
      case SK::Int:
      case SK::NpInt: return static_cast<double>(i);
      case SK::Array: return p[0];
      default: return f;
    }
  }
};

Slot make_int(SK k, std::int64_t v) { Slot s; s.k = k; s.i = v; return s; }
Slot make_float(SK k, double v) { Slot s; s.k = k; s.f = v; return s; }
Slot make_object(Obj o, Fn fn = Fn::Exp) { Slot s; s.k = SK::Object; s.obj = o; s.fn = fn; return s; }

std::string type_name(const Slot& s) {
  switch (s.k) {
    case SK::Int: return "int";
    case SK::Float: return "float";
    case SK::NpInt: return "numpy.int64";
    case SK::NpFloat: return "numpy.float64";
    case SK::Array: return "numpy.ndarray";
    case SK::Object: break;
  }
  switch (s.obj) {
    case Obj::Numpy: return "module";
    case Obj::Pi:
    case Obj::E: return "builtin_function_or_method";
    case Obj::Fn: return (s.fn == Fn::Min || s.fn == Fn::Max) ? "function" : "numpy.ufunc";
    case Obj::None: break;
  }
  return "object";
}

// ---------------------------------------------------------------- scalar arithmetic

[[noreturn]] void zero_division(const char* message) { raise(ErrorKind::ZeroDivisionError, message); }

bool is_odd_integer(double v) { return std::fmod(std::fabs(v), 2.0) == 1.0; }

// Python's float ** float, without complex results (a negative base to a
// non-integral power gives nan).
double py_float_pow(double iv, double iw) {
  if (iw == 0.0) return 1.0;
  if (std::isnan(iv)) return iv;
  if (std::isnan(iw)) return iv == 1.0 ? 1.0 : iw;
  if (std::isinf(iw)) {
    iv = std::fabs(iv);
    if (iv == 1.0) return 1.0;
    if ((iw > 0.0) == (iv > 1.0)) return std::fabs(iw);
    return 0.0;
  }
  if (std::isinf(iv)) {
    const bool odd = is_odd_integer(iw);
    if (iw > 0.0) return odd ? iv : std::fabs(iv);
    return odd ? std::copysign(0.0, iv) : 0.0;
  }
  if (iv == 0.0) {
    if (iw < 0.0) zero_division("0.0 cannot be raised to a negative power");
    return is_odd_integer(iw) ? iv : 0.0;
  }
  bool negate = false;
  if (iv < 0.0) {
    if (iw != std::floor(iw)) return std::numeric_limits<double>::quiet_NaN();
    iv = -iv;
    negate = is_odd_integer(iw);
  }
  if (iv == 1.0) return negate ? -1.0 : 1.0;
  double ix = std::pow(iv, iw);
  if (negate) ix = -ix;
  if (std::isinf(ix)) raise(ErrorKind::OverflowError, "(34, 'Numerical result out of range')");
  return ix;
}

// Python's float divmod (also NumPy's for a non-zero divisor).
double float_floordiv(double a, double b) {
  double mod = std::fmod(a, b);
  double div = (a - mod) / b;
  if (mod != 0.0 || std::isnan(mod)) {
    if ((b < 0) != (mod < 0)) div -= 1.0;
  }
  if (div != 0.0 || std::isnan(div)) {
    double floordiv = std::floor(div);
    if (div - floordiv > 0.5) floordiv += 1.0;
    return floordiv;
  }
  return std::copysign(0.0, a / b);
}

double float_mod(double a, double b) {
  double mod = std::fmod(a, b);
  if (mod != 0.0 || std::isnan(mod)) {
    if ((b < 0) != (mod < 0)) mod += b;
  } else {
    mod = std::copysign(0.0, b);
  }
  return mod;
}

double np_floordiv(double a, double b) { return b == 0.0 ? a / b : float_floordiv(a, b); }
double np_mod(double a, double b) { return b == 0.0 ? std::fmod(a, b) : float_mod(a, b); }

enum class BinOp : std::uint8_t { Add, Sub, Mul, Div, FloorDiv, Mod, Pow };

const char* symbol(BinOp op) {
  switch (op) {
    case BinOp::Add: return "+";
    case BinOp::Sub: return "-";
    case BinOp::Mul: return "*";
    case BinOp::Div: return "/";
    case BinOp::FloorDiv: return "//";
    case BinOp::Mod: return "%";
    case BinOp::Pow: return "** or pow()";
  }
  return "?";
}

Slot py_float_op(BinOp op, double a, double b) {
  switch (op) {
    case BinOp::Add: return make_float(SK::Float, a + b);
    case BinOp::Sub: return make_float(SK::Float, a - b);
    case BinOp::Mul: return make_float(SK::Float, a * b);
    case BinOp::Div:
      if (b == 0.0) zero_division("float division by zero");
      return make_float(SK::Float, a / b);
    case BinOp::FloorDiv:
      if (b == 0.0) zero_division("float floor division by zero");
      return make_float(SK::Float, float_floordiv(a, b));
    case BinOp::Mod:
      if (b == 0.0) zero_division("float modulo by zero");
      return make_float(SK::Float, float_mod(a, b));
    case BinOp::Pow: return make_float(SK::Float, py_float_pow(a, b));
  }
  return {};
}

// Python int arithmetic, bounded to 64 bits: a result outside becomes the
// float Python's float arithmetic gives for it.
Slot py_int_op(BinOp op, std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  const double da = static_cast<double>(a), db = static_cast<double>(b);
  switch (op) {
    case BinOp::Add:
      if (__builtin_add_overflow(a, b, &r)) return make_float(SK::Float, da + db);
      return make_int(SK::Int, r);
    case BinOp::Sub:
      if (__builtin_sub_overflow(a, b, &r)) return make_float(SK::Float, da - db);
      return make_int(SK::Int, r);
    case BinOp::Mul:
      if (__builtin_mul_overflow(a, b, &r)) return make_float(SK::Float, da * db);
      return make_int(SK::Int, r);
    case BinOp::Div:
      if (b == 0) zero_division("division by zero");
      return make_float(SK::Float, da / db);
    case BinOp::FloorDiv: {
      if (b == 0) zero_division("integer division or modulo by zero");
      if (a == std::numeric_limits<std::int64_t>::min() && b == -1) return make_float(SK::Float, -da);
      std::int64_t q = a / b, m = a % b;
      if (m != 0 && ((m < 0) != (b < 0))) --q;
      return make_int(SK::Int, q);
    }
    case BinOp::Mod: {
      if (b == 0) zero_division("integer modulo by zero");
      if (b == -1) return make_int(SK::Int, 0);
      std::int64_t m = a % b;
      if (m != 0 && ((m < 0) != (b < 0))) m += b;
      return make_int(SK::Int, m);
    }
    case BinOp::Pow: {
      if (b < 0) return make_float(SK::Float, py_float_pow(da, db));
      std::int64_t result = 1, base = a;
      std::uint64_t e = static_cast<std::uint64_t>(b);
      bool overflow = false;
      while (e) {
        if (e & 1) overflow |= __builtin_mul_overflow(result, base, &result);
        e >>= 1;
        if (e) overflow |= __builtin_mul_overflow(base, base, &base);
        if (overflow) break;
      }
      if (overflow) return make_float(SK::Float, py_float_pow(da, db));
      return make_int(SK::Int, result);
    }
  }
  return {};
}

double np_float(BinOp op, double a, double b) {
  switch (op) {
    case BinOp::Add: return a + b;
    case BinOp::Sub: return a - b;
    case BinOp::Mul: return a * b;
    case BinOp::Div: return a / b;
    case BinOp::FloorDiv: return np_floordiv(a, b);
    case BinOp::Mod: return np_mod(a, b);
    case BinOp::Pow: return std::pow(a, b);
  }
  return 0.0;
}

// NumPy int64 arithmetic, division by zero giving 0; a result past 64 bits
// becomes the float that ** gives for it (NumPy would wrap).
Slot np_int_op(BinOp op, std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  const double da = static_cast<double>(a), db = static_cast<double>(b);
  switch (op) {
    case BinOp::Add:
      if (__builtin_add_overflow(a, b, &r)) return make_float(SK::NpFloat, da + db);
      return make_int(SK::NpInt, r);
    case BinOp::Sub:
      if (__builtin_sub_overflow(a, b, &r)) return make_float(SK::NpFloat, da - db);
      return make_int(SK::NpInt, r);
    case BinOp::Mul:
      if (__builtin_mul_overflow(a, b, &r)) return make_float(SK::NpFloat, da * db);
      return make_int(SK::NpInt, r);
    case BinOp::Div: return make_float(SK::NpFloat, static_cast<double>(a) / static_cast<double>(b));
    case BinOp::FloorDiv: {
      if (b == 0) return make_int(SK::NpInt, 0);
      if (b == -1) {
        if (a == std::numeric_limits<std::int64_t>::min()) return make_float(SK::NpFloat, -da);
        return make_int(SK::NpInt, -a);
      }
      std::int64_t q = a / b, m = a % b;
      if (m != 0 && ((m < 0) != (b < 0))) --q;
      return make_int(SK::NpInt, q);
    }
    case BinOp::Mod: {
      if (b == 0 || b == -1) return make_int(SK::NpInt, 0);
      std::int64_t m = a % b;
      if (m != 0 && ((m < 0) != (b < 0))) m += b;
      return make_int(SK::NpInt, m);
    }
    case BinOp::Pow: {
      if (b < 0) raise(ErrorKind::ValueError, "Integers to negative integer powers are not allowed.");
      Slot r = py_int_op(BinOp::Pow, a, b);
      r.k = r.k == SK::Int ? SK::NpInt : SK::NpFloat;
      return r;
    }
  }
  return {};
}

// ---------------------------------------------------------------- elementwise functions

double apply_unary(Fn fn, double v) {
  switch (fn) {
    case Fn::Exp: return vecmath::apply(vecmath::Func::Exp, v);
    case Fn::Absolute: return std::fabs(v);
    case Fn::Sqrt: return std::sqrt(v);
    case Fn::Cbrt: return std::cbrt(v);
    case Fn::Log: return vecmath::apply(vecmath::Func::Log, v);
    case Fn::Log10: return std::log10(v);
    case Fn::Log2: return std::log2(v);
    case Fn::Sin: return vecmath::apply(vecmath::Func::Sin, v);
    case Fn::Cos: return vecmath::apply(vecmath::Func::Cos, v);
    case Fn::Tan: return std::tan(v);
    case Fn::Asin: return std::asin(v);
    case Fn::Acos: return std::acos(v);
    case Fn::Atan: return std::atan(v);
    case Fn::Sinh: return std::sinh(v);
    case Fn::Cosh: return std::cosh(v);
    case Fn::Tanh: return std::tanh(v);
    case Fn::Asinh: return std::asinh(v);
    case Fn::Acosh: return std::acosh(v);
    case Fn::Atanh: return std::atanh(v);
    default: return v;
  }
}

void map_unary(Fn fn, const double* in, double* out, std::size_t n) {
  switch (fn) {
    case Fn::Exp: vecmath::map(vecmath::Func::Exp, in, out, n); break;
    case Fn::Log: vecmath::map(vecmath::Func::Log, in, out, n); break;
    case Fn::Sin: vecmath::map(vecmath::Func::Sin, in, out, n); break;
    case Fn::Cos: vecmath::map(vecmath::Func::Cos, in, out, n); break;
#define TRELVO_MAP(FN, EXPR)                                    \
  case Fn::FN:                                                  \
    for (std::size_t i = 0; i < n; ++i) {                       \
      const double v = in[i];                                   \
      out[i] = EXPR;                                            \
    }                                                           \
    break;
    TRELVO_MAP(Absolute, std::fabs(v))
    TRELVO_MAP(Sqrt, std::sqrt(v))
    TRELVO_MAP(Cbrt, std::cbrt(v))
    TRELVO_MAP(Log10, std::log10(v))
    TRELVO_MAP(Log2, std::log2(v))
    TRELVO_MAP(Tan, std::tan(v))
    TRELVO_MAP(Asin, std::asin(v))
    TRELVO_MAP(Acos, std::acos(v))
    TRELVO_MAP(Atan, std::atan(v))
    TRELVO_MAP(Sinh, std::sinh(v))
    TRELVO_MAP(Cosh, std::cosh(v))
    TRELVO_MAP(Tanh, std::tanh(v))
    TRELVO_MAP(Asinh, std::asinh(v))
    TRELVO_MAP(Acosh, std::acosh(v))
    TRELVO_MAP(Atanh, std::atanh(v))
#undef TRELVO_MAP
    default:
      for (std::size_t i = 0; i < n; ++i) out[i] = in[i];
  }
}

double np_minimum(double a, double b) { return (a <= b || std::isnan(a)) ? a : b; }
double np_maximum(double a, double b) { return (a >= b || std::isnan(a)) ? a : b; }

// ---------------------------------------------------------------- compiled form

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

}  // namespace

class CompiledExpression {
 public:
  std::string text;
  std::vector<std::string> names;
  std::vector<Node> nodes;  // in evaluation order (operands before their node)
  std::vector<int> call_args;
  bool elementwise = false;  // no operation needs a whole array at once

  mutable std::mutex pool_mutex;
  mutable std::vector<std::vector<double>> pool;
};

namespace {

// ---------------------------------------------------------------- tokens

[[noreturn]] void syntax_error(const std::string& message) {
  raise(ErrorKind::SyntaxError, message + " (<string>, line 1)");
}

enum class T : std::uint8_t { Num, Name, Op, LPar, RPar, Comma, Dot, Other, End };

struct Token {
  T t = T::End;
  BinOp op = BinOp::Add;
  bool unary_capable = false;  // "+" or "-"
  std::string text;
  Slot value;
};

locale_t c_locale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", nullptr);
  return loc;
}

bool ascii_name_start(unsigned char c) { return std::isalpha(c) || c == '_'; }
bool ascii_name_char(unsigned char c) { return std::isalnum(c) || c == '_'; }

// Decodes one UTF-8 code point at s[i]; returns its length (0 when invalid).
std::size_t decode_utf8(std::string_view s, std::size_t i, std::uint32_t& cp) {
  const utf8::Decoded d = utf8::decode(s, i);
  if (d.fault != utf8::Fault::None) return 0;
  cp = d.code_point;
  return d.length;
}

const PyRegex& identifier_start() {
  static const PyRegex r("^[\\p{L}\\p{Nl}_]");
  return r;
}
const PyRegex& identifier_char() {
  static const PyRegex r("^[\\p{L}\\p{Nl}\\p{Mn}\\p{Mc}\\p{Nd}\\p{Pc}]");
  return r;
}

std::string hex_code(std::uint32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", cp);
  return buf;
}

// Length of the identifier character at s[i] (ASCII or not), or 0.
std::size_t name_char_at(std::string_view s, std::size_t i, bool start) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return (start ? ascii_name_start(c) : ascii_name_char(c)) ? 1 : 0;
  std::uint32_t cp = 0;
  const std::size_t len = decode_utf8(s, i, cp);
  if (len == 0) return 0;
  const auto one = s.substr(i, len);
  return (start ? identifier_start() : identifier_char()).matches_anywhere(one) ? len : 0;
}

Token number_token(std::string_view s, std::size_t& i) {
  const std::size_t begin = i;
  std::string digits;
  bool is_float = false;
  auto digit_run = [&](bool required) {
    bool any = false;
    while (i < s.size()) {
      if (std::isdigit(static_cast<unsigned char>(s[i]))) {
        digits += s[i++];
        any = true;
      } else if (s[i] == '_' && any && i + 1 < s.size() &&
                 std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
        ++i;
      } else {
        break;
      }
    }
    if (required && !any) syntax_error("invalid decimal literal");
    return any;
  };
  const bool int_part = digit_run(false);
  if (i < s.size() && s[i] == '.') {
    is_float = true;
    digits += s[i++];
    if (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) digit_run(true);
    else if (!int_part) syntax_error("invalid syntax");
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t save = i;
    std::string save_digits = digits;
    digits += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) digits += s[i++];
    if (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      digit_run(true);
      is_float = true;
    } else {
      i = save;
      digits = save_digits;
      syntax_error("invalid decimal literal");
    }
  }
  if (i < s.size() && (s[i] == 'j' || s[i] == 'J')) syntax_error("complex numbers are not supported");
  if (i < s.size() && name_char_at(s, i, false)) syntax_error("invalid decimal literal");
  Token tok;
  tok.t = T::Num;
  tok.text = std::string(s.substr(begin, i - begin));
  if (!is_float) {
    if (digits.size() > 1 && digits[0] == '0' && digits.find_first_not_of('0') != std::string::npos)
      syntax_error(
          "leading zeros in decimal integer literals are not permitted; use an 0o prefix for "
          "octal integers");
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(digits.c_str(), &end, 10);
    if (errno != ERANGE) {
      tok.value = make_int(SK::Int, v);
      return tok;
    }
  }
  tok.value = make_float(SK::Float, strtod_l(digits.c_str(), nullptr, c_locale()));
  return tok;
}

std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> out;
  int level = 0;
  std::size_t i = 0;
  // Leading blanks and blank lines are ignored, as the host's eval does.
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\f' || s[i] == '\n' || s[i] == '\r')) ++i;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == ' ' || c == '\t' || c == '\f') { ++i; continue; }
    if (c == '\n' || c == '\r') {
      if (level > 0) { ++i; continue; }
      // A line end outside brackets ends the expression; only blank lines may follow.
      std::size_t j = i;
      while (j < s.size() && (s[j] == ' ' || s[j] == '\t' || s[j] == '\f' || s[j] == '\n' || s[j] == '\r'))
        ++j;
      if (j < s.size()) syntax_error("invalid syntax");
      break;
    }
    Token tok;
    if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      out.push_back(number_token(s, i));
      continue;
    }
    if (const std::size_t len = name_char_at(s, i, true)) {
      const std::size_t begin = i;
      i += len;
      while (i < s.size()) {
        const std::size_t more = name_char_at(s, i, false);
        if (!more) break;
        i += more;
      }
      tok.t = T::Name;
      tok.text = std::string(s.substr(begin, i - begin));
      out.push_back(std::move(tok));
      continue;
    }
    auto two = [&](char a, char b) { return s[i] == a && i + 1 < s.size() && s[i + 1] == b; };
    tok.t = T::Op;
    if (two('*', '*')) { tok.op = BinOp::Pow; tok.text = "**"; i += 2; }
    else if (two('/', '/')) { tok.op = BinOp::FloorDiv; tok.text = "//"; i += 2; }
    else if (c == '+') { tok.op = BinOp::Add; tok.unary_capable = true; tok.text = "+"; ++i; }
    else if (c == '-') { tok.op = BinOp::Sub; tok.unary_capable = true; tok.text = "-"; ++i; }
    else if (c == '*') { tok.op = BinOp::Mul; tok.text = "*"; ++i; }
    else if (c == '/') { tok.op = BinOp::Div; tok.text = "/"; ++i; }
    else if (c == '%') { tok.op = BinOp::Mod; tok.text = "%"; ++i; }
    else if (c == '(') {
      if (++level >= limits::kMaxExpressionDepth) syntax_error("too many nested parentheses");
      tok.t = T::LPar; tok.text = "("; ++i;
    } else if (c == ')') {
      if (level == 0) syntax_error("unmatched ')'");
      --level;
      tok.t = T::RPar; tok.text = ")"; ++i;
    } else if (c == ',') { tok.t = T::Comma; tok.text = ","; ++i; }
    else if (c == '.') { tok.t = T::Dot; tok.text = "."; ++i; }
    else if (c >= 0x80) {
      std::uint32_t cp = 0;
      const std::size_t len = decode_utf8(s, i, cp);
      if (len == 0) syntax_error("invalid character (bad UTF-8)");
      syntax_error("invalid character '" + std::string(s.substr(i, len)) + "' (" + hex_code(cp) + ")");
    } else if (c < 0x20 || c == 0x7f) {
      syntax_error("invalid non-printable character " + hex_code(c));
    } else {
      // Python tokens outside this grammar (comparisons, brackets, ...).
      tok.t = T::Other; tok.text = std::string(1, static_cast<char>(c)); ++i;
    }
    out.push_back(std::move(tok));
  }
  if (level > 0) syntax_error("'(' was never closed");
  out.push_back(Token{});
  return out;
}

// ---------------------------------------------------------------- parser

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
      } else if (name == "pi") {
        n.op = Op::Object;
        n.constant = make_object(Obj::Pi);
      } else if (name == "e") {
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

// ---------------------------------------------------------------- evaluation

class Evaluator {
 public:
  Evaluator(const CompiledExpression& c, std::vector<std::vector<double>>& pool)
      : c_(c), pool_(pool), slots_(c.nodes.size()) {
    for (std::size_t k = 0; k < pool_.size(); ++k) free_.push_back(static_cast<int>(k));
  }

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
  int acquire(std::size_t n) {
    if (n > limits::kMaxArrayLength) raise(ErrorKind::MemoryError, "array too large");
    int b;
    if (!free_.empty()) {
      b = free_.back();
      free_.pop_back();
    } else {
      pool_.emplace_back();
      b = static_cast<int>(pool_.size()) - 1;
    }
    pool_[b].resize(n);
    return b;
  }
  void release(Slot& s) {
    if (s.buf >= 0) free_.push_back(s.buf);
    s.buf = -1;
  }

  // An output array of length n: takes over an operand's buffer when it can.
  Slot output_array(std::size_t n, Slot& x, Slot* y) {
    Slot out;
    out.k = SK::Array;
    out.n = n;
    if (x.buf >= 0 && x.n == n) {
      out.buf = x.buf;
      x.buf = -1;
    } else if (y && y->buf >= 0 && y->n == n) {
      out.buf = y->buf;
      y->buf = -1;
    } else {
      out.buf = acquire(n);
    }
    out.p = pool_[out.buf].data();
    return out;
  }
  double* data(const Slot& s) { return pool_[s.buf].data(); }

  template <class Bind>
  Slot eval_node(const Node& n, Bind& bind) {
    switch (n.op) {
      case Op::Const:
      case Op::Object: return n.constant;
      case Op::Var: return bind(n.var);
      case Op::Unbound: raise(ErrorKind::NameError, "name '" + n.name + "' is not defined");
      case Op::Neg:
      case Op::Pos: return unary(n.op, slots_[n.a]);
      case Op::Binary: return binary(n.bin, slots_[n.a], slots_[n.b]);
      case Op::Attr: return attribute(slots_[n.a], n.name);
      case Op::Call: return call(n);
    }
    return {};
  }

  Slot unary(Op op, Slot& x) {
    if (x.k == SK::Object)
      raise(ErrorKind::TypeError,
            std::string("bad operand type for unary ") + (op == Op::Neg ? "-" : "+") + ": '" +
                type_name(x) + "'");
    if (op == Op::Pos) {
      Slot out = x;
      x.buf = -1;
      return out;
    }
    switch (x.k) {
      case SK::Int:
        if (x.i == std::numeric_limits<std::int64_t>::min())
          return make_float(SK::Float, -static_cast<double>(x.i));
        return make_int(SK::Int, -x.i);
      case SK::NpInt:
        if (x.i == std::numeric_limits<std::int64_t>::min())
          return make_float(SK::NpFloat, -static_cast<double>(x.i));
        return make_int(SK::NpInt, -x.i);
      case SK::Float:
      case SK::NpFloat: return make_float(x.k, -x.f);
      default: break;
    }
    Slot out = output_array(x.n, x, nullptr);
    double* o = data(out);
    for (std::size_t i = 0; i < x.n; ++i) o[i] = -x.p[i];
    release(x);
    return out;
  }

  std::size_t broadcast_length(const Slot& x, const Slot& y) {
    if (!x.is_array()) return y.n;
    if (!y.is_array()) return x.n;
    if (x.n == y.n || y.n == 1) return x.n;
    if (x.n == 1) return y.n;
    raise(ErrorKind::ValueError, "operands could not be broadcast together with shapes (" +
                                     std::to_string(x.n) + ",) (" + std::to_string(y.n) + ",) ");
  }

  template <class F>
  void loop2(const Slot& x, const Slot& y, double* o, std::size_t n, F f) {
    const bool xa = x.is_array() && x.n == n && n != 1;
    const bool ya = y.is_array() && y.n == n && n != 1;
    if (xa && ya) {
      for (std::size_t i = 0; i < n; ++i) o[i] = f(x.p[i], y.p[i]);
    } else if (xa) {
      const double b = y.scalar();
      for (std::size_t i = 0; i < n; ++i) o[i] = f(x.p[i], b);
    } else if (ya) {
      const double a = x.scalar();
      for (std::size_t i = 0; i < n; ++i) o[i] = f(a, y.p[i]);
    } else if (n == 1) {
      o[0] = f(x.scalar(), y.scalar());
    }
  }

  Slot array_binary(BinOp op, Slot& x, Slot& y) {
    const std::size_t n = broadcast_length(x, y);
    // Operand values must be read before the output may reuse their buffers;
    // element-wise loops read index i before writing it, so aliasing is safe.
    Slot xs = x, ys = y;
    Slot out = output_array(n, x, &y);
    double* o = data(out);
    switch (op) {
      case BinOp::Add: loop2(xs, ys, o, n, [](double a, double b) { return a + b; }); break;
      case BinOp::Sub: loop2(xs, ys, o, n, [](double a, double b) { return a - b; }); break;
      case BinOp::Mul: loop2(xs, ys, o, n, [](double a, double b) { return a * b; }); break;
      case BinOp::Div: loop2(xs, ys, o, n, [](double a, double b) { return a / b; }); break;
      case BinOp::FloorDiv: loop2(xs, ys, o, n, np_floordiv); break;
      case BinOp::Mod: loop2(xs, ys, o, n, np_mod); break;
      case BinOp::Pow:
        if (xs.is_array() && !ys.is_array()) {
          const double b = ys.scalar();
          if (b == 2.0) { loop2(xs, ys, o, n, [](double a, double) { return a * a; }); break; }
          if (b == 0.5) { loop2(xs, ys, o, n, [](double a, double) { return std::sqrt(a); }); break; }
          if (b == 1.0) { loop2(xs, ys, o, n, [](double a, double) { return a; }); break; }
          if (b == -1.0) { loop2(xs, ys, o, n, [](double a, double) { return 1.0 / a; }); break; }
        }
        loop2(xs, ys, o, n, [](double a, double b) { return std::pow(a, b); });
        break;
    }
    release(x);
    release(y);
    return out;
  }

  Slot binary(BinOp op, Slot& x, Slot& y) {
    if (x.k == SK::Object || y.k == SK::Object)
      raise(ErrorKind::TypeError, std::string("unsupported operand type(s) for ") + symbol(op) + ": '" +
                                      type_name(x) + "' and '" + type_name(y) + "'");
    if (x.is_array() || y.is_array()) return array_binary(op, x, y);
    const bool py_x = x.k == SK::Int || x.k == SK::Float;
    const bool py_y = y.k == SK::Int || y.k == SK::Float;
    if (x.k == SK::Int && y.k == SK::Int) return py_int_op(op, x.i, y.i);
    if (py_x && py_y) return py_float_op(op, x.scalar(), y.scalar());
    const bool int_x = x.k == SK::Int || x.k == SK::NpInt;
    const bool int_y = y.k == SK::Int || y.k == SK::NpInt;
    if (int_x && int_y) return np_int_op(op, x.i, y.i);
    return make_float(SK::NpFloat, np_float(op, x.scalar(), y.scalar()));
  }

  Slot attribute(const Slot& x, const std::string& name) {
    if (x.k == SK::Object && x.obj == Obj::Numpy) {
      for (const auto& f : kNumpyFunctions)
        if (name == f.attr) return make_object(Obj::Fn, f.fn);
      raise(ErrorKind::AttributeError, "module 'numpy' has no attribute '" + name + "'");
    }
    raise(ErrorKind::AttributeError, "'" + type_name(x) + "' object has no attribute '" + name + "'");
  }

  [[noreturn]] void arg_count(const char* name, int low, int high, int given) {
    std::string m = std::string(name) + "() takes ";
    if (low == high)
      m += std::to_string(low);
    else
      m += "from " + std::to_string(low) + " to " + std::to_string(high);
    m += " positional argument";
    if (high != 1) m += "s";
    m += " but " + std::to_string(given) + (given == 1 ? " was" : " were") + " given";
    raise(ErrorKind::TypeError, m);
  }

  Slot call(const Node& n) {
    Slot& callee = slots_[n.a];
    if (callee.k != SK::Object || callee.obj == Obj::Numpy)
      raise(ErrorKind::TypeError, "'" + type_name(callee) + "' object is not callable");
    const int* args = c_.call_args.data() + n.arg0;
    for (int k = 0; k < n.nargs; ++k)
      if (slots_[args[k]].k == SK::Object)
        raise(ErrorKind::TypeError, "unsupported operand type for " +
                                        std::string(callee.obj == Obj::Fn ? numpy_function(callee.fn).name
                                                                          : (callee.obj == Obj::Pi ? "pi" : "e")) +
                                        "(): '" + type_name(slots_[args[k]]) + "'");
    if (callee.obj == Obj::Pi || callee.obj == Obj::E) {
      const char* name = callee.obj == Obj::Pi ? "pi" : "e";
      if (n.nargs != 0) arg_count(name, 0, 0, n.nargs);
      return make_float(SK::Float, callee.obj == Obj::Pi ? 3.141592653589793 : 2.718281828459045);
    }
    const Fn fn = callee.fn;
    const char* name = numpy_function(fn).name;
    if (fn == Fn::Min || fn == Fn::Max) return min_max(fn, args, n.nargs);
    if (fn == Fn::Pow) {
      if (n.nargs == 3) raise(ErrorKind::TypeError, "return arrays must be of ArrayType");
      if (n.nargs != 2) arg_count(name, 2, 3, n.nargs);
      return np_power(slots_[args[0]], slots_[args[1]]);
    }
    if (n.nargs == 2) raise(ErrorKind::TypeError, "return arrays must be of ArrayType");
    if (n.nargs != 1) arg_count(name, 1, 2, n.nargs);
    Slot& x = slots_[args[0]];
    if (!x.is_array()) {
      if (fn == Fn::Absolute && (x.k == SK::Int || x.k == SK::NpInt)) {
        if (x.i == std::numeric_limits<std::int64_t>::min()) return make_float(SK::NpFloat, -static_cast<double>(x.i));
        return make_int(SK::NpInt, x.i < 0 ? -x.i : x.i);
      }
      return make_float(SK::NpFloat, apply_unary(fn, x.scalar()));
    }
    Slot xs = x;
    Slot out = output_array(x.n, x, nullptr);
    map_unary(fn, xs.p, data(out), xs.n);
    release(x);
    return out;
  }

  Slot np_power(Slot& x, Slot& y) {
    if (x.is_array() || y.is_array()) return array_binary(BinOp::Pow, x, y);
    const bool int_x = x.k == SK::Int || x.k == SK::NpInt;
    const bool int_y = y.k == SK::Int || y.k == SK::NpInt;
    if (int_x && int_y) return np_int_op(BinOp::Pow, x.i, y.i);
    return make_float(SK::NpFloat, std::pow(x.scalar(), y.scalar()));
  }

  // One argument: NumPy's reduction. Several: element-wise minimum/maximum.
  Slot min_max(Fn fn, const int* args, int nargs) {
    const bool is_min = fn == Fn::Min;
    if (nargs == 0)
      raise(ErrorKind::TypeError, std::string(is_min ? "min" : "max") +
                                      "() missing 1 required positional argument: 'a'");
    if (nargs == 1) {
      Slot& x = slots_[args[0]];
      if (x.k == SK::Int || x.k == SK::NpInt) return make_int(SK::NpInt, x.i);
      if (!x.is_array()) return make_float(SK::NpFloat, x.f);
      if (x.n == 0)
        raise(ErrorKind::ValueError, std::string("zero-size array to reduction operation ") +
                                         (is_min ? "minimum" : "maximum") + " which has no identity");
      double r = x.p[0];
      for (std::size_t i = 1; i < x.n; ++i) r = is_min ? np_minimum(r, x.p[i]) : np_maximum(r, x.p[i]);
      release(x);
      return make_float(SK::NpFloat, r);
    }
    Slot acc = slots_[args[0]];
    slots_[args[0]].buf = -1;
    for (int k = 1; k < nargs; ++k) {
      Slot& y = slots_[args[k]];
      if (acc.is_array() || y.is_array()) {
        const std::size_t n = broadcast_length(acc, y);
        Slot xs = acc, ys = y;
        Slot out = output_array(n, acc, &y);
        if (is_min)
          loop2(xs, ys, data(out), n, np_minimum);
        else
          loop2(xs, ys, data(out), n, np_maximum);
        release(acc);
        release(y);
        acc = out;
      } else if ((acc.k == SK::Int || acc.k == SK::NpInt) && (y.k == SK::Int || y.k == SK::NpInt)) {
        acc = make_int(SK::NpInt, is_min ? std::min(acc.i, y.i) : std::max(acc.i, y.i));
      } else {
        const double a = acc.scalar(), b = y.scalar();
        acc = make_float(SK::NpFloat, is_min ? np_minimum(a, b) : np_maximum(a, b));
      }
    }
    if (!acc.is_array() && acc.k == SK::Int) acc.k = SK::NpInt;
    if (acc.k == SK::Float) acc.k = SK::NpFloat;
    return acc;
  }

  Value to_value(const Slot& s) {
    switch (s.k) {
      case SK::Int: return Value::integer(s.i);
      case SK::Float: return Value::real(s.f);
      case SK::NpInt: return Value::np_integer(s.i);
      case SK::NpFloat: return Value::np_real(s.f);
      case SK::Array: return Value::array(std::vector<double>(s.p, s.p + s.n));
      case SK::Object: break;
    }
    raise(ErrorKind::TypeError, "the expression gives a '" + type_name(s) + "', not a number");
  }

  const CompiledExpression& c_;
  std::vector<std::vector<double>>& pool_;
  std::vector<Slot> slots_;
  std::vector<int> free_;
};

Slot slot_of(const Value& v) {
  switch (v.kind) {
    case Value::Kind::Int: return make_int(SK::Int, v.i);
    case Value::Kind::NpInt: return make_int(SK::NpInt, v.i);
    case Value::Kind::Float: return make_float(SK::Float, v.f);
    case Value::Kind::NpFloat: return make_float(SK::NpFloat, v.f);
    case Value::Kind::Array: break;
  }
  Slot s;
  s.k = SK::Array;
  s.p = v.a.data();
  s.n = v.a.size();
  return s;
}

// run(evaluator) with the expression's work buffers, or with buffers of its
// own while another caller holds them.
template <class Run>
Value with_evaluator(const CompiledExpression& c, Run run) {
  std::unique_lock lock(c.pool_mutex, std::try_to_lock);
  if (lock.owns_lock()) {
    Evaluator ev(c, c.pool);
    return run(ev);
  }
  std::vector<std::vector<double>> local;
  Evaluator ev(c, local);
  return run(ev);
}

template <class Bind>
Value evaluate(const CompiledExpression& c, Bind bind) {
  return with_evaluator(c, [&](Evaluator& ev) { return ev.run(bind); });
}

// Arrays longer than this are evaluated in blocks that stay in the cache.
constexpr std::size_t kBlockLength = 2048;

// Whether every operation of the expression is element-wise: np.min and
// np.max may reduce an array, everything else maps element by element.
bool is_elementwise(const CompiledExpression& c) {
  for (const Node& n : c.nodes)
    if (n.op == Op::Attr && (n.name == "min" || n.name == "max")) return false;
  return true;
}

}  // namespace

Expression Expression::compile(const std::string& text, const std::vector<std::string>& names) {
  if (text.size() > limits::kMaxExpressionBytes) syntax_error("expression is too long");
  auto c = std::make_shared<CompiledExpression>();
  c->text = text;
  c->names = names;
  Parser(tokenize(text), *c).parse();
  c->elementwise = is_elementwise(*c);
  Expression e;
  e.impl_ = std::move(c);
  return e;
}

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(const Expression&) = default;
Expression& Expression::operator=(const Expression&) = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;

namespace {
const CompiledExpression& require(const std::shared_ptr<const CompiledExpression>& impl) {
  if (!impl) raise(ErrorKind::ValueError, "expression is not compiled");
  return *impl;
}
void require_count(const CompiledExpression& c, std::size_t given) {
  if (given != c.names.size())
    raise(ErrorKind::TypeError, "the expression takes " + std::to_string(c.names.size()) +
                                    " values but " + std::to_string(given) + " were given");
}
}  // namespace

Value Expression::eval(std::span<const Value> values) const {
  const CompiledExpression& c = require(impl_);
  require_count(c, values.size());
  std::vector<Slot> bound;
  bound.reserve(values.size());
  for (const Value& v : values) bound.push_back(slot_of(v));
  return evaluate(c, [&](int k) { return bound[k]; });
}

Value Expression::eval_model(double x, std::span<const double> params) const {
  const CompiledExpression& c = require(impl_);
  require_count(c, params.size() + 1);
  return evaluate(c, [&](int k) {
    return make_float(SK::Float, k == 0 ? x : params[k - 1]);
  });
}

Value Expression::eval_model(std::span<const double> x, std::span<const double> params) const {
  const CompiledExpression& c = require(impl_);
  require_count(c, params.size() + 1);
  auto bind = [&](int k, std::size_t offset, std::size_t length) {
    if (k > 0) return make_float(SK::NpFloat, params[k - 1]);
    Slot s;
    s.k = SK::Array;
    s.p = x.data() + offset;
    s.n = length;
    return s;
  };
  if (c.elementwise && x.size() > kBlockLength && x.size() <= limits::kMaxArrayLength)
    return with_evaluator(c, [&](Evaluator& ev) { return ev.run_blocks(x.size(), kBlockLength, bind); });
  return evaluate(c, [&](int k) { return bind(k, 0, x.size()); });
}

const std::vector<std::string>& Expression::names() const { return require(impl_).names; }
const std::string& Expression::text() const { return require(impl_).text; }

}  // namespace trelvo
