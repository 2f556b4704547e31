// The table builder, which every reader fills: its in-order path against the
// sorting one over generated sequences of values and erasures, and the extent
// it gives (the values' own, whatever places held none).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <utility>

#include "fitcore/limits.h"
#include "sheetgrid/io/tablesize.h"

using trelvo::io::IoError;
using trelvo::io::Table;
using trelvo::io::TableBuilder;
namespace limits = trelvo::limits;

namespace {

struct Step {
  int row;
  int col;
  bool erase;
  QString text;
};

// What the table must hold: the last value put at each place, unless a
// later erasure dropped it; and its extent, one past the last row and the
// last column of those values.
struct Model {
  std::map<std::pair<int, int>, QString> cells;
  void apply(const Step& s) {
    if (s.erase) cells.erase({s.row, s.col});
    else cells[{s.row, s.col}] = s.text;
  }
  int height() const { return cells.empty() ? 0 : cells.rbegin()->first.first + 1; }
  int width() const {
    int w = 0;
    for (const auto& [place, text] : cells) w = std::max(w, place.second + 1);
    return w;
  }
};

std::vector<Step> generated(std::mt19937& random, bool in_order) {
  std::uniform_int_distribution<int> count(0, 40), coordinate(0, 9), kind(0, 3);
  std::vector<Step> steps(static_cast<std::size_t>(count(random)));
  for (Step& s : steps) {
    s.row = coordinate(random);
    s.col = coordinate(random);
    s.erase = kind(random) == 0;
    // Empty texts are values too (a CSV field of nothing holds its place).
    s.text = kind(random) == 1 ? QString() : QString::number(s.row * 10 + s.col);
  }
  if (in_order) {
    std::stable_sort(steps.begin(), steps.end(),
                     [](const Step& a, const Step& b) { return std::make_pair(a.row, a.col) < std::make_pair(b.row, b.col); });
  }
  return steps;
}

class Generated : public ::testing::TestWithParam<bool> {};

TEST_P(Generated, TableIsTheLastValueAtEachPlaceWithinTheValuesExtent) {
  std::mt19937 random(GetParam() ? 11 : 12);
  for (int round = 0; round < 3000; ++round) {
    const std::vector<Step> steps = generated(random, GetParam());
    TableBuilder builder;
    Model model;
    for (const Step& s : steps) {
      if (s.erase) builder.erase(s.row, s.col);
      else builder.put(s.row, s.col, s.text);
      model.apply(s);
    }
    const Table t = builder.finish();
    ASSERT_EQ(t.height, model.height()) << "round " << round;
    ASSERT_EQ(t.width, model.width()) << "round " << round;
    ASSERT_EQ(t.cells.size(), model.cells.size()) << "round " << round;
    auto expected = model.cells.begin();
    for (const auto& cell : t.cells) {
      ASSERT_EQ(std::make_pair(cell.row, cell.col), expected->first) << "round " << round;
      ASSERT_EQ(cell.text, expected->second) << "round " << round;
      ++expected;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, Generated, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "InOrder" : "AnyOrder"; });

// A place without a value adds nothing, however far out; a value past the
// grid's limits is refused as it arrives.
TEST(TableExtent, OnlyValuesReachAndMayPassTheLimits) {
  TableBuilder far_erasures;
  far_erasures.put(0, 0, QStringLiteral("a"));
  far_erasures.erase(limits::kMaxRows + 5LL, 0);
  far_erasures.erase(0, 1'000'000'000'000LL);
  far_erasures.erase(limits::kMaxRows - 1, limits::kMaxCols - 1);
  const Table t = far_erasures.finish();
  EXPECT_EQ(t.height, 1);
  EXPECT_EQ(t.width, 1);

  // The last value taken away again: the extent shrinks back to the others.
  TableBuilder dropped;
  dropped.put(2, 1, QStringLiteral("b"));
  dropped.put(5, limits::kMaxCols - 1, QStringLiteral("far"));
  dropped.erase(5, limits::kMaxCols - 1);
  const Table d = dropped.finish();
  EXPECT_EQ(d.height, 3);
  EXPECT_EQ(d.width, 2);

  EXPECT_THROW(TableBuilder().put(limits::kMaxRows, 0, QStringLiteral("x")), IoError);
  EXPECT_THROW(TableBuilder().put(0, limits::kMaxCols, QStringLiteral("x")), IoError);
  EXPECT_THROW(TableBuilder().put(99'999'999'999'999LL, 0, QStringLiteral("x")), IoError);
  TableBuilder places;
  places.put(0, limits::kMaxCols - 1, QString());
  EXPECT_THROW(places.put(limits::kMaxCells / limits::kMaxCols, 0, QString()), IoError);
}

}  // namespace
