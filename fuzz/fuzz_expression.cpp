// links: fitcore
// Drives the expression gate and the evaluator with arbitrary text: the gate
// must accept or refuse with a ValueError, and accepted text (or any text,
// given straight to the evaluator) must compile and evaluate or fail with a
// trelvo::Error, in bounded time and memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fitcore/errors.h"
#include "fitcore/evaluator.h"
#include "fitcore/expression.h"

namespace {

void evaluate(const std::string& text, const std::vector<std::string>& names) {
  try {
    const trelvo::Expression ex = trelvo::Expression::compile(text, names);
    std::vector<trelvo::Value> values;
    for (std::size_t k = 0; k < names.size(); ++k)
      values.push_back(k % 2 ? trelvo::Value::integer(static_cast<std::int64_t>(k) - 1)
                             : trelvo::Value::array({-1.5, 0.0, 2.0}));
    ex.eval(values);
    if (!names.empty()) {
      const std::vector<double> xs = {-2.0, 0.0, 0.5, 3.0};
      const std::vector<double> params(names.size() - 1, 0.75);
      ex.eval_model(xs, params);
      ex.eval_model(1.25, params);
    }
  } catch (const trelvo::Error&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool have_x = data[0] & 1;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> names = {"x", "a", "b"};
  try {
    auto [converted, found] = parse_expression(text, have_x);
    if (!have_x) found.insert(found.begin(), "x");
    evaluate(converted, found);
    names = found;
  } catch (const trelvo::Error& e) {
    if (e.kind() != trelvo::ErrorKind::ValueError) __builtin_trap();
  }
  evaluate(text, names);
  return 0;
}
