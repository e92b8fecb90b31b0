// Runs a callable when the scope it stands in ends, by any way out, unless
// dismissed first: `ScopeExit undo([&] { ... });` then `undo.Dismiss();` once
// the step it undoes has succeeded. The callable runs in a destructor, so it
// must not throw.
#pragma once

#include <type_traits>
#include <utility>

namespace geodata {

template <class Callable>
class [[nodiscard]] ScopeExit {
  static_assert(std::is_invocable_v<Callable&>);

 public:
  explicit ScopeExit(Callable callable) : callable_(std::move(callable)) {}
  ~ScopeExit() {
    if (armed_) callable_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

  void Dismiss() noexcept { armed_ = false; }

 private:
  Callable callable_;
  bool armed_ = true;
};

}  // namespace geodata
