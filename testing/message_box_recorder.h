#pragma once

#include <vector>

#include "ui/message_box.h"

// Records every message box shown and answers each with the next scripted button (or the
// request's default, else OK, when the script has run out). Installs itself while alive.
class MessageBoxRecorder {
  public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void answerNext(QMessageBox::StandardButton button) { script_.push_back(button); }
    const std::vector<MessageBoxRequest>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

  private:
    std::vector<MessageBoxRequest> shown_;
    std::vector<QMessageBox::StandardButton> script_;
};
