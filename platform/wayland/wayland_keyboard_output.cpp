#include "platform/wayland/wayland_keyboard_output.h"

#include <utility>

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

void WaylandKeyboardOutput::beginTransfer(std::string_view cp1252Characters,
                                          const std::vector<VirtualKey>& virtualKeys) {
    keys_ = {};
    problem_.clear();
    failure_.clear();
    characters_ = cp1252Characters;
    virtualKeys_ = virtualKeys;
    checkedWhole_ = false;
}

void WaylandKeyboardOutput::typeCharacter(char cp1252Byte) {
    keys_.addCharacter(cp1252Byte);
}

void WaylandKeyboardOutput::pressVirtualKey(VirtualKey virtualKey) {
    keys_.addVirtualKey(virtualKey);
}

bool WaylandKeyboardOutput::flush() {
    // Before the first part every key of the transfer is checked, not only this part's.
    if (!std::exchange(checkedWhole_, true)) {
        virtualkeys::TransferKeys all;
        for (const char c : characters_) all.addCharacter(c);
        for (const VirtualKey virtualKey : virtualKeys_) all.addVirtualKey(virtualKey);
        failure_ = all.problem();
    }
    if (failure_.empty()) failure_ = keys_.problem();
    if (failure_.empty()) failure_ = type();
    keys_ = {};
    return failure_.empty();
}

bool WaylandKeyboardOutput::endTransfer() {
    // A key that cannot be typed is named first (the first in typing order); else what the
    // check before the first part or a part typed before a pause found.
    std::string why = keys_.problem();
    if (why.empty()) why = failure_;
    if (why.empty()) why = type();
    keys_ = {};
    failure_.clear();
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
