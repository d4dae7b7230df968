#pragma once

#include <QString>

#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

// The one kind of error the program's commands raise. The text is shown to
// the user as it stands (plus the full-stop rule), so it must be the
// program's own wording.
class ScrivoError : public std::runtime_error {
public:
    explicit ScrivoError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// The application title: caption of error boxes. Kept apart from Qt's
// display name, which Qt would append to every window title.
QString applicationTitle();
void setApplicationTitle(const QString& title);

// The error text with a full stop added when its last character sorts after
// "." (so nothing is added after ".", "!" or ")").
QString withFullStop(const QString& text);

// Shows the program's error box: caption = application title, critical
// icon, OK button. Tests may divert it to a recorder.
void reportError(const QString& text);

using ErrorReporter = std::function<void(const QString& textWithFullStop)>;
// Test seam: replaces the error box; returns the previous reporter. An empty
// function restores the message box.
ErrorReporter setErrorReporter(ErrorReporter reporter);

// Runs a handler so that no exception reaches Qt's event loop: an error is
// reported and the program goes on from the state the handler had reached.
template <typename F>
void runGuarded(F&& handler) noexcept
{
    try {
        std::forward<F>(handler)();
    } catch (const std::exception& e) {
        reportError(QString::fromStdString(e.what()));
    } catch (...) {
        reportError(QStringLiteral("Unknown error"));
    }
}

// Calls a handler with the signal's arguments, or with none when it takes none.
template <typename F, typename... Args>
void callHandler(const F& handler, Args&&... args)
{
    if constexpr (std::is_invocable_v<const F&, Args...>)
        handler(std::forward<Args>(args)...);
    else
        handler();
}

// Wraps a handler for connect(): every control event reaches its handler
// through this. Signal arguments the handler does not take are dropped.
template <typename F>
auto guarded(F handler)
{
    // Constrained so that Qt's probing of how many signal arguments the
    // functor takes sees a clean "no" instead of a hard error.
    return [handler = std::move(handler)](auto&&... args)
               requires(std::is_invocable_v<const F&, decltype(args)...> || std::is_invocable_v<const F&>)
    {
        runGuarded([&] { callHandler(handler, std::forward<decltype(args)>(args)...); });
    };
}
