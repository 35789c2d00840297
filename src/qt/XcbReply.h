#pragma once
// Small helpers around xcb requests made beside Qt's own X11 connection.
#include <xcb/xcb.h>

#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace qtui {

// xcb hands out its replies from malloc.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <class T> using Reply = std::unique_ptr<T, FreeReply>;

// The atoms of the names, asked for together: one round trip to the server however many there are. An atom
// the server cannot make is XCB_ATOM_NONE.
template <std::size_t Count>
std::array<xcb_atom_t, Count> internAtoms(xcb_connection_t* connection,
                                          const std::array<const char*, Count>& names) {
    std::array<xcb_intern_atom_cookie_t, Count> cookies{};
    for (std::size_t i = 0; i < Count; ++i)
        cookies[i] = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(names[i])), names[i]);
    std::array<xcb_atom_t, Count> atoms{};
    for (std::size_t i = 0; i < Count; ++i) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }
    return atoms;
}

} // namespace qtui
