#include "platform/x11/x11_keymap.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

X11Keymap::X11Keymap(Display* display) : display_(display) {
    xkb_ = XkbGetMap(display_, XkbAllClientInfoMask, XkbUseCoreKbd);
    modifierMap_ = XGetModifierMapping(display_);
    XkbStateRec state{};
    if (XkbGetState(display_, XkbUseCoreKbd, &state) == Success) {
        group_ = state.group;
        lockedModifiers_ = state.locked_mods;
    }
    levelThreeMask_ = XkbKeysymToModifiers(display_, XK_ISO_Level3_Shift);
    numLockMask_ = XkbKeysymToModifiers(display_, XK_Num_Lock);
}

X11Keymap::~X11Keymap() {
    if (xkb_) XkbFreeKeyboard(xkb_, 0, True);
    if (modifierMap_) XFreeModifiermap(modifierMap_);
}

keysyms::Keysym X11Keymap::translate(KeyCode keycode, unsigned int modifiers) const {
    const unsigned int locks = lockedModifiers_ & (LockMask | numLockMask_);
    const unsigned int state = XkbBuildCoreState(modifiers | locks, group_);
    unsigned int consumed = 0;
    KeySym keysym = NoSymbol;
    if (!XkbTranslateKeyCode(xkb_, keycode, state, &consumed, &keysym)) return NoSymbol;
    // Clients capitalise a Caps Lock letter themselves when the key's type ignores Lock.
    if ((locks & LockMask) && !(consumed & LockMask)) {
        KeySym lower = NoSymbol, upper = NoSymbol;
        XConvertCase(keysym, &lower, &upper);
        keysym = upper;
    }
    return keysym;
}

std::optional<X11Keymap::Stroke> X11Keymap::find(keysyms::Keysym keysym, bool plainOnly) const {
    if (!xkb_ || keysym == NoSymbol) return std::nullopt;
    const unsigned int candidates[] = {0, ShiftMask, levelThreeMask_, ShiftMask | levelThreeMask_};
    const int candidateCount = plainOnly ? 1 : (levelThreeMask_ ? 4 : 2);
    for (int i = 0; i < candidateCount; ++i) {
        for (int keycode = xkb_->min_key_code; keycode <= xkb_->max_key_code; ++keycode) {
            if (translate(keycode, candidates[i]) == keysym) {
                return Stroke{static_cast<KeyCode>(keycode), candidates[i]};
            }
        }
    }
    return std::nullopt;
}

KeyCode X11Keymap::modifierKey(unsigned int modifier) const {
    if (!modifierMap_ || modifier == 0) return 0;
    int row = 0;
    while (!(modifier & (1u << row))) ++row;
    const KeySym preferred = modifier == ShiftMask ? XK_Shift_L : XK_ISO_Level3_Shift;
    KeyCode any = 0;
    for (int i = 0; i < modifierMap_->max_keypermod; ++i) {
        const KeyCode keycode = modifierMap_->modifiermap[row * modifierMap_->max_keypermod + i];
        if (keycode == 0) continue;
        if (XkbKeycodeToKeysym(display_, keycode, group_, 0) == preferred) return keycode;
        if (!any) any = keycode;
    }
    return any;
}

keysyms::Keysym X11Keymap::baseKeysym(KeyCode keycode) const {
    if (!xkb_ || XkbKeyNumGroups(xkb_, keycode) == 0) return NoSymbol;
    const int group = group_ < XkbKeyNumGroups(xkb_, keycode) ? group_ : 0;
    return XkbKeySymEntry(xkb_, keycode, 0, group);
}

KeyCode X11Keymap::keycodeForVirtualKey(VirtualKey virtualKey) const {
    if (virtualKey <= 0) return 0;  // a capture that ended on no key
    const keysyms::Keysym keysym = keysyms::keysymForVirtualKey(virtualKey);
    // Numpad digits live on the Num Lock level of their keys; look them up directly.
    if (xkb_ && !keysyms::isKeypadKeysym(keysym)) {
        for (int keycode = xkb_->min_key_code; keycode <= xkb_->max_key_code; ++keycode) {
            if (keysyms::virtualKeyForKeysym(baseKeysym(keycode)) == virtualKey) return keycode;
        }
    }
    return keysym == NoSymbol ? 0 : XKeysymToKeycode(display_, keysym);
}

bool X11Keymap::hasSymbols(int keycode) const {
    const KeySym* symbols = XkbKeySymsPtr(xkb_, keycode);
    for (int i = 0; i < XkbKeyNumSyms(xkb_, keycode); ++i) {
        if (symbols[i] != NoSymbol) return true;
    }
    return false;
}

std::vector<KeyCode> X11Keymap::unusedKeycodes() const {
    std::vector<KeyCode> unused;
    if (!xkb_) return unused;
    // From the top: the high keycodes are the least likely to belong to a real key.
    for (int keycode = xkb_->max_key_code; keycode >= xkb_->min_key_code; --keycode) {
        if (!hasSymbols(keycode)) unused.push_back(static_cast<KeyCode>(keycode));
    }
    return unused;
}

VirtualKey virtualKeyOfX11Key(Display* display, unsigned int keycode, keysyms::Keysym produced,
                              unsigned int state) {
    if (keysyms::isKeypadKeysym(produced)) return keysyms::virtualKeyForKeysym(produced);
    const int group = XkbGroupForCoreState(state);
    const KeySym base = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), group, 0);
    return keysyms::virtualKeyForKeysym(base);
}
