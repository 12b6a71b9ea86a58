#include "ui/message_box.h"

#include <QApplication>
#include <QDialog>

namespace {
MessageBoxHandler& messageHandler() {
    static MessageBoxHandler handler;
    return handler;
}
ModalHandler& modalHandler() {
    static ModalHandler handler;
    return handler;
}
}  // namespace

QMessageBox::StandardButton showMessageBox(const MessageBoxRequest& request) {
    if (messageHandler()) return messageHandler()(request);
    QMessageBox box(request.icon, request.caption, request.text, request.buttons,
                    QApplication::activeWindow());
    if (request.defaultButton != QMessageBox::NoButton) box.setDefaultButton(request.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void showWarning(const QString& text, const QString& caption) {
    showMessageBox({text, caption, QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok});
}

void showPlainMessage(const QString& text) {
    showMessageBox(
        {text, QString(kApplicationTitle), QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok});
}

void showErrorMessage(const QString& text) {
    showMessageBox({text, QString(kApplicationTitle), QMessageBox::Critical, QMessageBox::Ok,
                    QMessageBox::Ok});
}

int showModal(QDialog* dialog) {
    if (modalHandler()) return modalHandler()(dialog);
    return dialog->exec();
}

void setMessageBoxHandler(MessageBoxHandler handler) {
    messageHandler() = std::move(handler);
}
void setModalHandler(ModalHandler handler) {
    modalHandler() = std::move(handler);
}
