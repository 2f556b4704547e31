// The cost of what a load does once per distinct formula text: the check and
// rewrite (FormulaCache::parse, over parse_expression) and the compile of the
// rewritten text (Expression::compile), in nanoseconds per character of
// formula text, for long texts of several shapes; and the cost per cell of
// short formulas like =A1*2, each its own text. Every text of a case is
// distinct, as the texts of a load's cells are. Times are the thread's CPU
// time, which other work on a shared machine disturbs less than the clock.
#include <QLoggingCategory>
#include <QString>

#include <time.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fitcore/evaluator.h"
#include "sheetgriditem/formulacache.h"

namespace {

constexpr int kLongLength = 60000;
// Mixed terms grow by a third when rewritten: this keeps the rewritten text
// within the evaluator's length limit.
constexpr int kMixedLength = 45000;

// =min(k,1,1,...): one call of 30,000 arguments.
QString min_formula(int k) {
  QString s = QStringLiteral("=min(%1").arg(k);
  while (s.size() < kLongLength) s += QStringLiteral(",1");
  return s + QLatin1Char(')');
}

// A sum of terms as people write them: references, functions, powers,
// numbers in both notations.
QString mixed_formula(int k) {
  QString s = QStringLiteral("=%1").arg(k);
  for (int t = 0; s.size() < kMixedLength; ++t)
    s += QStringLiteral("+A%1*2.5-sin(B%2)^2/3+sqrt(abs(C%3))*1.5e-3-exp(-D%4/10)")
             .arg(t % 100 + 1).arg(t % 37 + 1).arg(t % 53 + 1).arg(t % 71 + 1);
  return s;
}

// Nested brackets around plain arithmetic: ((1+2)*(3-4))/...
QString bracket_formula(int k) {
  QString s = QStringLiteral("=%1").arg(k);
  while (s.size() < kLongLength) s += QStringLiteral("+((A1+2)*(B2-4.25))/(C3%7+1)-(-E5)**2");
  return s;
}

qint64 cpu_ns() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

struct Cost {
  double check_ns = 0;    // per character
  double compile_ns = 0;  // per character
};

// One pass checks every text; a second checks and compiles each, keeping
// nothing, as a load that meets each text once. Each pass is timed whole;
// the compile's share is the difference.
Cost measure(const std::vector<QString>& texts) {
  qint64 chars = 0;
  for (const QString& text : texts) chars += text.size();
  qint64 start = cpu_ns();
  for (const QString& text : texts) {
    const FormulaCache::Entry e = FormulaCache::parse(text);
    if (!e.parsed) std::printf("  refused: %s\n", qPrintable(e.error.left(100)));
  }
  const qint64 check = cpu_ns() - start;
  start = cpu_ns();
  for (const QString& text : texts) {
    const FormulaCache::Entry e = FormulaCache::parse(text);
    if (!e.parsed) continue;
    std::vector<std::string> names;
    for (const QString& a : e.args) names.push_back(a.toStdString());
    const trelvo::Expression compiled = trelvo::Expression::compile(e.formula.toStdString(), names);
  }
  const qint64 both = cpu_ns() - start;
  return {static_cast<double>(check) / static_cast<double>(chars),
          static_cast<double>(both - check) / static_cast<double>(chars)};
}

void report_long(const char* what, QString (*make)(int)) {
  std::vector<QString> texts;
  for (int k = 0; k < 40; ++k) texts.push_back(make(k));
  const Cost c = measure(texts);
  std::printf("%-44s check %6.1f ns/char  compile %6.1f ns/char  total %6.1f ns/char\n", what, c.check_ns,
              c.compile_ns, c.check_ns + c.compile_ns);
}

}  // namespace

int main() {
  // As in a load without debug output: no debug line is built.
  QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
  report_long("60 KB =min(k,1,1,...)", min_formula);
  report_long("45 KB mixed terms (references, functions)", mixed_formula);
  report_long("60 KB bracketed arithmetic", bracket_formula);

  std::vector<QString> shorts;
  constexpr int kShort = 200000;
  qint64 chars = 0;
  for (int k = 1; k <= kShort; ++k) {
    shorts.push_back(QStringLiteral("=A%1*2").arg(k));
    chars += shorts.back().size();
  }
  const Cost c = measure(shorts);
  std::printf("%-44s check %6.1f ns/char  compile %6.1f ns/char  %6.2f us/formula\n", "200,000 =A1*2, =A2*2, ...",
              c.check_ns, c.compile_ns,
              (c.check_ns + c.compile_ns) * static_cast<double>(chars) / kShort / 1000.0);
  return 0;
}
