// Closes a running program through its windows, as a window manager's close button does
// (WM_DELETE_WINDOW): first every dialog it shows (a message at start), then its main
// window. For checks that run an installed program on an X server.
//   x11_close_window <pid> [seconds, default 20]
// Prints a line per window closed ("dialog: <title>", "main window: <title>"); exit status
// 0 once the main window was asked to close, 1 when none came up in time.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct TopLevel {
    Window window;
    bool dialog;
    std::string title;
};

Display* display = nullptr;

Atom atom(const char* name) {
    return XInternAtom(display, name, False);
}

// The 32-bit items of a window property, empty when it has none.
std::vector<unsigned long> property(Window window, const char* name, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, atom(name), 0, 64, False, type, &actualType, &format,
                           &count, &after, &data) == Success &&
        data && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data) XFree(data);
    return items;
}

std::string title(Window window) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, window, atom("_NET_WM_NAME"), 0, 1024, False,
                           atom("UTF8_STRING"), &actualType, &format, &count, &after,
                           &data) == Success &&
        data && format == 8)
        text.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return text;
}

// The program's windows that are on the screen.
std::vector<TopLevel> shownWindows(unsigned long pid) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<TopLevel> shown;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return shown;
    const unsigned long dialogType = atom("_NET_WM_WINDOW_TYPE_DIALOG");
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, children[i], &attributes) ||
            attributes.map_state != IsViewable)
            continue;
        if (property(children[i], "_NET_WM_PID", XA_CARDINAL) != std::vector<unsigned long>{pid})
            continue;
        bool dialog = false;
        for (unsigned long type : property(children[i], "_NET_WM_WINDOW_TYPE", XA_ATOM))
            dialog = dialog || type == dialogType;
        shown.push_back({children[i], dialog, title(children[i])});
    }
    if (children) XFree(children);
    return shown;
}

void askToClose(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: x11_close_window <pid> [seconds]\n");
        return 2;
    }
    display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11_close_window: no X display\n");
        return 2;
    }
    const unsigned long pid = std::strtoul(argv[1], nullptr, 10);
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::seconds(argc == 3 ? std::atoi(argv[2]) : 20);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::vector<TopLevel> shown = shownWindows(pid);
        const TopLevel* main = nullptr;
        const TopLevel* dialog = nullptr;
        for (const TopLevel& window : shown) (window.dialog ? dialog : main) = &window;
        // A dialog is modal: the main window takes no close request while one is up.
        if (dialog || main) {
            askToClose((dialog ? dialog : main)->window);
            std::printf("%s: %s\n", dialog ? "dialog" : "main window",
                        (dialog ? dialog : main)->title.c_str());
            std::fflush(stdout);
            if (!dialog) return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(dialog ? 500 : 100));
    }
    std::fprintf(stderr, "x11_close_window: no main window of process %lu came up\n", pid);
    return 1;
}
