// The process-wide hotkeys and keystroke output: the platform's backends, made on first
// use, unless a test installed others.
#include <QCoreApplication>
#include <memory>

#include "platform/global_hotkeys.h"
#include "platform/keyboard_output.h"
#include "platform/recording/recording_hotkeys.h"

#if defined(_WIN32)
#include "platform/win32/win32_global_hotkeys.h"
#include "platform/win32/win32_keyboard_output.h"
#elif defined(LORVANT_HAVE_X11)
#include "platform/x11/x11_global_hotkeys.h"
#include "platform/x11/x11_keyboard_output.h"
#endif

namespace {

std::unique_ptr<GlobalHotkeys> makePlatformHotkeys() {
#if defined(_WIN32)
    return std::make_unique<Win32GlobalHotkeys>();
#elif defined(LORVANT_HAVE_X11)
    if (auto hotkeys = X11GlobalHotkeys::open()) return hotkeys;
#endif
    // Without a display there is nothing to grab from; the program runs on regardless.
    return std::make_unique<RecordingHotkeys>();
}

// Without a display (or without its XTEST extension) no key can be typed; every transfer
// says so, and the scanner keeps its barcodes.
class UnavailableKeyboard : public KeyboardOutput {
  public:
    void typeCharacter(char) override {}
    void pressVirtualKey(int) override {}
    bool endTransfer() override { return false; }
};

std::unique_ptr<KeyboardOutput> makePlatformOutput() {
#if defined(_WIN32)
    return std::make_unique<Win32KeyboardOutput>();
#elif defined(LORVANT_HAVE_X11)
    if (auto output = X11KeyboardOutput::open()) return output;
#endif
    return std::make_unique<UnavailableKeyboard>();
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
