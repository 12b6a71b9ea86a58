#include "platform/portal/desktop_portals.h"

#include "platform/portal/portal_global_hotkeys.h"
#include "platform/portal/portal_keyboard_output.h"
#include "platform/portal/portal_request.h"
#include "platform/portal/wayland_keymap.h"

namespace portal {

namespace {
constexpr uint kKeyboard = 1;
}

DesktopPortals probeDesktopPortals(const QDBusConnection& bus, int timeoutMs) {
    if (!bus.isConnected()) return {};
    DesktopPortals offered;
    // A portal without a backend for an interface does not serve that interface at all.
    offered.globalShortcuts =
        property(bus, "org.freedesktop.portal.GlobalShortcuts", "version", timeoutMs).isValid();
    offered.remoteDesktopKeyboard =
        property(bus, "org.freedesktop.portal.RemoteDesktop", "AvailableDeviceTypes", timeoutMs)
            .toUInt() &
        kKeyboard;
    return offered;
}

bool waylandCompositorOffers(const char* interface, const char* waylandDisplay) {
    const auto connection = WaylandKeymap::open(waylandDisplay);
    return connection && connection->offers(interface);
}

std::unique_ptr<GlobalHotkeys> openPortalHotkeys(const QDBusConnection& bus) {
    if (!probeDesktopPortals(bus).globalShortcuts) return nullptr;
    return std::make_unique<PortalGlobalHotkeys>(bus);
}

std::unique_ptr<KeyboardOutput> openPortalKeyboard(const QDBusConnection& bus,
                                                   const char* waylandDisplay) {
    if (!probeDesktopPortals(bus).remoteDesktopKeyboard) return nullptr;
    return std::make_unique<PortalKeyboardOutput>(bus, WaylandKeymap::open(waylandDisplay));
}

}  // namespace portal
