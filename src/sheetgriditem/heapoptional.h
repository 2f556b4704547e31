#pragma once
// An optional value that takes one pointer while empty.
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace trelvo {

// An optional value kept on the heap: one pointer wide while empty, so that a
// cell without a formula carries no room for formula state. Copies copy the
// value. Reads like std::optional and converts to it.
template <class T>
class HeapOptional {
 public:
  HeapOptional() = default;
  HeapOptional(std::nullopt_t) {}
  HeapOptional(const HeapOptional& other) : value_(other.value_ ? std::make_unique<T>(*other.value_) : nullptr) {}
  HeapOptional(HeapOptional&&) noexcept = default;
  HeapOptional& operator=(const HeapOptional& other) {
    if (this != &other) value_ = other.value_ ? std::make_unique<T>(*other.value_) : nullptr;
    return *this;
  }
  HeapOptional& operator=(HeapOptional&&) noexcept = default;
  HeapOptional& operator=(std::nullopt_t) {
    value_.reset();
    return *this;
  }
  template <class U, std::enable_if_t<std::is_constructible_v<T, U&&> &&
                                          !std::is_same_v<std::decay_t<U>, HeapOptional> &&
                                          !std::is_same_v<std::decay_t<U>, std::nullopt_t>,
                                      int> = 0>
  HeapOptional& operator=(U&& v) {
    value_ = std::make_unique<T>(std::forward<U>(v));
    return *this;
  }

  bool has_value() const { return value_ != nullptr; }
  explicit operator bool() const { return has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return value_.get(); }
  const T* operator->() const { return value_.get(); }
  template <class U>
  T value_or(U&& fallback) const {
    return value_ ? *value_ : T(std::forward<U>(fallback));
  }
  void reset() { value_.reset(); }
  operator std::optional<T>() const { return value_ ? std::optional<T>(*value_) : std::nullopt; }

 private:
  std::unique_ptr<T> value_;
};

}  // namespace trelvo
