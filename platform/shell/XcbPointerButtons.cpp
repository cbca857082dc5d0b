// The X server's pointer state (QueryPointer), which reports the buttons even while the window
// manager holds the pointer grabbed for a move.
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

#include "platform/shell/PointerButtons.h"

namespace corvina::shell {
namespace {

class XcbPointerButtons : public PointerButtons {
public:
    void setConnection(xcb_connection_t* connection) {
        if (connection == connection_) return;
        connection_ = connection;
        const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
        root_ = screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
    }

    Qt::MouseButtons held() const override {
        if (root_ == XCB_WINDOW_NONE) return QGuiApplication::mouseButtons();
        const std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> reply(
            xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr),
            &std::free);
        // A lost connection: the toolkit's record is the best left.
        if (!reply) return QGuiApplication::mouseButtons();
        Qt::MouseButtons buttons;
        if (reply->mask & XCB_KEY_BUT_MASK_BUTTON_1) buttons |= Qt::LeftButton;
        if (reply->mask & XCB_KEY_BUT_MASK_BUTTON_2) buttons |= Qt::MiddleButton;
        if (reply->mask & XCB_KEY_BUT_MASK_BUTTON_3) buttons |= Qt::RightButton;
        return buttons;
    }

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
};

}  // namespace

PointerButtons* x11PointerButtons() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return nullptr;
    static XcbPointerButtons buttons;
    buttons.setConnection(x11->connection());
    return &buttons;
}

}  // namespace corvina::shell
