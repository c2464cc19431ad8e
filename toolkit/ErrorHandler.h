#pragma once
// No exception crosses the Qt event loop: event handlers, slots and timers run
// their work through Guarded(), and whatever escapes reaches the one handler
// the main window installs (the "System error: " box).
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

namespace tav {

using TExceptionHandler = std::function<void(std::exception_ptr)>;

// The handler for errors that leave an event handler; nullptr restores the
// default, which writes the message to standard error.
void SetExceptionHandler(TExceptionHandler handler);
void HandleException(std::exception_ptr error);

// The text of an error for the user.
const char* ExceptionText(std::exception_ptr error);

// Runs fn now; an exception goes to the handler instead of the caller.
template <class F>
void RunGuarded(F&& fn) {
    try {
        std::forward<F>(fn)();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

// Wraps a slot so that its exceptions reach the handler. Signal arguments the
// slot does not take are dropped.
template <class F>
auto Guarded(F fn) {
    return [fn = std::move(fn)](auto&&... args) mutable {
        RunGuarded([&] {
            if constexpr (std::is_invocable_v<F&, decltype(args)...>)
                fn(std::forward<decltype(args)>(args)...);
            else
                fn();
        });
    };
}

} // namespace tav
