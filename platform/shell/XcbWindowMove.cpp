// Handing a window to the X11 window manager for a move (_NET_WM_MOVERESIZE), with the point
// where the button went down as the move's starting point: the window then follows the pointer
// from the press on, although the move only starts once the pointer has travelled a little.
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QByteArray>
#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace corvina::shell {
namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Whether the window manager says it takes move requests (asked every time: window managers
// are replaced while programs run).
bool supported(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t moveResize) {
    const xcb_atom_t netSupported = atom(connection, "_NET_SUPPORTED");
    if (netSupported == XCB_ATOM_NONE) return false;
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, root, netSupported, XCB_ATOM_ATOM, 0, 4096),
            nullptr),
        &std::free);
    if (!reply || reply->format != 32) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i)
        if (atoms[i] == moveResize) return true;
    return false;
}

}  // namespace

// Asks the window manager to move `window` with the left button, starting from the global
// point `start`. False when the toolkit is not on X11 or the window manager does not take such
// requests.
bool x11StartMove(QWindow* window, QPoint start) {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window) return false;
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (screens.rem <= 0) return false;
    const xcb_window_t root = screens.data->root;
    const xcb_atom_t moveResize = atom(connection, "_NET_WM_MOVERESIZE");
    if (moveResize == XCB_ATOM_NONE || !supported(connection, root, moveResize)) return false;

    // Device pixels: the toolkit's scale factor, if any, applies to the point too.
    const qreal scale = window->devicePixelRatio();
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = moveResize;
    message.data.data32[0] = uint32_t(qRound(start.x() * scale));
    message.data.data32[1] = uint32_t(qRound(start.y() * scale));
    message.data.data32[2] = 8;  // _NET_WM_MOVERESIZE_MOVE
    message.data.data32[3] = XCB_BUTTON_INDEX_1;
    message.data.data32[4] = 1;  // a normal application
    // The window manager can only grab the pointer once the implicit grab of the press is gone.
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    return true;
}

}  // namespace corvina::shell
