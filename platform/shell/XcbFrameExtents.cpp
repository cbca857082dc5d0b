// _NET_REQUEST_FRAME_EXTENTS (EWMH): a client message to the root window asks the window
// manager to set _NET_FRAME_EXTENTS (left, right, top, bottom) on a window it does not manage
// yet. The toolkit reads the events of its connection itself, so the answer is read by asking
// for the property until it is there.
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/shell/FrameExtents.h"
#include "platform/shell/XcbQueries.h"

namespace corvina::shell {
namespace {

constexpr int kWaitMs = 200;

// The window's _NET_FRAME_EXTENTS, if it has them.
bool readExtents(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t extents,
                 uint32_t (&out)[4]) {
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4),
            nullptr),
        &std::free);
    if (!reply || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) != int(sizeof out))
        return false;
    std::memcpy(out, xcb_get_property_value(reply.get()), sizeof out);
    return true;
}

}  // namespace

QMargins frameExtents(QWidget* window) {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window || !window->isWindow()) return {};
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (screens.rem <= 0) return {};
    const xcb_window_t root = screens.data->root;
    const xcb_atom_t request = xcbAtom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = xcbAtom(connection, "_NET_FRAME_EXTENTS");
    if (extents == XCB_ATOM_NONE || !windowManagerSupports(connection, root, request)) return {};

    const auto id = xcb_window_t(window->winId());  // creates the native window if need be
    uint32_t values[4] = {};                        // left, right, top, bottom
    if (!readExtents(connection, id, extents, values)) {
        xcb_client_message_event_t message;
        std::memset(&message, 0, sizeof message);
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = id;
        message.type = request;
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection);
        QElapsedTimer waited;
        waited.start();
        bool answered = false;
        while (!(answered = readExtents(connection, id, extents, values)) &&
               waited.elapsed() < kWaitMs)
            QThread::msleep(2);
        if (!answered) return {};
    }
    const qreal scale = window->windowHandle() ? window->windowHandle()->devicePixelRatio() : 1.0;
    return QMargins(qRound(values[0] / scale), qRound(values[2] / scale), qRound(values[1] / scale),
                    qRound(values[3] / scale));
}

}  // namespace corvina::shell
