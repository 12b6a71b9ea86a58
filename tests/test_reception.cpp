// A reception through the receive window, from the device model over the scanner library to
// the rows, captions, column count, status text and scanner record.
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "file_helpers.h"
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
#include "windows/config_form.h"
#include "windows/receive_form.h"

namespace {
const std::array<uint8_t, 8> kSerial = {0x00, 0x1A, 0xFF, 0x07, 0x10, 0x20, 0x30, 0x4B};
const char* kSerialText = "001aff071020304b";
}  // namespace

class ReceptionTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    UnitFixture unit_;
    std::unique_ptr<TConfigForm> config_;
    std::unique_ptr<TReceiveForm> receive_;
    std::unique_ptr<TdlgTime> clock_;

    void start(const std::string& scannerList) {
        QVERIFY(putFile(dir_.filePath("LVserial.dat"), scannerList));
        createTransferWindows(config_, receive_, clock_);
        QCOMPARE(unit_.library->OpenScannerPort(0), 0);
    }
    void addStamped(const std::string& data, int hour, int minute, int second) {
        unit_.device.barcodes.push_back(
            {0x0B, data, cs1504::packTimeStamp(2026, 12, 6, hour, minute, second)});
    }
    std::vector<std::string> rows() const { return receive_->ListBoxAll->rows(); }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        unit_.setUp(dir_, {"LVconfig.ini"}, {2026, 12, 7, 10, 0, 0, 0}, kSerial);
    }
    void cleanup() {
        destroyTransferWindows(config_, receive_, clock_);
        unit_.tearDown();
    }

    void rowsFollowEachDataFormatOption_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("caption1");
        QTest::addColumn<QString>("caption2");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("firstRow");
        QTest::newRow("time and date") << 0 << "Zeit"
                                       << "Datum" << 3 << "4006381333931;14:05:09;06.12.2026";
        QTest::newRow("time") << 1 << "Zeit"
                              << "" << 2 << "4006381333931;14:05:09";
        QTest::newRow("date") << 2 << "Datum"
                              << "" << 2 << "4006381333931;06.12.2026";
        QTest::newRow("barcode") << 3 << ""
                                 << "" << 1 << "4006381333931";
    }
    void rowsFollowEachDataFormatOption() {
        QFETCH(int, option);
        QFETCH(QString, caption1);
        QFETCH(QString, caption2);
        QFETCH(int, columns);
        QFETCH(QString, firstRow);
        addStamped("4006381333931", 14, 5, 9);
        addStamped("ABC-123", 0, 0, 1);
        start(std::string(kSerialText) + ";AB12;Lager\r\n");
        config_->ScannerOptionGroup->setValue(option);
        MessageBoxRecorder boxes;
        receive_->GetScannerData();
        QVERIFY(boxes.shown().empty());
        QCOMPARE(rows().size(), size_t(2));
        QCOMPARE(QString::fromStdString(rows()[0]), firstRow);
        QCOMPARE(receive_->ListBoxAll->sectionCaption(0), QString("Barcode"));
        QCOMPARE(receive_->ListBoxAll->sectionCaption(1), caption1);
        QCOMPARE(receive_->ListBoxAll->sectionCaption(2), caption2);
        QCOMPARE(config_->data().columnCount, columns);
        QCOMPARE(receive_->statusText(), QString(" Anzahl empfangene Scanner Daten = 2"));
        QCOMPARE(config_->data().scannerRecord, std::string("AB12;Lager\r\n"));
        QVERIFY(!receive_->ListSaved);
        QVERIFY(receive_->ListeSpeichernButton->isEnabled());
        if (option == 0) QCOMPARE(rows()[1], std::string("ABC-123;00:00:01;06.12.2026"));
    }

    void unitWithoutTimeStampsSwitchesToBarcodeOnly() {
        unit_.device.setParameter(cs1504::parameter::StoreTimeStamps, 0);
        unit_.device.barcodes.push_back({0x03, "CODE128", 0});
        unit_.device.barcodes.push_back({0x0B, "4006381333931", 0});
        start(std::string(kSerialText) + ";AB12;Lager\r\n");
        receive_->GetScannerData();
        QCOMPARE(rows(), (std::vector<std::string>{"CODE128", "4006381333931"}));
        QCOMPARE(config_->ScannerOptionGroup->value(), 3);
        // Captions and column count follow the switch within the same reception.
        QCOMPARE(config_->data().columnCount, 1);
        QCOMPARE(receive_->ListBoxAll->sectionCaption(1), QString());
        QCOMPARE(receive_->ListBoxAll->sectionCaption(2), QString());
    }

    void emptyUnitGivesNoRowsAndCountZero() {
        start(std::string(kSerialText) + "\r\n");
        receive_->GetScannerData();
        QVERIFY(rows().empty());
        QCOMPARE(receive_->statusText(), QString(" Anzahl empfangene Scanner Daten = 0"));
        QCOMPARE(config_->data().scannerRecord, std::string(";\r\n"));
    }

    void shortPacketsWithoutStampsAreBarcodesAndEmptyOnesAreSkippedButCounted() {
        unit_.device.setParameter(cs1504::parameter::StoreTimeStamps, 0);
        unit_.device.barcodes.push_back({0x01, "A", 0});    // a 3-byte packet
        unit_.device.barcodes.push_back({0x01, "123", 0});  // a 5-byte packet
        unit_.device.barcodes.push_back({0x01, "", 0});     // code type alone
        unit_.device.barcodes.push_back({0x01, "1234", 0});
        start(std::string(kSerialText) + "\r\n");
        MessageBoxRecorder boxes;
        receive_->GetScannerData();
        QCOMPARE(rows(), (std::vector<std::string>{"A", "123", "1234"}));
        QCOMPARE(receive_->statusText(), QString(" Anzahl empfangene Scanner Daten = 4"));
        QVERIFY(boxes.shown().empty());
        QVERIFY(receive_->reception().complete);
    }

    void aPacketTooLongToFetchIsReportedAndMakesTheReceptionIncomplete() {
        addStamped(std::string(95, 'L'), 8, 30, 0);  // 101 bytes with length byte and stamp
        addStamped("96385074", 8, 31, 0);
        start(std::string(kSerialText) + "\r\n");
        MessageBoxRecorder boxes;
        receive_->GetScannerData();
        QCOMPARE(rows(), std::vector<std::string>{"96385074;08:31:00;06.12.2026"});
        QCOMPARE(receive_->statusText(), QString(" Anzahl empfangene Scanner Daten = 2"));
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text,
                 QString("1 von 2 Barcodes konnten nicht gelesen werden.\n"
                         "Sie bleiben auf dem Scanner und werden nicht gelöscht."));
        QCOMPARE(boxes.shown()[0].caption, QString(" Empfangsfehler"));
        QVERIFY(!receive_->reception().complete);
    }

    void sixBytePacketWithStampGivesAnEmptyBarcode() {
        addStamped("", 8, 30, 0);
        start(std::string(kSerialText) + "\r\n");
        receive_->GetScannerData();
        QCOMPARE(rows(), std::vector<std::string>{";08:30:00;06.12.2026"});
    }

    void unknownScannerStopsBeforeFetching() {
        addStamped("4006381333931", 14, 5, 9);
        // Capitals do not match the lowercase serial number text.
        start("001AFF071020304B;AB12;Lager\r\n");
        receive_->setStatusText("before");
        MessageBoxRecorder boxes;
        receive_->GetScannerData();
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text, QString("Überprüfen Sie die Konfiguration !"));
        QCOMPARE(boxes.shown()[0].caption, QString(" Kein gültiger Scanner !"));
        QCOMPARE(boxes.shown()[0].icon, QMessageBox::Warning);
        QVERIFY(rows().empty());
        QCOMPARE(receive_->statusText(), QString("before"));
        // Nothing to save: saving would only overwrite the data file with an empty list.
        QVERIFY(!receive_->ListeSpeichernButton->isEnabled());
        QVERIFY(!receive_->reception().complete);
    }

    void silentUnitIsReportedAsNoConnection() {
        addStamped("4006381333931", 14, 5, 9);
        unit_.device.connected = false;
        start(std::string(kSerialText) + "\r\n");
        MessageBoxRecorder boxes;
        receive_->GetScannerData();
        QCOMPARE(boxes.shown().size(), size_t(1));
        // Registered, just not answering: not "no valid scanner".
        QCOMPARE(boxes.shown()[0].text, QString(" Keine Verbindung zum Scanner."));
        QCOMPARE(boxes.shown()[0].caption, QString(" Kommunikations Fehler "));
        QVERIFY(rows().empty());
        QVERIFY(!receive_->ListeSpeichernButton->isEnabled());
        QVERIFY(!receive_->reception().complete);
    }

    void firstMatchingRowNamesTheScanner() {
        addStamped("X", 1, 2, 3);
        start("0000000000000000;ZZ;Other\r\n" + std::string(kSerialText) + ";AB12;Lager\r\n" +
              kSerialText + ";CD34;Second\r\n");
        receive_->GetScannerData();
        QCOMPARE(config_->data().scannerRecord, std::string("AB12;Lager\r\n"));
        // A later identification replaces the record rather than adding to it.
        unit_.device.serialNumber = {0, 0, 0, 0, 0, 0, 0, 0};
        unit_.library->ResetScannerLink();
        receive_->ListBoxAll->clearRows();
        receive_->GetScannerData();
        QCOMPARE(config_->data().scannerRecord, std::string("ZZ;Other\r\n"));
    }

    void longerAndEmptySeparators() {
        addStamped("A|B", 14, 5, 9);
        start(std::string(kSerialText) + ";AB12;Lager\r\n");
        config_->FieldSepEdit->setText("||");
        receive_->GetScannerData();
        QCOMPARE(rows(), std::vector<std::string>{"A|B||14:05:09||06.12.2026"});
        QCOMPARE(receive_->ListBoxAll->delimiter(), '|');
        QCOMPARE(config_->data().scannerRecord, std::string("AB12|Lager\r\n"));
        // The barcode's own "|" splits it into columns.
        QCOMPARE(receive_->ListBoxAll->column(0, 1), std::string("B"));

        receive_->ListBoxAll->clearRows();
        config_->FieldSepEdit->setText("");
        unit_.library->ResetScannerLink();
        receive_->GetScannerData();
        QCOMPARE(rows(), std::vector<std::string>{"A|B;14:05:09;06.12.2026"});
        QCOMPARE(config_->data().scannerRecord, std::string("AB12;Lager\r\n"));
    }

    void unreadableTimeStampEndsTheReceptionWithAMessage() {
        addStamped("GOOD", 14, 5, 9);
        unit_.device.barcodes.push_back(
            {0x0B, "BAD", cs1504::packTimeStamp(2026, 13, 6, 14, 5, 9)});
        addStamped("NEVER", 14, 5, 9);
        start(std::string(kSerialText) + "\r\n");
        receive_->setStatusText("before");
        MessageBoxRecorder boxes;
        receive_->GetScannerData();
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].icon, QMessageBox::Warning);
        QVERIFY(boxes.shown()[0].text.contains("Zeitstempel"));
        QCOMPARE(rows(), std::vector<std::string>{"GOOD;14:05:09;06.12.2026"});
        QCOMPARE(receive_->statusText(), QString("before"));
        QVERIFY(!receive_->reception().complete);
    }

    void umlautsAndHighBytesReachTheRowUnchanged() {
        addStamped(
            "M\xFC"
            "ller-\x80",
            9, 0, 0);
        start(std::string(kSerialText) + "\r\n");
        config_->ScannerOptionGroup->setValue(3);
        receive_->GetScannerData();
        QCOMPARE(rows(), std::vector<std::string>{"M\xFC"
                                                  "ller-\x80"});
        QCOMPARE(receive_->ListBoxAll->topLevelItem(0)->text(0), QString("Müller-€"));
    }
};

QTEST_MAIN(ReceptionTest)
#include "test_reception.moc"
