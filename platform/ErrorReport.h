#pragma once
// The application's one error report.
//
// A handler that fails throws; the throw ends the handler at that point. Whoever calls a handler
// from the event loop (a timer, a click, a menu item) runs it through `runHandler`, which catches
// the error and hands its message to the error report. The report shows the message in a modal
// message box and the event loop goes on. Tests replace the message box with `setErrorSink`;
// CORVINA_ERROR_LOG=PATH also appends every message to PATH (diagnosis, end-to-end tests).
//
// UI thread only.
#include <QString>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

namespace corvina {

// An error raised by a handler (the message is shown to the user as it stands).
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Shows `message` through the current sink (a message box unless a test set another).
void reportError(const QString& message);

// While quiet (the player is being ended by a signal), reports go to stderr and the error log
// only: nothing may wait for a click then.
void setReportsQuiet(bool quiet);

// Replaces the message box; an empty function restores it. Returns the previous sink.
using ErrorSink = std::function<void(const QString&)>;
ErrorSink setErrorSink(ErrorSink sink);

// A notice: something the user should know once that is not an error (the player did something
// else than asked, and why). Shown in a box that does not wait for a click; also on stderr.
void showNotice(const QString& message);
// A notice found while the player starts (before its window is up): on stderr at once, in the box
// once a window of the player is on screen, so that it neither holds the start up nor opens
// before the window it speaks of.
void showNoticeOnceShown(const QString& message);
// Replaces the notice box (tests); an empty function restores it. Returns the previous sink.
ErrorSink setNoticeSink(ErrorSink sink);

// Reports the exception being handled (a corvina::Error or a std::exception) and swallows it;
// any other exception goes on. Only inside a catch block.
void reportCaughtException();

// Runs `handler`; any exception it throws is reported and swallowed. (A template: every event
// the application delivers passes through here, and a std::function of it would allocate.)
template <typename Handler>
void runHandler(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        reportCaughtException();
    }
}

// Wraps a handler so that it can be connected to a signal directly.
inline std::function<void()> guarded(std::function<void()> handler) {
    return [h = std::move(handler)] { runHandler(h); };
}

}  // namespace corvina
