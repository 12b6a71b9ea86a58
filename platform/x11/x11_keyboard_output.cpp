#include "platform/x11/x11_keyboard_output.h"

#include <QCoreApplication>

#include "platform/x11/x11_typist.h"

namespace {
// Spare bindings outlive the transfer by this much, so that a client still busy with the
// last keys translates them with the binding in place.
constexpr int restoreDelayMs = 500;
}  // namespace

std::unique_ptr<X11KeyboardOutput> X11KeyboardOutput::open(const char* displayName) {
    auto typist = X11Typist::open(displayName);
    if (!typist) return nullptr;
    return std::unique_ptr<X11KeyboardOutput>(new X11KeyboardOutput(std::move(typist)));
}

X11KeyboardOutput::X11KeyboardOutput(std::unique_ptr<X11Typist> typist)
    : typist_(std::move(typist)) {
    restoreTimer_.setSingleShot(true);
    restoreTimer_.setInterval(restoreDelayMs);
    QObject::connect(&restoreTimer_, &QTimer::timeout, [this] { typist_->restoreKeymap(); });
}

X11KeyboardOutput::~X11KeyboardOutput() = default;

void X11KeyboardOutput::beginTransfer(std::string_view cp1252Characters,
                                      const std::vector<VirtualKey>& virtualKeys) {
    // Bindings of a transfer that just ended stay for this one.
    restoreTimer_.stop();
    typist_->prepare(cp1252Characters, virtualKeys);
}

void X11KeyboardOutput::typeCharacter(char cp1252Byte) {
    typist_->typeCharacter(cp1252Byte);
}

void X11KeyboardOutput::pressVirtualKey(VirtualKey virtualKey) {
    typist_->pressVirtualKey(virtualKey);
}

bool X11KeyboardOutput::flush() {
    typist_->sync();
    return true;
}

bool X11KeyboardOutput::endTransfer() {
    const bool allTyped = typist_->finish();
    if (!typist_->hasTemporaryBindings()) return allTyped;
    if (QCoreApplication::instance()) {
        restoreTimer_.start();
    } else {
        typist_->restoreKeymap();
    }
    return allTyped;
}

bool X11KeyboardOutput::hasTemporaryBindings() const {
    return typist_->hasTemporaryBindings();
}
