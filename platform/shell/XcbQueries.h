#pragma once
// Small X11 questions the shell's X11 backends share: an atom by name, and whether the window
// manager says it supports a hint. Each waits for the server's reply. UI thread.
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace corvina::shell {

// A reply of the X server, freed when it goes.
template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

// The atom named `name` (XCB_ATOM_NONE when the server does not answer).
xcb_atom_t xcbAtom(xcb_connection_t* connection, const char* name);

// Whether the window manager lists `wanted` among the hints it supports (_NET_SUPPORTED on the
// root window); asked every time, as window managers are replaced while programs run.
bool windowManagerSupports(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t wanted);

}  // namespace corvina::shell
