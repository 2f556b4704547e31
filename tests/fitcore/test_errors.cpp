#include <gtest/gtest.h>

#include "fitcore/errors.h"
#include "fitcore/warnings.h"

using trelvo::ErrorKind;

TEST(Errors, ArgumentTypeMessageIsPythons) {
  EXPECT_EQ(trelvo::argument_type_message("degree", "int", "bool"),
            "Argument 'degree' has incorrect type (expected int, got bool)");
}

TEST(Warnings, ScopedSinkReceivesAndRestores) {
  std::vector<std::string> seen;
  {
    trelvo::ScopedWarningSink sink([&](trelvo::WarningKind, const std::string& m) { seen.push_back(m); });
    trelvo::warn(trelvo::WarningKind::UserWarning, "one");
  }
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "one");
}
