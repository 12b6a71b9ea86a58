#include "platform/recording/recording_keyboard.h"

std::string RecordingKeyboard::transcript() const {
    std::string text;
    for (const auto& event : events_) {
        switch (event.kind) {
            case Event::BeginTransfer:
                text += '[';
                break;
            case Event::Character:
                text += event.character;
                break;
            case Event::VirtualKey:
                text += '<' + std::to_string(event.virtualKey.code) + '>';
                break;
            case Event::EndTransfer:
                text += ']';
                break;
        }
    }
    return text;
}
