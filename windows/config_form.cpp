#include "windows/config_form.h"

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

#include "core/settings.h"
#include "core/transfers.h"
#include "formats/data_file.h"
#include "formats/profile_file.h"
#include "formats/scanner_list.h"
#include "platform/global_hotkeys.h"
#include "system/program_dir.h"
#include "text/texts.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"
#include "ui/save_file_dialog.h"
#include "windows/main_form.h"

TConfigForm::TConfigForm(ProgramData& data, TMainForm* main)
    : QDialog(main), data_(data), main_(main) {
    createControls();
    connectHandlers();
    bindControls();
    FormCreate();
}

void TConfigForm::setTransferWindows(TReceiveForm* receive, TdlgTime* clock) {
    receive_ = receive;
    clock_ = clock;
}

TConfigForm::~TConfigForm() {
    data_.settingsChanged = nullptr;
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
    // What the desktop made of the hotkeys, told once by its backend.
    globalHotkeys().setNoticeHandler([](const std::string& text) {
        showMessageBox({QString::fromStdString(text), texts::kHotkeysCaption,
                        QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok});
    });
}

// Each control writes its setting at once: a change counts for every part of the program
// from then on, with no OK or Cancel.
void TConfigForm::bindControls() {
    data_.settingsChanged = [this] { showSettings(data_.settings); };
    Settings& s = data_.settings;
    const auto text = [](QLineEdit* edit, std::string& setting) {
        connect(edit, &QLineEdit::textChanged,
                [&setting](const QString& value) { setting = toCp1252(value); });
    };
    const auto check = [](QCheckBox* box, bool& setting) {
        connect(box, &QCheckBox::toggled, [&setting](bool on) { setting = on; });
    };
    const auto choice = [](RadioGroup* group, auto& setting) {
        connect(group, &RadioGroup::valueChanged, [&setting](int value) {
            setting = static_cast<std::remove_reference_t<decltype(setting)>>(value);
        });
    };
    const auto listChoice = [](QComboBox* combo, auto& setting) {
        connect(combo, &QComboBox::currentIndexChanged, [combo, &setting] {
            setting = static_cast<std::remove_reference_t<decltype(setting)>>(comboValue(combo));
        });
    };
    text(FileNamePathEdit, s.dataFile);
    choice(FileSaveOptionRadioGroup, s.saveOption);
    check(FileCountCheckBox, s.counterActive);
    text(FieldSepEdit, s.fieldSeparator);
    check(ScanRecToFileBox, s.scannerRecordFirst);
    choice(RadioModeGroup, s.transferMode);
    listChoice(cbPortID, s.port);
    choice(ScannerOptionGroup, s.dataFormat);
    check(TransDelCheckBox, s.eraseAfterTransfer);
    check(SynchDateTimeCheckBox, s.synchroniseClock);
    listChoice(FieldSepCombo, s.wedgeSeparator);
    listChoice(StringTermCombo, s.wedgeTerminator);
    text(SendHotkeyEdit, s.sendHotkey.text);
    text(ClearHotkeyEdit, s.clearHotkey.text);
}

void TConfigForm::FormCreate() {
    data_.loadSettings(programDirectory(), dataDirectory());
    showSettings(data_.settings);
    recoverDataFiles();
    loadScannerListFile();
    // A file held by another running copy stays closed: saving then changes nothing on disk
    // and loading only resets the check boxes to the table.
    data_.parameters.openFile(data_.parametersPath());
    showParameterTable();
    UpdateMainWindowStatus();
    RegisterHotkeys();
    // In keyboard-wedge mode the program starts minimised.
    if (settings().transferMode != TransferMode::FileTransfer && main_)
        main_->setWindowState(main_->windowState() | Qt::WindowMinimized);
}

// A missing or unreadable file is reported, the list then starts empty and loading goes on,
// so parameters, status and hotkeys still come up.
void TConfigForm::loadScannerListFile() {
    const ScannerRegistry::LoadReport report = data_.loadScanners();
    if (!report.error.empty()) showErrorMessage(fromCp1252(report.error));
    if (report.cutAtLine > 0) {
        showWarning(QString(texts::kScannerListCut)
                        .arg(fromCp1252(data_.scannersPath()))
                        .arg(report.cutAtLine)
                        .arg(fromCp1252(ScannerRegistry::backupPath(data_.scannersPath()))),
                    texts::kScannerListCutCaption);
    }
    showScanners();
}

void TConfigForm::saveScannerListFile() {
    const std::string path = data_.scannersPath();
    std::string error;
    switch (data_.saveScanners(&error)) {
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
    SerieListBox->setRows(data_.scanners.rows());
}

void TConfigForm::showSettings(const Settings& settings) {
    DataSaveDialog->fileName = fromCp1252(settings.dataFile);
    FileNamePathEdit->setText(DataSaveDialog->fileName);
    FileNamePathEdit->setToolTip(DataSaveDialog->fileName);
    FileSaveOptionRadioGroup->setValue(int(settings.saveOption));
    FileCountCheckBox->setChecked(settings.counterActive);
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
}

// A save to the data file that the end of the last run cut short is taken back, so the
// file holds what it held before it; with the counter on, that save went to the last
// number handed out.
void TConfigForm::recoverDataFiles() {
    const Settings& settings = data_.settings;
    Settings uncounted = settings;
    uncounted.counterActive = false;
    recoverDataFile(dataFilePath(uncounted, 0));
    if (settings.counterActive) recoverDataFile(dataFilePath(settings, settings.fileCounter - 1));
}

void TConfigForm::FormDestroy() {
    // Reported, but the scanner list below is saved all the same.
    if (!data_.saveSettings(nullptr))
        showErrorMessage(QString(texts::kSettingsNotWritten).arg(fromCp1252(data_.settingsPath())));
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
