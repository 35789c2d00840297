#pragma once
// Small helpers around xcb requests made beside Qt's own X11 connection.
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace qtui {

// xcb hands out its replies from malloc.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <class T> using Reply = std::unique_ptr<T, FreeReply>;

inline xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

} // namespace qtui
