#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <vector>

class QDialog;
class QWidget;

// Every message box of the program goes through showMessageBox, and every modal window
// through showModal, so that tests can answer them with a script and look at them after.
struct MessageBoxRequest {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// The application's title: taskbar text and caption of the plain messages.
inline constexpr const char* kApplicationTitle = "Lorvant";

// Shows a modal message box and returns the button pressed.
QMessageBox::StandardButton showMessageBox(const MessageBoxRequest& request);

// A warning: the warning icon and an OK button.
void showWarning(const QString& text, const QString& caption);

// The framework's plain message: application title as caption, OK button.
void showPlainMessage(const QString& text);

// The application's default error display: application title as caption, the error's
// message, an error icon and an OK button. The program carries on afterwards.
void showErrorMessage(const QString& text);

// What a modal window of the program ends with: OK or Cancel (a plain Qt dialog: Accepted 1,
// Rejected 0).
enum ModalResult : int { ModalNone = 0, ModalOk = 1, ModalCancel = 2 };

// Shows `dialog` modally and returns its result.
int showModal(QDialog* dialog);

// Test seams. A handler answers message boxes instead of the user; the modal handler
// stands in for the nested loop of a modal window.
using MessageBoxHandler = std::function<QMessageBox::StandardButton(const MessageBoxRequest&)>;
using ModalHandler = std::function<int(QDialog*)>;
void setMessageBoxHandler(MessageBoxHandler handler);
void setModalHandler(ModalHandler handler);
