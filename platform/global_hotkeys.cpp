#include "platform/global_hotkeys.h"

void GlobalHotkeys::setHandler(std::function<void(int id)> handler) {
    handler_ = std::move(handler);
}

void GlobalHotkeys::notify(int id) {
    if (handler_) handler_(id);
}
