#pragma once

#include "platform/keyboard_output.h"

// Keystrokes through keybd_event, each character looked up in the active layout with
// VkKeyScanA; a character without a key goes out as a Unicode key event. Both put each key
// into the system's input stream at once, so a pause needs no flush before it.
class Win32KeyboardOutput : public KeyboardOutput {
  public:
    void beginTransfer(std::string_view cp1252Characters,
                       const std::vector<VirtualKey>& virtualKeys) override;
    void typeCharacter(char cp1252Byte) override;
    void pressVirtualKey(VirtualKey virtualKey) override;
    bool endTransfer() override { return !failed_; }

  private:
    bool failed_ = false;
};
