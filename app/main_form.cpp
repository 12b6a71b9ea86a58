#include "app/main_form.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include "app/info_form.h"
#include "app/pass_form.h"
#include "scanner/scanner_library.h"
#include "settings/config_form.h"
#include "transfer/receive_form.h"
#include "ui/message_box.h"
#include "ui/picture_button.h"

TMainForm* MainForm = nullptr;

namespace {
QIcon picture(const char* resource) {
    return QIcon(QString(":/pictures/%1.svg").arg(resource));
}
}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    createControls();
    createMenu();
}

TMainForm::~TMainForm() {
    delete ButtonLMDBitmapList;
}

void TMainForm::createControls() {
    setWindowTitle("              Q&Z Lorvant");
    setWindowIcon(picture("program"));
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(184, 221, 239));
    setPalette(background);
    setAutoFillBackground(true);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setFixedHeight(81);
    setCentralWidget(new QWidget(this));
    Panel1->setParent(centralWidget());
    Panel1->setGeometry(0, 0, 293, 81);

    ButtonLMDBitmapList = new PictureList;
    ButtonLMDBitmapList->add("Warning", picture("warning"));
    ButtonLMDBitmapList->add("CS1504", picture("cs1504"));
    ButtonLMDBitmapList->add("Opticon", picture("opticon"));

    const QColor tooltip = QApplication::palette().color(QPalette::ToolTipBase);
    SpeedButton1 = new PictureButton(Panel1);
    SpeedButton1->setGeometry(8, 7, 60, 60);
    SpeedButton1->setPicture(picture("ende"));
    SpeedButton1->setToolTip("Programm beenden.");
    RecvButton = new PictureButton(Panel1);
    RecvButton->setGeometry(136, 8, 60, 60);
    RecvButton->setToolTip("Daten einlesen.");
    ScanChangeButton = new PictureButton(Panel1);
    ScanChangeButton->setGeometry(208, 8, 60, 60);
    ScanChangeButton->setPicture(picture("scanchange"));
    ScanChangeButton->setToolTip("Scanner Port schliessen.");
    for (auto* button : {RecvButton, ScanChangeButton}) {
        QPalette p = button->palette();
        p.setColor(QPalette::Button, tooltip);
        button->setPalette(p);
        button->setAutoFillBackground(true);
    }
    setRecvPicture(0);

    KeyStatus = new QStatusBar(this);
    KeyStatus->setSizeGripEnabled(false);
    KeyStatus->setFixedHeight(19);
    KeyStatusText = new QLabel(KeyStatus);
    KeyStatus->addWidget(KeyStatusText, 1);
    KeyStatus->setAutoFillBackground(true);
    setStatusBar(KeyStatus);
    setStatusColor(QColor(255, 0, 0));

    connect(SpeedButton1, &QToolButton::clicked, this, &TMainForm::Ende1Click);
    connect(RecvButton, &QToolButton::clicked, this, &TMainForm::Empfangen1Click);
    connect(ScanChangeButton, &QToolButton::clicked, this, &TMainForm::ScanChangeButtonClick);
    resize(293, 214);
}

void TMainForm::createMenu() {
    QMenu* file = menuBar()->addMenu("Datei");
    file->addAction("Empfangen", this, &TMainForm::Empfangen1Click);
    file->addSeparator();
    file->addAction("Schliessen", this, &TMainForm::Ende1Click);
    menuBar()->addAction("Konfiguration", this, &TMainForm::Konfiguration1Click);
    menuBar()->addAction("Info", this, &TMainForm::Info1Click);
}

void TMainForm::setRecvPicture(int index) {
    recvPicture_ = index;
    RecvButton->setPicture(ButtonLMDBitmapList->picture(index));
}

void TMainForm::setStatusColor(const QColor& color) {
    QPalette p = KeyStatus->palette();
    p.setColor(QPalette::Window, color);
    KeyStatus->setPalette(p);
}

QColor TMainForm::statusColor() const {
    return KeyStatus->palette().color(QPalette::Window);
}

void TMainForm::Empfangen1Click() {
    ScannerLibrary& scanner = scannerLibrary();
    scanner.ResetScannerLink();
    int32_t result = scanner.OpenScannerPort(ConfigForm->cbPortID->currentIndex());
    if (result != 0) result = scanner.CloseScannerPort();
    if (result != 0) {
        showMessageBox({"Port kann nicht intialisiert werden", "Kommunikations Fehler!!",
                        QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok});
        return;
    }
    showModal(ReceiveForm);
}

void TMainForm::ScanChangeButtonClick() {
    scannerLibrary().CloseScannerPort();
    showPlainMessage("Scanner kann nun gewechselt werden");
}

void TMainForm::Ende1Click() {
    close();
}

void TMainForm::Konfiguration1Click() {
    if (showModal(PassForm) == 1) showModal(ConfigForm);
}

void TMainForm::Info1Click() {
    showModal(InfoForm);
}
