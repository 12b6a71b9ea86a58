#include "platform/x11/x11_hotkey_grabs.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_keymap.h"

namespace {

constexpr unsigned int hotkeyModifierMask = ShiftMask | ControlMask | Mod1Mask;

unsigned int x11Modifiers(HotkeyModifiers hotkeyModifiers) {
    unsigned int mask = 0;
    if (hotkeyModifiers.has(HotkeyModifier::Alt)) mask |= Mod1Mask;
    if (hotkeyModifiers.has(HotkeyModifier::Ctrl)) mask |= ControlMask;
    if (hotkeyModifiers.has(HotkeyModifier::Shift)) mask |= ShiftMask;
    return mask;
}

}  // namespace

std::unique_ptr<X11HotkeyGrabs> X11HotkeyGrabs::open(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (!display) return nullptr;
    return std::unique_ptr<X11HotkeyGrabs>(new X11HotkeyGrabs(display));
}

X11HotkeyGrabs::X11HotkeyGrabs(Display* display)
    : display_(display), root_(DefaultRootWindow(display)) {
    x11errors::watch(display_);
    int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (XkbQueryExtension(display_, &opcode, &xkbEventBase_, &error, &major, &minor)) {
        const unsigned int changes = XkbMapNotifyMask | XkbNewKeyboardNotifyMask;
        XkbSelectEvents(display_, XkbUseCoreKbd, changes, changes);
    } else {
        xkbEventBase_ = -1;
    }
    numLockMask_ = XkbKeysymToModifiers(display_, XK_Num_Lock);
}

X11HotkeyGrabs::~X11HotkeyGrabs() {
    x11errors::unwatch(display_);
    XCloseDisplay(display_);
}

bool X11HotkeyGrabs::add(HotkeyId id, HotkeyModifiers modifiers, VirtualKey virtualKey) {
    remove(id);
    Hotkey hotkey{id, modifiers, virtualKey};
    const bool grabbed = grab(hotkey);
    hotkeys_.push_back(hotkey);
    return grabbed;
}

void X11HotkeyGrabs::remove(HotkeyId id) {
    for (auto& hotkey : hotkeys_) {
        if (hotkey.id == id) ungrab(hotkey);
    }
    std::erase_if(hotkeys_, [id](const Hotkey& hotkey) { return hotkey.id == id; });
}

// A passive grab matches the modifier state exactly, so the combination is grabbed once
// for each state of Caps Lock and Num Lock the user may have on.
std::vector<unsigned int> X11HotkeyGrabs::lockVariants() const {
    std::vector<unsigned int> variants = {0, LockMask};
    if (numLockMask_ && numLockMask_ != LockMask) {
        variants.push_back(numLockMask_);
        variants.push_back(numLockMask_ | LockMask);
    }
    return variants;
}

bool X11HotkeyGrabs::grab(Hotkey& hotkey) {
    hotkey.keycode = X11Keymap(display_).keycodeForVirtualKey(hotkey.virtualKey);
    hotkey.mask = x11Modifiers(hotkey.modifiers);
    if (hotkey.keycode == 0 || hotkey.mask == 0) return false;
    XSync(display_, False);
    x11errors::takeErrorCount(display_);
    for (const unsigned int locks : lockVariants()) {
        XGrabKey(display_, hotkey.keycode, hotkey.mask | locks, root_, False, GrabModeAsync,
                 GrabModeAsync);
    }
    XSync(display_, False);
    hotkey.grabbed = true;
    if (x11errors::takeErrorCount(display_) > 0) {
        // Another client holds the combination (BadAccess): let go of the variants we got.
        ungrab(hotkey);
        return false;
    }
    return true;
}

void X11HotkeyGrabs::ungrab(Hotkey& hotkey) {
    if (!hotkey.grabbed) return;
    for (const unsigned int locks : lockVariants()) {
        XUngrabKey(display_, hotkey.keycode, hotkey.mask | locks, root_);
    }
    XSync(display_, False);
    x11errors::takeErrorCount(display_);
    hotkey.grabbed = false;
}

void X11HotkeyGrabs::regrabAll() {
    for (auto& hotkey : hotkeys_) ungrab(hotkey);
    numLockMask_ = XkbKeysymToModifiers(display_, XK_Num_Lock);
    for (auto& hotkey : hotkeys_) grab(hotkey);
}

bool X11HotkeyGrabs::hasQueuedEvents() const {
    return XEventsQueued(display_, QueuedAlready) > 0;
}

void X11HotkeyGrabs::processEvents(const std::function<void(HotkeyId id)>& pressed) {
    std::vector<HotkeyId> ids;
    // The round trips of a regrab read whatever has arrived meanwhile (a hotkey pressed
    // right after a layout change, more of that change) into Xlib's queue, where the
    // socket no longer shows it: go on until the queue is empty.
    while (takePendingEvents(ids)) regrabAll();
    // Last: a handler may run a whole transfer, and register hotkeys anew.
    for (const HotkeyId id : ids) pressed(id);
}

bool X11HotkeyGrabs::takePendingEvents(std::vector<HotkeyId>& ids) {
    bool layoutChanged = false;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == KeyPress) {
            if (const auto id = pressedId(event.xkey)) ids.push_back(*id);
        } else if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            layoutChanged = true;
        } else if (event.type == xkbEventBase_) {
            layoutChanged = true;  // XkbMapNotify or XkbNewKeyboardNotify, all we select
        }
    }
    return layoutChanged;
}

std::optional<HotkeyId> X11HotkeyGrabs::pressedId(const XKeyEvent& event) const {
    const unsigned int mask = event.state & hotkeyModifierMask;
    for (const auto& hotkey : hotkeys_) {
        if (hotkey.grabbed && hotkey.keycode == event.keycode && hotkey.mask == mask) {
            return hotkey.id;
        }
    }
    return std::nullopt;
}
