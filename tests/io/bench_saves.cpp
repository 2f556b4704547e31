// Verified XLSX saves at size: a grid of 1,000,000 x 2 short texts, and
// 1,000,000 distinct texts of 70 characters in one column. For each, the
// save as the program makes it (write and check), the check alone
// (check_written_xlsx), and the reader's full read of the same file (what a
// check through the loader costs), each in a child of its own so that its
// peak memory is its own. Prints seconds and peak resident MiB; the goal is
// a save within 1.3x of the same save without its check.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "sheetgrid/io/xlsx.h"
#include "sheetgrid/io/xlsxcheck.h"

namespace {

using trelvo::io::TextRows;

struct Measure {
  double seconds = -1;
  double peak_mib = 0;
  bool ok = false;
};

// Runs `work` in a child; its time, peak memory and whether it threw.
Measure in_child(const std::function<void()>& work) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    Measure m;
    QElapsedTimer timer;
    timer.start();
    try {
      work();
      m.ok = true;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "  refused: %s\n", e.what());
    }
    m.seconds = timer.nsecsElapsed() / 1e9;
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    m.peak_mib = usage.ru_maxrss / 1024.0;
    if (::write(fds[1], &m, sizeof m) != sizeof m) ::_exit(2);
    ::_exit(0);
  }
  ::close(fds[1]);
  Measure m;
  if (::read(fds[0], &m, sizeof m) != sizeof m) m = {};
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return m;
}

void print(const char* what, const Measure& m) {
  std::printf("  %-44s %7.2f s %7.0f MiB peak%s\n", what, m.seconds, m.peak_mib, m.ok ? "" : "  FAILED");
}

bool bench(const char* name, const TextRows& rows) {
  std::printf("%s\n", name);
  QTemporaryDir dir;
  const QString path = dir.filePath("out.xlsx");
  const Measure save = in_child([&] { trelvo::io::write_xlsx(path, rows); });
  print("save (write and check)", save);
  if (!save.ok) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  const Measure check = in_child([&] { trelvo::io::check_written_xlsx(bytes, rows); });
  print("check alone", check);
  const Measure read = in_child([&] { trelvo::io::XlsxReader(bytes).readSheet(0); });
  print("the reader's full read, for comparison", read);
  const double unverified = save.seconds - check.seconds;
  const double ratio = unverified > 0 ? save.seconds / unverified : 0;
  std::printf("  save / save without check: %.2f (goal <= 1.3)\n", ratio);
  return check.ok && ratio <= 1.3;
}

}  // namespace

int main() {
  constexpr int kRows = 1'000'000;
  TextRows grid(kRows);
  for (int r = 0; r < kRows; ++r) grid[r] = {QString::number(r), QString::number(r * 0.5)};
  TextRows texts(kRows);
  for (int r = 0; r < kRows; ++r) texts[r] = {QStringLiteral("text %1 ").arg(r, 7, 10, QLatin1Char('0')).leftJustified(70, u'x')};
  bool ok = bench("1,000,000 x 2 short texts", grid);
  ok = bench("1,000,000 distinct texts of 70 characters", texts) && ok;
  return ok ? 0 : 1;
}
