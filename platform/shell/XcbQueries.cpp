#include "platform/shell/XcbQueries.h"

#include <cstdint>
#include <cstring>

namespace corvina::shell {

xcb_atom_t xcbAtom(xcb_connection_t* connection, const char* name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool windowManagerSupports(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t wanted) {
    const xcb_atom_t netSupported = xcbAtom(connection, "_NET_SUPPORTED");
    if (netSupported == XCB_ATOM_NONE || wanted == XCB_ATOM_NONE) return false;
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, root, netSupported, XCB_ATOM_ATOM, 0, 4096),
            nullptr),
        &std::free);
    if (!reply || reply->format != 32) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i)
        if (atoms[i] == wanted) return true;
    return false;
}

}  // namespace corvina::shell
