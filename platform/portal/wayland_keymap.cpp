#include "platform/portal/wayland_keymap.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>

#include "platform/portal/keysym_choice.h"

namespace {

// wl_seat version 5 brought wl_keyboard.release; nothing newer is needed.
constexpr uint32_t kSeatVersion = 5;

void onKeymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
    static_cast<WaylandKeymap*>(data)->keymapReceived(format, fd, size);
}
void onEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void onLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void onKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {}
void onModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void onRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboardListener = {onKeymap, onEnter,     onLeave,
                                               onKey,    onModifiers, onRepeatInfo};

void onCapabilities(void* data, wl_seat*, uint32_t capabilities) {
    static_cast<WaylandKeymap*>(data)->seatCapabilities(capabilities);
}
void onSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener = {onCapabilities, onSeatName};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    static_cast<WaylandKeymap*>(data)->globalAnnounced(registry, name, interface, version);
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

}  // namespace

std::unique_ptr<WaylandKeymap> WaylandKeymap::open(const char* displayName) {
    wl_display* display = wl_display_connect(displayName);
    if (!display) return nullptr;
    std::unique_ptr<WaylandKeymap> keymap(new WaylandKeymap(display));
    // The first round trip announces the seat, the second its keyboard, the third the keymap.
    for (int i = 0; i < 3; ++i) {
        if (wl_display_roundtrip(display) < 0) return nullptr;
    }
    return keymap;
}

WaylandKeymap::WaylandKeymap(wl_display* display)
    : display_(display), context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, this);
    notifier_ =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { dispatch(); });
}

WaylandKeymap::~WaylandKeymap() {
    notifier_.reset();
    if (keymap_) xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
    if (keyboard_) wl_keyboard_destroy(keyboard_);
    if (seat_) wl_seat_destroy(seat_);
    if (registry_) wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void WaylandKeymap::globalAnnounced(wl_registry* registry, uint32_t name, const char* interface,
                                    uint32_t version) {
    globals_.insert(interface);
    if (seat_ || std::strcmp(interface, wl_seat_interface.name) != 0) return;
    // The first seat is the user's.
    seat_ = static_cast<wl_seat*>(
        wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, kSeatVersion)));
    wl_seat_add_listener(seat_, &seatListener, this);
}

void WaylandKeymap::seatCapabilities(uint32_t capabilities) {
    const bool hasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    if (hasKeyboard && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &keyboardListener, this);
    } else if (!hasKeyboard && keyboard_) {
        wl_keyboard_destroy(keyboard_);
        keyboard_ = nullptr;
        if (keymap_) xkb_keymap_unref(keymap_);
        keymap_ = nullptr;
    }
}

void WaylandKeymap::keymapReceived(uint32_t format, int fd, uint32_t size) {
    if (keymap_) xkb_keymap_unref(keymap_);
    keymap_ = nullptr;
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            const char* chars = static_cast<const char*>(text);
            keymap_ =
                xkb_keymap_new_from_buffer(context_, chars, strnlen(chars, size),
                                           XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            munmap(text, size);
        }
    }
    close(fd);
}

void WaylandKeymap::dispatch() {
    if (broken_) return;
    if (wl_display_dispatch(display_) < 0) {
        broken_ = true;
        notifier_->setEnabled(false);
    }
}

std::optional<std::set<uint32_t>> WaylandKeymap::activeLayoutKeysyms() {
    if (broken_ || wl_display_roundtrip(display_) < 0) {
        broken_ = true;
        return std::nullopt;
    }
    if (!keymap_) return std::nullopt;
    return portal::layoutKeysyms(keymap_, 0);
}
