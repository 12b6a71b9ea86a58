#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/barcode_reception.h"
#include "core/program_data.h"
#include "core/scanner_registry.h"
#include "core/settings.h"
#include "core/wedge_keys.h"
#include "formats/data_file.h"
#include "formats/parameter_table.h"
#include "formats/reception.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class DelimitedListBox;
class ProfileFile;
class RadioGroup;
class SaveFileDialog;
class TMainForm;
class TdlgTime;

// The configuration window: its controls show the settings, the registered scanners and the
// scanner parameters of the run, and each change in a control writes through at once (no OK,
// no Cancel), so every other part of the program works with it from then on.
class TConfigForm : public QDialog {
    Q_OBJECT
  public:
    // Shows and edits `data` (loaded at the start of the run). `main` (its parent) shows the
    // status of the registered scanners.
    explicit TConfigForm(ProgramData& data, TMainForm* main = nullptr);
    // The dialog the clock button shows.
    void setClockDialog(TdlgTime* clock);
    ~TConfigForm() override;

    // --- Page "Transfer"
    QLabel* Label1 = nullptr;
    QLabel* Label38 = nullptr;
    QComboBox* cbPortID = nullptr;
    RadioGroup* ScannerOptionGroup = nullptr;
    RadioGroup* RadioModeGroup = nullptr;
    QCheckBox* TransDelCheckBox = nullptr;
    QCheckBox* SynchDateTimeCheckBox = nullptr;
    QPushButton* SetTimeDateButton = nullptr;
    // --- Page "File Optionen"
    QLabel* Label2 = nullptr;
    RadioGroup* FileSaveOptionRadioGroup = nullptr;
    QCheckBox* ScanRecToFileBox = nullptr;
    QCheckBox* FileCountCheckBox = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* FileNamePathEdit = nullptr;
    QPushButton* BrowseButton = nullptr;
    QLineEdit* FieldSepEdit = nullptr;
    QLabel* Label5 = nullptr;
    // --- Page "KB-Wedge"
    QLabel* Label12 = nullptr;
    QLineEdit* SendHotkeyEdit = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* ClearHotkeyEdit = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label13 = nullptr;
    QComboBox* FieldSepCombo = nullptr;
    QLabel* Label15 = nullptr;
    QComboBox* StringTermCombo = nullptr;
    // The pace for slow targets, in milliseconds.
    QLabel* LinePauseLabel = nullptr;
    QSpinBox* LinePauseSpin = nullptr;
    QLabel* KeyPauseLabel = nullptr;
    QSpinBox* KeyPauseSpin = nullptr;
    // Where no hotkey can be grabbed: how to bind the wedge commands instead.
    QLabel* WedgeCommandsNote = nullptr;
    // --- Page "Einstellungen"
    QLabel* Label3 = nullptr;
    QListWidget* ParamCheckListBox = nullptr;
    QLabel* Label6 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* LoadScannerButton = nullptr;
    QPushButton* ReadParaButton = nullptr;
    QPushButton* FactoryDefaultButton = nullptr;
    QPushButton* OpenConfigButton = nullptr;
    QPushButton* SaveConfigButton = nullptr;
    // --- Page "Serie Nummern"
    QLabel* Label8 = nullptr;
    DelimitedListBox* SerieListBox = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* ScannerLabel = nullptr;
    QLineEdit* PersNumEdit = nullptr;
    QLineEdit* PersNameEdit = nullptr;
    QPushButton* EinlesenButton = nullptr;
    QPushButton* DeleteButton = nullptr;
    // --- Frame, close button, non-visual parts
    QFrame* TabControl1 = nullptr;
    QTabWidget* ConfigPages = nullptr;
    QPushButton* BitBtn1 = nullptr;
    SaveFileDialog* DataSaveDialog = nullptr;

    // The settings, the registered scanners (which SerieListBox shows) and what the last
    // reception left, as the controls show and edit them.
    ProgramData& data() { return data_; }
    const Settings& settings() const { return data_.settings; }

    // The configured port: 0-15 for COM1-COM16; -1 for none.
    int32_t portIndex() const { return settings().port; }

    // Puts `settings` into the controls.
    void showSettings(const Settings& settings);

    // The controls show what `data` holds (run by the constructor).
    void FormCreate();
    // Enables SetTimeDateButton exactly while the clock is not synchronised automatically.
    void FormShow();
    void BrowseButtonClick();

    // Main window status, from the first row of the scanner list.
    void UpdateMainWindowStatus();
    // SerieListBox shows the registered scanners anew.
    void showScanners();

    // Scanner clock. SetScannerClock writes the clock dialog's date and time; false when
    // the scanner did not take them.
    bool SetScannerClock();
    void SetTimeDateButtonClick();

    // Keyboard wedge.
    void SendHotkeyEditKeyDown(int virtualKey, bool shift, bool alt, bool ctrl);
    void ClearHotkeyEditKeyDown(int virtualKey, bool shift, bool alt, bool ctrl);

    // Scanner parameters.
    void LoadScannerButtonClick();
    void ReadParaButtonClick();
    void FactoryDefaultButtonClick();
    void OpenConfigButtonClick();
    void SaveConfigButtonClick();

    // Scanner list editing.
    void Scannereinlesen1Click();
    void SerieListBoxSelect();
    void PersNumEditExit();
    void DeleteButtonClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Every way of closing the window ends here.
    void done(int result) override;

  private:
    ProgramData& data_;
    TMainForm* main_ = nullptr;
    TdlgTime* clock_ = nullptr;
    void createControls();
    QWidget* createTransferPage();
    QWidget* createFilePage();
    QWidget* createWedgePage();
    void layOutWedgePage(QWidget* page);
    QWidget* createParameterPage();
    QWidget* createSerialNumberPage();
    void connectHandlers();
    void bindControls();
    // Runs when the modal showing ends, however the window was closed.
    void FormClose();
    // Key-down in one of the two hotkey edits (the key goes on to the edit, which is
    // read-only); true when it was one.
    bool hotkeyEditKeyDown(QObject* watched, QEvent* event);
    // The check list of the page "Einstellungen": its sixteen items, and the choices shown.
    void createParameterItems();
    void showParameterTable();
    // Asks before a factory reset clears `stored` barcodes; true for Yes.
    bool confirmFactoryReset(int stored);
};
