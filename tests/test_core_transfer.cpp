// The application core without a window: reading a scanner, saving and typing what was read,
// and the one rule for setting the clock and clearing the scanner afterwards.
#include <QtTest>

#include "core/barcode_reception.h"
#include "core/program_data.h"
#include "core/transfers.h"
#include "platform/recording/recording_keyboard.h"
#include "scanner/cs1504_codec.h"
#include "system/scanner_list_messages.h"
#include "text/texts.h"
#include "unit_fixture.h"

namespace {
const std::array<uint8_t, 8> kSerial = {0x00, 0x1A, 0xFF, 0x07, 0x10, 0x20, 0x30, 0x4B};
}  // namespace

class CoreTransferTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    UnitFixture unit_;
    ScannerRegistry registry_;

  private slots:
    void init() {
        unit_.setUp(dir_, {"Data.txt"}, {2026, 12, 7, 10, 0, 0, 0}, kSerial);
        unit_.device.barcodes = {
            {0x0B, "4006381333931", cs1504::packTimeStamp(2026, 12, 6, 14, 5, 9)},
            {0x03, "K\xC4SE;7", cs1504::packTimeStamp(2026, 12, 6, 14, 6, 0)}};
        registry_.setRows({"8899aabbccddeeff;ZZ;Other", "001aff071020304b;ab12;Lager"});
        QCOMPARE(unit_.library->OpenScannerPort(0), 0);
    }
    void cleanup() { unit_.tearDown(); }

    void aReadingIsSavedAndThenClearedWithoutAWindow() {
        Settings settings;
        settings.dataFile = dir_.filePath("Data.txt").toStdString();
        settings.scannerRecordFirst = true;
        settings.eraseAfterTransfer = true;
        const Reception reception = receiveBarcodes(*unit_.library, settings, registry_);
        QVERIFY(reception.listed && reception.complete);
        QCOMPARE(reception.problem, ReceptionProblem::None);
        QCOMPARE(reception.count, 2);
        QCOMPARE(reception.serial, std::string("001aff071020304b"));
        QCOMPARE(reception.rows[1].fields,
                 (std::vector<std::string>{"K\xC4SE;7", "14:06:00", "06.12.2026"}));
        QVERIFY(!afterTransfer(settings, reception, false).erase);  // not saved yet
        std::string reason;
        QVERIFY(saveReception(reception, settings, dataFilePath(settings, 0), reason));
        QCOMPARE(fileBytes(dir_.filePath("Data.txt")),
                 std::string("ab12;Lager\r\n4006381333931;14:05:09;06.12.2026\r\n"
                             "K\xC4SE;7;14:06:00;06.12.2026\r\n"));
        QVERIFY(afterTransfer(settings, reception, true).erase);
        QCOMPARE(eraseReceivedScanner(*unit_.library, reception.serial), EraseOutcome::Erased);
        QVERIFY(unit_.device.barcodes.empty());
    }

    void typedRowsKeepTheBarcodeWhole() {
        Settings settings;
        settings.wedgeSeparator = WedgeSeparator::HorizontalTab;
        const Reception reception = receiveBarcodes(*unit_.library, settings, registry_);
        RecordingKeyboard keyboard;
        QVERIFY(typeReception(reception, settings, keyboard));
        // The tab between the columns is a typed character; the line ends with the terminator.
        QCOMPARE(keyboard.transcript(), std::string("[4006381333931\t14:05:09\t06.12.2026<13>"
                                                    "K\xC4SE;7\t14:06:00\t06.12.2026<13>]"));
    }

    void anUnknownOrSilentScannerListsNothingAndIsNeverCleared() {
        Settings settings;
        settings.eraseAfterTransfer = true;
        registry_.setRows({"8899aabbccddeeff;ZZ;Other"});
        Reception reception = receiveBarcodes(*unit_.library, settings, registry_);
        QCOMPARE(reception.problem, ReceptionProblem::UnknownScanner);
        QVERIFY(!reception.listed && !afterTransfer(settings, reception, true).erase);
        unit_.device.connected = false;
        unit_.library->ResetScannerLink();
        reception = receiveBarcodes(*unit_.library, settings, registry_);
        QCOMPARE(reception.problem, ReceptionProblem::NoConnection);
        QVERIFY(!afterTransfer(settings, reception, true).erase);
        QCOMPARE(eraseReceivedScanner(*unit_.library, ""), EraseOutcome::NotAnswering);
        unit_.device.connected = true;
        unit_.library->ResetScannerLink();
        QCOMPARE(eraseReceivedScanner(*unit_.library, "8899aabbccddeeff"),
                 EraseOutcome::OtherScanner);
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
    }

    // The settings file keeps the data file's name in Windows-1252, the file system in UTF-8:
    // a folder with umlauts must be the same folder on both sides, whether the name came as
    // the default, was stored so by an earlier version, or was chosen in the window.
    void aFolderWithUmlautsIsTheSameFolderInTheSettingsAndOnDisk() {
        const QString folder = dir_.filePath(QString::fromUtf8("J\u00fcrgens L\u00e4ger"));
        QVERIFY(QDir().mkpath(folder));
        const std::string onDisk = nativePath(folder) + "/";
        const std::string inSettings = dir_.path().toStdString() + "/J\xFCrgens L\xE4ger/";
        ProgramData data;
        data.loadSettings(onDisk, onDisk);
        QCOMPARE(data.settings.dataFile, inSettings + "Data.txt");
        QVERIFY(putFile(folder + "/LVconfig.ini",
                        "[DataFile]\r\nPathAndName=" + onDisk + "Alt.txt\r\n"));
        data.loadSettings(onDisk, onDisk);
        QCOMPARE(data.settings.dataFile, inSettings + "Alt.txt");
        QVERIFY(putFile(folder + "/LVconfig.ini",
                        "[DataFile]\r\nPathAndName=" + inSettings + "Neu.txt\r\n"));
        data.loadSettings(onDisk, onDisk);
        QCOMPARE(data.settings.dataFile, inSettings + "Neu.txt");
        const Reception reception = receiveBarcodes(*unit_.library, data.settings, registry_);
        std::string reason;
        QVERIFY(saveReception(reception, data.settings, dataFilePath(data.settings, 0), reason));
        QCOMPARE(fileBytes(folder + "/Neu.txt").substr(0, 15), std::string("4006381333931;1"));
        // The messages name the files as the file system spells them.
        QCOMPARE(scannerListSaveProblem(ScannerRegistry::SaveResult::NotReadAtStart,
                                        data.scannersPath(), ""),
                 QString(texts::kScannerListNotSaved).arg(folder + "/LVserial.dat"));
    }

    void theClockAndEraseRule() {
        Settings settings;
        Reception complete;
        complete.complete = true;
        complete.count = 3;
        Reception empty = complete;
        empty.count = 0;
        Reception partial = complete;
        partial.complete = false;
        QVERIFY(!afterTransfer(settings, complete, true).erase);  // not configured
        settings.eraseAfterTransfer = true;
        QVERIFY(afterTransfer(settings, complete, true).erase);
        QVERIFY(!afterTransfer(settings, complete, false).erase);
        QVERIFY(afterTransfer(settings, empty, false).erase);  // nothing to lose
        QVERIFY(!afterTransfer(settings, partial, true).erase);
        // The clock follows its setting alone.
        QVERIFY(!afterTransfer(settings, partial, false).synchroniseClock);
        settings.synchroniseClock = true;
        QVERIFY(afterTransfer(settings, partial, false).synchroniseClock);
    }
};

QTEST_GUILESS_MAIN(CoreTransferTest)
#include "test_core_transfer.moc"
