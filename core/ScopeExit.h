#pragma once

#include <exception>
#include <type_traits>
#include <utility>

#include "core/NonCopyable.h"

namespace verimo {

// Runs an action when the scope ends, whichever way it ends. An action that
// takes a bool is told whether the scope is being left by an exception.
// On the normal path a failure of the action propagates to the caller;
// while an exception is already leaving the scope, the action's own failure
// is dropped, so that the first failure is the one reported.
template <class Action>
class TScopeExit : private TNonCopyable {
 public:
  explicit TScopeExit(Action action) : action_(std::move(action)) {}
  ~TScopeExit() noexcept(false) {
    const bool failing = std::uncaught_exceptions() > exceptionsOnEntry_;
    if (!failing) {
      Run(false);
      return;
    }
    try {
      Run(true);
    } catch (...) {
      // The exception already leaving the scope is the one to report.
    }
  }

 private:
  void Run(bool failing) {
    if constexpr (std::is_invocable_v<Action&, bool>)
      action_(failing);
    else
      action_();
  }

  Action action_;
  int exceptionsOnEntry_ = std::uncaught_exceptions();
};

}  // namespace verimo
