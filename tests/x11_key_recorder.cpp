// A small X client for the keystroke tests: it opens a window, takes the keyboard focus,
// prints "ready" and then one line per key press that yields text, as an xterm would
// translate it: "<state> <keycode> <text as hex bytes of UTF-8> <server time in ms>".
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <clocale>
#include <cstdio>

namespace {

XIC createInputContext(Display* display, Window window) {
    XSetLocaleModifiers("@im=none");
    XIM inputMethod = XOpenIM(display, nullptr, nullptr, nullptr);
    if (!inputMethod) return nullptr;
    return XCreateIC(inputMethod, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                     XNClientWindow, window, XNFocusWindow, window, nullptr);
}

void waitFor(Display* display, int type) {
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != type);
}

void report(const XKeyEvent& event, const char* text, int length) {
    std::printf("%x %u ", event.state, event.keycode);
    for (int i = 0; i < length; ++i) std::printf("%02x", static_cast<unsigned char>(text[i]));
    std::printf(" %lu\n", static_cast<unsigned long>(event.time));
    std::fflush(stdout);
}

}  // namespace

int main() {
    std::setlocale(LC_ALL, "C.UTF-8");
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
    XSelectInput(display, window, KeyPressMask | FocusChangeMask | StructureNotifyMask);
    XIC inputContext = createInputContext(display, window);
    if (!inputContext) return 2;
    XMapRaised(display, window);
    waitFor(display, MapNotify);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    waitFor(display, FocusIn);
    XSetICFocus(inputContext);
    std::printf("ready\n");
    std::fflush(stdout);

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
        if (event.type != KeyPress || XFilterEvent(&event, None)) continue;
        char text[64];
        KeySym keysym = NoSymbol;
        Status status = 0;
        const int length =
            Xutf8LookupString(inputContext, &event.xkey, text, sizeof text, &keysym, &status);
        if (length > 0) report(event.xkey, text, length);
    }
}
