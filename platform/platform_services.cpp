// The process-wide hotkeys and keystroke output: the backends of the desktop session,
// made on first use, unless a test installed others.
#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

#include "platform/command_hotkeys.h"
#include "platform/global_hotkeys.h"
#include "platform/keyboard_output.h"
#include "platform/recording/recording_hotkeys.h"
#include "platform/wayland_session.h"
#include "text/cp1252.h"
#include "text/texts.h"

#if defined(_WIN32)
#include "platform/win32/win32_global_hotkeys.h"
#include "platform/win32/win32_keyboard_output.h"
#else
#if defined(LORVANT_HAVE_X11)
#include "platform/x11/x11_global_hotkeys.h"
#include "platform/x11/x11_keyboard_output.h"
#endif
#if defined(LORVANT_HAVE_WAYLAND)
#include "platform/wayland/wayland_keyboard_output.h"
#endif
#if defined(LORVANT_HAVE_PORTALS)
#include "platform/portal/desktop_portals.h"
#include "platform/portal/wayland_keymap.h"
#endif
#endif

namespace {

#if !defined(_WIN32)
// The desktop the user works on is a Wayland one when its display is named, even while Qt
// itself runs through XWayland (Qt without its Wayland plugin): X11 grabs and XTEST would
// reach only the XWayland windows there, and fail silently for all others.
bool waylandSession() {
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return true;
    return QGuiApplication::platformName() == QLatin1String("wayland");
}
#endif

std::unique_ptr<GlobalHotkeys> makePlatformHotkeys() {
#if defined(_WIN32)
    return std::make_unique<Win32GlobalHotkeys>();
#else
    if (waylandSession()) return makeWaylandHotkeys();
#if defined(LORVANT_HAVE_X11)
    if (auto hotkeys = X11GlobalHotkeys::open()) return hotkeys;
#endif
    // Without a display there is nothing to grab from; the program runs on regardless.
    return std::make_unique<RecordingHotkeys>();
#endif
}

// No key can be typed (no display, no XTEST, a build without Wayland): every transfer
// says so, and the scanner keeps its barcodes.
class UnavailableKeyboard : public KeyboardOutput {
  public:
    explicit UnavailableKeyboard(std::string_view reason) : reason_(cp1252::fromUtf8(reason)) {}
    void typeCharacter(char) override {}
    void pressVirtualKey(VirtualKey) override {}
    bool flush() override { return false; }
    bool endTransfer() override { return false; }
    std::string problem() const override { return reason_; }

  private:
    std::string reason_;
};

}  // namespace

#if !defined(_WIN32)
std::unique_ptr<GlobalHotkeys> makeWaylandHotkeys() {
#if defined(LORVANT_HAVE_PORTALS)
    if (auto hotkeys = portal::openPortalHotkeys()) return hotkeys;
#endif
    return std::make_unique<CommandHotkeys>();
}

std::unique_ptr<KeyboardOutput> makeWaylandOutput() {
#if defined(LORVANT_HAVE_PORTALS)
    // The wlroots compositors let a program type through a virtual keyboard of its own;
    // GNOME and KDE offer typing only through the portal, whose desktop asks the user first.
    const auto compositor = WaylandKeymap::open();
    if (compositor && compositor->offers("zwp_virtual_keyboard_manager_v1"))
        return std::make_unique<WaylandKeyboardOutput>();
    if (auto output = portal::openPortalKeyboard()) return output;
    if (!compositor)
        return std::make_unique<UnavailableKeyboard>(
            "Lorvant erreicht den Wayland-Compositor nicht (WAYLAND_DISPLAY), und das "
            "Desktop-Portal bietet kein Tippen an.");
    return std::make_unique<UnavailableKeyboard>(
        std::string("Diese Arbeitsumgebung lässt Lorvant nicht tippen: Der Wayland-Compositor "
                    "bietet keine virtuelle Tastatur an (zwp_virtual_keyboard_v1; das können ") +
        texts::kVirtualKeyboardCompositors +
        "), und das Desktop-Portal bietet kein Tippen an (RemoteDesktop; unter GNOME und KDE "
        "mit dem Paket xdg-desktop-portal-gnome bzw. xdg-desktop-portal-kde).");
#elif defined(LORVANT_HAVE_WAYLAND)
    // It tells at each transfer why it could not type, a compositor without virtual
    // keyboards (GNOME, KDE) among them.
    return std::make_unique<WaylandKeyboardOutput>();
#else
    return std::make_unique<UnavailableKeyboard>(
        "Dieses Lorvant wurde ohne Wayland-Unterstützung gebaut.");
#endif
}
#endif

namespace {

std::unique_ptr<KeyboardOutput> makePlatformOutput() {
#if defined(_WIN32)
    return std::make_unique<Win32KeyboardOutput>();
#else
    if (waylandSession()) return makeWaylandOutput();
#if defined(LORVANT_HAVE_X11)
    if (auto output = X11KeyboardOutput::open()) return output;
#endif
    return std::make_unique<UnavailableKeyboard>(
        "Es ist keine X11-Anzeige mit der Erweiterung XTEST erreichbar.");
#endif
}

GlobalHotkeys* installedHotkeys = nullptr;
KeyboardOutput* installedOutput = nullptr;
std::unique_ptr<GlobalHotkeys> platformHotkeys;
std::unique_ptr<KeyboardOutput> platformOutput;

// The backends watch their connections with the application's event loop, so they go
// while the application object is still there.
void releasePlatformBackends() {
    platformHotkeys.reset();
    platformOutput.reset();
}

void releaseWithApplication() {
    static bool registered = false;
    if (registered || !QCoreApplication::instance()) return;
    qAddPostRoutine(releasePlatformBackends);
    registered = true;
}

}  // namespace

GlobalHotkeys& globalHotkeys() {
    if (installedHotkeys) return *installedHotkeys;
    if (!platformHotkeys) {
        platformHotkeys = makePlatformHotkeys();
        releaseWithApplication();
    }
    return *platformHotkeys;
}

void setGlobalHotkeys(GlobalHotkeys* hotkeys) {
    installedHotkeys = hotkeys;
}

KeyboardOutput& keyboardOutput() {
    if (installedOutput) return *installedOutput;
    if (!platformOutput) {
        platformOutput = makePlatformOutput();
        releaseWithApplication();
    }
    return *platformOutput;
}

void setKeyboardOutput(KeyboardOutput* output) {
    installedOutput = output;
}
