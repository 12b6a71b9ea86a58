#pragma once

#include <QDialog>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QPushButton;

// The configuration password, fixed in the program and held in capitals.
extern const char* const kConfigurationPassword;

// True when `typed` (Windows-1252 bytes), upper-cased, is `password` exactly.
bool passwordMatches(const std::string& typed, std::string_view password = kConfigurationPassword);

// The password dialog guarding the configuration window. Ends with 1 (OK) for the right
// password and 2 (Cancel) otherwise, without a message either way.
class TPassForm : public QDialog {
    Q_OBJECT
  public:
    explicit TPassForm(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Password = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    // The password the dialog asks for: the configuration password (tests may set another).
    std::string password = kConfigurationPassword;

    void FormShow();
    void OKBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
};
