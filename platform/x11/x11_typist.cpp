#include "platform/x11/x11_typist.h"

#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/x11/x11_errors.h"

namespace {

// Bounded: a user who keeps a key down gets the text typed all the same.
constexpr auto keyWaitLimit = std::chrono::seconds(2);
constexpr auto keyPoll = std::chrono::milliseconds(10);

bool hasExtensions(Display* display) {
    int event = 0, error = 0, major = 0, minor = 0;
    int opcode = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    return XTestQueryExtension(display, &event, &error, &major, &minor) &&
           XkbQueryExtension(display, &opcode, &event, &error, &xkbMajor, &xkbMinor);
}

}  // namespace

std::unique_ptr<X11Typist> X11Typist::open(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (!display) return nullptr;
    if (!hasExtensions(display)) {
        XCloseDisplay(display);
        return nullptr;
    }
    return std::unique_ptr<X11Typist>(new X11Typist(display));
}

X11Typist::X11Typist(Display* display) : display_(display), spareKeys_(display) {
    x11errors::watch(display_);
}

X11Typist::~X11Typist() {
    spareKeys_.restore();
    keymap_.reset();
    x11errors::unwatch(display_);
    XCloseDisplay(display_);
}

X11Keymap& X11Typist::keymap() {
    if (!keymap_) keymap_ = std::make_unique<X11Keymap>(display_);
    return *keymap_;
}

// Not only the modifiers: while the hotkey's own key is down, its grab is still active and
// every key typed would go to the program's grab instead of the focused window.
void X11Typist::prepare(std::string_view cp1252Characters,
                        const std::vector<VirtualKey>& virtualKeys) {
    failed_ = false;
    // Errors of earlier requests are not this transfer's.
    XSync(display_, False);
    x11errors::takeErrorCount(display_);
    keymap_.reset();
    const auto deadline = std::chrono::steady_clock::now() + keyWaitLimit;
    while (anyKeyHeld() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(keyPoll);
    }
    // Spare keycodes are bound now, before the first key, not between two keys: the first
    // synthetic key makes the server hand the XTEST keyboard's map to the core keyboard,
    // and a plain Xlib client (xterm) still reloading that map can miss a binding made a
    // moment later and take the bound key for an empty one.
    std::vector<keysyms::Keysym> missing;
    bool seen[256] = {};
    for (const char c : cp1252Characters) {
        const auto byte = static_cast<unsigned char>(c);
        if (seen[byte]) continue;
        seen[byte] = true;
        const auto keysyms = keysyms::keysymsForCharacter(c);
        const bool onLayout = std::any_of(keysyms.begin(), keysyms.end(), [this](auto keysym) {
            return keymap().find(keysym).has_value();
        });
        if (!onLayout) missing.push_back(keysyms.front());
    }
    for (const VirtualKey virtualKey : virtualKeys) {
        const auto keysym = keysyms::keysymForPlainKey(virtualKey);
        if (keysym != keysyms::noSymbol && !keymap().find(keysym, true)) missing.push_back(keysym);
    }
    if (missing.empty()) return;
    // Should the spares run out, the rest is bound while typing.
    const auto unused = keymap().unusedKeycodes();
    for (const auto keysym : missing) spareKeys_.bindIfFree(keysym, unused);
    keymap_.reset();
    XSync(display_, False);
}

void X11Typist::typeCharacter(char cp1252Byte) {
    const auto keysyms = keysyms::keysymsForCharacter(cp1252Byte);
    for (const auto keysym : keysyms) {
        if (const auto stroke = keymap().find(keysym)) {
            press(*stroke);
            return;
        }
    }
    typeKeysym(keysyms.front(), false);
}

void X11Typist::pressVirtualKey(VirtualKey virtualKey) {
    const auto keysym = keysyms::keysymForPlainKey(virtualKey);
    if (keysym != keysyms::noSymbol) typeKeysym(keysym, true);
}

bool X11Typist::finish() {
    XSync(display_, False);
    if (x11errors::takeErrorCount(display_) > 0) failed_ = true;
    keymap_.reset();
    return !failed_;
}

// From the layout if it has the keysym, else from a spare keycode bound to it.
void X11Typist::typeKeysym(keysyms::Keysym keysym, bool plainOnly) {
    if (const auto stroke = keymap().find(keysym, plainOnly)) {
        press(*stroke);
        return;
    }
    const KeyCode spare = spareKeys_.bind(keysym, keymap().unusedKeycodes());
    if (!spare) {
        failed_ = true;  // a layout without a single free keycode
        return;
    }
    // Read the layout again to learn the level the spare key gives the keysym at, with
    // the lock keys as they are.
    keymap_.reset();
    const auto stroke = keymap().find(keysym, plainOnly);
    press(stroke && stroke->keycode == spare ? *stroke : X11Keymap::Stroke{spare, 0});
}

void X11Typist::press(const X11Keymap::Stroke& stroke) {
    std::vector<KeyCode> modifiers;
    for (const unsigned int modifier : {unsigned(ShiftMask), stroke.modifiers & ~ShiftMask}) {
        if (!(stroke.modifiers & modifier)) continue;
        if (const KeyCode key = keymap().modifierKey(modifier)) modifiers.push_back(key);
    }
    for (const KeyCode key : modifiers) XTestFakeKeyEvent(display_, key, True, CurrentTime);
    tap(stroke.keycode);
    for (const KeyCode key : modifiers) XTestFakeKeyEvent(display_, key, False, CurrentTime);
    XFlush(display_);
}

void X11Typist::tap(KeyCode keycode) {
    if (keycode == 0) return;
    XTestFakeKeyEvent(display_, keycode, True, CurrentTime);
    XTestFakeKeyEvent(display_, keycode, False, CurrentTime);
    XFlush(display_);
}

bool X11Typist::anyKeyHeld() {
    char pressed[32] = {};
    XQueryKeymap(display_, pressed);
    for (const char bits : pressed) {
        if (bits != 0) return true;
    }
    return false;
}
