// trelvo-fitcore-demo: the fitting engine on a fixed data set. Prints the
// polynomial fit, the non-linear fit of a model expression and four parsed
// expressions, plotting each fit.
#include <QApplication>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "fitcore/expression.h"
#include "fitcore/linearfit.h"
#include "fitcore/nonlinearfit.h"
#include "fitcore/numtext.h"
#include "fitcore/strrepr.h"
#include "plotwindow.h"

namespace {

const std::vector<double> x_data{2, 4, 6, 8, 10};
const std::vector<double> y_data{0.1, 0.6, 1.5, 2.5, 3.5};
const std::vector<double> y_old{0.2, 1.3, 2.4, 3.6};

void print(const std::string& line) { std::cout << line << '\n' << std::flush; }

std::string floats(const std::vector<double>& v) { return trelvo::repr_double_list(v); }

// The host's text of one solveval result: a float, None or the record.
std::string solution_text(const trelvo::Solution& s) {
  switch (s.kind) {
    case trelvo::Solution::Kind::Value: return trelvo::repr_double(s.x);
    case trelvo::Solution::Kind::None: return "None";
    case trelvo::Solution::Kind::Multiple:
      return "{'x': " + floats(s.xs) + ", 'y': " + trelvo::repr_double(s.y) + "}";
  }
  return "None";
}

std::string solutions_text(const std::vector<trelvo::Solution>& v) {
  std::string s = "[";
  for (size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + solution_text(v[i]);
  return s + "]";
}

void test_linear_fit() {
  LinearFit poly_fit(x_data, y_data, 2, std::nullopt, std::vector<bool>(x_data.size(), true));
  const auto params = poly_fit.fit();
  print("Fitted parameters :  " + floats(params));
  print("Formula : [y = " + poly_fit.formula("x", 8, true) + "].");
  const auto y_pred = poly_fit.ylist();
  print("Predicted y values :  " + floats(y_pred));
  print("R-squared :  " + trelvo::repr_double(poly_fit.r_squared()));
  const auto x_new = poly_fit.solve(y_old, false);
  print("Predicted x " + solutions_text(x_new) + " values for given y data " + floats(y_old) + " .");
  print("Solve x " + solution_text(poly_fit.solveval(0.35)) + " value for y = 0.35.");
  print("Y = " + trelvo::repr_double(poly_fit.yval(3)) + " at given X = 3 ");
  demo::show_plot(x_data, y_data, y_pred);
}

void test_non_linear_fit() {
  NonLinearFit nonl_fit = NonLinearFit::from_expr(x_data, y_data, "a * x**2 + b * x + c");
  const auto params = nonl_fit.fit();
  print("initial p0 :  " + (nonl_fit.p0 ? floats(*nonl_fit.p0) : std::string("None")));
  print("Fitted parameters :  " + floats(params));
  const auto source = nonl_fit.source();
  print("Source Code : " + source.value_or("None"));
  print("Arguments : " + trelvo::repr_str_list(nonl_fit.args()));
  const auto y_pred = nonl_fit.ylist();
  print("Predicted y values :  " + floats(y_pred));
  print("R-squared :  " + trelvo::repr_double(nonl_fit.r_squared()));
  const auto x_new = nonl_fit.solve(y_old, false);
  print("Predicted x " + floats(x_new) + " values for given y data " + floats(y_old) + " . ");
  print("Solve x " + trelvo::repr_double(nonl_fit.solveval(0.35)) + " value for y = 0.35.");
  print("Y = " + trelvo::repr_double(nonl_fit.yval(3).as_double()) + " at given X = 3 ");
  demo::show_plot(x_data, y_data, y_pred);
}

void test_parse_expression() {
  for (const char* expression : {"a * x^2 + 66e-6 * x + c", "a * sin(x^2) + 1.73e+6 * x + c", "aa + ba * x",
                                 "aa + ba * x + (-27e+6) * x**2"}) {
    const auto [func, params] = parse_expression(expression);
    print(func + " " + trelvo::repr_str_list(params));
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  print("Original x_data :  [2, 4, 6, 8, 10]");
  print("Original y_data :  " + floats(y_data));
  print("----- Linear Fit Test -----");
  test_linear_fit();
  print("----- End of Linear Fit Test -----");
  print("----- Non-Linear Fit Test -----");
  test_non_linear_fit();
  print("----- End of Non-Linear Fit Test -----");
  print("----- Parse Expression Test -----");
  test_parse_expression();
  print("----- End of Parse Expression Test -----");
  return 0;
}
