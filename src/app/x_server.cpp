#include "x_server.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

namespace {

// Qt's connection to the X server, or null. Other platforms (Wayland,
// offscreen) may still offer the X11 interface, without a connection behind it.
xcb_connection_t* XConnection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

bool KeyStillDown(const QKeyEvent* event) {
    const quint32 code = event->nativeScanCode();
    xcb_connection_t* connection = XConnection();
    if (!connection || code < 8 || code > 255) return false;
    xcb_query_keymap_reply_t* reply =
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (!reply) return false;
    const bool down = reply->keys[code / 8] & (1u << (code % 8));
    std::free(reply);
    return down;
}

bool ServerSaysMaximised(const QWidget* window) {
    xcb_connection_t* connection = XConnection();
    if (!connection || !window->internalWinId()) return false;
    const auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 1, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return found;
    };
    // Atoms stay for the life of the X server: asked for once.
    static const xcb_atom_t state = atom("_NET_WM_STATE");
    static const xcb_atom_t vertical = atom("_NET_WM_STATE_MAXIMIZED_VERT");
    static const xcb_atom_t horizontal = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    if (state == XCB_ATOM_NONE || vertical == XCB_ATOM_NONE || horizontal == XCB_ATOM_NONE)
        return false;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, static_cast<xcb_window_t>(window->internalWinId()), state,
                         XCB_ATOM_ATOM, 0, 64),
        nullptr);
    if (!reply) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    const int count = xcb_get_property_value_length(reply) / static_cast<int>(sizeof(xcb_atom_t));
    bool up = false, across = false;
    for (int i = 0; i < count; ++i) {
        up = up || atoms[i] == vertical;
        across = across || atoms[i] == horizontal;
    }
    std::free(reply);
    return up && across;
}
