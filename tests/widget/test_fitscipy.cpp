// The window's coefficients for every model kind against NumPy's polyfit /
// lstsq and SciPy's curve_fit on the same (noisy) data, to the shown digits.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cmath>

#include "fitcore/numtext.h"
#include "fitflow_fixture.h"

using trelvo::test::FitflowTest;

namespace {

struct ScipyCase {
  const char* name;
  int kind;
  const char* reference;  // the reference script's kind
  double x0, dx;
  int n;
  double (*f)(double);
  int degree = 2;
  std::optional<double> fixed;  // intercept y0 or fixed a
  QJsonValue p0 = QJsonValue();  // curve_fit's start: all ones when unset
};

void PrintTo(const ScipyCase& c, std::ostream* os) { *os << c.name; }

// Small deterministic noise, so that no fit is exact.
double noise(int i) { return 0.02 * std::sin(7.3 * i + 0.4); }

std::vector<double> referenceFor(const ScipyCase& c, const std::vector<double>& x, const std::vector<double>& y) {
  QJsonObject request{{"kind", c.reference}, {"degree", c.degree}};
  QJsonArray jx, jy;
  for (double v : x) jx.append(v);
  for (double v : y) jy.append(v);
  request["x"] = jx;
  request["y"] = jy;
  if (c.fixed) {
    request["y0"] = *c.fixed;
    request["a"] = *c.fixed;
  }
  if (!c.p0.isNull()) request["p0"] = c.p0;
  const QString script = QString::fromLocal8Bit(qgetenv("TRELVO_SOURCE_DIR")) + "/tests/widget/fitflow_reference.py";
  QProcess python;
  python.start("/usr/bin/python3", {script});
  if (!python.waitForStarted(10000)) return {};
  python.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + "\n");
  python.closeWriteChannel();
  if (!python.waitForFinished(60000)) return {};
  const QByteArray err = python.readAllStandardError();
  if (!err.isEmpty()) ADD_FAILURE() << err.toStdString();
  std::vector<double> out;
  for (const QJsonValue& v : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) out.push_back(v.toDouble());
  return out;
}

class AgainstScipy : public FitflowTest, public ::testing::WithParamInterface<ScipyCase> {};

TEST_P(AgainstScipy, SameCoefficientsToTheShownDigits) {
  const ScipyCase& c = GetParam();
  std::vector<double> x, y;
  for (int i = 0; i < c.n; ++i) {
    x.push_back(c.x0 + c.dx * i);
    y.push_back(c.f(x.back()) + noise(i));
  }
  const std::vector<double> ref = referenceFor(c, x, y);
  ASSERT_FALSE(ref.empty()) << "no reference from /usr/bin/python3";

  setData(x, y);
  ui().numberSpin->setValue(c.degree);
  ui().interceptCheck->setChecked(c.fixed.has_value());
  if (c.fixed) ui().interceptIn->setText(QString::number(*c.fixed, 'g', 17));
  ui().funcInput->setText("c*x^2+a*sin(x)+b");
  fit(c.kind);
  ASSERT_TRUE(boxes.empty()) << boxes[0].text.toStdString();

  QStringList expected{outputValues().value(0)};  // R² is the window's own
  for (double v : ref) expected << QString::fromStdString(trelvo::format_e(v, 6));
  EXPECT_EQ(outputValues(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, AgainstScipy,
    ::testing::Values(
        ScipyCase{"polynomial_degree2", 0, "polynomial", 1, 1, 12, [](double x) { return 0.5 + 1.2 * x - 0.05 * x * x; }},
        ScipyCase{"polynomial_degree4", 0, "polynomial", -2, 0.5, 15,
                  [](double x) { return 1 - x + 0.3 * x * x * x - 0.01 * x * x * x * x; }, 4},
        ScipyCase{"polynomial_fixed_y0", 0, "polynomial_y0", 1, 1, 12,
                  [](double x) { return 0.3 + 0.7 * x - 0.2 * x * x + 0.01 * x * x * x; }, 3, 0.3},
        // Data on which the solution is settled far below the shown digits: on
        // flatter data curve_fit's own answer moves in the 7th digit between
        // np.exp and math.exp.
        ScipyCase{"exponential", 1, "exponential", -2, 0.25, 25, [](double x) { return 1 + 2 * std::exp(0.8 * x); }},
        ScipyCase{"exponential2", 2, "exponential2", 0, 0.5, 9, [](double x) { return 2 * std::exp(0.5 * x); }},
        ScipyCase{"exponential2_fixed_a", 2, "exponential2_a", 0, 0.5, 9,
                  [](double x) { return 2 * std::exp(0.5 * x); }, 2, 1.9},
        ScipyCase{"logarithmic", 3, "logarithmic", 1, 1, 12, [](double x) { return 1.5 - 2 * std::log(x); }},
        ScipyCase{"power", 4, "power", 1, 1, 12, [](double x) { return 2 * std::pow(x, 0.5); }},
        ScipyCase{"custom", 5, "custom", 0, 0.5, 20,
                  [](double x) { return 3 * x * x + 1.5 * std::sin(x) + 2; }}),
    [](const auto& info) { return std::string(info.param.name); });

// Data on which curve_fit from all ones settles far from the least-squares
// fit: the window keeps the fit from the data's start, which equals
// curve_fit started there (or, for the decay, near the answer).
struct StartCase {
  const char* name;
  int kind;
  const char* reference;
  std::vector<double> x, y;
  QJsonValue p0;
  double minR2;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

std::vector<double> powerLaw(const std::vector<double>& x, double a, double b) {
  std::vector<double> y;
  for (std::size_t i = 0; i < x.size(); ++i) y.push_back(a * std::pow(x[i], b) * (1 + 0.01 * std::sin(7.3 * i + 0.4)));
  return y;
}

std::vector<double> evenly(double from, double to, int n) {
  std::vector<double> x;
  for (int i = 0; i < n; ++i) x.push_back(from + (to - from) * i / (n - 1));
  return x;
}

class DataStart : public FitflowTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(DataStart, KeepsTheLeastSquaresFit) {
  const StartCase& c = GetParam();
  ScipyCase request{c.name, c.kind, c.reference, 0, 0, 0, nullptr};
  request.p0 = c.p0;
  const std::vector<double> ref = referenceFor(request, c.x, c.y);
  ASSERT_FALSE(ref.empty()) << "no reference from /usr/bin/python3";
  setData(c.x, c.y);
  fit(c.kind);
  ASSERT_TRUE(boxes.empty()) << boxes[0].text.toStdString();
  EXPECT_GE(w().fit_class->r_squared(), c.minR2);
  const std::vector<double> got = *w().fit_class->params();
  ASSERT_EQ(got.size(), ref.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], ref[i], 1e-6 * std::fabs(ref[i])) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DataStart,
    ::testing::Values(
        // A textbook decay; from all ones a + b·e^(c·x) ends as a straight
        // line (a ~ 1.6e5, b ~ -1.6e5, R² 0.745).
        StartCase{"exponential_decay", 1, "exponential", evenly(1, 10, 10),
                  {63.42, 39.35, 26.6, 17.56, 13.3, 9.53, 7.97, 6.34, 6.36, 5.54}, QJsonArray{5.0, 96.0, -0.5}, 0.999},
        // From all ones a·e^(b·x) on a steep power law stays at b = 1.
        StartCase{"exponential2_power_law", 2, "exponential2", evenly(1, 100, 12), powerLaw(evenly(1, 100, 12), 50, -3),
                  "loglinear", 0.9},
        // From all ones a·x^b ends at b = -43 on x^-4 data.
        StartCase{"power_steep", 4, "power", evenly(1, 20, 15), powerLaw(evenly(1, 20, 15), 1e6, -4), "loglinear",
                  0.999}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
