// What a step that can fail gives back: its value, or the reason it failed
// as the one line said about it. Every layer, the tools and the tests report
// their failures this way.
//
//   Result<Steps> read_steps(const std::string& path);
//   ...
//   if (!steps) return Failure{"cannot read " + path + ": " + steps.error()};
#pragma once

#include <string>
#include <utility>
#include <variant>

// The reason a step failed, one line.
struct Failure {
  std::string message;
};

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: a value is a result
  Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}  // NOLINT: so is a failure

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // The value; only when ok().
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // The reason; only when not ok().
  const std::string& error() const { return std::get<1>(state_).message; }
  Failure failure() const { return std::get<1>(state_); }

 private:
  std::variant<T, Failure> state_;
};

// A step that gives nothing back but may fail. Result<void>{} is success.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : failed_(true), failure_(std::move(failure)) {}  // NOLINT: a failure is a result

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }

  // The reason; empty when ok().
  const std::string& error() const { return failure_.message; }
  Failure failure() const { return failure_; }

 private:
  bool failed_ = false;
  Failure failure_;
};
