#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The info dialog: version and contact details. Only its OK button closes it.
class TInfoForm : public QDialog {
    Q_OBJECT
  public:
    explicit TInfoForm(QWidget* parent = nullptr);

    QLabel* Logo = nullptr;
    QLabel* VersionLabel = nullptr;
    QPushButton* OkButton = nullptr;

    void OkButtonClick();

  protected:
    // Escape does not close the dialog.
    void reject() override {}
};
