#include "platform/global_hotkeys.h"

namespace {
class NoHotkeys final : public GlobalHotkeys {
  public:
    bool registerHotkey(int, int, int) override { return false; }
    void unregisterHotkey(int) override {}
};
NoHotkeys none;
GlobalHotkeys* installed = &none;
}  // namespace

GlobalHotkeys& globalHotkeys() {
    return *installed;
}
void setGlobalHotkeys(GlobalHotkeys* hotkeys) {
    installed = hotkeys ? hotkeys : &none;
}
