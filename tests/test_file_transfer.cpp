// File transfer: saving the received list to the data file, closing the receive window with
// clock synchronisation and clearing, and the scanner clock.
#include <sys/stat.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "file_helpers.h"
#include "scanner/clock_buffer.h"
#include "scanner/cs1504_codec.h"
#include "scanner/cs1504_library.h"
#include "system/program_dir.h"
#include "testing/cs1504_device.h"
#include "testing/memory_transport.h"
#include "testing/message_box_recorder.h"
#include "text/clock.h"
#include "text/date_time_format.h"
#include "transfer_windows.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/radio_group.h"
#include "unit_fixture.h"
#include "windows/application.h"
#include "windows/clock_dialog.h"
#include "windows/config_form.h"
#include "windows/receive_form.h"

namespace {
const std::array<uint8_t, 8> kSerial = {0x00, 0x1A, 0xFF, 0x07, 0x10, 0x20, 0x30, 0x4B};
const char* kListRow = "001aff071020304b;AB12;Lager\r\n";

LocalDateTime now = {2026, 12, 6, 19, 52, 12, 0};
}  // namespace

class FileTransferTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    UnitFixture unit_;
    std::unique_ptr<TConfigForm> config_;
    std::unique_ptr<TReceiveForm> receive_;
    std::unique_ptr<TdlgTime> clock_;

    QString dataPath() const { return dir_.filePath("Data.txt"); }

    void receive(const std::string& scannerList = kListRow) {
        putFile(dir_.filePath("LVserial.dat"), scannerList);
        createTransferWindows(config_, receive_, clock_);
        config_->FileNamePathEdit->setText(dataPath());
        QCOMPARE(unit_.library->OpenScannerPort(0), 0);
        receive_->GetScannerData();
    }
    // Closing the window as the user does; true when it closed.
    bool closeWindow() {
        bool keepOpen = false;
        receive_->FormClose(keepOpen);
        return !keepOpen;
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        unit_.setUp(
            dir_,
            {"LVconfig.ini", "Data.txt", "Data_0.txt", "Data_1.txt", "Data_4.txt", "Data_7.txt"},
            now, kSerial);
        unit_.device.barcodes = {
            {0x0B, "4006381333931", cs1504::packTimeStamp(2026, 12, 6, 14, 5, 9)},
            {0x03, "K\xC4SE-7", cs1504::packTimeStamp(2026, 12, 6, 14, 6, 0)}};
    }
    void cleanup() {
        destroyTransferWindows(config_, receive_, clock_);
        unit_.tearDown();
    }

    void overwriteReplacesALongerFileExactly() {
        putFile(dataPath(), std::string(4000, 'x'));
        receive();
        config_->ScanRecToFileBox->setChecked(true);
        receive_->ListeSpeichernButtonClick();
        QCOMPARE(fileBytes(dataPath()), std::string("AB12;Lager\r\n"
                                                    "4006381333931;14:05:09;06.12.2026\r\n"
                                                    "K\xC4SE-7;14:06:00;06.12.2026\r\n"));
        QCOMPARE(receive_->statusText(), QString(" Daten wurden in Datei gespeichert"));
        QVERIFY(!receive_->ListeSpeichernButton->isEnabled());
        QVERIFY(receive_->ListSaved);
    }

    void appendAddsABlockPerSave() {
        receive();
        config_->FileSaveOptionRadioGroup->setValue(1);
        config_->ScanRecToFileBox->setChecked(true);
        config_->ScannerOptionGroup->setValue(3);
        receive_->ListBoxAll->clearRows();
        unit_.library->ResetScannerLink();
        receive_->GetScannerData();
        receive_->ListeSpeichernButtonClick();
        receive_->ListeSpeichernButtonClick();
        const std::string block = "AB12;Lager\r\n4006381333931\r\nK\xC4SE-7\r\n";
        QCOMPARE(fileBytes(dataPath()), block + block);
    }

    void counterGoesIntoTheNameAndAdvances() {
        receive();
        config_->FileCountCheckBox->setChecked(true);
        receive_->ListeSpeichernButtonClick();
        QVERIFY(QFile::exists(dir_.filePath("Data_0.txt")));
        QVERIFY(!QFile::exists(dataPath()));
        QCOMPARE(config_->settings().fileCounter, 1);
        // On disk at once: after a power cut the next run must not hand out 0 again and
        // overwrite a file whose barcodes have left the scanner.
        QVERIFY(fileBytes(dir_.filePath("LVconfig.ini")).find("FileCounter=1\r\n") !=
                std::string::npos);
        // Another running copy handed out numbers up to 6 meanwhile: this one goes on from
        // there instead of overwriting that copy's files.
        putFile(dir_.filePath("LVconfig.ini"), "[DataFile]\r\nFileCounter=7\r\n");
        putFile(dir_.filePath("Data_1.txt"), "the other copy's\r\n");
        receive_->ListeSpeichernButtonClick();
        QCOMPARE(fileBytes(dir_.filePath("Data_1.txt")), std::string("the other copy's\r\n"));
        QVERIFY(QFile::exists(dir_.filePath("Data_7.txt")));
        QCOMPARE(config_->settings().fileCounter, 8);
    }

    void anAppendCutShortIsTakenBackAtTheNextStart() {
        // The last run was ended while appending to the counted file Data_4.txt: its undo
        // record says how long the file was before.
        const QString counted = dir_.filePath("Data_4.txt");
        const std::string old = "AB12;Lager\r\n4006381333931\r\n";
        putFile(counted, old + "K\xC4SE-7;14:0");
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(counted).constData(), &status), 0);
        putFile(counted + ".lvundo", std::to_string(old.size()) + " 4096 " +
                                         std::to_string(status.st_dev) + " " +
                                         std::to_string(status.st_ino) + "\n");
        putFile(dir_.filePath("LVconfig.ini"),
                "[DataFile]\r\nPathAndName=" + nativePath(dataPath()) +
                    "\r\nSaveOption=1\r\nCounterActive=1\r\nFileCounter=5\r\n");
        receive();
        QCOMPARE(fileBytes(counted), old);
        QVERIFY(!QFile::exists(counted + ".lvundo"));
    }

    void emptyListWritesOnlyTheRecordAfterAYes() {
        unit_.device.barcodes.clear();
        putFile(dataPath(), "old content\r\n");
        receive();
        config_->ScanRecToFileBox->setChecked(true);
        MessageBoxRecorder boxes;
        boxes.answerNext(QMessageBox::Yes);
        receive_->ListeSpeichernButtonClick();
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].caption, QString("Liste ist leer !"));
        QVERIFY(boxes.shown()[0].text.contains(dataPath()));
        QCOMPARE(boxes.shown()[0].defaultButton, QMessageBox::No);
        QCOMPARE(fileBytes(dataPath()), std::string("AB12;Lager\r\n"));
        config_->ScanRecToFileBox->setChecked(false);
        boxes.answerNext(QMessageBox::Yes);
        receive_->ListeSpeichernButtonClick();
        QCOMPARE(fileBytes(dataPath()), std::string());
        // An empty file has nothing to lose, and an append adds to what is there.
        boxes.clear();
        receive_->ListeSpeichernButtonClick();
        config_->FileSaveOptionRadioGroup->setValue(1);
        config_->ScanRecToFileBox->setChecked(true);
        receive_->ListeSpeichernButtonClick();
        QVERIFY(boxes.shown().empty());
        QCOMPARE(fileBytes(dataPath()), std::string("AB12;Lager\r\n"));
    }

    void emptyListAnsweredNoKeepsTheFileTheCounterAndTheList() {
        unit_.device.barcodes.clear();
        putFile(dir_.filePath("Data_4.txt"), "yesterday's barcodes\r\n");
        receive();
        config_->FileCountCheckBox->setChecked(true);
        config_->data().settings.fileCounter = 4;
        MessageBoxRecorder boxes;
        receive_->ListeSpeichernButtonClick();  // the recorder answers No, the default
        QCOMPARE(boxes.shown().size(), size_t(1));
        QVERIFY(boxes.shown()[0].text.contains("Data_4.txt"));
        QCOMPARE(fileBytes(dir_.filePath("Data_4.txt")), std::string("yesterday's barcodes\r\n"));
        QCOMPARE(config_->settings().fileCounter, 4);
        QVERIFY(!receive_->ListSaved);
        QVERIFY(receive_->ListeSpeichernButton->isEnabled());
    }

    void failedSaveIsReportedAndKeepsListAndBarcodes() {
        receive();
        config_->FileNamePathEdit->setText(dir_.filePath("missing/folder/Data.txt"));
        config_->FileCountCheckBox->setChecked(true);
        config_->TransDelCheckBox->setChecked(true);
        receive_->setStatusText("before");
        MessageBoxRecorder boxes;
        receive_->ListeSpeichernButtonClick();
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].icon, QMessageBox::Warning);
        QVERIFY(boxes.shown()[0].text.contains("Data_0.txt"));
        QVERIFY(boxes.shown()[0].text.contains("Der Ordner existiert nicht."));
        QVERIFY(!receive_->ListSaved);
        QVERIFY(receive_->ListeSpeichernButton->isEnabled());
        QCOMPARE(receive_->statusText(), QString("before"));
        QCOMPARE(receive_->ListBoxAll->rowCount(), 2);
        QCOMPARE(config_->settings().fileCounter, 1);
        // Discarding the unsaved list at the question keeps the barcodes on the scanner.
        boxes.answerNext(QMessageBox::Yes);
        QVERIFY(closeWindow());
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
    }

    void unsavedListAsksAndNoKeepsTheWindowOpen() {
        receive();
        config_->TransDelCheckBox->setChecked(true);
        MessageBoxRecorder boxes;
        boxes.answerNext(QMessageBox::No);
        QVERIFY(!closeWindow());
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text, QString("Wollen Sie trotzdem schliessen ??"));
        QCOMPARE(boxes.shown()[0].caption, QString("Liste wurde noch nicht gespeichert !"));
        QCOMPARE(boxes.shown()[0].defaultButton, QMessageBox::No);
        QCOMPARE(receive_->ListBoxAll->rowCount(), 2);
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        boxes.answerNext(QMessageBox::Yes);
        QVERIFY(closeWindow());
        QCOMPARE(receive_->ListBoxAll->rowCount(), 0);
        QVERIFY(!receive_->ListeSpeichernButton->isEnabled());
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
    }

    void savedListClosesWithoutQuestionSynchronisesAndClears() {
        unit_.device.clock = {0, 0, 0, 1, 1, 0};
        receive();
        config_->TransDelCheckBox->setChecked(true);
        config_->SynchDateTimeCheckBox->setChecked(true);
        receive_->ListeSpeichernButtonClick();
        MessageBoxRecorder boxes;
        QVERIFY(closeWindow());
        QVERIFY(boxes.shown().empty());
        QVERIFY(unit_.device.barcodes.empty());
        QCOMPARE(unit_.device.clock, (std::array<uint8_t, 6>{12, 52, 19, 6, 12, 26}));
        QCOMPARE(receive_->statusText(), QString(" Daten auf Scanner werden gelöscht"));
    }

    // A low battery and a clock that lost power: beside the count and in one message after
    // the reading; the rows keep what the unit stored; the clock set at the close says it
    // runs right again.
    void theUnitsHealthIsShownAndTheClockSetAgain() {
        unit_.device.lowBattery = true;
        unit_.device.loseClock();
        putFile(dir_.filePath("LVserial.dat"), kListRow);
        createTransferWindows(config_, receive_, clock_);
        config_->FileNamePathEdit->setText(dataPath());
        config_->SynchDateTimeCheckBox->setChecked(true);
        QCOMPARE(unit_.library->OpenScannerPort(0), 0);
        {
            MessageBoxRecorder boxes;
            receive_->GetScannerData();
            QCOMPARE(boxes.shown().size(), size_t(1));
            QCOMPARE(boxes.shown()[0].text,
                     QString("Batterie des Scanners schwach.\nDie Uhr des Scanners hatte keinen "
                             "Strom: die Zeiten dieser Barcodes sind nicht gültig."));
        }
        QCOMPARE(receive_->statusText(), QString(" Anzahl empfangene Scanner Daten = 2 – Batterie "
                                                 "schwach – Uhr ohne Strom, Zeiten ungültig"));
        receive_->ListeSpeichernButtonClick();
        QCOMPARE(fileBytes(dataPath()), std::string("4006381333931;14:05:09;06.12.2026\r\n"
                                                    "K\xC4SE-7;14:06:00;06.12.2026\r\n"));
        MessageBoxRecorder boxes;
        QVERIFY(closeWindow());
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text,
                 QString("Die Uhr des Scanners ist gestellt und geht jetzt richtig."));
        QVERIFY(!unit_.device.clockLost);
        // A sound unit: no message, the count alone.
        unit_.device.lowBattery = false;
        boxes.clear();
        receive_->GetScannerData();
        QVERIFY(boxes.shown().empty());
        QCOMPARE(receive_->statusText(), QString(" Anzahl empfangene Scanner Daten = 2"));
    }

    void anotherScannerPutOnTheCableIsNotCleared() {
        receive();
        config_->TransDelCheckBox->setChecked(true);
        receive_->ListeSpeichernButtonClick();
        // The user swaps units before closing: the one now on the cable was never received.
        unit_.device.serialNumber[7] = 0x4C;
        MessageBoxRecorder boxes;
        QVERIFY(closeWindow());
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].caption, QString(" Scanner gewechselt"));
        QCOMPARE(boxes.shown()[0].icon, QMessageBox::Warning);
    }

    void scannerNotAnsweringAtTheEraseIsReported() {
        receive();
        config_->TransDelCheckBox->setChecked(true);
        receive_->ListeSpeichernButtonClick();
        unit_.device.connected = false;
        MessageBoxRecorder boxes;
        QVERIFY(closeWindow());
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text,
                 QString("Der Scanner antwortet nicht; seine Barcodes wurden nicht gelöscht."));
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
    }

    void unknownScannerIsNeverCleared() {
        MessageBoxRecorder boxes;
        receive("0000000000000000;X;Y\r\n");
        config_->TransDelCheckBox->setChecked(true);
        receive_->ListeSpeichernButtonClick();
        QVERIFY(closeWindow());
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
    }

    void barcodesLeftOutOfTheListAreNeverCleared() {
        unit_.device.barcodes.push_back({0x03, std::string(95, 'L'), 0});  // too long to fetch
        MessageBoxRecorder boxes;
        receive();
        config_->TransDelCheckBox->setChecked(true);
        receive_->ListeSpeichernButtonClick();
        QCOMPARE(fileBytes(dataPath()), std::string("4006381333931;14:05:09;06.12.2026\r\n"
                                                    "K\xC4SE-7;14:06:00;06.12.2026\r\n"));
        QVERIFY(closeWindow());
        QCOMPARE(unit_.device.barcodes.size(), size_t(3));
    }

    void clockBufferBytes() {
        QCOMPARE(clockBuffer({2026, 12, 6, 19, 52, 12, 0}),
                 (std::array<uint8_t, 6>{0x0C, 0x34, 0x13, 0x06, 0x0C, 0x1A}));
        QCOMPARE(clockBuffer({2027, 1, 1, 0, 15, 0, 0})[2], uint8_t(0));
        QCOMPARE(clockBuffer({2000, 2, 29, 0, 0, 0, 0})[5], uint8_t(0));
        QCOMPARE(clockBuffer({1999, 12, 31, 23, 59, 59, 0}),
                 (std::array<uint8_t, 6>{59, 59, 23, 31, 12, 99}));
    }

    void clockDialogWritesTheTimeItWasOpenedAtAndCancelWritesNothing() {
        receive();
        unit_.device.clock = {1, 1, 1, 1, 1, 1};
        setModalHandler([](QDialog* dialog) {
            dialog->show();  // shows the PC's time of that moment
            setClock([] { return LocalDateTime{2026, 12, 6, 19, 53, 30, 0}; });
            dialog->hide();
            return 2;
        });
        config_->SetTimeDateButtonClick();
        QCOMPARE(unit_.device.clock, (std::array<uint8_t, 6>{1, 1, 1, 1, 1, 1}));
        setClock([] { return now; });
        setModalHandler([](QDialog* dialog) {
            dialog->show();
            setClock([] { return LocalDateTime{2026, 12, 6, 19, 53, 30, 0}; });
            dialog->hide();
            return 1;
        });
        config_->SetTimeDateButtonClick();
        setModalHandler({});
        QCOMPARE(unit_.device.clock, (std::array<uint8_t, 6>{12, 52, 19, 6, 12, 26}));
    }

    void clockSetByHandOnASilentScannerIsReported() {
        receive();
        unit_.device.connected = false;
        MessageBoxRecorder boxes;
        setModalHandler([](QDialog*) { return 1; });
        config_->SetTimeDateButtonClick();
        setModalHandler({});
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text, QString(" Keine Verbindung zum Scanner."));
        QCOMPARE(boxes.shown()[0].caption, QString(" Kommunikations Fehler "));
        // Synchronising on closing stays silent.
        config_->SynchDateTimeCheckBox->setChecked(true);
        receive_->ListeSpeichernButtonClick();
        QVERIFY(closeWindow());
        QCOMPARE(boxes.shown().size(), size_t(1));
    }
};

QTEST_MAIN(FileTransferTest)
#include "test_file_transfer.moc"
