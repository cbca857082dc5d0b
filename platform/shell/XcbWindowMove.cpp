// Handing a window to the X11 window manager for a move (_NET_WM_MOVERESIZE), with the point
// where the button went down as the move's starting point: the window then follows the pointer
// from the press on, although the move only starts once the pointer has travelled a little.
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QByteArray>
#include <QGuiApplication>
#include <QWindow>
#include "platform/shell/XcbQueries.h"

namespace corvina::shell {

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
    const xcb_atom_t moveResize = xcbAtom(connection, "_NET_WM_MOVERESIZE");
    if (!windowManagerSupports(connection, root, moveResize)) return false;

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
