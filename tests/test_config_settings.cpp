// The configuration window as the settings store: loading the settings file and the scanner
// list when it is created, and writing both back when it is destroyed.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include "core/program_data.h"
#include "file_helpers.h"
#include "system/program_dir.h"
#include "testing/message_box_recorder.h"
#include "transfer_windows.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/radio_group.h"
#include "windows/application.h"
#include "windows/config_form.h"

// What the configuration windows of these tests show and edit; each window loads it anew.
static ProgramData programData;
class ConfigSettingsTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(name); }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        for (const char* name : {"LVconfig.ini", "LVserial.dat", "Param.dat"})
            QFile::remove(path(name));
        setProgramDirectory(dir_.path().toStdString());
    }

    void firstRunUsesDefaultsAndWritesAllKeys() {
        MessageBoxRecorder boxes;
        {
            ConfigRun run(programData);
            TConfigForm& form = run.form;
            QCOMPARE(form.FileNamePathEdit->text(), path("Data.txt"));
            QCOMPARE(form.FileNamePathEdit->toolTip(), path("Data.txt"));
            QCOMPARE(form.FileSaveOptionRadioGroup->value(), 0);
            QVERIFY(!form.FileCountCheckBox->isChecked());
            QCOMPARE(form.settings().fileCounter, 0);
            QCOMPARE(form.FieldSepEdit->text(), QString(";"));
            QVERIFY(!form.ScanRecToFileBox->isChecked());
            QCOMPARE(form.RadioModeGroup->value(), 0);
            QCOMPARE(form.cbPortID->currentIndex(), 0);
            QCOMPARE(form.ScannerOptionGroup->value(), 0);
            QVERIFY(!form.TransDelCheckBox->isChecked());
            QVERIFY(!form.SynchDateTimeCheckBox->isChecked());
            QCOMPARE(form.FieldSepCombo->currentIndex(), 0);
            QCOMPARE(form.StringTermCombo->currentIndex(), 0);
            QVERIFY(form.SendHotkeyEdit->text().isEmpty());
            QVERIFY(form.ClearHotkeyEdit->text().isEmpty());
            QCOMPARE(form.SerieListBox->rowCount(), 0);
            // The missing scanner list is reported, and loading went on to the parameters.
            QCOMPARE(boxes.shown().size(), size_t(1));
            QCOMPARE(boxes.shown()[0].text, "Cannot open file " + path("LVserial.dat"));
            QCOMPARE(boxes.shown()[0].caption, QString("Lorvant"));
            QCOMPARE(form.ParamCheckListBox->count(), 16);
            QVERIFY(QFile::exists(path("Param.dat")));
        }
        const std::string expected =
            "[DataFile]\r\nPathAndName=" + path("Data.txt").toStdString() +
            "\r\nSaveOption=0\r\nCounterActive=0\r\nFileCounter=0\r\nFieldSeparator=;\r\n"
            "ScanRecToFile=0\r\nTransMode=0\r\n"
            "[ScannerOptions]\r\nPort=0\r\nDataFormat=0\r\nTransDel=0\r\nSynchDateTime=0\r\n"
            "[SendOptions]\r\nFieldSep=0\r\nRecTerm=0\r\nSendHot=\r\nMod=0\r\nV_Key=0\r\n"
            "[ClrOptions]\r\nClrHot=\r\nMod=0\r\nV_key=0\r\n";
        QCOMPARE(fileBytes(path("LVconfig.ini")), expected);
        QCOMPARE(fileBytes(path("LVserial.dat")), std::string());
        QVERIFY(QFile::exists(path("LVserial.dat")));
    }

    void valuesAreClampedConvertedAndWrittenBack() {
        putFile(path("LVconfig.ini"),
                "; kept\r\n[DataFile]\r\nSaveOption=7\r\nFileCounter=0x1F\r\nCounterActive=2\r\n"
                "ScanRecToFile=ja\r\nFieldSeparator=||\r\nForeign=keep me\r\n"
                "[ScannerOptions]\r\nPort=20\r\nDataFormat=$3\r\n"
                "[SendOptions]\r\nFieldSep=-1\r\nRecTerm=9\r\nSendHot=Alt+Q\r\nMod=6\r\n"
                "V_Key=116\r\n[ClrOptions]\r\nMod=1\r\nV_key=68\r\n[Other]\r\nx=1\r\n");
        putFile(path("LVserial.dat"), "");
        {
            MessageBoxRecorder boxes;
            ConfigRun run(programData);
            TConfigForm& form = run.form;
            QVERIFY(boxes.shown().empty());
            QCOMPARE(form.FileSaveOptionRadioGroup->value(), 1);
            QCOMPARE(form.settings().fileCounter, 31);
            QVERIFY(form.FileCountCheckBox->isChecked());
            QVERIFY(!form.ScanRecToFileBox->isChecked());
            QCOMPARE(form.FieldSepEdit->text(), QString("||"));
            // A number beyond the choices selects the default, not an empty choice.
            QCOMPARE(form.cbPortID->currentIndex(), 0);
            QCOMPARE(form.ScannerOptionGroup->value(), 3);
            QCOMPARE(form.FieldSepCombo->currentIndex(), 0);
            QCOMPARE(form.StringTermCombo->currentIndex(), 0);
            // The shown text is kept even where it does not match the numbers.
            QCOMPARE(form.SendHotkeyEdit->text(), QString("Alt+Q"));
            QCOMPARE(form.settings().sendHotkey.modifiers, 6);
            QCOMPARE(form.settings().sendHotkey.key, 116);
            QCOMPARE(form.settings().clearHotkey.modifiers, 1);
            QCOMPARE(form.settings().clearHotkey.key, 68);
        }
        const std::string saved = fileBytes(path("LVconfig.ini"));
        for (const char* line :
             {"; kept\r\n[DataFile]\r\n", "SaveOption=1\r\n", "FileCounter=31\r\n",
              "CounterActive=1\r\n", "FieldSeparator=||\r\n", "Foreign=keep me\r\n", "Port=0\r\n",
              "DataFormat=3\r\n", "FieldSep=0\r\n", "RecTerm=0\r\n", "SendHot=Alt+Q\r\n",
              "[Other]\r\nx=1\r\n", "V_Key=116\r\n", "V_key=68\r\n"})
            QVERIFY2(saved.find(line) != std::string::npos, line);
    }

    void negativeChoicesSelectTheDefault() {
        putFile(path("LVconfig.ini"),
                "[DataFile]\r\nSaveOption=-5\r\nTransMode=-1\r\n"
                "[ScannerOptions]\r\nPort=99\r\nDataFormat=-3\r\n");
        putFile(path("LVserial.dat"), "");
        {
            ConfigRun run(programData);
            TConfigForm& form = run.form;
            QCOMPARE(form.FileSaveOptionRadioGroup->value(), 0);
            QCOMPARE(form.RadioModeGroup->value(), 0);
            QCOMPARE(form.cbPortID->currentIndex(), 0);
            QCOMPARE(form.ScannerOptionGroup->value(), 0);
        }
        const std::string saved = fileBytes(path("LVconfig.ini"));
        for (const char* line :
             {"SaveOption=0\r\n", "TransMode=0\r\n", "Port=0\r\n", "DataFormat=0\r\n"})
            QVERIFY2(saved.find(line) != std::string::npos, line);
    }

    void scannerListRoundTrips() {
        putFile(path("LVserial.dat"),
                "0011223344556677;AB12;Lager\r\n8899aabbccddeeff\n"
                "0102030405060708;;N\xE4me;x");
        {
            MessageBoxRecorder boxes;
            ConfigRun run(programData);
            TConfigForm& form = run.form;
            QCOMPARE(form.SerieListBox->rowCount(), 3);
            QCOMPARE(form.SerieListBox->column(0, 2), std::string("Lager"));
            QCOMPARE(form.SerieListBox->column(2, 2), std::string("N\xE4me"));
            QCOMPARE(form.SerieListBox->topLevelItem(2)->text(2), QString("Näme"));
        }
        QCOMPARE(fileBytes(path("LVserial.dat")),
                 std::string("0011223344556677;AB12;Lager\r\n8899aabbccddeeff\r\n"
                             "0102030405060708;;N\xE4me;x\r\n"));
    }

    void unwritableSettingsAreReportedAndTheListIsStillSaved() {
        putFile(path("LVserial.dat"), "0011223344556677\r\n");
        MessageBoxRecorder boxes;
        {
            ConfigRun run(programData);
            TConfigForm& form = run.form;
            form.data().scanners.add("8899aabbccddeeff");
            // A folder where the settings file should be makes it unwritable.
            QVERIFY(QDir(dir_.path()).mkdir("LVconfig.ini"));
        }
        QVERIFY(QDir(path("LVconfig.ini")).exists());
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text, "Unable to write to " + path("LVconfig.ini"));
        QCOMPARE(fileBytes(path("LVserial.dat")),
                 std::string("0011223344556677\r\n8899aabbccddeeff\r\n"));
        QDir(path("LVconfig.ini")).removeRecursively();
    }

    void aListCutShortByANulIsReportedAndKeptUntilItIsChanged() {
        const std::string damaged =
            std::string("0011223344556677;AB12;Lager\r\n8899aabbccddeeff;CD34;Hof\r\n0102") + '\0' +
            "030405060708;EF56;Keller\r\n";
        putFile(path("LVserial.dat"), damaged);
        {
            MessageBoxRecorder boxes;
            ConfigRun run(programData);
            TConfigForm& form = run.form;
            // The reading ends at the NUL byte, in the middle of the third row.
            QCOMPARE(form.SerieListBox->rows(),
                     (std::vector<std::string>{"0011223344556677;AB12;Lager",
                                               "8899aabbccddeeff;CD34;Hof", "0102"}));
            QCOMPARE(boxes.shown().size(), size_t(1));
            QCOMPARE(boxes.shown()[0].caption, QString(" Scanner-Liste beschädigt"));
            QCOMPARE(boxes.shown()[0].icon, QMessageBox::Warning);
            const QString text = boxes.shown()[0].text;
            QVERIFY2(text.contains(path("LVserial.dat")) && text.contains("Zeile 3") &&
                         text.contains(path("LVserial.dat.bak")),
                     qPrintable(text));
        }
        // Unchanged, the list is not written back: the rows after the NUL are still there.
        QCOMPARE(fileBytes(path("LVserial.dat")), damaged);
        QVERIFY(!QFile::exists(path("LVserial.dat.bak")));
        {
            MessageBoxRecorder boxes;
            ConfigRun run(programData);
            TConfigForm& form = run.form;
            form.data().scanners.add("a0a1a2a3a4a5a6a7");
        }
        QCOMPARE(fileBytes(path("LVserial.dat.bak")), damaged);
        QCOMPARE(fileBytes(path("LVserial.dat")),
                 std::string("0011223344556677;AB12;Lager\r\n8899aabbccddeeff;CD34;Hof\r\n"
                             "0102\r\na0a1a2a3a4a5a6a7\r\n"));
    }

    void scannerListThatCannotBeReadIsNotSavedOver() {
        // A folder stands for a list that is there but cannot be read.
        QVERIFY(QDir(dir_.path()).mkdir("LVserial.dat"));
        MessageBoxRecorder boxes;
        {
            ConfigRun run(programData);
            TConfigForm& form = run.form;
            form.data().scanners.add("8899aabbccddeeff");
        }
        QCOMPARE(boxes.shown().size(), size_t(2));
        QCOMPARE(boxes.shown()[0].text, "Cannot open file " + path("LVserial.dat"));
        QCOMPARE(boxes.shown()[1].text,
                 "Die Scanner-Liste wurde nicht gespeichert: " + path("LVserial.dat") +
                     " konnte beim Start nicht gelesen werden und wäre sonst überschrieben "
                     "worden.");
        QDir(path("LVserial.dat")).removeRecursively();
    }
};

QTEST_MAIN(ConfigSettingsTest)
#include "test_config_settings.moc"
