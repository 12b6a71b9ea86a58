#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/wayland/virtual_keymap.h"

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

// A virtual keyboard on the compositor's seat (protocol zwp_virtual_keyboard_v1, offered
// by the wlroots compositors: sway, Hyprland, river, labwc, Wayfire), on a Wayland
// connection of its own: Qt 6.4 has no public way to share its connection.
//
// Paced. Keys sent as fast as the socket takes them flood the focused client, and the
// compositor disconnects a client that falls behind (sway does, mid-text). After each key
// the keyboard waits until the compositor has handled it, and a little more for the client
// to read it; after a new keymap it waits longer, as the client compiles it first.
class WaylandVirtualKeyboard {
  public:
    enum class Status {
        Ready,
        NoCompositor,  // no Wayland display to connect to
        NoProtocol,    // the compositor offers no virtual keyboard (GNOME, KDE)
        NoSeat,
    };

    // Connects to $WAYLAND_DISPLAY and makes the keyboard; nullptr and the reason otherwise.
    static std::unique_ptr<WaylandVirtualKeyboard> connect(Status& status);
    ~WaylandVirtualKeyboard();
    WaylandVirtualKeyboard(const WaylandVirtualKeyboard&) = delete;
    WaylandVirtualKeyboard& operator=(const WaylandVirtualKeyboard&) = delete;

    // Hands the compositor the keymap, once for the keyboard's life: it stays the same.
    // False when that did not get through.
    bool setKeymap(const virtualkeys::Keymap& keymap);
    bool hasKeymap() const { return hasKeymap_; }
    // Presses and releases a key of the keymap; false when the connection broke.
    bool tap(uint32_t key);
    // False once the connection has failed (compositor gone, a request refused).
    bool connected() const;

  private:
    WaylandVirtualKeyboard() = default;
    bool settle(std::chrono::microseconds extra);
    uint32_t now() const;

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwp_virtual_keyboard_manager_v1* manager_ = nullptr;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    bool hasKeymap_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
