#include "fitcore/blockevaluator.h"

#include <cstdint>
#include <limits>
#include <string>

#include "fitcore/limits.h"
#include "fitcore/ufunc.h"
#include "fitcore/vecmath.h"

namespace trelvo::expr {
namespace {

// o[i] = f(x[i], y[i]) for i < n, a scalar or one-element operand standing
// for every i.
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

// o[i] = pow(x[i], y[i]) on the vector pow, broadcast as loop2 does.
void vector_pow(const Slot& x, const Slot& y, double* o, std::size_t n) {
  const bool xa = x.is_array() && x.n == n && n != 1;
  const bool ya = y.is_array() && y.n == n && n != 1;
  if (xa && ya)
    vecmath::map_pow(x.p, y.p, o, n);
  else if (xa)
    vecmath::map_pow(x.p, y.scalar(), o, n);
  else if (ya)
    vecmath::map_pow(x.scalar(), y.p, o, n);
  else if (n == 1)
    o[0] = vecmath::apply_pow(x.scalar(), y.scalar());
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

struct SlotLender {
  std::vector<Slot> slots;
  bool lent = false;
};

SlotLender& slot_lender() {
  thread_local SlotLender lender;
  return lender;
}

}  // namespace

SlotList::SlotList(std::size_t n) {
  SlotLender& lender = slot_lender();
  if (!lender.lent) {
    // Grown, never shrunk; every slot is written before it is read.
    if (lender.slots.size() < n) lender.slots.resize(n);
    lender.lent = true;
    borrowed_ = true;
    data_ = lender.slots.data();
    return;
  }
  own_.resize(n);
  data_ = own_.data();
}

SlotList::~SlotList() {
  if (borrowed_) slot_lender().lent = false;
}

int Evaluator::acquire(std::size_t n) {
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

void Evaluator::release(Slot& s) {
  if (s.buf >= 0) free_.push_back(s.buf);
  s.buf = -1;
}

Slot Evaluator::output_array(std::size_t n, Slot& x, Slot* y) {
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

Slot Evaluator::unary(Op op, Slot& x) {
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

std::size_t Evaluator::broadcast_length(const Slot& x, const Slot& y) {
  if (!x.is_array()) return y.n;
  if (!y.is_array()) return x.n;
  if (x.n == y.n || y.n == 1) return x.n;
  if (x.n == 1) return y.n;
  raise(ErrorKind::ValueError, "operands could not be broadcast together with shapes (" +
                                   std::to_string(x.n) + ",) (" + std::to_string(y.n) + ",) ");
}

Slot Evaluator::array_binary(BinOp op, Slot& x, Slot& y) {
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
      vector_pow(xs, ys, o, n);
      break;
  }
  release(x);
  release(y);
  return out;
}

Slot Evaluator::binary(BinOp op, Slot& x, Slot& y) {
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

Slot Evaluator::attribute(const Slot& x, std::string_view name) {
  if (x.k == SK::Object && x.obj == Obj::Numpy) {
    for (std::size_t k = 0; k < kNumpyFunctionCount; ++k)
      if (name == kFunctions[k].attr) return make_object(Obj::Fn, static_cast<Fn>(k));
    raise(ErrorKind::AttributeError, "module 'numpy' has no attribute '" + std::string(name) + "'");
  }
  raise(ErrorKind::AttributeError, "'" + type_name(x) + "' object has no attribute '" + std::string(name) + "'");
}

Slot Evaluator::call(const Node& n) {
  Slot& callee = slots_[n.a];
  if (callee.k != SK::Object || callee.obj == Obj::Numpy)
    raise(ErrorKind::TypeError, "'" + type_name(callee) + "' object is not callable");
  const int* args = c_.call_args.data() + n.arg0;
  for (int k = 0; k < n.nargs; ++k)
    if (slots_[args[k]].k == SK::Object)
      raise(ErrorKind::TypeError, "unsupported operand type for " +
                                      std::string(callee.obj == Obj::Fn ? function_row(callee.fn).numpy_name
                                                                        : (callee.obj == Obj::Pi ? kPi : kE).name) +
                                      "(): '" + type_name(slots_[args[k]]) + "'");
  if (callee.obj == Obj::Pi || callee.obj == Obj::E) {
    const FunctionRow& constant = callee.obj == Obj::Pi ? kPi : kE;
    if (n.nargs != 0) arg_count(constant.name.data(), 0, 0, n.nargs);
    return make_float(SK::Float, constant.value);
  }
  const Fn fn = callee.fn;
  const char* name = function_row(fn).numpy_name.data();
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

Slot Evaluator::np_power(Slot& x, Slot& y) {
  if (x.is_array() || y.is_array()) return array_binary(BinOp::Pow, x, y);
  const bool int_x = x.k == SK::Int || x.k == SK::NpInt;
  const bool int_y = y.k == SK::Int || y.k == SK::NpInt;
  if (int_x && int_y) return np_int_op(BinOp::Pow, x.i, y.i);
  return make_float(SK::NpFloat, std::pow(x.scalar(), y.scalar()));
}

Slot Evaluator::min_max(Fn fn, const int* args, int nargs) {
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

Value Evaluator::to_value(const Slot& s) {
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

}  // namespace trelvo::expr
