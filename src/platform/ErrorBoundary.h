#pragma once
// Qt's own frames must never be unwound by an exception: every place where Qt
// calls into our code (slots, event handlers, event filters, timers, queued
// calls) runs its body inside guard(), which hands any error to the one
// application-wide handler and returns normally.

#include <QString>
#include <functional>
#include <utility>

namespace ErrorBoundary {

using Handler = std::function<void(const QString& message)>;

// The application-wide handler. Without one (before the main window exists),
// errors are written to the log as warnings.
void setHandler(Handler handler);

// Hands a message to the handler. While the handler runs (its message box is
// open), a repeat of a message already shown or waiting is dropped and a new
// one waits until the box is closed, so boxes never pile up.
void report(const QString& message);

// The message of the exception being handled, for catch (...) blocks.
QString currentMessage();

template <typename F>
void guard(F&& body) noexcept
{
    try {
        std::forward<F>(body)();
    } catch (...) {
        report(currentMessage());
    }
}

// For handlers that answer Qt (event filters): the body's result, or
// `onError` when it failed.
template <typename R, typename F>
R guardOr(R onError, F&& body) noexcept
{
    R result = onError;
    guard([&] { result = std::forward<F>(body)(); });
    return result;
}

// A slot for connect(): calls the member inside guard().
template <typename Obj, typename R, typename... Args>
auto guarded(Obj* object, R (Obj::*method)(Args...))
{
    return [object, method](Args... args) { guard([&] { (object->*method)(args...); }); };
}

// A slot for connect() or a queued call: calls the function inside guard().
template <typename F>
auto guarded(F function)
{
    return [function = std::move(function)](auto&&... args) {
        guard([&] { function(std::forward<decltype(args)>(args)...); });
    };
}

}  // namespace ErrorBoundary
