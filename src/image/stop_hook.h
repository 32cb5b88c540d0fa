// A stop request hook: asked now and then during long work, true asks the
// work to give up. A non-owning reference to a function or to a callable
// object, cheap to copy and to call; an empty hook never asks to stop.
#pragma once

#include <type_traits>

class StopHook {
 public:
  StopHook() = default;
  // A plain function.
  StopHook(bool (*function)()) : function_(function) {}  // NOLINT(google-explicit-constructor)
  // A callable object, which must outlive every copy of the hook.
  template <class F>
    requires(std::is_invocable_r_v<bool, F&> && !std::is_same_v<std::remove_cv_t<F>, StopHook> &&
             !std::is_pointer_v<F>)
  StopHook(F& object)  // NOLINT(google-explicit-constructor)
      : call_([](void* data) { return static_cast<bool>((*static_cast<F*>(data))()); }),
        data_(const_cast<void*>(static_cast<const void*>(&object))) {}

  bool operator()() const {
    if (function_ != nullptr) return function_();
    return call_ != nullptr && call_(data_);
  }
  explicit operator bool() const { return function_ != nullptr || call_ != nullptr; }

 private:
  bool (*function_)() = nullptr;
  bool (*call_)(void*) = nullptr;
  void* data_ = nullptr;
};
