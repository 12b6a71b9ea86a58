// The pages and controls of the configuration window.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValidator>

#include "settings/config_form.h"
#include "ui/delimited_list_box.h"
#include "ui/radio_group.h"
#include "ui/save_file_dialog.h"

namespace {
class SingleCharacterValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return input.size() <= 1 ? Acceptable : Invalid;
    }
};

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setItalic(true);
    label->setFont(font);
    return label;
}
}  // namespace

void TConfigForm::createControls() {
    setWindowTitle("Konfiguration");
    resize(562, 519);
    setSizeGripEnabled(true);
    auto* outer = new QVBoxLayout(this);
    TabControl1 = new QFrame(this);
    TabControl1->setFrameShape(QFrame::StyledPanel);
    outer->addWidget(TabControl1, 1);
    auto* frameLayout = new QVBoxLayout(TabControl1);
    ConfigPages = new QTabWidget(TabControl1);
    ConfigPages->setFocusPolicy(Qt::NoFocus);
    frameLayout->addWidget(ConfigPages);
    BitBtn1 = new QPushButton("Schliessen", this);
    BitBtn1->setAutoDefault(false);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(BitBtn1);
    outer->addLayout(buttonRow);

    // Page "Transfer"
    auto* transfer = new QWidget;
    auto* t = new QGridLayout(transfer);
    Label1 = heading("Daten Transfer Scanner  ---> PC", transfer);
    Label38 = new QLabel("Port ", transfer);
    cbPortID = new QComboBox(transfer);
    cbPortID->setEditable(true);
    for (int n = 1; n <= 16; ++n) cbPortID->addItem(QStringLiteral("COM%1").arg(n));
    cbPortID->setEditText("PortID");
    ScannerOptionGroup = new RadioGroup(" Übermittlungs Optionen",
                                        {"Barcode, Zeit und Datum .", "Nur Barcode und Zeit.",
                                         "Nur Barcode und Daturm.", "Nur Barcode"},
                                        transfer);
    ScannerOptionGroup->setItemIndex(0);
    RadioModeGroup =
        new RadioGroup(" Übermittlungs Variante", {"File Transfer.", "Keyboard-Wedge."}, transfer);
    RadioModeGroup->setItemIndex(0);
    TransDelCheckBox = new QCheckBox("Nach Übermittlung löschen.", transfer);
    SynchDateTimeCheckBox = new QCheckBox("Zeit/Datum mit PC synchronisieren.", transfer);
    SetTimeDateButton = new QPushButton("Zeit && Datum", transfer);
    t->addWidget(Label1, 0, 0, 1, 3);
    t->addWidget(Label38, 1, 0);
    t->addWidget(cbPortID, 1, 1);
    t->addWidget(ScannerOptionGroup, 2, 0, 1, 3);
    t->addWidget(SynchDateTimeCheckBox, 3, 0, 1, 2);
    t->addWidget(SetTimeDateButton, 3, 2);
    t->addWidget(TransDelCheckBox, 4, 0, 1, 3);
    t->addWidget(RadioModeGroup, 5, 0, 1, 3);
    t->setRowStretch(6, 1);
    ConfigPages->addTab(transfer, "Transfer");

    // Page "File Optionen"
    auto* file = new QWidget;
    auto* f = new QGridLayout(file);
    Label2 = heading("Daten Speicherung.", file);
    FileSaveOptionRadioGroup = new RadioGroup(
        " Speicher  Optionen", {"File überschreiben", "Daten an best. File anhängen."}, file);
    FileSaveOptionRadioGroup->setItemIndex(0);
    ScanRecToFileBox = new QCheckBox("Scanner Daten als ersten Record speichern.", file);
    FileCountCheckBox = new QCheckBox("Filezähler", file);
    Label4 = new QLabel("Filename und Pfad:", file);
    FileNamePathEdit = new QLineEdit(file);
    BrowseButton = new QPushButton("Browse", file);
    FieldSepEdit = new QLineEdit(";", file);
    // One character can be typed; a longer separator from the settings file is shown whole.
    FieldSepEdit->setValidator(new SingleCharacterValidator(FieldSepEdit));
    QFont bold = FieldSepEdit->font();
    bold.setBold(true);
    FieldSepEdit->setFont(bold);
    FieldSepEdit->setFixedWidth(30);
    Label5 = new QLabel("Feld Trennzeichen:", file);
    f->addWidget(Label2, 0, 0, 1, 3);
    f->addWidget(FileSaveOptionRadioGroup, 1, 0, 1, 3);
    f->addWidget(FileCountCheckBox, 2, 0, 1, 3);
    f->addWidget(Label4, 3, 0, 1, 3);
    f->addWidget(FileNamePathEdit, 4, 0, 1, 2);
    f->addWidget(BrowseButton, 4, 2);
    f->addWidget(FieldSepEdit, 5, 0);
    f->addWidget(Label5, 5, 1, 1, 2);
    f->addWidget(ScanRecToFileBox, 6, 0, 1, 3);
    f->setRowStretch(7, 1);
    ConfigPages->addTab(file, "File Optionen");

    // Page "KB-Wedge"
    auto* wedge = new QWidget;
    auto* w = new QGridLayout(wedge);
    Label12 = new QLabel("Hotkey für einlesen", wedge);
    SendHotkeyEdit = new QLineEdit(wedge);
    SendHotkeyEdit->setReadOnly(true);
    SendHotkeyEdit->setToolTip("Tastenkombination eingeben.");
    Label17 = new QLabel("(z.B. ALT+CTL+S)", wedge);
    Label14 = new QLabel("Hotkey für löschen", wedge);
    ClearHotkeyEdit = new QLineEdit(wedge);
    ClearHotkeyEdit->setReadOnly(true);
    ClearHotkeyEdit->setToolTip("Tastenkombination eingeben.");
    Label16 = new QLabel("(z.B. ALT+CTL+D)", wedge);
    Label13 = new QLabel("Feldtrennzeichen", wedge);
    FieldSepCombo = new QComboBox(wedge);
    FieldSepCombo->addItems({",", ".", ":", ";", "/", "H-Tab", "V-Tab"});
    FieldSepCombo->setCurrentIndex(3);
    Label15 = new QLabel("Zeilenende", wedge);
    StringTermCombo = new QComboBox(wedge);
    StringTermCombo->addItems({"CR", "LF", "H-Tab", "V-Tab"});
    StringTermCombo->setCurrentIndex(0);
    w->addWidget(Label12, 0, 0);
    w->addWidget(SendHotkeyEdit, 0, 1);
    w->addWidget(Label17, 0, 2);
    w->addWidget(Label14, 1, 0);
    w->addWidget(ClearHotkeyEdit, 1, 1);
    w->addWidget(Label16, 1, 2);
    w->setRowMinimumHeight(2, 20);
    w->addWidget(Label13, 3, 0);
    w->addWidget(FieldSepCombo, 3, 1);
    w->addWidget(Label15, 4, 0);
    w->addWidget(StringTermCombo, 4, 1);
    w->setRowStretch(5, 1);
    ConfigPages->addTab(wedge, "KB-Wedge");

    // Page "Einstellungen"
    auto* params = new QWidget;
    auto* p = new QGridLayout(params);
    Label3 = new QLabel("Parameter", params);
    ParamCheckListBox = new QListWidget(params);
    Label6 = new QLabel("Beschreibung", params);
    Memo1 = new QPlainTextEdit(params);
    Memo1->setPlainText(
        "Links die aktuellle\nParameter Konfiguration.\nMarkieren/demarkieren mit\neinem Click "
        "in die Box.\nAlle Scanner-Daten vorher\nlöschen !!");
    const QString hint = "Parameterliste wird zum Scanner übertragen.";
    LoadScannerButton = new QPushButton(" Auf Scanner laden !", params);
    ReadParaButton = new QPushButton("Von Scanner lesen !", params);
    FactoryDefaultButton = new QPushButton("Scanner Reset (default)", params);
    OpenConfigButton = new QPushButton("Konfiguration laden", params);
    SaveConfigButton = new QPushButton("Konfiguration speichern", params);
    auto* side = new QVBoxLayout;
    side->addWidget(Label6);
    side->addWidget(Memo1);
    for (auto* button : {LoadScannerButton, ReadParaButton, FactoryDefaultButton, OpenConfigButton,
                         SaveConfigButton}) {
        button->setToolTip(hint);
        side->addWidget(button);
    }
    p->addWidget(Label3, 0, 0);
    p->addWidget(ParamCheckListBox, 1, 0);
    p->addLayout(side, 0, 1, 2, 1);
    ConfigPages->addTab(params, "Einstellungen");

    // Page "Serie Nummern"
    auto* serial = new QWidget;
    auto* s = new QGridLayout(serial);
    Label8 = heading("Serie Nummern der Scanner  ", serial);
    SerieListBox = new DelimitedListBox(serial);
    SerieListBox->setSections({"Scanner SN:", "ID", "Name"}, {120, 90, 200});
    Panel1 = new QFrame(serial);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    auto* strip = new QHBoxLayout(Panel1);
    ScannerLabel = new QLabel(" Scanner  ", Panel1);
    PersNumEdit = new QLineEdit(Panel1);
    PersNumEdit->setMaxLength(4);
    PersNameEdit = new QLineEdit(Panel1);
    strip->addWidget(ScannerLabel);
    strip->addWidget(PersNumEdit);
    strip->addWidget(PersNameEdit, 1);
    EinlesenButton = new QPushButton("Scanner Nr. einlesen", serial);
    DeleteButton = new QPushButton("Zeile löschen", serial);
    DeleteButton->setFocusPolicy(Qt::ClickFocus);
    s->addWidget(Label8, 0, 0, 1, 2);
    s->addWidget(SerieListBox, 1, 0, 1, 2);
    s->addWidget(Panel1, 2, 0, 1, 2);
    s->addWidget(EinlesenButton, 3, 0, Qt::AlignLeft);
    s->addWidget(DeleteButton, 3, 1, Qt::AlignRight);
    ConfigPages->addTab(serial, "Serie Nummern");

    DataSaveDialog = new SaveFileDialog;
    DataSaveDialog->defaultExtension = "txt";
    DataSaveDialog->filter = "Text Datei|*.txt|Alle|*.*";
    DataSaveDialog->initialDirectory = "c:\\";
    SendTimer.setSingleShot(true);
    SendTimer.setInterval(500);
}
