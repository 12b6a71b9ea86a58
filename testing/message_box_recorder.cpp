#include "testing/message_box_recorder.h"

MessageBoxRecorder::MessageBoxRecorder() {
    setMessageBoxHandler([this](const MessageBoxRequest& request) {
        shown_.push_back(request);
        if (!script_.empty()) {
            const auto button = script_.front();
            script_.erase(script_.begin());
            return button;
        }
        return request.defaultButton != QMessageBox::NoButton ? request.defaultButton
                                                              : QMessageBox::Ok;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    setMessageBoxHandler({});
}
