#include "platform/global_hotkeys.h"

void GlobalHotkeys::setHandler(std::function<void(HotkeyId id)> handler) {
    handler_ = std::move(handler);
}

void GlobalHotkeys::notify(HotkeyId id) {
    if (handler_) handler_(id);
}
