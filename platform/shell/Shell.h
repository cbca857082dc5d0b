#pragma once
// The desktop's shell services: open a web address, a mail link or a document with the program
// the user's desktop has chosen for it, and start a program.
//
// The player reaches the desktop only through `current()`. The real backend (DesktopShell.cpp)
// goes through QDesktopServices and QProcess; tests install a FakeShell, which records what was
// asked and can be told to fail. Both calls return at once: what the started program then does
// is not the player's business, only whether it could be started.
//
// UI thread only.
#include <QString>
#include <QUrl>
#include <memory>

namespace corvina::shell {

class Shell {
public:
    Shell() = default;
    virtual ~Shell() = default;
    Q_DISABLE_COPY(Shell)

    // Hands `url` (http:, mailto:, file:) to the desktop's handler for it. False when no handler
    // could be started (none registered, the desktop's opener missing).
    virtual bool openUrl(const QUrl& url) = 0;

    // Starts the program at `path` (an absolute file name) without arguments, in the player's
    // current directory, detached from the player. False with a reason in `error` (the system's
    // own words) when it cannot be started.
    virtual bool startProgram(const QString& path, QString& error) = 0;
};

// The shell in use: the desktop's unless a test installed another.
Shell& current();
// Replaces the shell in use; null restores the desktop's.
void install(std::unique_ptr<Shell> shell);

}  // namespace corvina::shell
