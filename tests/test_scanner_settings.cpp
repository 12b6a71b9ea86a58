// The pages "Serie Nummern" and "Einstellungen": registering scanners and the scanner
// parameters, against the device model.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include "core/program_data.h"
#include "file_helpers.h"
#include "formats/parameter_file.h"
#include "scanner/cs1504_library.h"
#include "shell_fakes.h"
#include "system/program_dir.h"
#include "testing/cs1504_device.h"
#include "testing/memory_transport.h"
#include "testing/message_box_recorder.h"
#include "transfer_windows.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "unit_fixture.h"
#include "windows/application.h"
#include "windows/config_form.h"

// What the configuration windows of these tests show and edit; each window loads it anew.
static ProgramData programData;
namespace {
void putLittleEndian(std::string& image, size_t at, int32_t value) {
    for (int k = 0; k < 4; ++k) image[at + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
}
bool checked(TConfigForm& form, int item) {
    return form.ParamCheckListBox->item(item)->checkState() == Qt::Checked;
}
void check(TConfigForm& form, int item, bool on) {
    form.ParamCheckListBox->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}
constexpr int kMaxLengthItem = 14;
}  // namespace

class ScannerSettingsTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    UnitFixture unit_;
    std::unique_ptr<ConfigRun> run_;
    TConfigForm* form_ = nullptr;

    void start() {
        run_ = std::make_unique<ConfigRun>(programData);
        form_ = &run_->form;
        ConfigForm = form_;
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        unit_.setUp(dir_, {"LVconfig.ini", "Param.dat"}, {2026, 12, 6, 19, 52, 12, 0},
                    {0x00, 0x1A, 0xFF, 0x07, 0x10, 0x20, 0x30, 0x4B});
        putFile(dir_.filePath("LVserial.dat"), "");
    }
    void cleanup() {
        run_.reset();
        form_ = nullptr;
        ConfigForm = nullptr;
        unit_.tearDown();
    }

    void readingASerialNumberAddsARowEachTime() {
        start();
        form_->Scannereinlesen1Click();
        form_->Scannereinlesen1Click();
        QCOMPARE(form_->SerieListBox->rows(),
                 (std::vector<std::string>{"001aff071020304b", "001aff071020304b"}));
        QCOMPARE(form_->SerieListBox->selectedRow(), 1);
        QCOMPARE(form_->ScannerLabel->text(), QString("001aff071020304b"));
        QVERIFY(form_->PersNumEdit->text().isEmpty());
    }

    void noConnectionShowsAMessageAndAddsNothing() {
        unit_.device.connected = false;
        start();
        MessageBoxRecorder boxes;
        form_->Scannereinlesen1Click();
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text, QString(" Keine Verbindung zum Scanner."));
        QCOMPARE(boxes.shown()[0].caption, QString(" Kommunikations Fehler "));
        QCOMPARE(form_->SerieListBox->rowCount(), 0);
    }

    void aWaitCursorShowsWhileTheSerialNumberIsRead() {
        // Records whether the wait cursor is up at each call to the unit.
        struct CursorWatch : ScriptedScannerLibrary {
            int32_t stored = 0;
            std::vector<bool> waiting;
            void note() {
                const QCursor* cursor = QApplication::overrideCursor();
                waiting.push_back(cursor && cursor->shape() == Qt::WaitCursor);
            }
            int32_t CountStoredBarcodes() override {
                note();
                ScriptedScannerLibrary::CountStoredBarcodes();
                return stored;
            }
            int32_t ReadSerialNumber(uint8_t* buffer, int32_t capacity) override {
                note();
                return ScriptedScannerLibrary::ReadSerialNumber(buffer, capacity);
            }
        } watch;
        InstalledScannerLibrary installed(&watch);
        start();
        // Another part of the program has a cursor of its own up; it stays.
        QApplication::setOverrideCursor(Qt::CrossCursor);
        form_->Scannereinlesen1Click();
        QCOMPARE(watch.waiting, (std::vector<bool>{true, true}));
        QCOMPARE(form_->SerieListBox->rowCount(), 1);
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
        // Without a connection the message comes with the normal cursor.
        watch.stored = -1;
        bool waitingAtMessage = true;
        setMessageBoxHandler([&](const MessageBoxRequest&) {
            waitingAtMessage = QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            return QMessageBox::Ok;
        });
        form_->Scannereinlesen1Click();
        setMessageBoxHandler({});
        QVERIFY(!waitingAtMessage);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QApplication::restoreOverrideCursor();
        QVERIFY(!QApplication::overrideCursor());
    }

    void idIsStoredInCapitalsAndNameAsTyped() {
        start();
        form_->Scannereinlesen1Click();
        form_->PersNumEdit->setText("abä1");
        form_->PersNameEdit->setText("Lager Süd");
        form_->PersNumEditExit();
        QCOMPARE(form_->SerieListBox->row(0), std::string("001aff071020304b;AB\xC4"
                                                          "1;Lager S\xFC"
                                                          "d"));
        QCOMPARE(form_->PersNumEdit->text(), QString("abä1"));
    }

    void onlyTheNameGivesTwoSeparators() {
        start();
        form_->Scannereinlesen1Click();
        form_->PersNameEdit->setText("Kasse");
        form_->PersNumEditExit();
        QCOMPARE(form_->SerieListBox->row(0), std::string("001aff071020304b;;Kasse"));
    }

    void leavingAFieldWithNoRowSelectedChangesNothing() {
        putFile(dir_.filePath("LVserial.dat"), "0011223344556677;A;B\r\n");
        start();
        form_->SerieListBox->selectRow(-1);
        form_->PersNumEdit->setText("X");
        form_->PersNumEditExit();
        QCOMPARE(form_->SerieListBox->row(0), std::string("0011223344556677;A;B"));
    }

    void deleteAsksAndEmptiesTheFields() {
        putFile(dir_.filePath("LVserial.dat"), "0011223344556677;A;B\r\n");
        start();
        form_->SerieListBox->selectRow(0);
        MessageBoxRecorder boxes;
        boxes.answerNext(QMessageBox::No);
        form_->DeleteButtonClick();
        QCOMPARE(form_->SerieListBox->rowCount(), 1);
        QCOMPARE(boxes.shown()[0].text, QString("Wollen Sie wirklich diesen Eintrag löschen ?"));
        QCOMPARE(boxes.shown()[0].caption, QString("  Eintrag löschen"));
        QCOMPARE(boxes.shown()[0].defaultButton, QMessageBox::No);
        boxes.answerNext(QMessageBox::Yes);
        form_->DeleteButtonClick();
        QCOMPARE(form_->SerieListBox->rowCount(), 0);
        QVERIFY(form_->PersNumEdit->text().isEmpty());
        QVERIFY(form_->ScannerLabel->text().isEmpty());
        // With no row selected, Yes deletes nothing.
        form_->data().scanners.add("8899aabbccddeeff");
        form_->showScanners();
        form_->SerieListBox->selectRow(-1);
        boxes.answerNext(QMessageBox::Yes);
        form_->DeleteButtonClick();
        QCOMPARE(form_->SerieListBox->rowCount(), 1);
    }

    void firstStartCreatesAnEmptyParameterFileAndShowsBuiltInValues() {
        start();
        QVERIFY(QFile::exists(dir_.filePath("Param.dat")));
        QCOMPARE(QFileInfo(dir_.filePath("Param.dat")).size(), 0);
        const bool builtIn[16] = {1, 0, 0, 0, 1, 1, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
        for (int i = 0; i < 16; ++i) QCOMPARE(checked(*form_, i), builtIn[i]);
        QCOMPARE(form_->ParamCheckListBox->item(14)->text(),
                 QString("Max. BC Länge markiert=30 / demarkiert=15 "));
        // Loading the empty file undoes unsaved clicks.
        check(*form_, 0, false);
        check(*form_, 1, true);
        form_->OpenConfigButtonClick();
        QVERIFY(checked(*form_, 0));
        QVERIFY(!checked(*form_, 1));
    }

    void saveWritesTheTableImageAndKeepsForeignRecords() {
        std::string image = parameterTableImage(builtInParameterTable());
        putLittleEndian(image, 16 * 8, 77);
        putLittleEndian(image, 16 * 8 + 4, -5);
        putLittleEndian(image, 49 * 8, 123456);
        putFile(dir_.filePath("Param.dat"), image);
        start();
        form_->OpenConfigButtonClick();
        check(*form_, 1, true);
        check(*form_, kMaxLengthItem, false);
        form_->SaveConfigButtonClick();
        run_.reset();
        const std::string saved = fileBytes(dir_.filePath("Param.dat"));
        QCOMPARE(saved.size(), size_t(400));
        std::string expected(400, '\0');
        const int32_t table[16][2] = {{31, 1}, {54, 1}, {46, 0}, {45, 0}, {8, 1},  {52, 1},
                                      {42, 0}, {58, 1}, {65, 0}, {64, 0}, {57, 0}, {2, 1},
                                      {15, 0}, {35, 1}, {34, 0}, {4, 0}};
        for (int i = 0; i < 16; ++i) {
            putLittleEndian(expected, i * 8, table[i][0]);
            putLittleEndian(expected, i * 8 + 4, table[i][1]);
        }
        putLittleEndian(expected, 16 * 8, 77);
        putLittleEndian(expected, 16 * 8 + 4, -5);
        putLittleEndian(expected, 49 * 8, 123456);
        QCOMPARE(saved, expected);
        // The next start shows the built-in values until the file is loaded.
        start();
        QVERIFY(!checked(*form_, 1));
        form_->OpenConfigButtonClick();
        QVERIFY(checked(*form_, 1));
        QVERIFY(!checked(*form_, kMaxLengthItem));
    }

    void shorterFileReplacesOnlyTheLeadingEntriesAndItsCodesAreSent() {
        std::string image(12, '\0');
        putLittleEndian(image, 0, 33);  // item 0 now stands for parameter 33
        putLittleEndian(image, 4, 0);
        putLittleEndian(image, 8, 40);  // code of item 1, its value stays
        putFile(dir_.filePath("Param.dat"), image);
        start();
        form_->OpenConfigButtonClick();
        QCOMPARE(form_->data().parameters.table[0].code, 33);
        QCOMPARE(form_->data().parameters.table[1].code, 40);
        QCOMPARE(form_->data().parameters.table[1].value, 0);
        QCOMPARE(form_->data().parameters.table[2].code, 46);
        QVERIFY(!checked(*form_, 0));
        check(*form_, 0, true);
        unit_.device.setParameter(33, 0);
        MessageBoxRecorder boxes;
        form_->LoadScannerButtonClick();
        QCOMPARE(unit_.device.parameter(33), uint8_t(1));
        // The unit knows no parameter 40 and says so; the user is told which item it was.
        QVERIFY(!unit_.device.knowsParameter(40));
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text, QString("Der Scanner hat diese Einstellungen nicht "
                                                "übernommen:\n\n    Code 39 Full ASCI\n"));
        QCOMPARE(boxes.shown()[0].caption, QString(" Einstellungen nicht übernommen"));
        QCOMPARE(boxes.shown()[0].icon, QMessageBox::Warning);
        // Reading it back cannot set item 1 either: it keeps its check and is named.
        check(*form_, 1, true);
        form_->ReadParaButtonClick();
        QVERIFY(checked(*form_, 1));
        QCOMPARE(boxes.shown().size(), size_t(2));
        QCOMPARE(boxes.shown()[1].text,
                 QString("Diese Einstellungen konnten nicht vom Scanner gelesen werden und "
                         "zeigen weiter den bisherigen Stand:\n\n    Code 39 Full ASCI\n"));
    }

    void maximumLengthAndTimeStampsRefusedWhileBarcodesAreStored() {
        unit_.device.barcodes.push_back({0x01, "ART-4711", 0});
        start();
        check(*form_, 11, false);  // beeper off
        check(*form_, 13, false);
        check(*form_, kMaxLengthItem, false);
        MessageBoxRecorder boxes;
        form_->LoadScannerButtonClick();
        QCOMPARE(unit_.device.parameter(2), uint8_t(0));
        QCOMPARE(unit_.device.parameter(34), uint8_t(30));
        QCOMPARE(unit_.device.parameter(35), uint8_t(1));
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text,
                 QString("Der Scanner hat diese Einstellungen nicht übernommen:\n\n"
                         "    Zeit/Datums Stempel speichern.\n"
                         "    Max. BC Länge markiert=30 / demarkiert=15\n"
                         "\nDie max. Barcode Länge und der Zeit/Datums Stempel lassen sich nur "
                         "ändern, solange keine Barcodes auf dem Scanner gespeichert sind."));
        // The checks stay as chosen, to be written once the scanner is empty.
        QVERIFY(!checked(*form_, 13));
        QVERIFY(!checked(*form_, kMaxLengthItem));
        QCOMPARE(unit_.device.barcodes.size(), size_t(1));
    }

    void maximumLengthTravelsAs30Or15() {
        start();
        check(*form_, kMaxLengthItem, false);
        form_->LoadScannerButtonClick();
        QCOMPARE(unit_.device.parameter(34), uint8_t(15));
        check(*form_, kMaxLengthItem, true);
        check(*form_, 13, false);  // time stamps off
        form_->LoadScannerButtonClick();
        QCOMPARE(unit_.device.parameter(34), uint8_t(30));
        QCOMPARE(unit_.device.parameter(35), uint8_t(0));
        unit_.device.setParameter(34, 15);
        form_->ReadParaButtonClick();
        QVERIFY(!checked(*form_, kMaxLengthItem));
        unit_.device.setParameter(34, 30);
        form_->ReadParaButtonClick();
        QVERIFY(checked(*form_, kMaxLengthItem));
        QVERIFY(!checked(*form_, 13));
    }

    void aSilentScannerKeepsTheChecksAndIsReported() {
        start();
        unit_.device.connected = false;
        unit_.device.setParameter(2, 0);
        check(*form_, 0, false);
        check(*form_, 1, true);
        MessageBoxRecorder boxes;
        form_->ReadParaButtonClick();
        QVERIFY(!checked(*form_, 0));
        QVERIFY(checked(*form_, 1));
        form_->LoadScannerButtonClick();
        form_->FactoryDefaultButtonClick();
        QCOMPARE(unit_.device.parameter(2), uint8_t(0));
        QCOMPARE(boxes.shown().size(), size_t(3));
        for (const MessageBoxRequest& box : boxes.shown()) {
            QCOMPARE(box.text, QString(" Keine Verbindung zum Scanner."));
            QCOMPARE(box.caption, QString(" Kommunikations Fehler "));
        }
    }

    void factoryResetAsksBeforeClearingBarcodes() {
        start();
        unit_.device.setParameter(31, 0);
        unit_.device.barcodes.push_back({0x01, "X", 0});
        MessageBoxRecorder boxes;
        boxes.answerNext(QMessageBox::No);
        form_->FactoryDefaultButtonClick();
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text,
                 QString("Auf dem Scanner ist noch 1 Barcode gespeichert. Der Reset löscht "
                         "sie.\n\nWollen Sie den Scanner trotzdem zurücksetzen ?"));
        QCOMPARE(boxes.shown()[0].caption, QString("  Scanner Reset"));
        QCOMPARE(boxes.shown()[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(boxes.shown()[0].defaultButton, QMessageBox::No);
        QCOMPARE(unit_.device.parameter(31), uint8_t(0));
        QCOMPARE(unit_.device.barcodes.size(), size_t(1));
        QVERIFY(!unit_.device.sessionOpen());
        boxes.answerNext(QMessageBox::Yes);
        form_->FactoryDefaultButtonClick();
        QCOMPARE(unit_.device.parameter(31), uint8_t(1));
        QVERIFY(unit_.device.barcodes.empty());
        // An empty scanner is reset without a question.
        unit_.device.setParameter(31, 0);
        form_->FactoryDefaultButtonClick();
        QCOMPARE(unit_.device.parameter(31), uint8_t(1));
        QCOMPARE(boxes.shown().size(), size_t(2));
    }

    void aSecondRunningCopyCannotHoldTheParameterFile() {
        start();
        ParameterFile other;
        QVERIFY(!other.open((dir_.filePath("Param.dat")).toStdString()));
    }

    void savingWhileAnotherCopyHoldsTheFileIsReported() {
        ParameterFile first;
        QVERIFY(first.open((dir_.filePath("Param.dat")).toStdString()));
        start();
        MessageBoxRecorder boxes;
        form_->SaveConfigButtonClick();
        QCOMPARE(QFileInfo(dir_.filePath("Param.dat")).size(), 0);
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].icon, QMessageBox::Warning);
        QVERIFY(boxes.shown()[0].text.contains(dir_.filePath("Param.dat")));
        QVERIFY(boxes.shown()[0].text.contains("anderen laufenden Lorvant"));
    }
};

QTEST_MAIN(ScannerSettingsTest)
#include "test_scanner_settings.moc"
