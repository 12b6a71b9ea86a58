#include "platform/x11/x11_spare_keys.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {
// How long a client gets to translate the previous user of a spare keycode before the
// keycode is bound anew. Only reached when one transfer needs more missing characters
// than there are spare keycodes.
constexpr auto reuseGrace = std::chrono::milliseconds(100);
}  // namespace

KeyCode X11SpareKeys::bind(keysyms::Keysym keysym, const std::vector<KeyCode>& unused) {
    const KeyCode keycode = bindIfFree(keysym, unused);
    return keycode ? keycode : reuseOldest(keysym);
}

KeyCode X11SpareKeys::bindIfFree(keysyms::Keysym keysym, const std::vector<KeyCode>& unused) {
    for (const auto& [keycode, bound] : bindings_) {
        if (bound == keysym) return keycode;
    }
    const auto free = std::find_if(unused.begin(), unused.end(),
                                   [this](KeyCode keycode) { return !isBound(keycode); });
    if (free == unused.end()) return 0;
    setMapping(*free, keysym);
    bindings_.emplace_back(*free, keysym);
    return *free;
}

KeyCode X11SpareKeys::reuseOldest(keysyms::Keysym keysym) {
    if (bindings_.empty()) return 0;
    const KeyCode keycode = bindings_.front().first;
    XSync(display_, False);
    std::this_thread::sleep_for(reuseGrace);
    bindings_.erase(bindings_.begin());
    setMapping(keycode, keysym);
    bindings_.emplace_back(keycode, keysym);
    return keycode;
}

void X11SpareKeys::restore() {
    if (bindings_.empty()) return;
    for (const auto& binding : bindings_) setMapping(binding.first, NoSymbol);
    bindings_.clear();
    XSync(display_, False);
}

bool X11SpareKeys::isBound(KeyCode keycode) const {
    return std::any_of(bindings_.begin(), bindings_.end(),
                       [keycode](const auto& binding) { return binding.first == keycode; });
}

void X11SpareKeys::setMapping(KeyCode keycode, keysyms::Keysym keysym) {
    // A letter gets its lower and upper case, as on a real letter key: the server then
    // makes it an alphabetic key, which Shift brings back to the letter wanted when Caps
    // Lock is on. Anything else sits on both levels.
    KeySym lower = NoSymbol, upper = NoSymbol;
    XConvertCase(keysym, &lower, &upper);
    KeySym symbols[2] = {keysym, keysym};
    if (keysym != NoSymbol && lower != upper) {
        symbols[0] = lower;
        symbols[1] = upper;
    }
    XChangeKeyboardMapping(display_, keycode, 2, symbols, 1);
}
