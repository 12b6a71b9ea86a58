#pragma once

#include <QTimer>
#include <memory>

#include "platform/keyboard_output.h"

class X11Typist;

// Keystrokes on X11: each character typed as the active layout produces it, characters
// the layout lacks through spare keycodes bound until shortly after the transfer.
class X11KeyboardOutput : public KeyboardOutput {
  public:
    // nullptr when the display cannot be opened or lacks XTEST. A null name means $DISPLAY.
    static std::unique_ptr<X11KeyboardOutput> open(const char* displayName = nullptr);
    ~X11KeyboardOutput() override;

    void beginTransfer(std::string_view cp1252Characters,
                       const std::vector<VirtualKey>& virtualKeys) override;
    void typeCharacter(char cp1252Byte) override;
    void pressVirtualKey(VirtualKey virtualKey) override;
    // Each key is flushed to the server as it is typed; before a pause the server has
    // also handled them, so the client has them and the pause falls before the next.
    bool flush() override;
    bool endTransfer() override;

    // True while spare keycodes are still bound to characters the layout lacks.
    bool hasTemporaryBindings() const;

  private:
    explicit X11KeyboardOutput(std::unique_ptr<X11Typist> typist);

    std::unique_ptr<X11Typist> typist_;
    QTimer restoreTimer_;
};
