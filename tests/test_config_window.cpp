// The configuration window as a window: its frame, the five pages with their controls,
// hints and tab order, the enabling of the clock button, browsing for the data file, and
// closing, which registers the hotkeys again.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>
#include <set>

#include "core/program_data.h"
#include "file_helpers.h"
#include "shell_fakes.h"
#include "system/program_dir.h"
#include "testing/message_box_recorder.h"
#include "transfer_windows.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/radio_group.h"
#include "ui/save_file_dialog.h"
#include "windows/application.h"
#include "windows/config_form.h"
#include "windows/main_form.h"

// What the configuration windows of these tests show and edit; each window loads it anew.
static ProgramData programData;
namespace {
QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

QStringList itemsOf(const RadioGroup* group) {
    QStringList items;
    for (int i = 0; i < group->count(); ++i) items << group->button(i)->text();
    return items;
}

// The control a focusable widget belongs to: itself, or the radio group around it.
QString controlName(QWidget* widget) {
    if (auto* group = qobject_cast<RadioGroup*>(widget->parentWidget())) return group->objectName();
    return widget->objectName();
}

// The order in which the Tab key visits the controls of `page`.
QStringList tabStops(QWidget* page) {
    QStringList names;
    for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
        if (!page->isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        const QString name = controlName(w);
        if (!name.isEmpty() && (names.isEmpty() || names.last() != name)) names << name;
    }
    return names;
}

bool isLeftOf(const QWidget* left, const QWidget* right) {
    const QRect a(left->mapTo(left->window(), QPoint()), left->size());
    const QRect b(right->mapTo(right->window(), QPoint()), right->size());
    return a.right() < b.left() && a.bottom() > b.top() && b.bottom() > a.top();
}

QRect inWindow(const QWidget* widget) {
    return QRect(widget->mapTo(widget->window(), QPoint()), widget->size());
}

// Answers the save dialog: records what it proposed, then confirms `typed` or cancels.
class SaveDialogAnswer {
  public:
    explicit SaveDialogAnswer(QString typed = {}) : typed_(std::move(typed)) {
        setModalHandler([this](QDialog* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            if (!files) return int(QDialog::Rejected);
            proposed = files->selectedFiles();
            folder = files->directory().absolutePath();
            if (typed_.isEmpty()) return int(QDialog::Rejected);
            files->selectFile(typed_);
            return int(QDialog::Accepted);
        });
    }
    ~SaveDialogAnswer() { setModalHandler({}); }
    QStringList proposed;
    QString folder;  // where the dialog started

  private:
    QString typed_;
};
}  // namespace

class ConfigWindowTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(name); }
    void showAndWait(QWidget* window) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        for (const char* name : {"LVconfig.ini", "Param.dat"}) QFile::remove(path(name));
        QVERIFY(putFile(path("LVserial.dat"), ""));
        setProgramDirectory(nativePath(dir_.path()));
    }

    void windowFrame() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        QCOMPARE(form.windowTitle(), QString("Konfiguration"));
        QCOMPARE(form.palette().color(QPalette::Window), QColor(207, 232, 233));
        QVERIFY(form.minimumSize() != form.maximumSize());
        QVERIFY(form.isSizeGripEnabled());
        showAndWait(&form);
        QCOMPARE(form.frameGeometry().size(), QSize(562, 519));
        QStringList tabs;
        for (int i = 0; i < form.ConfigPages->count(); ++i) tabs << form.ConfigPages->tabText(i);
        QCOMPARE(tabs, (QStringList{"Transfer", "File Optionen", "KB-Wedge", "Einstellungen",
                                    "Serie Nummern"}));
        QCOMPARE(form.ConfigPages->focusPolicy(), Qt::NoFocus);
        QVERIFY(form.TabControl1->isAncestorOf(form.ConfigPages));
        QCOMPARE(form.BitBtn1->text(), QString("Schliessen"));
        QVERIFY(!form.BitBtn1->icon().pixmap(16, 16).isNull());
        // Beneath the frame, at the right.
        const QRect frame = inWindow(form.TabControl1);
        const QRect close = inWindow(form.BitBtn1);
        QVERIFY(close.top() > frame.bottom());
        QVERIFY(close.center().x() > frame.center().x());
        QVERIFY(qAbs(close.right() - frame.right()) <= 2);

        QCOMPARE(form.DataSaveDialog->filter, QString("Text Datei|*.txt|Alle|*.*"));
        QCOMPARE(form.DataSaveDialog->defaultExtension, QString("txt"));
    }

    void centredOverTheMainWindowAtEveryShowing() {
        TMainForm main(programData);
        ConfigRun run(programData, &main);
        TConfigForm& form = run.form;
        showAndWait(&main);
        for (const QPoint place : {QPoint(150, 200), QPoint(250, 300)}) {
            main.move(place);
            showAndWait(&form);
            const QPoint offset = form.frameGeometry().center() - main.frameGeometry().center();
            QVERIFY2(offset.manhattanLength() <= 2,
                     qPrintable(QString("%1,%2 %3,%4 %5x%6 main %7,%8 %9x%10")
                                    .arg(offset.x())
                                    .arg(offset.y())
                                    .arg(form.frameGeometry().x())
                                    .arg(form.frameGeometry().y())
                                    .arg(form.frameGeometry().width())
                                    .arg(form.frameGeometry().height())
                                    .arg(main.frameGeometry().x())
                                    .arg(main.frameGeometry().y())
                                    .arg(main.frameGeometry().width())
                                    .arg(main.frameGeometry().height())));
            form.close();
        }
    }

    void pageAndSizeKeptAcrossShowings() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        showAndWait(&form);
        form.ConfigPages->setCurrentIndex(3);
        form.resize(form.size() + QSize(40, 30));
        const QSize resized = form.frameGeometry().size();
        form.close();
        showAndWait(&form);
        QCOMPARE(form.ConfigPages->currentIndex(), 3);
        QCOMPARE(form.frameGeometry().size(), resized);
    }

    void transferPage() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        showAndWait(&form);
        QCOMPARE(form.Label1->text(), QString("Daten Transfer Scanner  ---> PC"));
        QVERIFY(form.Label1->font().bold() && form.Label1->font().italic());
        QCOMPARE(form.Label38->text(), QString("Port "));
        QVERIFY(isLeftOf(form.Label38, form.cbPortID));
        QVERIFY(form.cbPortID->isEditable());
        QStringList ports;
        for (int n = 1; n <= 16; ++n) ports << QString("COM%1").arg(n);
        QCOMPARE(itemsOf(form.cbPortID), ports);
        QCOMPARE(form.cbPortID->currentText(), QString("COM1"));
        QCOMPARE(form.ScannerOptionGroup->title(), QString(" Übermittlungs Optionen"));
        QCOMPARE(itemsOf(form.ScannerOptionGroup),
                 (QStringList{"Barcode, Zeit und Datum .", "Nur Barcode und Zeit.",
                              "Nur Barcode und Daturm.", "Nur Barcode"}));
        QCOMPARE(form.ScannerOptionGroup->value(), 0);
        QCOMPARE(form.RadioModeGroup->title(), QString(" Übermittlungs Variante"));
        QCOMPARE(itemsOf(form.RadioModeGroup), (QStringList{"File Transfer.", "Keyboard-Wedge."}));
        QCOMPARE(form.RadioModeGroup->value(), 0);
        QCOMPARE(form.TransDelCheckBox->text(), QString("Nach Übermittlung löschen."));
        QVERIFY(!form.TransDelCheckBox->isChecked());
        QCOMPARE(form.SynchDateTimeCheckBox->text(), QString("Zeit/Datum mit PC synchronisieren."));
        QVERIFY(!form.SynchDateTimeCheckBox->isChecked());
        QCOMPARE(form.SetTimeDateButton->text(), QString("Zeit && Datum"));
        QVERIFY(isLeftOf(form.SynchDateTimeCheckBox, form.SetTimeDateButton));
    }

    void fileOptionsPage() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        showAndWait(&form);
        form.ConfigPages->setCurrentIndex(1);
        QCOMPARE(form.Label2->text(), QString("Daten Speicherung."));
        QVERIFY(form.Label2->font().bold() && form.Label2->font().italic());
        QCOMPARE(form.FileSaveOptionRadioGroup->title(), QString(" Speicher  Optionen"));
        QCOMPARE(itemsOf(form.FileSaveOptionRadioGroup),
                 (QStringList{"File überschreiben", "Daten an best. File anhängen."}));
        QCOMPARE(form.FileSaveOptionRadioGroup->value(), 0);
        QCOMPARE(form.ScanRecToFileBox->text(),
                 QString("Scanner Daten als ersten Record speichern."));
        QCOMPARE(form.FileCountCheckBox->text(), QString("Filezähler"));
        QCOMPARE(form.Label4->text(), QString("Filename und Pfad:"));
        QVERIFY(inWindow(form.Label4).bottom() < inWindow(form.FileNamePathEdit).top());
        QCOMPARE(form.BrowseButton->text(), QString("Browse"));
        QVERIFY(isLeftOf(form.FileNamePathEdit, form.BrowseButton));
        QVERIFY(form.FieldSepEdit->font().bold());
        QCOMPARE(form.FieldSepEdit->text(), QString(";"));
        QCOMPARE(form.Label5->text(), QString("Feld Trennzeichen:"));
        QVERIFY(isLeftOf(form.FieldSepEdit, form.Label5));
        // One character from the keyboard.
        form.FieldSepEdit->clear();
        QTest::keyClicks(form.FieldSepEdit, "|x");
        QCOMPARE(form.FieldSepEdit->text(), QString("|"));
    }

    void keyboardWedgePage() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        showAndWait(&form);
        form.ConfigPages->setCurrentIndex(2);
        QCOMPARE(form.Label12->text(), QString("Hotkey für einlesen"));
        QCOMPARE(form.Label17->text(), QString("(z.B. ALT+CTL+S)"));
        QCOMPARE(form.Label14->text(), QString("Hotkey für löschen"));
        QCOMPARE(form.Label16->text(), QString("(z.B. ALT+CTL+D)"));
        QCOMPARE(form.Label13->text(), QString("Feldtrennzeichen"));
        QCOMPARE(form.Label15->text(), QString("Zeilenende"));
        for (QLineEdit* edit : {form.SendHotkeyEdit, form.ClearHotkeyEdit}) {
            QVERIFY(edit->isReadOnly());
            QCOMPARE(edit->toolTip(), QString("Tastenkombination eingeben."));
            QVERIFY(edit->text().isEmpty());
        }
        QCOMPARE(itemsOf(form.FieldSepCombo),
                 (QStringList{",", ".", ":", ";", "/", "H-Tab", "V-Tab"}));
        QCOMPARE(itemsOf(form.StringTermCombo), (QStringList{"CR", "LF", "H-Tab", "V-Tab"}));
        QVERIFY(!form.FieldSepCombo->isEditable());
        QVERIFY(!form.StringTermCombo->isEditable());
        // Label left, example right; the rows from top to bottom, with a gap between the
        // hotkey rows and the list rows.
        QVERIFY(isLeftOf(form.Label12, form.SendHotkeyEdit));
        QVERIFY(isLeftOf(form.SendHotkeyEdit, form.Label17));
        QVERIFY(isLeftOf(form.Label14, form.ClearHotkeyEdit));
        QVERIFY(isLeftOf(form.ClearHotkeyEdit, form.Label16));
        QVERIFY(isLeftOf(form.Label13, form.FieldSepCombo));
        QVERIFY(isLeftOf(form.Label15, form.StringTermCombo));
        const int rows[] = {
            inWindow(form.SendHotkeyEdit).top(), inWindow(form.ClearHotkeyEdit).top(),
            inWindow(form.FieldSepCombo).top(), inWindow(form.StringTermCombo).top()};
        QVERIFY(rows[0] < rows[1] && rows[1] < rows[2] && rows[2] < rows[3]);
        QVERIFY(rows[2] - rows[1] > rows[1] - rows[0] + 10);

        // The pace, in milliseconds, below the terminator; a change counts at once.
        QCOMPARE(form.LinePauseLabel->text(), QString("Pause nach Zeilenende"));
        QCOMPARE(form.KeyPauseLabel->text(), QString("Pause je Zeichen"));
        QVERIFY(isLeftOf(form.LinePauseLabel, form.LinePauseSpin));
        QVERIFY(isLeftOf(form.KeyPauseLabel, form.KeyPauseSpin));
        QVERIFY(rows[3] < inWindow(form.LinePauseSpin).top());
        QVERIFY(inWindow(form.LinePauseSpin).top() < inWindow(form.KeyPauseSpin).top());
        const std::pair<QSpinBox*, int> pauses[] = {{form.LinePauseSpin, 2000},
                                                    {form.KeyPauseSpin, 100}};
        for (const auto& [spin, maximum] : pauses) {
            QCOMPARE(spin->minimum(), 0);
            QCOMPARE(spin->maximum(), maximum);
            QCOMPARE(spin->value(), 0);
            QCOMPARE(spin->suffix(), QString(" ms"));
        }
        form.LinePauseSpin->setValue(350);
        QCOMPARE(form.settings().linePauseMs, 350);
        form.KeyPauseSpin->setFocus();
        form.KeyPauseSpin->selectAll();
        QTest::keyClicks(form.KeyPauseSpin, "250");
        QCOMPARE(form.settings().keyPauseMs, 25);
        QCOMPARE(form.settings().linePauseMs, 350);
    }

    void everyChoiceIsReadByName() {
        // Each item carries the number the settings file stores for it, whatever its place.
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        for (const QComboBox* combo : {form.cbPortID, form.FieldSepCombo, form.StringTermCombo})
            for (int i = 0; i < combo->count(); ++i) QCOMPARE(combo->itemData(i), QVariant(i));
        for (const RadioGroup* group :
             {form.ScannerOptionGroup, form.RadioModeGroup, form.FileSaveOptionRadioGroup}) {
            for (int i = 0; i < group->count(); ++i) {
                group->button(i)->click();
                QCOMPARE(group->value(), i);
            }
        }
        form.cbPortID->setCurrentIndex(form.cbPortID->findText("COM7"));
        QCOMPARE(form.portIndex(), 6);
        form.FieldSepCombo->setCurrentText("/");
        QCOMPARE(form.settings().wedgeSeparator, WedgeSeparator::Slash);
        form.StringTermCombo->setCurrentText("H-Tab");
        QCOMPARE(form.settings().wedgeTerminator, WedgeTerminator::HorizontalTab);
        form.ScannerOptionGroup->button(2)->click();
        QCOMPARE(form.settings().dataFormat, DataFormat::Date);
        form.RadioModeGroup->button(1)->click();
        QCOMPARE(form.settings().transferMode, TransferMode::KeyboardWedge);
        form.FileSaveOptionRadioGroup->button(1)->click();
        QCOMPARE(form.settings().saveOption, SaveOption::Append);
    }

    void parameterPage() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        showAndWait(&form);
        form.ConfigPages->setCurrentIndex(3);
        QCOMPARE(form.Label3->text(), QString("Parameter"));
        QCOMPARE(form.ParamCheckListBox->count(), 16);
        QCOMPARE(form.Label6->text(), QString("Beschreibung"));
        QCOMPARE(form.Memo1->toPlainText().split('\n'),
                 (QStringList{"Links die aktuellle", "Parameter Konfiguration.",
                              "Markieren/demarkieren mit", "einem Click in die Box.",
                              "Alle Scanner-Daten vorher", "löschen !!"}));
        QVERIFY(!form.Memo1->isReadOnly());
        QCOMPARE(form.Memo1->palette().color(QPalette::Base),
                 form.palette().color(QPalette::ToolTipBase));
        QVERIFY(inWindow(form.Label3).bottom() < inWindow(form.ParamCheckListBox).top());
        QVERIFY(inWindow(form.Label6).bottom() < inWindow(form.Memo1).top());
        QVERIFY(isLeftOf(form.ParamCheckListBox, form.Memo1));
        const std::vector<std::pair<QPushButton*, QString>> buttons{
            {form.LoadScannerButton, " Auf Scanner laden !"},
            {form.ReadParaButton, "Von Scanner lesen !"},
            {form.FactoryDefaultButton, "Scanner Reset (default)"},
            {form.OpenConfigButton, "Konfiguration laden"},
            {form.SaveConfigButton, "Konfiguration speichern"}};
        int above = inWindow(form.Memo1).bottom();
        for (const auto& [button, caption] : buttons) {
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->toolTip(), QString("Parameterliste wird zum Scanner übertragen."));
            QVERIFY(!button->icon().pixmap(16, 16).isNull());
            QCOMPARE(inWindow(button).left(), inWindow(form.Memo1).left());
            QVERIFY(inWindow(button).top() > above);
            above = inWindow(button).bottom();
        }
    }

    void serialNumberPage() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        showAndWait(&form);
        form.ConfigPages->setCurrentIndex(4);
        QCOMPARE(form.Label8->text(), QString("Serie Nummern der Scanner  "));
        QVERIFY(form.Label8->font().bold() && form.Label8->font().italic());
        DelimitedListBox* list = form.SerieListBox;
        QCOMPARE(list->columnCount(), 3);
        const QStringList captions{"Scanner SN:", "ID", "Name"};
        const int widths[] = {120, 90, 200};
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(list->sectionCaption(k), captions[k]);
            QCOMPARE(list->columnWidth(k), widths[k]);
        }
        QVERIFY(list->header()->defaultAlignment() & Qt::AlignHCenter);
        QCOMPARE(list->palette().color(QPalette::Base),
                 form.palette().color(QPalette::ToolTipBase));
        // The strip right under the list, as wide as it, with label, ID and name in the
        // order of the columns above.
        const QRect listRect = inWindow(list);
        const QRect strip = inWindow(form.Panel1);
        QVERIFY(qAbs(strip.top() - listRect.bottom()) <= 2);
        QCOMPARE(strip.left(), listRect.left());
        QCOMPARE(strip.width(), listRect.width());
        QCOMPARE(form.Panel1->frameShadow(), QFrame::Raised);
        QCOMPARE(form.ScannerLabel->text(), QString(" Scanner  "));
        QVERIFY(form.ScannerLabel->font().pointSizeF() < form.font().pointSizeF());
        QVERIFY(isLeftOf(form.ScannerLabel, form.PersNumEdit));
        QVERIFY(isLeftOf(form.PersNumEdit, form.PersNameEdit));
        QVERIFY(qAbs(inWindow(form.PersNumEdit).left() - (listRect.left() + widths[0])) <= 4);
        QVERIFY(strip.right() - inWindow(form.PersNameEdit).right() <= 4);
        QCOMPARE(form.PersNumEdit->maxLength(), 4);
        QCOMPARE(form.EinlesenButton->text(), QString("Scanner Nr. einlesen"));
        QCOMPARE(form.DeleteButton->text(), QString("Zeile löschen"));
        QVERIFY(inWindow(form.EinlesenButton).top() > strip.bottom());
        QVERIFY(isLeftOf(form.EinlesenButton, form.DeleteButton));
        QVERIFY(inWindow(form.EinlesenButton).left() - strip.left() <= 4);
        QVERIFY(strip.right() - inWindow(form.DeleteButton).right() <= 4);
    }

    // Hints only on the controls that have one.
    void hintsOnlyWhereGiven() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        std::set<QString> hinted;
        for (QWidget* widget : form.findChildren<QWidget*>())
            if (!widget->toolTip().isEmpty()) hinted.insert(widget->objectName());
        const std::set<QString> expected{
            "FileNamePathEdit", "SendHotkeyEdit",       "ClearHotkeyEdit",  "LoadScannerButton",
            "ReadParaButton",   "FactoryDefaultButton", "OpenConfigButton", "SaveConfigButton",
            "LinePauseSpin",    "KeyPauseSpin"};
        QCOMPARE(hinted, expected);
        QCOMPARE(form.FileNamePathEdit->toolTip(), path("Data.txt"));
    }

    void tabOrderOfEachPage() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        QCOMPARE(tabStops(form.ConfigPages->widget(0)),
                 (QStringList{"cbPortID", "SynchDateTimeCheckBox", "ScannerOptionGroup",
                              "SetTimeDateButton", "TransDelCheckBox", "RadioModeGroup"}));
        QCOMPARE(tabStops(form.ConfigPages->widget(1)),
                 (QStringList{"FileSaveOptionRadioGroup", "FileCountCheckBox", "FileNamePathEdit",
                              "BrowseButton", "FieldSepEdit", "ScanRecToFileBox"}));
        QCOMPARE(tabStops(form.ConfigPages->widget(2)),
                 (QStringList{"SendHotkeyEdit", "ClearHotkeyEdit", "FieldSepCombo",
                              "StringTermCombo", "LinePauseSpin", "KeyPauseSpin"}));
        QCOMPARE(tabStops(form.ConfigPages->widget(3)),
                 (QStringList{"Memo1", "ParamCheckListBox", "LoadScannerButton", "ReadParaButton",
                              "FactoryDefaultButton", "OpenConfigButton", "SaveConfigButton"}));
        // The delete button is no tab stop.
        QCOMPARE(tabStops(form.ConfigPages->widget(4)),
                 (QStringList{"SerieListBox", "PersNumEdit", "PersNameEdit", "EinlesenButton"}));
        QVERIFY(form.Memo1->tabChangesFocus());
    }

    // The Tab key itself: a radio group is one stop, at its chosen item.
    void tabKeyOnTheTransferPage() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        showAndWait(&form);
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.ConfigPages->setCurrentIndex(0);
        form.cbPortID->setFocus();
        QStringList visited{controlName(QApplication::focusWidget())};
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << controlName(QApplication::focusWidget());
        }
        QCOMPARE(visited, (QStringList{"cbPortID", "SynchDateTimeCheckBox", "ScannerOptionGroup",
                                       "SetTimeDateButton", "TransDelCheckBox", "RadioModeGroup"}));
    }

    void clockButtonFollowsTheSynchronisation() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        form.SynchDateTimeCheckBox->setChecked(true);
        for (int showing = 0; showing < 2; ++showing) {
            // Whatever enabled it in between, showing the window decides again.
            form.SetTimeDateButton->setEnabled(true);
            showAndWait(&form);
            QVERIFY(!form.SetTimeDateButton->isEnabled());
            form.SynchDateTimeCheckBox->click();
            QVERIFY(form.SetTimeDateButton->isEnabled());
            form.SynchDateTimeCheckBox->click();
            QVERIFY(!form.SetTimeDateButton->isEnabled());
            form.close();
        }
        form.SynchDateTimeCheckBox->setChecked(false);
        form.SetTimeDateButton->setEnabled(false);
        showAndWait(&form);
        QVERIFY(form.SetTimeDateButton->isEnabled());
    }

    void clockButtonAfterLoadingATickedSetting() {
        QVERIFY(putFile(path("LVconfig.ini"), "[ScannerOptions]\r\nSynchDateTime=1\r\n"));
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        QVERIFY(!form.SetTimeDateButton->isEnabled());
    }

    void browseCancelledChangesNothing() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        const QString before = path("Data.txt");
        SaveDialogAnswer answer;
        form.BrowseButton->click();
        QCOMPARE(answer.proposed, QStringList{before});
        QCOMPARE(form.FileNamePathEdit->text(), before);
        QCOMPARE(form.FileNamePathEdit->toolTip(), before);
    }

    void browseConfirmedAddsTheExtension() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        QVERIFY(QDir(dir_.path()).mkpath("Ausgabe"));
        const QString typed = dir_.filePath("Ausgabe/Tagesdaten");
        {
            SaveDialogAnswer answer(typed);
            form.BrowseButton->click();
        }
        const QString expected = QDir::toNativeSeparators(typed + ".txt");
        QCOMPARE(form.FileNamePathEdit->text(), expected);
        QCOMPARE(form.FileNamePathEdit->toolTip(), expected);
        QVERIFY(!QFile::exists(expected));
        // The next browse proposes the name chosen last.
        SaveDialogAnswer again;
        form.BrowseButton->click();
        QCOMPARE(again.proposed, QStringList{typed + ".txt"});
    }

    void browseRefusesANameTheSettingsFileCannotKeep() {
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        const QString before = form.FileNamePathEdit->text();
        MessageBoxRecorder boxes;
        {
            // "č" is not in Windows-1252: it would come back as "?" on the next start.
            SaveDialogAnswer answer(dir_.filePath(QString::fromUtf8("Bestellung_\u010D")));
            form.BrowseButton->click();
        }
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].caption, QString(" Ungültiger Dateiname"));
        QCOMPARE(form.FileNamePathEdit->text(), before);
        // Umlauts are in the code page and pass.
        {
            SaveDialogAnswer answer(dir_.filePath(QString::fromUtf8("Bestände")));
            form.BrowseButton->click();
        }
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(form.FileNamePathEdit->text(),
                 QDir::toNativeSeparators(dir_.filePath(QString::fromUtf8("Bestände.txt"))));
    }

    void typedPathKeepsTheOldHintAndProposal() {
        const QString before = path("Data.txt");
        const QString typed = dir_.filePath("anders.csv");
        {
            ConfigRun run(programData);
            TConfigForm& form = run.form;
            form.FileNamePathEdit->clear();
            QTest::keyClicks(form.FileNamePathEdit, typed);
            QCOMPARE(form.FileNamePathEdit->text(), typed);
            QCOMPARE(form.FileNamePathEdit->toolTip(), before);
            SaveDialogAnswer answer;
            form.BrowseButton->click();
            QCOMPARE(answer.proposed, QStringList{before});
            QCOMPARE(form.FileNamePathEdit->text(), typed);
        }
        // It is the data file path from then on, and saved at the end.
        QVERIFY(fileBytes(path("LVconfig.ini")).find("PathAndName=" + nativePath(typed) + "\r\n") !=
                std::string::npos);
    }

    void browseStartsInTheDataFilesFolderElseAtHome() {
        // The name proposed lies in a folder that has gone: the dialog starts in the folder
        // of the data file as the edit shows it, and without that at home.
        QVERIFY(putFile(path("LVconfig.ini"),
                        "[DataFile]\r\nPathAndName=" + nativePath(path("weg/Data.txt")) + "\r\n"));
        QVERIFY(QDir(dir_.path()).mkpath("Ausgabe"));
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        {
            SaveDialogAnswer answer;
            form.BrowseButton->click();
            QCOMPARE(answer.folder, QDir::homePath());
        }
        form.FileNamePathEdit->setText(path("Ausgabe/Tag.txt"));
        SaveDialogAnswer answer;
        form.BrowseButton->click();
        QCOMPARE(answer.folder, path("Ausgabe"));
    }

    void escapeAndEnterDoNotClose() {
        InstalledHotkeys hotkeys;
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        hotkeys.clearCalls();
        showAndWait(&form);
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(form.isVisible());
        QTest::keyClick(&form, Qt::Key_Return);
        QVERIFY(form.isVisible());
        form.ConfigPages->setCurrentIndex(1);
        QTest::keyClick(form.FileNamePathEdit, Qt::Key_Return);
        QTest::keyClick(form.FileNamePathEdit, Qt::Key_Enter);
        QTest::keyClick(form.FileNamePathEdit, Qt::Key_Escape);
        QVERIFY(form.isVisible());
        QVERIFY(hotkeys.registrations().empty());
    }

    void closingRegistersTheHotkeysAgain_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Schliessen") << false;
        QTest::newRow("close box") << true;
    }

    void closingRegistersTheHotkeysAgain() {
        QFETCH(bool, closeBox);
        InstalledHotkeys hotkeys;
        ConfigRun run(programData);
        TConfigForm& form = run.form;
        QCOMPARE(hotkeys.registrations(), (std::vector<std::string>{"66:0:0", "99:0:0"}));
        hotkeys.clearCalls();
        // Captured on the page "KB-Wedge" while the window was open.
        form.data().settings.sendHotkey.modifiers = 3;
        form.data().settings.sendHotkey.key = 83;
        form.data().settings.clearHotkey.modifiers = 6;
        form.data().settings.clearHotkey.key = 68;
        showAndWait(&form);
        if (closeBox)
            form.close();
        else
            form.BitBtn1->click();
        QVERIFY(form.isHidden());
        QCOMPARE(hotkeys.registrations(), (std::vector<std::string>{"66:3:83", "99:6:68"}));
        QVERIFY(!hotkeys.anyUnregistered());
        // Closing saves nothing.
        QVERIFY(!QFile::exists(path("LVconfig.ini")));
    }
};

QTEST_MAIN(ConfigWindowTest)
#include "test_config_window.moc"
