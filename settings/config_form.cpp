#include "settings/config_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

#include "app/main_form.h"
#include "app/texts.h"
#include "core/settings.h"
#include "platform/global_hotkeys.h"
#include "platform/program_dir.h"
#include "scanner/parameter_file.h"
#include "settings/profile_file.h"
#include "settings/scanner_list.h"
#include "transfer/data_file.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"
#include "ui/save_file_dialog.h"

TConfigForm* ConfigForm = nullptr;

namespace {
std::string settingsPath() {
    return programDirectory() + "LVconfig.ini";
}
std::string scannerListPath() {
    return programDirectory() + "LVserial.dat";
}
}  // namespace

TConfigForm::TConfigForm(QWidget* parent) : QDialog(parent) {
    createControls();
    connectHandlers();
    FormCreate();
}

TConfigForm::~TConfigForm() {
    FormDestroy();
    delete DataSaveDialog;
}

void TConfigForm::connectHandlers() {
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::close);
    connect(SynchDateTimeCheckBox, &QCheckBox::toggled, this, &TConfigForm::FormShow);
    connect(BrowseButton, &QPushButton::clicked, this, &TConfigForm::BrowseButtonClick);
    connect(SetTimeDateButton, &QPushButton::clicked, this, &TConfigForm::SetTimeDateButtonClick);
    connect(LoadScannerButton, &QPushButton::clicked, this, &TConfigForm::LoadScannerButtonClick);
    connect(ReadParaButton, &QPushButton::clicked, this, &TConfigForm::ReadParaButtonClick);
    connect(FactoryDefaultButton, &QPushButton::clicked, this,
            &TConfigForm::FactoryDefaultButtonClick);
    connect(OpenConfigButton, &QPushButton::clicked, this, &TConfigForm::OpenConfigButtonClick);
    connect(SaveConfigButton, &QPushButton::clicked, this, &TConfigForm::SaveConfigButtonClick);
    connect(EinlesenButton, &QPushButton::clicked, this, &TConfigForm::Scannereinlesen1Click);
    connect(DeleteButton, &QPushButton::clicked, this, &TConfigForm::DeleteButtonClick);
    connect(SerieListBox, &QTreeWidget::itemSelectionChanged, this,
            &TConfigForm::SerieListBoxSelect);
    // Leaving either edit writes both fields, whether or not its text changed.
    PersNumEdit->installEventFilter(this);
    PersNameEdit->installEventFilter(this);
    SendHotkeyEdit->installEventFilter(this);
    ClearHotkeyEdit->installEventFilter(this);
    connect(&SendTimer, &QTimer::timeout, this, &TConfigForm::SendTimerTimer);
    // The hotkeys outlive this window; a press after it has gone reaches nobody.
    globalHotkeys().setHandler([form = QPointer<TConfigForm>(this)](int id) {
        if (form) form->SwitchHotKey(id);
    });
}

void TConfigForm::FormCreate() {
    settingsFile = std::make_unique<ProfileFile>(settingsPath());
    loadSettings();
    recoverDataFiles();
    loadScannerListFile();
    openParameterFile();
    showParameterTable();
    UpdateMainWindowStatus();
    RegisterHotkeys();
    // In keyboard-wedge mode the program starts minimised.
    if (transferMode() != TransferMode::FileTransfer && MainForm)
        MainForm->setWindowState(MainForm->windowState() | Qt::WindowMinimized);
}

// A missing or unreadable file is reported, the list then starts empty and loading goes on,
// so parameters, status and hotkeys still come up.
void TConfigForm::loadScannerListFile() {
    const ScannerRegistry::LoadReport report = scanners.load(scannerListPath());
    if (!report.error.empty()) showErrorMessage(fromCp1252(report.error));
    if (report.cutAtLine > 0) {
        showWarning(QString(texts::kScannerListCut)
                        .arg(fromCp1252(scannerListPath()))
                        .arg(report.cutAtLine)
                        .arg(fromCp1252(ScannerRegistry::backupPath(scannerListPath()))),
                    texts::kScannerListCutCaption);
    }
    showScanners();
}

void TConfigForm::saveScannerListFile() {
    const std::string path = scannerListPath();
    std::string error;
    switch (scanners.save(path, &error)) {
        case ScannerRegistry::SaveResult::Saved:
        case ScannerRegistry::SaveResult::Unchanged:
            break;
        case ScannerRegistry::SaveResult::NotReadAtStart:
            // A list that was there but could not be read is not replaced by this run's.
            showErrorMessage(QString(texts::kScannerListNotSaved).arg(fromCp1252(path)));
            break;
        case ScannerRegistry::SaveResult::BackupFailed:
            showErrorMessage(
                QString(texts::kScannerListNotKept)
                    .arg(fromCp1252(path), fromCp1252(ScannerRegistry::backupPath(path))));
            break;
        case ScannerRegistry::SaveResult::Failed:
            showErrorMessage(fromCp1252(error));
            break;
    }
}

void TConfigForm::showScanners() {
    SerieListBox->setRows(scanners.rows());
}

void TConfigForm::loadSettings() {
    Settings defaults;
    defaults.dataFile = dataDirectory() + "Data.txt";
    showSettings(readSettingsFrom(*settingsFile, defaults));
}

void TConfigForm::showSettings(const Settings& settings) {
    DataSaveDialog->fileName = fromCp1252(settings.dataFile);
    FileNamePathEdit->setText(DataSaveDialog->fileName);
    FileNamePathEdit->setToolTip(DataSaveDialog->fileName);
    FileSaveOptionRadioGroup->setValue(int(settings.saveOption));
    FileCountCheckBox->setChecked(settings.counterActive);
    fileCounter = settings.fileCounter;
    FieldSepEdit->setText(fromCp1252(settings.fieldSeparator));
    ScanRecToFileBox->setChecked(settings.scannerRecordFirst);
    RadioModeGroup->setValue(int(settings.transferMode));
    setComboValue(cbPortID, settings.port);
    ScannerOptionGroup->setValue(int(settings.dataFormat));
    TransDelCheckBox->setChecked(settings.eraseAfterTransfer);
    SynchDateTimeCheckBox->setChecked(settings.synchroniseClock);
    setComboValue(FieldSepCombo, int(settings.wedgeSeparator));
    setComboValue(StringTermCombo, int(settings.wedgeTerminator));
    SendHotkeyEdit->setText(fromCp1252(settings.sendHotkey.text));
    ClearHotkeyEdit->setText(fromCp1252(settings.clearHotkey.text));
    sendHotkeyModifiers = settings.sendHotkey.modifiers;
    sendHotkeyKey = settings.sendHotkey.key;
    clearHotkeyModifiers = settings.clearHotkey.modifiers;
    clearHotkeyKey = settings.clearHotkey.key;
}

Settings TConfigForm::settings() const {
    Settings settings;
    settings.dataFile = toCp1252(FileNamePathEdit->text());
    settings.saveOption = saveOption();
    settings.counterActive = FileCountCheckBox->isChecked();
    settings.fileCounter = fileCounter;
    settings.fieldSeparator = toCp1252(FieldSepEdit->text());
    settings.scannerRecordFirst = ScanRecToFileBox->isChecked();
    settings.transferMode = transferMode();
    settings.port = portIndex();
    settings.dataFormat = dataFormat();
    settings.eraseAfterTransfer = TransDelCheckBox->isChecked();
    settings.synchroniseClock = SynchDateTimeCheckBox->isChecked();
    settings.wedgeSeparator = wedgeSeparator();
    settings.wedgeTerminator = wedgeTerminator();
    settings.sendHotkey = {toCp1252(SendHotkeyEdit->text()), sendHotkeyModifiers, sendHotkeyKey};
    settings.clearHotkey = {toCp1252(ClearHotkeyEdit->text()), clearHotkeyModifiers,
                            clearHotkeyKey};
    return settings;
}

// A save to the data file that the end of the last run cut short is taken back, so the
// file holds what it held before it; with the counter on, that save went to the last
// number handed out.
void TConfigForm::recoverDataFiles() {
    const std::string path = QFile::encodeName(FileNamePathEdit->text()).toStdString();
    recoverDataFile(path);
    if (FileCountCheckBox->isChecked()) recoverDataFile(counterFileName(path, fileCounter - 1));
}

void TConfigForm::writeSettings() {
    writeSettingsTo(settings(), *settingsFile);
}

DataFormat TConfigForm::dataFormat() const {
    return static_cast<DataFormat>(ScannerOptionGroup->value());
}
void TConfigForm::setDataFormat(DataFormat format) {
    ScannerOptionGroup->setValue(static_cast<int>(format));
}
SaveOption TConfigForm::saveOption() const {
    return static_cast<SaveOption>(FileSaveOptionRadioGroup->value());
}
TransferMode TConfigForm::transferMode() const {
    return static_cast<TransferMode>(RadioModeGroup->value());
}
int32_t TConfigForm::portIndex() const {
    return comboValue(cbPortID);
}
WedgeSeparator TConfigForm::wedgeSeparator() const {
    return static_cast<WedgeSeparator>(comboValue(FieldSepCombo));
}
WedgeTerminator TConfigForm::wedgeTerminator() const {
    return static_cast<WedgeTerminator>(comboValue(StringTermCombo));
}

void TConfigForm::storeFileCounter() {
    // The counter must survive a power cut: a number handed out again would overwrite a
    // saved file whose barcodes have left the scanner. Quietly; leaving the program
    // reports a settings file that cannot be written.
    if (!settingsFile) return;
    writeSettings();
    settingsFile->save();
}

int32_t TConfigForm::nextFileCounter() const {
    // Another running copy may have handed out numbers since this one read the settings
    // file; its numbers are in the file, and none is handed out twice.
    if (!settingsFile) return fileCounter;
    const ProfileFile onDisk(settingsFile->path());
    return std::max(fileCounter, onDisk.readInteger("DataFile", "FileCounter", fileCounter));
}

int32_t TConfigForm::takeFileCounter() {
    fileCounter = nextFileCounter();
    const int32_t counter = fileCounter;
    ++fileCounter;
    storeFileCounter();
    return counter;
}

void TConfigForm::FormDestroy() {
    if (settingsFile) {
        writeSettings();
        ProfileFile& ini = *settingsFile;
        // Reported, but the scanner list below is saved all the same.
        std::string error;
        if (!ini.save(&error))
            showErrorMessage(QString(texts::kSettingsNotWritten).arg(fromCp1252(settingsPath())));
        settingsFile.reset();
    }
    saveScannerListFile();
}

void TConfigForm::FormShow() {
    SetTimeDateButton->setEnabled(!SynchDateTimeCheckBox->isChecked());
}

void TConfigForm::BrowseButtonClick() {
    // The dialog proposes the name it was given last; when that folder has gone, it starts
    // in the folder of the data file as it stands now.
    const QString dataFile = FileNamePathEdit->text();
    DataSaveDialog->initialDirectory =
        dataFile.isEmpty() ? QString() : QFileInfo(dataFile).absolutePath();
    if (!DataSaveDialog->execute(this)) return;
    // The settings file keeps the name in Windows-1252; a character outside it would come
    // back as "?" on the next start, and the data would go to another file.
    if (fromCp1252(toCp1252(DataSaveDialog->fileName)) != DataSaveDialog->fileName) {
        showWarning(QString(texts::kFileNameNotStorable).arg(DataSaveDialog->fileName),
                    texts::kFileNameNotStorableCaption);
        return;
    }
    FileNamePathEdit->setText(DataSaveDialog->fileName);
    FileNamePathEdit->setToolTip(DataSaveDialog->fileName);
}

void TConfigForm::FormClose() {
    RegisterHotkeys();
}

void TConfigForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
    // The desktop answers a shortcut portal's request after the window was made, and may
    // refuse the keys, bind none, or end them later.
    WedgeCommandsNote->setVisible(!globalHotkeys().grabsKeys());
}

void TConfigForm::done(int result) {
    QDialog::done(result);
    FormClose();
}

bool TConfigForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == PersNumEdit || watched == PersNameEdit))
        PersNumEditExit();
    hotkeyEditKeyDown(watched, event);
    return QDialog::eventFilter(watched, event);
}

void TConfigForm::keyPressEvent(QKeyEvent* event) {
    // Neither Escape nor Enter closes this window; only "Schliessen" and the close box do.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
