// Clean-up that runs on every way out of a scope, thrown or returned: the one guard the code uses
// instead of hand-written try/catch/rethrow blocks.
#pragma once

#include <utility>

// Runs the step when the scope ends, unless Release() was called (for undo steps that only a failure
// needs). The step must not throw: it runs while an exception may be unwinding.
template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F step) : step_(std::move(step)) {}
  ScopeExit(ScopeExit&& other) noexcept : step_(std::move(other.step_)), armed_(other.armed_) { other.armed_ = false; }
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
