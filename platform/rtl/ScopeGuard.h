// Clean-up that runs on every way out of a scope, thrown or returned: the one guard the code uses
// instead of hand-written try/catch/rethrow blocks.
#pragma once

#include <type_traits>
#include <utility>

// Runs the step when the scope ends, unless Release() was called (for undo steps that only a failure
// needs). The step must not throw: it runs while an exception may be unwinding.
template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F step) : step_(std::move(step)) {}
  ScopeExit(ScopeExit&& other) noexcept : step_(std::move(other.step_)), armed_(other.armed_) {
    other.armed_ = false;
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ScopeExit& operator=(ScopeExit&&) = delete;
  ~ScopeExit() {
    if (armed_) step_();
  }

  void Release() noexcept { armed_ = false; }

 private:
  F step_;
  bool armed_ = true;
};

template <class F>
[[nodiscard]] ScopeExit<F> MakeScopeExit(F step) {
  return ScopeExit<F>(std::move(step));
}

// Runs body, then cleanUp on every way out, for a clean-up that may itself raise (it notifies listeners
// or runs a user's event), which a scope guard's destructor must not do. After a normal body the
// clean-up's exception reaches the caller. After a failed body the body's exception does: it is the
// cause, and a clean-up failing behind it only repeats the damage, so that second exception is dropped.
template <class Body, class CleanUp>
decltype(auto) TryFinally(Body&& body, CleanUp&& cleanUp) {
  struct OnFailure {
    CleanUp& step;
    bool armed = true;
    ~OnFailure() {
      if (!armed) return;
      try {
        step();
      } catch (...) {  // see above: the body's exception is already on its way
      }
    }
  } onFailure{cleanUp};
  if constexpr (std::is_void_v<decltype(body())>) {
    body();
    onFailure.armed = false;
    cleanUp();
  } else {
    decltype(auto) result = body();
    onFailure.armed = false;
    cleanUp();
    return result;
  }
}
