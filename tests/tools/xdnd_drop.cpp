// A drag source for the end-to-end tests: drops files or text onto another program's window through
// XDnD (version 5), the way a file manager would, since xdotool cannot drag between programs.
//
//   xdnd_drop [--text] [--timeout SECONDS] WINDOW_ID X Y ITEM...
//
// X, Y are relative to the inside top-left corner of WINDOW_ID (as `xdotool mousemove --window` takes
// them). The drop goes to the XdndAware toplevel under that point, which must be WINDOW_ID, a window
// inside it (the client in a window manager's frame) or a window holding it. ITEMs are absolute
// paths sent as a text/uri-list of file:// URIs; with --text they are lines of text offered as UTF-8
// and plain text only. Exit status 0 when the target accepted the drop and finished it; otherwise 1,
// or 2 for a usage error, with the reason on standard error.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr long kVersion = 5;

Display* dpy = nullptr;
Window source = None;
Atom aware, enter, position, status, leave, drop, finished, selection, typeList, actionCopy, targets;
std::vector<Atom> offered;
std::string payload;
bool badWindow = false;

[[noreturn]] void die(const std::string& message) {
    std::fprintf(stderr, "xdnd_drop: %s\n", message.c_str());
    // Closing waits until the server has taken every request: an XdndLeave only flushed before the
    // exit was at times lost.
    if (dpy)
        XCloseDisplay(dpy);
    std::exit(1);
}

int onError(Display*, XErrorEvent* error) {
    if (error->error_code == BadWindow)
        badWindow = true;
    return 0;
}

Atom atom(const char* name) {
    return XInternAtom(dpy, name, False);
}

std::string hexId(Window w) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", w);
    return text;
}

// Every byte outside the unreserved set and "/" is escaped, so blanks, "%" and UTF-8 survive the trip.
std::string fileUri(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("-._~/", c))
            uri += static_cast<char>(c);
        else
            uri += {'%', hex[c >> 4], hex[c & 15]};
    }
    return uri;
}

// The XdndAware version of a window, 0 when it carries none.
long awareVersion(Window w) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long version = 0;
    if (XGetWindowProperty(dpy, w, aware, 0, 1, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success &&
        data && count == 1 && format == 32)
        version = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return version;
}

bool isAncestor(Window ancestor, Window w) {
    while (w != None) {
        if (w == ancestor)
            return true;
        Window root, parent, *children = nullptr;
        unsigned int count;
        if (!XQueryTree(dpy, w, &root, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        w = parent == root ? None : parent;
    }
    return false;
}

void send(Window target, Atom type, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(source);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(dpy, target, False, NoEventMask, &event);
    XFlush(dpy);
}

// Answers a request for the dragged data. The target may ask at any time after XdndEnter (some read
// the data as soon as the drag enters), so every wait serves these.
void serve(const XSelectionRequestEvent& request) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    // Obsolete clients leave the property out; they mean the target's name.
    const Atom property = request.property != None ? request.property : request.target;
    reply.xselection.property = None;
    if (request.selection == selection && request.target == targets) {
        XChangeProperty(dpy, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered.data()),
                        static_cast<int>(offered.size()));
        reply.xselection.property = property;
    } else if (request.selection == selection) {
        for (Atom type : offered)
            if (type == request.target) {
                XChangeProperty(dpy, request.requestor, property, request.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(payload.data()),
                                static_cast<int>(payload.size()));
                reply.xselection.property = property;
            }
    }
    XSendEvent(dpy, request.requestor, False, NoEventMask, &reply);
    XFlush(dpy);
}

// Waits up to `seconds` for a client message of `type` (or a property change on the source window when
// type is None), serving data requests meanwhile. False on timeout.
bool waitFor(Atom type, double seconds, XEvent& out) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        while (XPending(dpy)) {
            XNextEvent(dpy, &out);
            if (out.type == SelectionRequest)
                serve(out.xselectionrequest);
            else if (type == None && out.type == PropertyNotify && out.xproperty.window == source)
                return true;
            else if (out.type == ClientMessage && out.xclient.message_type == type)
                return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
}

[[noreturn]] void usage() {
    std::fprintf(stderr, "usage: xdnd_drop [--text] [--timeout SECONDS] WINDOW_ID X Y ITEM...\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv) {
    bool text = false;
    double timeout = 10;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        if (std::strcmp(argv[i], "--text") == 0)
            text = true;
        else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
            timeout = std::atof(argv[++i]);
        else
            usage();
    }
    if (argc - i < 4 || timeout <= 0)
        usage();
    char *endId = nullptr, *endX = nullptr, *endY = nullptr;
    const Window given = std::strtoul(argv[i], &endId, 0);
    const int x = static_cast<int>(std::strtol(argv[i + 1], &endX, 10));
    const int y = static_cast<int>(std::strtol(argv[i + 2], &endY, 10));
    if (*endId || *endX || *endY || given == None)
        usage();
    for (int k = i + 3; k < argc; ++k) {
        if (text) {
            payload += argv[k];
            payload += '\n';
        } else if (argv[k][0] != '/') {
            die(std::string("not an absolute path: ") + argv[k]);
        } else {
            payload += fileUri(argv[k]) + "\r\n";
        }
    }

    dpy = XOpenDisplay(nullptr);
    if (!dpy)
        die("cannot open the display");
    XSetErrorHandler(onError);
    aware = atom("XdndAware"), enter = atom("XdndEnter"), position = atom("XdndPosition");
    status = atom("XdndStatus"), leave = atom("XdndLeave"), drop = atom("XdndDrop");
    finished = atom("XdndFinished"), selection = atom("XdndSelection"), typeList = atom("XdndTypeList");
    actionCopy = atom("XdndActionCopy"), targets = atom("TARGETS");
    if (text)
        offered = {atom("UTF8_STRING"), atom("text/plain;charset=utf-8"), atom("text/plain"), XA_STRING};
    else
        offered = {atom("text/uri-list")};

    const Window root = DefaultRootWindow(dpy);
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(dpy, given, root, x, y, &rootX, &rootY, &child);
    XSync(dpy, False);
    if (badWindow)
        die("no window " + std::string(argv[i]));

    // As a drag source does under the pointer: down from the root to the first XdndAware window.
    Window target = None;
    long version = 0;
    for (Window w = root, next; target == None; w = next) {
        int wx, wy;
        if (!XTranslateCoordinates(dpy, root, w, rootX, rootY, &wx, &wy, &next) || next == None)
            break;
        if ((version = awareVersion(next)) > 0)
            target = next;
    }
    if (target == None)
        die("no XdndAware window under the point");
    if (!isAncestor(target, given) && !isAncestor(given, target))
        die("another window covers the point");
    if (version < 3)
        die("the target speaks XDnD version " + std::to_string(version) + ", older than 3");
    version = std::min(version, kVersion);

    // A window of our own, for the messages and the selection, and a server time from a property change.
    source = XCreateSimpleWindow(dpy, root, -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(dpy, source, PropertyChangeMask);
    const unsigned char nothing = 0;
    XChangeProperty(dpy, source, XA_WM_NAME, XA_STRING, 8, PropModeAppend, &nothing, 0);
    XEvent event;
    if (!waitFor(None, timeout, event))
        die("no server time");
    const Time time = event.xproperty.time;
    XSetSelectionOwner(dpy, selection, source, time);
    if (XGetSelectionOwner(dpy, selection) != source)
        die("could not own the XdndSelection selection");

    const bool many = offered.size() > 3;
    if (many)
        XChangeProperty(dpy, source, typeList, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered.data()),
                        static_cast<int>(offered.size()));
    Atom inline3[3] = {None, None, None};
    for (std::size_t k = 0; k < 3 && k < offered.size(); ++k)
        inline3[k] = offered[k];
    send(target, enter, (version << 24) | (many ? 1 : 0), static_cast<long>(inline3[0]),
         static_cast<long>(inline3[1]), static_cast<long>(inline3[2]));
    send(target, position, 0, (static_cast<long>(rootX) << 16) | (rootY & 0xFFFF), static_cast<long>(time),
         static_cast<long>(actionCopy));
    if (!waitFor(status, timeout, event)) {
        send(target, leave, 0, 0, 0, 0);
        die("no XdndStatus from window " + hexId(target) + " within the timeout");
    }
    if (!(event.xclient.data.l[1] & 1)) {
        send(target, leave, 0, 0, 0, 0);
        die("window " + hexId(target) + " refused the drop");
    }
    send(target, drop, 0, static_cast<long>(time), 0, 0);
    if (!waitFor(finished, timeout, event))
        die("no XdndFinished within the timeout");
    // Before version 5 XdndFinished says nothing more.
    if (version >= 5 && !(event.xclient.data.l[1] & 1))
        die("the target did not accept the dropped data");
    XCloseDisplay(dpy);
    return 0;
}
