// The initial state of an X11 window's WM_HINTS (ICCCM 4.1.2.4): nine 32-bit fields, the first
// the flags, the third the state the window is mapped in.
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/shell/WindowStart.h"

namespace corvina::shell {
namespace {

constexpr uint32_t kStateHint = 1u << 1;  // StateHint: the initial state field is valid
constexpr uint32_t kNormalState = 1;
constexpr uint32_t kIconicState = 3;
constexpr int kHintFields = 9;

}  // namespace

void prepareToShowNormal(QWidget* window) {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    QWindow* handle = window ? window->windowHandle() : nullptr;
    if (!connection || !handle) return;
    const auto id = xcb_window_t(handle->winId());

    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, id, XCB_ATOM_WM_HINTS,
                                                XCB_ATOM_WM_HINTS, 0, kHintFields),
                               nullptr),
        &std::free);
    if (!reply || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < int(3 * sizeof(uint32_t)))
        return;
    uint32_t hints[kHintFields] = {};
    const int bytes = std::min(xcb_get_property_value_length(reply.get()), int(sizeof hints));
    std::memcpy(hints, xcb_get_property_value(reply.get()), size_t(bytes));
    if (!(hints[0] & kStateHint) || hints[2] != kIconicState) return;
    hints[2] = kNormalState;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                        32, uint32_t(bytes / 4), hints);
    xcb_flush(connection);
}

}  // namespace corvina::shell
