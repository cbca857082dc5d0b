#pragma once
// Which display platform the toolkit connects to.
//
// The player places its own window (centred, at the top of the screen, pulled to the screen
// edges), which Wayland does not let a client do. On a Wayland session that offers X11
// (XWayland, DISPLAY set) it therefore runs as an X11 client, unless the user chose a platform
// (QT_QPA_PLATFORM, or Qt's -platform argument, which wins over the variable).
//
// Must run before the application object exists; not thread-safe (changes the environment).
#include <QByteArray>

namespace corvina::shell {

// Sets QT_QPA_PLATFORM to "xcb" when the rule above asks for it. Returns the platform chosen,
// or an empty array when the choice is left to the toolkit.
QByteArray chooseDisplayPlatform();

// On X11 the toolkit hands each repainted area to the server through shared memory, then waits
// for the server to be done with it (a round trip before the next paint, and a completion event
// that wakes the process after each one). The player's repaints are small strips at 20 a second,
// which cost less sent down the socket: asks for that unless the user set
// QT_XCB_NO_MITSHM themselves. Returns whether it asked.
bool preferSocketImageTransfer();

}  // namespace corvina::shell
