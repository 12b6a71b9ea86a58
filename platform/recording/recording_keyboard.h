#pragma once

#include <string>
#include <vector>

#include "platform/keyboard_output.h"

// Keystroke output that only records what it was asked to type.
class RecordingKeyboard : public KeyboardOutput {
  public:
    struct Event {
        enum Kind { BeginTransfer, Character, VirtualKey, EndTransfer } kind = Character;
        char character = 0;         // Character only
        ::VirtualKey virtualKey{};  // VirtualKey only
        bool operator==(const Event&) const = default;
    };

    void beginTransfer(std::string_view, const std::vector<VirtualKey>&) override {
        events_.push_back({Event::BeginTransfer});
    }
    void typeCharacter(char cp1252Byte) override {
        events_.push_back({Event::Character, cp1252Byte});
    }
    void pressVirtualKey(VirtualKey virtualKey) override {
        events_.push_back({Event::VirtualKey, 0, virtualKey});
    }
    bool endTransfer() override {
        events_.push_back({Event::EndTransfer});
        return !failing_;
    }
    // Makes every transfer from now on report that its keys did not all go out, and why
    // (Windows-1252).
    void failTransfers(bool failing, std::string problem = {}) {
        failing_ = failing;
        problem_ = std::move(problem);
    }
    std::string problem() const override { return failing_ ? problem_ : std::string(); }

    const std::vector<Event>& events() const { return events_; }
    void clear() { events_.clear(); }

    // The typed characters as they are, each virtual key as "<code>" ("ab<13>"), begin
    // and end of a transfer as "[" and "]": easy to compare in a test.
    std::string transcript() const;

  private:
    std::vector<Event> events_;
    bool failing_ = false;
    std::string problem_;
};
