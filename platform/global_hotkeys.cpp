#include "platform/global_hotkeys.h"

void GlobalHotkeys::setHandler(std::function<void(HotkeyId id)> handler) {
    handler_ = std::move(handler);
}

void GlobalHotkeys::notify(HotkeyId id) {
    if (handler_) handler_(id);
}

void GlobalHotkeys::setNoticeHandler(std::function<void(const std::string& text)> handler) {
    noticeHandler_ = std::move(handler);
}

void GlobalHotkeys::tell(const std::string& text) {
    if (noticeHandler_) noticeHandler_(text);
}
