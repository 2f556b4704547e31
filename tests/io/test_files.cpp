// Where the writers put a file and what the readers take from one: chains of
// symbolic links saved through to the file they end at, pseudo-files read
// only as far as their reported size, and read-backs that notice a changed
// temporary file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "sheetgrid/io/atomicfile.h"
#include "sheetgrid/io/csv.h"
#include "sheetgrid/io/fileread.h"
#include "sheetgrid/io/xls.h"
#include "sheetgrid/io/xlsx.h"

using trelvo::io::IoError;
using trelvo::io::Table;
using trelvo::io::TextRows;

namespace {

struct Format {
  const char* name;
  void (*write)(const QString&, const TextRows&);
  Table (*read)(const QString&);
};
void PrintTo(const Format& f, std::ostream* os) { *os << f.name; }

const Format kFormats[] = {
    {"csv", trelvo::io::write_csv, trelvo::io::read_csv},
    {"xlsx", trelvo::io::write_xlsx, [](const QString& p) { return trelvo::io::XlsxReader(p).readSheet(0); }},
    {"xls", trelvo::io::write_xls, [](const QString& p) { return trelvo::io::XlsReader(p).readSheet(0); }},
};

QString first_text(const Table& t) { return t.at(0, 0).value_or(QStringLiteral("<none>")); }

class Saves : public testing::TestWithParam<Format> {};

// chain -> rel (relative) -> real/f: the save replaces real/f, both links stay.
TEST_P(Saves, FollowTheWholeChainOfLinks) {
  QTemporaryDir dir;
  const QString ext = QLatin1Char('.') + QLatin1String(GetParam().name);
  ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
  const QString real = dir.filePath("real/f" + ext);
  const QString rel = dir.filePath("rel" + ext);
  const QString chain = dir.filePath("chain" + ext);
  GetParam().write(real, {{"old"}});
  ASSERT_EQ(::symlink(qPrintable("real/f" + ext), qPrintable(rel)), 0);
  ASSERT_EQ(::symlink(qPrintable("rel" + ext), qPrintable(chain)), 0);

  GetParam().write(chain, {{"new"}});
  EXPECT_TRUE(QFileInfo(chain).isSymLink());
  EXPECT_TRUE(QFileInfo(rel).isSymLink());
  EXPECT_EQ(first_text(GetParam().read(real)), "new");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
}

TEST_P(Saves, LinkCycleIsRefused) {
  QTemporaryDir dir;
  const QString a = dir.filePath("a"), b = dir.filePath("b");
  ASSERT_EQ(::symlink(qPrintable(b), qPrintable(a)), 0);
  ASSERT_EQ(::symlink(qPrintable(a), qPrintable(b)), 0);
  EXPECT_THROW(GetParam().write(a, {{"x"}}), IoError);
  EXPECT_TRUE(QFileInfo(a).isSymLink());
  EXPECT_TRUE(QFileInfo(b).isSymLink());
}

// Whatever the writer's read-back finds changed in the temporary file fails
// the save, and the old file stays.
TEST_P(Saves, ChangedTemporaryFileFailsTheReadBack) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("out.") + QLatin1String(GetParam().name));
  GetParam().write(path, {{"old"}});
  trelvo_io_set_read_back_hook([](const QString& temp) {
    QFile f(temp);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const qint64 size = f.size();
    ASSERT_TRUE(f.resize(size - 1));  // the last byte is lost
  });
  EXPECT_THROW(GetParam().write(path, {{"new", "cells"}, {"of", "text"}}), IoError);
  trelvo_io_set_read_back_hook(nullptr);
  EXPECT_EQ(first_text(GetParam().read(path)), "old");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(path).fileName()});
}

INSTANTIATE_TEST_SUITE_P(Formats, Saves, testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

// Runs `work` in a child that the alarm ends after `seconds`; true when it
// returned in time.
bool returns_within(int seconds, const std::function<void()>& work) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(static_cast<unsigned>(seconds));
    try {
      work();
    } catch (...) {
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A file under /proc that reports size 0 reads as empty: nothing read past
// its size, so no pagemap of gigabytes and no wait on the kernel log.
TEST(PseudoFiles, ReadOnlyUpToTheirReportedSize) {
  EXPECT_EQ(trelvo::io::read_whole_file(QStringLiteral("/proc/self/pagemap"), 1 << 20), QByteArray());
  EXPECT_TRUE(trelvo::io::read_csv(QStringLiteral("/proc/self/pagemap")).empty());
  EXPECT_THROW(trelvo::io::XlsxReader(QStringLiteral("/proc/self/pagemap")), IoError);
  EXPECT_TRUE(returns_within(10, [] { trelvo::io::read_csv(QStringLiteral("/proc/kmsg")); }));
  EXPECT_TRUE(returns_within(10, [] { trelvo::io::XlsReader(QStringLiteral("/proc/kmsg")); }));
}

}  // namespace
