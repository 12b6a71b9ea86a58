#include "windows/main_form.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include "core/program_data.h"
#include "scanner/scanner_library.h"
#include "system/serial_transport.h"
#include "text/texts.h"
#include "ui/message_box.h"
#include "ui/picture_button.h"
#include "ui/window_placement.h"
#include "windows/config_form.h"
#include "windows/history_form.h"
#include "windows/info_form.h"
#include "windows/pass_form.h"
#include "windows/receive_form.h"

QColor mainWindowColor() {
    return QColor(184, 221, 239);
}

QColor tooltipColor() {
    return QApplication::palette().color(QPalette::ToolTipBase);
}

namespace {
QIcon picture(const char* resource) {
    return namedPicture(resource);
}

void setBackground(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
}  // namespace

TMainForm::TMainForm(ProgramData& data, QWidget* parent) : QMainWindow(parent), data_(data) {
    setWindowTitle(texts::kMainWindowTitle);
    setWindowIcon(picture("program"));
    setBackground(this, QPalette::Window, mainWindowColor());
    createPanel();
    createStatusBar();
    createMenu();
    new WindowPlacement(this, QSize(293, 214));
}

void TMainForm::setDialogs(TConfigForm* config, TReceiveForm* receive, TPassForm* password,
                           TInfoForm* info) {
    config_ = config;
    receive_ = receive;
    password_ = password;
    info_ = info;
}

TMainForm::~TMainForm() {
    delete ButtonLMDBitmapList;
}

void TMainForm::createPanel() {
    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    Panel1 = new QFrame(client);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setFixedHeight(81);
    column->addWidget(Panel1);
    column->addStretch(1);
    setCentralWidget(client);

    ButtonLMDBitmapList = new PictureList;
    ButtonLMDBitmapList->add("Warning", picture("warning"));
    ButtonLMDBitmapList->add("CS1504", picture("cs1504"));
    ButtonLMDBitmapList->add("Opticon", picture("opticon"));

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
    for (auto* button : {RecvButton, ScanChangeButton})
        setBackground(button, QPalette::Button, tooltipColor());
    setRecvPicture(RecvPicture::Warning);

    connect(SpeedButton1, &QToolButton::clicked, this, &TMainForm::Ende1Click);
    connect(RecvButton, &QToolButton::clicked, this, &TMainForm::RecvButtonClick);
    connect(ScanChangeButton, &QToolButton::clicked, this, &TMainForm::ScanChangeButtonClick);
}

void TMainForm::createStatusBar() {
    KeyStatus = new QStatusBar(this);
    KeyStatus->setSizeGripEnabled(false);
    KeyStatus->setFixedHeight(19);
    // One simple text panel, drawn without the frame QStatusBar puts around its items.
    KeyStatus->setStyleSheet("QStatusBar::item { border: none; }");
    KeyStatusText = new QLabel(KeyStatus);
    KeyStatusText->setContentsMargins(2, 0, 2, 0);
    KeyStatus->addWidget(KeyStatusText, 1);
    setStatusBar(KeyStatus);
    // Red until the status rule runs.
    setStatusColor(QColor(255, 0, 0));
}

void TMainForm::createMenu() {
    QMenu* file = menuBar()->addMenu("Datei");
    Empfangen1 = file->addAction("Empfangen", this, &TMainForm::Empfangen1Click);
    Verlauf1 = file->addAction(texts::kHistoryMenu, this, &TMainForm::Verlauf1Click);
    file->addSeparator();
    Ende1 = file->addAction(texts::kClose, this, &TMainForm::Ende1Click);
    Konfiguration1 =
        menuBar()->addAction(texts::kConfiguration, this, &TMainForm::Konfiguration1Click);
    Info1 = menuBar()->addAction(texts::kInfo, this, &TMainForm::Info1Click);
}

void TMainForm::setRecvPicture(RecvPicture picture) {
    recvPicture_ = static_cast<int>(picture);
    RecvButton->setPicture(ButtonLMDBitmapList->picture(recvPicture_));
}

void TMainForm::setStatusColor(const QColor& color) {
    setBackground(KeyStatus, QPalette::Window, color);
}

QColor TMainForm::statusColor() const {
    return KeyStatus->palette().color(QPalette::Window);
}

void TMainForm::showWedgeActivity(const QString& text) {
    KeyStatus->showMessage(text);
    setWindowTitle(QString(texts::kWedgeTitle).arg(text.trimmed()));
}

void TMainForm::endWedgeActivity(const QString& outcome) {
    if (outcome.isEmpty())
        KeyStatus->clearMessage();
    else
        KeyStatus->showMessage(outcome, 60000);
    setWindowTitle(texts::kMainWindowTitle);
}

void TMainForm::RecvButtonClick() {
    // The one click that reaches the window while a wedge transfer reads: it cancels that.
    if (receive_ && receive_->isReading())
        scannerLibrary().CancelReading();
    else
        Empfangen1Click();
}

void TMainForm::Empfangen1Click() {
    // Not while a reading runs (its progress lets events through): one exchange at a time.
    if (!receive_ || receive_->isReading()) return;
    ScannerLibrary& scanner = scannerLibrary();
    scanner.ResetScannerLink();
    const int port = data_.settings.port;
    int32_t result = scanner.OpenScannerPort(port);
    // A failed open is followed by a close; when that succeeds, the reading is tried all
    // the same and the receive window reports what it finds.
    if (result != 0) result = scanner.CloseScannerPort();
    if (result != 0) {
        showWarning(portOpenFailureText(port), texts::kPortNotOpenedCaption);
        return;
    }
    showModal(receive_);
}

void TMainForm::Verlauf1Click() {
    if (!history_) return;
    if (!history_->reload()) {
        showWarning(texts::kHistoryUnavailable, texts::kHistoryCaption);
        return;
    }
    showModal(history_);
}

void TMainForm::ScanChangeButtonClick() {
    if (receive_ && receive_->isReading()) return;
    scannerLibrary().CloseScannerPort();
    showPlainMessage(texts::kScannerMayBeChanged);
}

void TMainForm::Ende1Click() {
    close();
}

void TMainForm::Konfiguration1Click() {
    // The dialogs come right after the main window has shown.
    if (!password_ || !config_) return;
    if (showModal(password_) != ModalOk) return;
    showModal(config_);
    emit configurationClosed();
}

void TMainForm::Info1Click() {
    if (info_) showModal(info_);
}
