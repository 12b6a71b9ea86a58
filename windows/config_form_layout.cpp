// The pages and controls of the configuration window.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValidator>

#include "platform/global_hotkeys.h"
#include "text/texts.h"
#include "ui/delimited_list_box.h"
#include "ui/picture_button.h"
#include "ui/radio_group.h"
#include "ui/save_file_dialog.h"
#include "ui/window_placement.h"
#include "windows/config_form.h"

namespace {
class SingleCharacterValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return input.size() <= 1 ? Acceptable : Invalid;
    }
};

template <typename Value>
RadioGroup::Choice choice(Value value, const char* text) {
    return {static_cast<int>(value), text};
}

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

// For a desktop that lets no program grab keys: the two commands to bind instead, with
// the program's own path, and where the common desktops bind them.
QString wedgeCommandsNote() {
    const QString program = QCoreApplication::applicationFilePath();
    return QString(texts::kWedgeCommandsNote)
        .arg(program, QString(texts::kGnomeShortcutSettings), QString(texts::kKdeShortcutSettings),
             QString(texts::kSwayBinding).arg(program));
}

QLabel* heading(const QString& text, QWidget* parent, const char* name) {
    auto* label = named(new QLabel(text, parent), name);
    QFont font = label->font();
    font.setBold(true);
    font.setItalic(true);
    label->setFont(font);
    return label;
}

// A pause of the wedge in milliseconds, 0 to `maximum`.
QSpinBox* pauseSpin(int maximum, int step, const char* name, QWidget* parent) {
    auto* spin = named(new QSpinBox(parent), name);
    spin->setRange(0, maximum);
    spin->setSingleStep(step);
    spin->setSuffix(texts::kPauseUnit);
    spin->setToolTip(texts::kPauseHint);
    spin->setFixedWidth(90);
    return spin;
}

void setBase(QWidget* widget, QPalette::ColorRole role) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, palette.color(role));
    widget->setPalette(palette);
}

// The Tab key visits `chain` in this order; a radio group counts as its buttons.
void setTabChain(const QList<QWidget*>& chain) {
    QList<QWidget*> stops;
    for (QWidget* widget : chain) {
        if (auto* group = qobject_cast<RadioGroup*>(widget))
            for (int i = 0; i < group->count(); ++i) stops << group->button(i);
        else
            stops << widget;
    }
    for (qsizetype i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1], stops[i]);
}

}  // namespace

void TConfigForm::createControls() {
    setWindowTitle(texts::kConfiguration);
    // Sizeable; no minimise button, which would hide a modal window from its blocked owner.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(207, 232, 233));
    setPalette(background);
    setAutoFillBackground(true);
    new WindowPlacement(this, QSize(562, 519), parentWidget());

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    TabControl1 = named(new QFrame(this), "TabControl1");
    TabControl1->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    outer->addWidget(TabControl1, 1);
    auto* frameLayout = new QVBoxLayout(TabControl1);
    frameLayout->setContentsMargins(6, 6, 6, 6);
    ConfigPages = named(new QTabWidget(TabControl1), "ConfigPages");
    ConfigPages->setFocusPolicy(Qt::NoFocus);
    frameLayout->addWidget(ConfigPages);
    BitBtn1 = named(new QPushButton(texts::kClose, this), "BitBtn1");
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BitBtn1->setAutoDefault(false);
    BitBtn1->setMinimumWidth(100);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(BitBtn1);
    outer->addLayout(buttonRow);

    ConfigPages->addTab(createTransferPage(), "Transfer");
    ConfigPages->addTab(createFilePage(), "File Optionen");
    ConfigPages->addTab(createWedgePage(), texts::kWedgePage);
    ConfigPages->addTab(createParameterPage(), "Einstellungen");
    ConfigPages->addTab(createSerialNumberPage(), "Serie Nummern");

    DataSaveDialog = new SaveFileDialog;
    DataSaveDialog->defaultExtension = "txt";
    DataSaveDialog->filter = "Text Datei|*.txt|Alle|*.*";
}

QWidget* TConfigForm::createTransferPage() {
    auto* page = new QWidget;
    Label1 = heading("Daten Transfer Scanner  ---> PC", page, "Label1");
    Label38 = named(new QLabel("Port ", page), "Label38");
    cbPortID = named(new QComboBox(page), "cbPortID");
    cbPortID->setEditable(true);
    // Each item carries its port index.
    for (int n = 1; n <= 16; ++n) cbPortID->addItem(QStringLiteral("COM%1").arg(n), n - 1);
    cbPortID->setEditText("PortID");
    cbPortID->setMinimumWidth(110);
    ScannerOptionGroup =
        named(new RadioGroup(" Übermittlungs Optionen",
                             {choice(DataFormat::TimeAndDate, "Barcode, Zeit und Datum ."),
                              choice(DataFormat::Time, "Nur Barcode und Zeit."),
                              choice(DataFormat::Date, "Nur Barcode und Daturm."),
                              choice(DataFormat::BarcodeOnly, "Nur Barcode")},
                             page),
              "ScannerOptionGroup");
    ScannerOptionGroup->setValue(static_cast<int>(DataFormat::TimeAndDate));
    RadioModeGroup = named(new RadioGroup(" Übermittlungs Variante",
                                          {choice(TransferMode::FileTransfer, "File Transfer."),
                                           choice(TransferMode::KeyboardWedge, "Keyboard-Wedge.")},
                                          page),
                           "RadioModeGroup");
    RadioModeGroup->setValue(static_cast<int>(TransferMode::FileTransfer));
    TransDelCheckBox = named(new QCheckBox("Nach Übermittlung löschen.", page), "TransDelCheckBox");
    SynchDateTimeCheckBox =
        named(new QCheckBox("Zeit/Datum mit PC synchronisieren.", page), "SynchDateTimeCheckBox");
    SetTimeDateButton = named(new QPushButton("Zeit && Datum", page), "SetTimeDateButton");
    SetTimeDateButton->setAutoDefault(false);
    SetTimeDateButton->setMinimumWidth(100);

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setVerticalSpacing(10);
    grid->addWidget(Label1, 0, 0, 1, 3);
    auto* port = new QHBoxLayout;
    port->addWidget(Label38);
    port->addWidget(cbPortID);
    port->addStretch(1);
    grid->addLayout(port, 1, 0, 1, 3);
    grid->addWidget(ScannerOptionGroup, 2, 0, 1, 2);
    grid->addWidget(SynchDateTimeCheckBox, 3, 0, 1, 2);
    grid->addWidget(SetTimeDateButton, 3, 2, Qt::AlignLeft);
    grid->addWidget(TransDelCheckBox, 4, 0, 1, 2);
    grid->addWidget(RadioModeGroup, 5, 0, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(6, 1);
    setTabChain({cbPortID, SynchDateTimeCheckBox, ScannerOptionGroup, SetTimeDateButton,
                 TransDelCheckBox, RadioModeGroup});
    return page;
}

QWidget* TConfigForm::createFilePage() {
    auto* page = new QWidget;
    Label2 = heading("Daten Speicherung.", page, "Label2");
    FileSaveOptionRadioGroup =
        named(new RadioGroup(" Speicher  Optionen",
                             {choice(SaveOption::Overwrite, "File überschreiben"),
                              choice(SaveOption::Append, "Daten an best. File anhängen.")},
                             page),
              "FileSaveOptionRadioGroup");
    FileSaveOptionRadioGroup->setValue(static_cast<int>(SaveOption::Overwrite));
    ScanRecToFileBox = named(new QCheckBox("Scanner Daten als ersten Record speichern.", page),
                             "ScanRecToFileBox");
    FileCountCheckBox = named(new QCheckBox("Filezähler", page), "FileCountCheckBox");
    Label4 = named(new QLabel("Filename und Pfad:", page), "Label4");
    FileNamePathEdit = named(new QLineEdit(page), "FileNamePathEdit");
    BrowseButton = named(new QPushButton("Browse", page), "BrowseButton");
    BrowseButton->setAutoDefault(false);
    FieldSepEdit = named(new QLineEdit(";", page), "FieldSepEdit");
    // One character can be typed; a longer separator from the settings file is shown whole.
    FieldSepEdit->setValidator(new SingleCharacterValidator(FieldSepEdit));
    QFont bold = FieldSepEdit->font();
    bold.setBold(true);
    FieldSepEdit->setFont(bold);
    FieldSepEdit->setFixedWidth(30);
    FieldSepEdit->setAlignment(Qt::AlignCenter);
    Label5 = named(new QLabel("Feld Trennzeichen:", page), "Label5");

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setVerticalSpacing(10);
    grid->addWidget(Label2, 0, 0, 1, 3);
    grid->addWidget(FileSaveOptionRadioGroup, 1, 0, 1, 2);
    grid->addWidget(FileCountCheckBox, 2, 0, 1, 3);
    grid->addWidget(Label4, 3, 0, 1, 3);
    grid->addWidget(FileNamePathEdit, 4, 0, 1, 2);
    grid->addWidget(BrowseButton, 4, 2);
    auto* separator = new QHBoxLayout;
    separator->addWidget(FieldSepEdit);
    separator->addWidget(Label5);
    separator->addStretch(1);
    grid->addLayout(separator, 5, 0, 1, 3);
    grid->addWidget(ScanRecToFileBox, 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(7, 1);
    setTabChain({FileSaveOptionRadioGroup, FileCountCheckBox, FileNamePathEdit, BrowseButton,
                 FieldSepEdit, ScanRecToFileBox});
    return page;
}

QWidget* TConfigForm::createWedgePage() {
    auto* page = new QWidget;
    Label12 = named(new QLabel("Hotkey für einlesen", page), "Label12");
    SendHotkeyEdit = named(new QLineEdit(page), "SendHotkeyEdit");
    SendHotkeyEdit->setReadOnly(true);
    SendHotkeyEdit->setToolTip(texts::kEnterKeyCombination);
    Label17 = named(new QLabel("(z.B. ALT+CTL+S)", page), "Label17");
    Label14 = named(new QLabel("Hotkey für löschen", page), "Label14");
    ClearHotkeyEdit = named(new QLineEdit(page), "ClearHotkeyEdit");
    ClearHotkeyEdit->setReadOnly(true);
    ClearHotkeyEdit->setToolTip(texts::kEnterKeyCombination);
    Label16 = named(new QLabel("(z.B. ALT+CTL+D)", page), "Label16");
    Label13 = named(new QLabel("Feldtrennzeichen", page), "Label13");
    FieldSepCombo = named(new QComboBox(page), "FieldSepCombo");
    for (const auto& choice : kWedgeSeparators)
        FieldSepCombo->addItem(choice.item, static_cast<int>(choice.value));
    setComboValue(FieldSepCombo, static_cast<int>(WedgeSeparator::Semicolon));
    Label15 = named(new QLabel("Zeilenende", page), "Label15");
    StringTermCombo = named(new QComboBox(page), "StringTermCombo");
    for (const auto& choice : kWedgeTerminators)
        StringTermCombo->addItem(choice.item, static_cast<int>(choice.value));
    setComboValue(StringTermCombo, static_cast<int>(WedgeTerminator::CR));
    LinePauseLabel = named(new QLabel(texts::kLinePause, page), "LinePauseLabel");
    LinePauseSpin = pauseSpin(kMaxLinePauseMs, 10, "LinePauseSpin", page);
    KeyPauseLabel = named(new QLabel(texts::kKeyPause, page), "KeyPauseLabel");
    KeyPauseSpin = pauseSpin(kMaxKeyPauseMs, 1, "KeyPauseSpin", page);
    for (QWidget* control :
         {static_cast<QWidget*>(SendHotkeyEdit), static_cast<QWidget*>(ClearHotkeyEdit)})
        control->setFixedWidth(160);
    for (QWidget* control :
         {static_cast<QWidget*>(FieldSepCombo), static_cast<QWidget*>(StringTermCombo)})
        control->setFixedWidth(90);
    WedgeCommandsNote = named(new QLabel(wedgeCommandsNote(), page), "WedgeCommandsNote");
    WedgeCommandsNote->setWordWrap(true);
    WedgeCommandsNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    WedgeCommandsNote->setVisible(!globalHotkeys().grabsKeys());
    layOutWedgePage(page);
    setTabChain({SendHotkeyEdit, ClearHotkeyEdit, FieldSepCombo, StringTermCombo, LinePauseSpin,
                 KeyPauseSpin});
    return page;
}

void TConfigForm::layOutWedgePage(QWidget* page) {
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(16, 24, 16, 12);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    grid->addWidget(Label12, 0, 0);
    grid->addWidget(SendHotkeyEdit, 0, 1);
    grid->addWidget(Label17, 0, 2);
    grid->addWidget(Label14, 1, 0);
    grid->addWidget(ClearHotkeyEdit, 1, 1);
    grid->addWidget(Label16, 1, 2);
    // The gap between the hotkey rows and the list rows.
    grid->setRowMinimumHeight(2, 24);
    grid->addWidget(Label13, 3, 0);
    grid->addWidget(FieldSepCombo, 3, 1, Qt::AlignLeft);
    grid->addWidget(Label15, 4, 0);
    grid->addWidget(StringTermCombo, 4, 1, Qt::AlignLeft);
    grid->addWidget(LinePauseLabel, 5, 0);
    grid->addWidget(LinePauseSpin, 5, 1, Qt::AlignLeft);
    grid->addWidget(KeyPauseLabel, 6, 0);
    grid->addWidget(KeyPauseSpin, 6, 1, Qt::AlignLeft);
    grid->setRowMinimumHeight(7, 12);
    grid->addWidget(WedgeCommandsNote, 8, 0, 1, 4);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(9, 1);
}

QWidget* TConfigForm::createParameterPage() {
    auto* page = new QWidget;
    Label3 = named(new QLabel("Parameter", page), "Label3");
    ParamCheckListBox = named(new QListWidget(page), "ParamCheckListBox");
    createParameterItems();
    Label6 = named(new QLabel("Beschreibung", page), "Label6");
    Memo1 = named(new QPlainTextEdit(page), "Memo1");
    Memo1->setPlainText(
        "Links die aktuellle\nParameter Konfiguration.\nMarkieren/demarkieren mit\neinem Click "
        "in die Box.\nAlle Scanner-Daten vorher\nlöschen !!");
    Memo1->setTabChangesFocus(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    setBase(Memo1, QPalette::ToolTipBase);
    const QString hint = "Parameterliste wird zum Scanner übertragen.";
    LoadScannerButton = named(new QPushButton(" Auf Scanner laden !", page), "LoadScannerButton");
    ReadParaButton = named(new QPushButton("Von Scanner lesen !", page), "ReadParaButton");
    FactoryDefaultButton =
        named(new QPushButton("Scanner Reset (default)", page), "FactoryDefaultButton");
    OpenConfigButton = named(new QPushButton("Konfiguration laden", page), "OpenConfigButton");
    SaveConfigButton = named(new QPushButton("Konfiguration speichern", page), "SaveConfigButton");

    auto* side = new QVBoxLayout;
    side->addWidget(Label6);
    side->addWidget(Memo1, 1);
    side->addSpacing(6);
    const char* pictures[] = {"param-load", "param-read", "param-reset", "param-open",
                              "param-save"};
    int picture = 0;
    for (auto* button : {LoadScannerButton, ReadParaButton, FactoryDefaultButton, OpenConfigButton,
                         SaveConfigButton}) {
        button->setToolTip(hint);
        button->setIcon(namedPicture(pictures[picture++]));
        button->setAutoDefault(false);
        button->setStyleSheet("text-align: left; padding: 4px 8px;");
        side->addWidget(button);
    }
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(12);
    grid->addWidget(Label3, 0, 0);
    grid->addWidget(ParamCheckListBox, 1, 0);
    grid->addLayout(side, 0, 1, 2, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    setTabChain({Memo1, ParamCheckListBox, LoadScannerButton, ReadParaButton, FactoryDefaultButton,
                 OpenConfigButton, SaveConfigButton});
    return page;
}

QWidget* TConfigForm::createSerialNumberPage() {
    auto* page = new QWidget;
    Label8 = heading("Serie Nummern der Scanner  ", page, "Label8");
    SerieListBox = named(new DelimitedListBox(page), "SerieListBox");
    SerieListBox->setSections({"Scanner SN:", "ID", "Name"}, {120, 90, 200});
    SerieListBox->header()->setDefaultAlignment(Qt::AlignCenter);
    setBase(SerieListBox, QPalette::ToolTipBase);

    // The editing line of the selected row, laid out under the list's columns.
    Panel1 = named(new QFrame(page), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    ScannerLabel = named(new QLabel(" Scanner  ", Panel1), "ScannerLabel");
    QFont smaller = ScannerLabel->font();
    smaller.setPointSizeF(smaller.pointSizeF() * 0.85);
    ScannerLabel->setFont(smaller);
    ScannerLabel->setFixedWidth(118);
    PersNumEdit = named(new QLineEdit(Panel1), "PersNumEdit");
    PersNumEdit->setMaxLength(4);
    PersNumEdit->setFixedWidth(90);
    PersNameEdit = named(new QLineEdit(Panel1), "PersNameEdit");
    auto* strip = new QHBoxLayout(Panel1);
    strip->setContentsMargins(2, 2, 2, 2);
    strip->setSpacing(0);
    strip->addWidget(ScannerLabel);
    strip->addWidget(PersNumEdit);
    strip->addWidget(PersNameEdit, 1);

    EinlesenButton = named(new QPushButton("Scanner Nr. einlesen", page), "EinlesenButton");
    EinlesenButton->setAutoDefault(false);
    DeleteButton = named(new QPushButton("Zeile löschen", page), "DeleteButton");
    DeleteButton->setAutoDefault(false);
    DeleteButton->setFocusPolicy(Qt::ClickFocus);
    for (auto* button : {EinlesenButton, DeleteButton}) button->setMinimumWidth(140);

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setVerticalSpacing(0);
    grid->addWidget(Label8, 0, 0, 1, 2);
    grid->setRowMinimumHeight(1, 8);
    grid->addWidget(SerieListBox, 2, 0, 1, 2);
    grid->addWidget(Panel1, 3, 0, 1, 2);
    grid->setRowMinimumHeight(4, 10);
    grid->addWidget(EinlesenButton, 5, 0, Qt::AlignLeft);
    grid->addWidget(DeleteButton, 5, 1, Qt::AlignRight);
    grid->setRowStretch(2, 1);
    setTabChain({SerieListBox, PersNumEdit, PersNameEdit, EinlesenButton});
    return page;
}
