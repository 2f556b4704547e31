#pragma once
// Runs the body of a Qt slot so that no exception leaves it: an error is
// written to the debug log with the slot's name and the slot ends there.
#include <QDebug>

#include <exception>
#include <utility>

namespace trelvo {

template <class F>
void guard_slot(const char* where, F&& body) noexcept {
  try {
    std::forward<F>(body)();
  } catch (const std::exception& e) {
    qDebug().noquote() << QString::fromUtf8(where) << "failed:" << QString::fromUtf8(e.what());
  } catch (...) {
    qDebug().noquote() << QString::fromUtf8(where) << "failed with an unknown error";
  }
}

}  // namespace trelvo
