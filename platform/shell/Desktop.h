#pragma once
// The desktop's shell services: open a web address, a mail link or a document with the program
// the user's desktop has chosen for it, and start a program.
//
// The player reaches the desktop only through `desktop()`. The real backend (QtDesktop.cpp)
// goes through QDesktopServices and QProcess; tests install a FakeDesktop, which records what was
// asked and can be told to fail. Both calls return at once: what the started program then does
// is not the player's business, only whether it could be started.
//
// UI thread only.
#include <QString>
#include <QUrl>
#include <memory>

namespace corvina::shell {

class Desktop {
public:
    Desktop() = default;
    virtual ~Desktop() = default;
    Q_DISABLE_COPY(Desktop)

    // Hands `url` (http:, mailto:, file:) to the desktop's handler for it. False when no handler
    // could be started (none registered, the desktop's opener missing).
    virtual bool openUrl(const QUrl& url) = 0;

    // Starts the program at `path` (an absolute file name) without arguments, in the player's
    // current directory, detached from the player. False with a reason in `error` (the system's
    // own words) when it cannot be started.
    virtual bool startProgram(const QString& path, QString& error) = 0;
};

// The desktop in use: the real one unless a test installed another.
Desktop& desktop();
// Replaces the desktop in use; null restores the real one.
void setDesktop(std::unique_ptr<Desktop> desktop);

}  // namespace corvina::shell
