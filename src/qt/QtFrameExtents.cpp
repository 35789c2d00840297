#include "qt/QtFrameExtents.h"

#include "qt/XcbReply.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace qtui {
namespace {

// The 32-bit items of a window property of the given type, at most `count` of them.
std::vector<uint32_t> property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name,
                               xcb_atom_t type, uint32_t count) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, count), nullptr));
    if (!reply || reply->format != 32 || reply->type != type)
        return {};
    const auto* items = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get()) / 4;
    return std::vector<uint32_t>(items, items + std::max(0, length));
}

} // namespace

QMargins requestFrameExtents(QWidget& widget, std::chrono::milliseconds patience) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return {};
    const auto window = static_cast<xcb_window_t>(widget.winId());
    // The window's root and the atoms come back in one round trip: the window's first show waits for it.
    const xcb_get_geometry_cookie_t asked = xcb_get_geometry(connection, window);
    const auto [request, extents, supportedName] =
        internAtoms<3>(connection, {"_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS", "_NET_SUPPORTED"});
    const Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(connection, asked, nullptr));
    if (!geometry)
        return {};
    const xcb_window_t root = geometry->root;

    // Without a window manager that answers, there is no frame to wait for.
    const std::vector<uint32_t> supported = property(connection, root, supportedName, XCB_ATOM_ATOM, 4096);
    if (request == XCB_ATOM_NONE || std::find(supported.begin(), supported.end(), request) == supported.end())
        return {};

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = request;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);

    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        // Left, right, top, bottom.
        const std::vector<uint32_t> sides = property(connection, window, extents, XCB_ATOM_CARDINAL, 4);
        if (sides.size() == 4) {
            // A frame wider than any screen is no frame the window will get.
            const auto side = [](uint32_t pixels) {
                return static_cast<int>(std::min<uint32_t>(pixels, 4096));
            };
            return QMargins(side(sides[0]), side(sides[2]), side(sides[1]), side(sides[3]));
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void fixWindowSize(QWidget& window, QSize size) {
    window.setBaseSize(size);
    window.setFixedSize(size);
}

} // namespace qtui
