#include "windows/config_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <algorithm>

#include "core/settings.h"
#include "platform/global_hotkeys.h"
#include "text/texts.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/radio_group.h"
#include "ui/save_file_dialog.h"
#include "windows/keyboard_wedge.h"
#include "windows/main_form.h"

TConfigForm::TConfigForm(ProgramData& data, TMainForm* main)
    : QDialog(main), data_(data), main_(main) {
    createControls();
    connectHandlers();
    bindControls();
    FormCreate();
}

void TConfigForm::setClockDialog(TdlgTime* clock) {
    clock_ = clock;
}

TConfigForm::~TConfigForm() {
    data_.settingsChanged = nullptr;
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
    const auto number = [](QSpinBox* spin, int32_t& setting) {
        connect(spin, &QSpinBox::valueChanged, [&setting](int value) { setting = value; });
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
    number(LinePauseSpin, s.linePauseMs);
    number(KeyPauseSpin, s.keyPauseMs);
    text(SendHotkeyEdit, s.sendHotkey.text);
    text(ClearHotkeyEdit, s.clearHotkey.text);
}

void TConfigForm::FormCreate() {
    showSettings(data_.settings);
    showScanners();
    showParameterTable();
}

void TConfigForm::UpdateMainWindowStatus() {
    if (main_) showScannerStatus(*main_, data_.scanners);
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
    LinePauseSpin->setValue(settings.linePauseMs);
    KeyPauseSpin->setValue(settings.keyPauseMs);
    SendHotkeyEdit->setText(fromCp1252(settings.sendHotkey.text));
    ClearHotkeyEdit->setText(fromCp1252(settings.clearHotkey.text));
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
    registerHotkeys(data_.settings);
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
