#pragma once
// Qt Test classes register themselves with TRELVO_REGISTER_TEST(Class); the
// shared main() (qtest_main.cpp) runs each of them under one QApplication.
#include <QObject>

#include <functional>
#include <vector>

namespace trelvo::test {

using TestFactory = std::function<QObject*()>;

inline std::vector<TestFactory>& test_registry() {
  static std::vector<TestFactory> factories;
  return factories;
}

inline bool register_test(TestFactory f) {
  test_registry().push_back(std::move(f));
  return true;
}

}  // namespace trelvo::test

#define TRELVO_REGISTER_TEST(Class) \
  static const bool Class##_registered = ::trelvo::test::register_test([] { return new Class; });
