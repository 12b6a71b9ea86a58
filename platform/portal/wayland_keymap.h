#pragma once

#include <QSocketNotifier>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_keyboard;
struct xkb_context;
struct xkb_keymap;

// The keyboard layout the compositor gives this program, on a Wayland connection of the
// program's own (Qt has no public way to share its own): the keymap of the first seat's
// keyboard, as its keymap events deliver it, kept current from the event loop.
class WaylandKeymap {
  public:
    // nullptr when no Wayland display can be reached. A null name means $WAYLAND_DISPLAY;
    // an absolute path names the socket itself.
    static std::unique_ptr<WaylandKeymap> open(const char* displayName = nullptr);
    ~WaylandKeymap();
    WaylandKeymap(const WaylandKeymap&) = delete;
    WaylandKeymap& operator=(const WaylandKeymap&) = delete;

    // The keysyms of the active layout, after a round trip that picks up any change.
    // Nothing when the compositor gave no keymap (a seat without a keyboard) or the
    // connection is gone. Of several layouts the first counts: the active one is told
    // only to a client with the keyboard focus, which this connection never has.
    std::optional<std::set<uint32_t>> activeLayoutKeysyms();

    // True when the compositor announced the global `interface` to this connection
    // ("zwp_virtual_keyboard_manager_v1", for one).
    bool offers(const std::string& interface) const { return globals_.count(interface) > 0; }

    // Called by the protocol listeners.
    void seatCapabilities(uint32_t capabilities);
    void keymapReceived(uint32_t format, int fd, uint32_t size);
    void globalAnnounced(wl_registry* registry, uint32_t name, const char* interface,
                         uint32_t version);

  private:
    explicit WaylandKeymap(wl_display* display);
    void dispatch();

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    std::set<std::string> globals_;
    bool broken_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};
