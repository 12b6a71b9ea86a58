#include "x11_test_xlib.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <vector>

#include "platform/x11/x11_keymap.h"

namespace {

struct Connection {
    explicit Connection(const QByteArray& name) : display(XOpenDisplay(name.constData())) {}
    ~Connection() {
        if (display) XCloseDisplay(display);
    }
    Display* display;
};

KeyCode keycodeOf(Display* display, const QString& keysym) {
    const KeySym symbol = XStringToKeysym(keysym.toLatin1().constData());
    return symbol == NoSymbol ? 0 : XKeysymToKeycode(display, symbol);
}

std::vector<Display*>& foreignGrabbers() {
    static std::vector<Display*> displays;
    return displays;
}

}  // namespace

void xlibInitThreads() {
    XInitThreads();
}

bool xlibCanConnect(const QByteArray& display) {
    return Connection(display).display != nullptr;
}

bool xlibPressKeys(const QByteArray& display, const QStringList& keysyms) {
    Connection connection(display);
    if (!connection.display) return false;
    std::vector<KeyCode> keys;
    for (const auto& keysym : keysyms) {
        const KeyCode keycode = keycodeOf(connection.display, keysym);
        if (!keycode) return false;
        keys.push_back(keycode);
    }
    for (const KeyCode key : keys) XTestFakeKeyEvent(connection.display, key, True, CurrentTime);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        XTestFakeKeyEvent(connection.display, *key, False, CurrentTime);
    }
    XSync(connection.display, False);
    return true;
}

bool xlibSetKeyDown(const QByteArray& display, const QString& keysym, bool down) {
    Connection connection(display);
    if (!connection.display) return false;
    const KeyCode keycode = keycodeOf(connection.display, keysym);
    if (!keycode) return false;
    XTestFakeKeyEvent(connection.display, keycode, down ? True : False, CurrentTime);
    XSync(connection.display, False);
    return true;
}

int xlibKeycodeOf(const QByteArray& display, const QString& keysym) {
    Connection connection(display);
    return connection.display ? keycodeOf(connection.display, keysym) : 0;
}

int xlibCaptureCodeOf(const QByteArray& display, const QString& keysym, bool shift) {
    Connection connection(display);
    if (!connection.display) return -1;
    const KeyCode keycode = keycodeOf(connection.display, keysym);
    unsigned int state = shift ? ShiftMask : 0;
    // The numpad gives its digits with Num Lock on.
    if (keysym.size() == 4 && keysym.startsWith("KP_") && keysym[3].isDigit()) {
        state |= XkbKeysymToModifiers(connection.display, XK_Num_Lock);
    }
    KeySym produced = NoSymbol;
    unsigned int consumed = 0;
    XkbLookupKeySym(connection.display, keycode, state, &consumed, &produced);
    return virtualKeyOfX11Key(connection.display, keycode, produced, state);
}

unsigned int xlibModifierMask(const QByteArray& display, const QString& keysym) {
    Connection connection(display);
    if (!connection.display) return 0;
    return XkbKeysymToModifiers(connection.display, XStringToKeysym(keysym.toLatin1().constData()));
}

bool xlibGrabAsOtherClient(const QByteArray& display, const QString& keysym, int hotkeyModifiers) {
    Display* grabber = XOpenDisplay(display.constData());
    if (!grabber) return false;
    const KeyCode keycode = keycodeOf(grabber, keysym);
    unsigned int modifiers = 0;
    if (hotkeyModifiers & 1) modifiers |= Mod1Mask;
    if (hotkeyModifiers & 2) modifiers |= ControlMask;
    if (hotkeyModifiers & 4) modifiers |= ShiftMask;
    XGrabKey(grabber, keycode, modifiers, DefaultRootWindow(grabber), False, GrabModeAsync,
             GrabModeAsync);
    XSync(grabber, False);
    foreignGrabbers().push_back(grabber);
    return keycode != 0;
}

void xlibReleaseForeignGrabs() {
    for (Display* grabber : foreignGrabbers()) XCloseDisplay(grabber);
    foreignGrabbers().clear();
}
