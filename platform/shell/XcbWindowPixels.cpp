// Putting pixels on an X11 window with one PutImage request.
#include <xcb/xcb.h>

#include <QImage>
#include <QPointer>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QSysInfo>
#include <cstdlib>
#include <memory>

#include "platform/shell/WindowPixels.h"

namespace corvina::shell {
namespace {

// What is known of the window last drawn on: the player draws on one window, so one is kept.
// A window made again gets a new id, and is looked at again.
struct Target {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    xcb_gcontext_t gc = 0;  // none: the window's pixels cannot take the image's rows
    uint8_t depth = 0;
};

Target& target() {
    static Target t;
    return t;
}

// Whether the server keeps `depth`-bit pixels of `window` as 32-bit words in the byte order of
// a QImage::Format_RGB32 image on this machine, so the image's rows go out as they are.
bool takesImageRows(xcb_connection_t* connection, uint8_t depth) {
    if (depth != 24 && depth != 32) return false;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    if (setup->image_byte_order != (little ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST))
        return false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
         xcb_format_next(&formats)) {
        if (formats.data->depth == depth)
            return formats.data->bits_per_pixel == 32 && formats.data->scanline_pad == 32;
    }
    return false;
}

Target* targetFor(xcb_connection_t* connection, xcb_window_t window) {
    Target& t = target();
    if (t.connection == connection && t.window == window) return t.gc ? &t : nullptr;
    if (t.gc && t.connection == connection) xcb_free_gc(connection, t.gc);
    t = Target{connection, window, 0, 0};
    // Once per window: a round trip for its depth.
    const std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr),
        &std::free);
    if (!geometry || !takesImageRows(connection, geometry->depth)) return nullptr;
    t.gc = xcb_generate_id(connection);
    const uint32_t noExposures = 0;
    xcb_create_gc(connection, t.gc, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    t.depth = geometry->depth;
    return &t;
}

// The application's connection to the X server, if it has one. Asked once per application
// object: the toolkit finds the interface by comparing type names.
xcb_connection_t* connectionOf(QGuiApplication* app) {
    static QPointer<QGuiApplication> asked;  // null again once that object is gone
    static xcb_connection_t* connection = nullptr;
    if (!asked || app != asked) {
        const auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        connection = x11 ? x11->connection() : nullptr;
        asked = app;
    }
    return connection;
}

}  // namespace

bool putOnWindow(QWindow* window, QPoint at, const QImage& image) {
    xcb_connection_t* connection = connectionOf(qGuiApp);
    if (!connection || !window || !window->handle() || image.isNull() ||
        image.format() != QImage::Format_RGB32 || image.bytesPerLine() != image.width() * 4)
        return false;
    const Target* t = targetFor(connection, xcb_window_t(window->winId()));
    if (!t) return false;
    const auto bytes = std::size_t(image.sizeInBytes());
    const std::size_t header = sizeof(xcb_put_image_request_t);
    if (header + bytes > std::size_t(xcb_get_maximum_request_length(connection)) * 4) return false;
    xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, t->window, t->gc, uint16_t(image.width()),
                  uint16_t(image.height()), int16_t(at.x()), int16_t(at.y()), 0,
                  t->depth, uint32_t(bytes), image.constBits());
    xcb_flush(connection);
    return true;
}

}  // namespace corvina::shell
