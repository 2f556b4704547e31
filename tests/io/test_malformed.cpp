// Every CSV and XLSX sample in tests/data/malformed/ ends in IoError: no crash,
// no hang, no partial table. (Other formats' samples there have their own test.)
#include <gtest/gtest.h>

#include <QDir>
#include <cctype>
#include <cstdio>

#include "sheetgrid/io/csv.h"
#include "sheetgrid/io/xlsx.h"

namespace {

// Low enough that the folder's zip bomb passes it while real samples stay small.
constexpr qint64 kTestDecompressedCap = 1 << 20;

std::vector<QString> samples() {
  const QDir dir(QString::fromLocal8Bit(qgetenv("TRELVO_SOURCE_DIR")) + QStringLiteral("/tests/data/malformed"));
  const QStringList names = dir.entryList({"*.csv", "*.xlsx"}, QDir::Files, QDir::Name);
  return std::vector<QString>(names.begin(), names.end());
}

void load(const QString& path) {
  if (path.endsWith(QLatin1String(".csv"))) {
    trelvo::io::read_csv(path);
    return;
  }
  trelvo::io::XlsxReader reader(path, kTestDecompressedCap);
  for (int i = 0; i < reader.sheetNames().size(); ++i) reader.readSheet(i);
}

class Malformed : public ::testing::TestWithParam<QString> {};

TEST_P(Malformed, LoadThrowsIoError) {
  const QString path = QString::fromLocal8Bit(qgetenv("TRELVO_SOURCE_DIR")) + QStringLiteral("/tests/data/malformed/") + GetParam();
  try {
    load(path);
    ADD_FAILURE() << GetParam().toStdString() << " loaded without error";
  } catch (const trelvo::io::IoError& e) {
    EXPECT_STRNE(e.what(), "");
    std::printf("%s: %s\n", qPrintable(GetParam()), e.what());
  }
}

INSTANTIATE_TEST_SUITE_P(Folder, Malformed, ::testing::ValuesIn(samples()),
                         [](const auto& info) {
                           std::string name = info.param.toStdString();
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

TEST(MalformedFolder, HoldsSamples) { EXPECT_GE(samples().size(), 10u); }

}  // namespace
