#include "fitcore/pyarith.h"

#include <limits>

#include "fitcore/errors.h"

namespace trelvo::expr {
namespace {

[[noreturn]] void zero_division(const char* message) { raise(ErrorKind::ZeroDivisionError, message); }

bool is_odd_integer(double v) { return std::fmod(std::fabs(v), 2.0) == 1.0; }

// a + b, a - b or a * b: an int of kind `int_kind` within 64 bits, else the
// float of kind `float_kind` that float arithmetic gives.
Slot checked_int_op(BinOp op, std::int64_t a, std::int64_t b, SK int_kind, SK float_kind) {
  std::int64_t r = 0;
  const double da = static_cast<double>(a), db = static_cast<double>(b);
  switch (op) {
    case BinOp::Add:
      if (__builtin_add_overflow(a, b, &r)) return make_float(float_kind, da + db);
      return make_int(int_kind, r);
    case BinOp::Sub:
      if (__builtin_sub_overflow(a, b, &r)) return make_float(float_kind, da - db);
      return make_int(int_kind, r);
    default:
      if (__builtin_mul_overflow(a, b, &r)) return make_float(float_kind, da * db);
      return make_int(int_kind, r);
  }
}

}  // namespace

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

Slot py_int_op(BinOp op, std::int64_t a, std::int64_t b) {
  const double da = static_cast<double>(a), db = static_cast<double>(b);
  switch (op) {
    case BinOp::Add:
    case BinOp::Sub:
    case BinOp::Mul: return checked_int_op(op, a, b, SK::Int, SK::Float);
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

Slot np_int_op(BinOp op, std::int64_t a, std::int64_t b) {
  const double da = static_cast<double>(a);
  switch (op) {
    case BinOp::Add:
    case BinOp::Sub:
    case BinOp::Mul: return checked_int_op(op, a, b, SK::NpInt, SK::NpFloat);
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

}  // namespace trelvo::expr
