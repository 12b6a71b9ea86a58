#include "platform/x11/x11_global_hotkeys.h"

#include <QTimer>

#include "platform/x11/x11_hotkey_grabs.h"

std::unique_ptr<X11GlobalHotkeys> X11GlobalHotkeys::open(const char* displayName) {
    auto grabs = X11HotkeyGrabs::open(displayName);
    if (!grabs) return nullptr;
    return std::unique_ptr<X11GlobalHotkeys>(new X11GlobalHotkeys(std::move(grabs)));
}

X11GlobalHotkeys::X11GlobalHotkeys(std::unique_ptr<X11HotkeyGrabs> grabs)
    : grabs_(std::move(grabs)),
      notifier_(
          std::make_unique<QSocketNotifier>(grabs_->fileDescriptor(), QSocketNotifier::Read)) {
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { processEvents(); });
}

X11GlobalHotkeys::~X11GlobalHotkeys() = default;

bool X11GlobalHotkeys::registerHotkey(HotkeyId id, HotkeyModifiers modifiers,
                                      VirtualKey virtualKey) {
    const bool grabbed = grabs_->add(id, modifiers, virtualKey);
    processQueuedEventsSoon();
    return grabbed;
}

void X11GlobalHotkeys::unregisterHotkey(HotkeyId id) {
    grabs_->remove(id);
    processQueuedEventsSoon();
}

void X11GlobalHotkeys::processEvents() {
    grabs_->processEvents([this](HotkeyId id) { notify(id); });
}

// Round trips read events into Xlib's queue, past the socket notifier.
void X11GlobalHotkeys::processQueuedEventsSoon() {
    if (!grabs_->hasQueuedEvents()) return;
    QTimer::singleShot(0, notifier_.get(), [this] { processEvents(); });
}
