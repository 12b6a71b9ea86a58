#include "platform/wayland/wayland_keyboard_output.h"

#include "platform/wayland/wayland_virtual_keyboard.h"
#include "text/cp1252.h"
#include "text/texts.h"

namespace {

std::string reasonFor(WaylandVirtualKeyboard::Status status) {
    switch (status) {
        case WaylandVirtualKeyboard::Status::NoCompositor:
            return "Lorvant erreicht den Wayland-Compositor nicht (WAYLAND_DISPLAY).";
        case WaylandVirtualKeyboard::Status::NoProtocol:
            return std::string(
                       "Diese Arbeitsumgebung lässt keine virtuelle Tastatur zu "
                       "(Wayland-Protokoll zwp_virtual_keyboard_v1). Das können ") +
                   texts::kVirtualKeyboardCompositors + ", nicht aber GNOME und KDE.";
        case WaylandVirtualKeyboard::Status::NoSeat:
            return "Der Wayland-Compositor meldet keinen Sitz mit Tastatur (wl_seat).";
        case WaylandVirtualKeyboard::Status::Ready:
            break;
    }
    return {};
}

}  // namespace

WaylandKeyboardOutput::WaylandKeyboardOutput() = default;
WaylandKeyboardOutput::~WaylandKeyboardOutput() = default;

void WaylandKeyboardOutput::beginTransfer(std::string_view, const std::vector<VirtualKey>&) {
    keys_ = {};
    problem_.clear();
}

void WaylandKeyboardOutput::typeCharacter(char cp1252Byte) {
    keys_.addCharacter(cp1252Byte);
}

void WaylandKeyboardOutput::pressVirtualKey(VirtualKey virtualKey) {
    keys_.addVirtualKey(virtualKey);
}

bool WaylandKeyboardOutput::endTransfer() {
    const std::string why = !keys_.problem().empty() ? keys_.problem() : type();
    keys_ = {};
    problem_ = cp1252::fromUtf8(why);
    return why.empty();
}

std::string WaylandKeyboardOutput::connectKeyboard() {
    if (keyboard_ && keyboard_->connected()) return {};
    // The first transfer of the run, or a compositor restarted since the last one.
    keyboard_.reset();
    auto status = WaylandVirtualKeyboard::Status::Ready;
    keyboard_ = WaylandVirtualKeyboard::connect(status);
    return reasonFor(status);
}

std::string WaylandKeyboardOutput::type() {
    if (keys_.keys().empty()) return {};
    if (std::string why = connectKeyboard(); !why.empty()) return why;
    bool sent = keyboard_->hasKeymap() || keyboard_->setKeymap(virtualkeys::Keymap::wedge());
    for (const uint32_t key : keys_.keys()) {
        if (!sent) break;
        sent = keyboard_->tap(key);
    }
    if (sent) return {};
    keyboard_.reset();
    return "Die Verbindung zum Wayland-Compositor brach während der Übertragung ab.";
}
