// The CS1504 device model answering command frames, and its text form.
#include <QtTest>

#include "testing/cs1504_device.h"
#include "testing/cs1504_unit_file.h"

using namespace cs1504;

namespace {

// Sends a command and parses the answer as the host would.
Frame ask(Device& device, Command command, const std::vector<Bytes>& strings = {}) {
    const Bytes answer = device.respond(buildCommand(command, strings));
    Frame frame;
    if (parseFrame(answer, responseFixedLength(command), Sender::Unit, frame) !=
        ParseResult::Complete)
        frame.head = 0;  // no valid answer
    return frame;
}

Device awakeUnit() {
    Device device;
    ask(device, Command::Interrogate);
    return device;
}

Device unitWithBarcodes() {
    Device device = awakeUnit();
    device.barcodes = {{0x0B, "4006381333931", packTimeStamp(2026, 12, 6, 14, 5, 9)},
                       {0x03, "LV-0815;A", packTimeStamp(2026, 12, 7, 8, 0, 0)}};
    return device;
}

}  // namespace

class TestCs1504Device : public QObject {
    Q_OBJECT

  private slots:
    void interrogateTellsWhoTheUnitIs() {
        Device device;
        device.lowBattery = true;
        const Frame frame = ask(device, Command::Interrogate);
        QCOMPARE(frame.head, status::Ok);
        QCOMPARE(frame.fixed.size(), size_t(18));
        QCOMPARE(frame.fixed[1], uint8_t(22));  // low battery
        QVERIFY(std::equal(device.serialNumber.begin(), device.serialNumber.end(),
                           frame.fixed.begin() + 2));
        QCOMPARE(std::string(frame.fixed.begin() + 10, frame.fixed.end()), device.softwareVersion);
        QVERIFY(device.sessionOpen());
    }

    void aSleepingOrDisconnectedUnitStaysSilent() {
        Device device;
        QVERIFY(device.respond(buildCommand(Command::UploadBarcodes)).empty());
        QVERIFY(!device.sessionOpen());
        device.connected = false;
        QVERIFY(device.respond(buildCommand(Command::Interrogate)).empty());
        device.connected = true;
        ask(device, Command::Interrogate);
        QCOMPARE(ask(device, Command::PowerDown).head, status::Ok);
        QVERIFY(!device.sessionOpen());
        QVERIFY(device.respond(buildCommand(Command::GetTime)).empty());
    }

    void badFramesGetAStatusByte() {
        Device device = awakeUnit();
        Bytes corrupted = buildCommand(Command::GetTime);
        corrupted[2] ^= 0x01;
        QCOMPARE(device.respond(corrupted), Bytes{status::CrcError});
        QCOMPARE(device.respond(buildFrame(6, {}, {})), Bytes{status::Unsupported});
        QCOMPARE(device.respond(buildFrame(0x42, {}, {})), Bytes{status::Unsupported});
        // A frame whose CRC is right but whose strings do not end where it ends.
        Bytes truncated{0x0A, 0x02, 0x05, 0x01};
        const uint16_t crc = crc16(truncated);
        truncated.push_back(static_cast<uint8_t>(crc >> 8));
        truncated.push_back(static_cast<uint8_t>(crc));
        QCOMPARE(device.respond(truncated), Bytes{status::GeneralError});
    }

    void uploadCarriesStampsOnlyWhileTheyAreOn() {
        Device device = unitWithBarcodes();
        Frame frame = ask(device, Command::UploadBarcodes);
        QCOMPARE(frame.head, status::Ok);
        QVERIFY(std::equal(device.serialNumber.begin(), device.serialNumber.end(),
                           frame.fixed.begin()));
        QCOMPARE(frame.strings.size(), size_t(2));
        QCOMPARE(frame.strings[0], (Bytes{0x0B, '4', '0', '0', '6', '3', '8', '1', '3', '3', '3',
                                          '9', '3', '1', 0x24, 0x57, 0x1B, 0x1A}));
        device.setParameter(parameter::StoreTimeStamps, 0);
        frame = ask(device, Command::UploadBarcodes);
        QCOMPARE(frame.strings[1], (Bytes{0x03, 'L', 'V', '-', '0', '8', '1', '5', ';', 'A'}));
        QCOMPARE(device.uploadResponseSize(),
                 device.respond(buildCommand(Command::UploadBarcodes)).size());
    }

    void storageParametersAreLockedWhileBarcodesAreStored() {
        Device device = unitWithBarcodes();
        Frame frame =
            ask(device, Command::DownloadParameters, {{34, 15}, {35, 0}, {2, 0}, {200, 1}});
        QCOMPARE(frame.strings, (std::vector<Bytes>{{34, 0}, {35, 0}, {2, 1}, {200, 0}}));
        QCOMPARE(device.parameter(34), uint8_t(30));
        QVERIFY(device.timeStampsOn());
        QCOMPARE(device.parameter(2), uint8_t(0));
        QVERIFY(!device.knowsParameter(200));
        ask(device, Command::ClearBarcodes);
        QVERIFY(device.barcodes.empty());
        frame = ask(device, Command::DownloadParameters, {{34, 15}, {35, 0}});
        QCOMPARE(frame.strings, (std::vector<Bytes>{{34, 1}, {35, 1}}));
        QCOMPARE(device.maxBarcodeLength(), size_t(15));
        QVERIFY(!device.timeStampsOn());
    }

    void uploadParametersListsKnownAndUnknownOnes() {
        Device device = awakeUnit();
        device.setParameter(15, 1);
        const Frame frame = ask(device, Command::UploadParameters, {{2, 15, 33}});
        QCOMPARE(frame.strings, (std::vector<Bytes>{{2, 1}, {15, 1}, {33}}));
    }

    void setDefaultsRestoresParametersAndClearsBarcodes() {
        Device device = unitWithBarcodes();
        device.setParameter(2, 0);
        device.setParameter(120, 7);
        const Frame frame = ask(device, Command::SetDefaults, {{0x01}});
        QCOMPARE(frame.strings, (std::vector<Bytes>{{0x01, 0x01}}));
        QVERIFY(device.barcodes.empty());
        QCOMPARE(device.parameter(2), Device().parameter(2));
        QVERIFY(!device.knowsParameter(120));
    }

    void clockIsSetOnlyWithFieldsInRange() {
        Device device = awakeUnit();
        device.clockLost = true;
        Frame frame = ask(device, Command::SetTime, {{12, 52, 19, 6, 12, 26}});
        QCOMPARE(frame.strings, (std::vector<Bytes>{{12, 52, 19, 6, 12, 26}}));
        QCOMPARE(device.clock, (std::array<uint8_t, 6>{12, 52, 19, 6, 12, 26}));
        QVERIFY(!device.clockLost);
        frame = ask(device, Command::SetTime, {{60, 0, 24, 0, 13, 26}});
        QCOMPARE(frame.strings, (std::vector<Bytes>{{0xFF, 0, 0xFF, 0xFF, 0xFF, 26}}));
        QCOMPARE(device.clock, (std::array<uint8_t, 6>{12, 52, 19, 6, 12, 26}));
        frame = ask(device, Command::SetTime, {{1, 2, 3}});
        QCOMPARE(frame.strings, (std::vector<Bytes>{{0xFF}}));
        QCOMPARE(ask(device, Command::GetTime).strings,
                 (std::vector<Bytes>{{12, 52, 19, 6, 12, 26}}));
        device.clockLost = true;
        QCOMPARE(ask(device, Command::GetTime).strings[0][0], uint8_t(0xFF));
    }

    void scanningKeepsToTheUnitsLimits() {
        Device device;
        device.clock = {9, 5, 14, 6, 12, 26};
        QVERIFY(device.scan(0x01, std::string(40, 'A')));
        QCOMPARE(device.barcodes.back().data.size(), size_t(30));
        QCOMPARE(device.barcodes.back().stamp, packTimeStamp(2026, 12, 6, 14, 5, 9));
        device.barcodes.clear();
        device.setParameter(parameter::MaxBarcodeLength, 15);
        QVERIFY(device.scan(0x01, std::string(40, 'B')));
        QCOMPARE(device.barcodes.back().data, std::string(15, 'B'));
        while (device.scan(0x0B, "4006381333931")) {
        }
        QVERIFY(device.uploadResponseSize() <= kMaxResponseBytes);
        QVERIFY(device.uploadResponseSize() + 19 > kMaxResponseBytes);
    }

    void unitFileRoundTrips() {
        Device original = unitWithBarcodes();
        original.serialNumber = {0x00, 0x01, 0x0a, 0xf0, 0xff, 0x10, 0x20, 0x30};
        original.softwareVersion = "TEST0001";
        original.barcodes.push_back({0x42, std::string(" a\\b\x01\xE4 ", 7), 0xFFFFFFFF});
        original.barcodes.push_back({0x01, "", 0});
        original.clock = {1, 2, 3, 4, 5, 6};
        original.clockLost = true;
        original.lowBattery = true;
        original.setParameter(99, 5);
        const std::string text = writeUnitFile(original);
        Device copy;
        std::string error;
        QVERIFY2(readUnitFile(text, copy, error), error.c_str());
        QCOMPARE(copy.serialNumber, original.serialNumber);
        QCOMPARE(copy.softwareVersion, original.softwareVersion);
        QVERIFY(copy.barcodes == original.barcodes);
        QCOMPARE(copy.clock, original.clock);
        QVERIFY(copy.clockLost && copy.lowBattery && copy.connected);
        QVERIFY(copy.parameters() == original.parameters());
        // Everything but the session (a loaded unit starts asleep) reads back the same.
        const std::string again = writeUnitFile(copy);
        QCOMPARE(again.substr(again.find("clock")), text.substr(text.find("clock")));
    }

    void unitFileAcceptsHandWrittenData() {
        const std::string text =
            "# a unit\r\n"
            "serial 0123456789ABCDEF\r\n"
            "timestamps off\r\n"
            "  barcode ean13 2026-12-06 14:05:09 4006381333931\r\n"
            "barcode 0x13 2026-01-02 03:04:05 A B C \r\n"
            "connected no\n";
        Device device;
        std::string error;
        QVERIFY2(readUnitFile(text, device, error), error.c_str());
        QCOMPARE(device.serialNumber[7], uint8_t(0xEF));
        QVERIFY(!device.timeStampsOn());
        QVERIFY(!device.connected);
        QCOMPARE(device.barcodes.size(), size_t(2));
        QCOMPARE(device.barcodes[0].codeType, uint8_t(0x0B));
        QCOMPARE(device.barcodes[0].stamp, packTimeStamp(2026, 12, 6, 14, 5, 9));
        QCOMPARE(device.barcodes[1].data, std::string("A B C "));
    }

    void unitFileMistakesNameTheirLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("where");
        QTest::newRow("serial") << "\nserial 12"
                                << "line 2:";
        QTest::newRow("type") << "barcode qr 2026-01-01 00:00:00 x"
                              << "line 1:";
        QTest::newRow("stamp") << "barcode ean8 2026-01-01 x"
                               << "line 1:";
        QTest::newRow("escape") << "barcode ean8 2026-01-01 00:00:00 a\\x4"
                                << "line 1:";
        QTest::newRow("negative") << "parameter -1 3"
                                  << "line 1:";
        QTest::newRow("clock") << "clock 2026-13-01 00:00:00"
                               << "line 1:";
        QTest::newRow("key") << "#\n#\nfoo bar"
                             << "line 3:";
        QTest::newRow("long") << "barcode ean8 2026-01-01 00:00:00 " + QString(246, 'x')
                              << "line 1:";
    }

    void unitFileMistakesNameTheirLine() {
        QFETCH(QString, text);
        QFETCH(QString, where);
        Device device;
        std::string error;
        QVERIFY(!readUnitFile(text.toStdString(), device, error));
        QVERIFY2(QString::fromStdString(error).startsWith(where), error.c_str());
    }

    void unitFileRefusesMoreThanTheMemoryHolds() {
        std::string text;
        for (int i = 0; i < 400; ++i) text += "barcode ean13 2026-12-06 14:05:09 4006381333931\n";
        Device device;
        std::string error;
        QVERIFY(!readUnitFile(text, device, error));
        QVERIFY(error.find("memory") != std::string::npos);
    }
};

QTEST_APPLESS_MAIN(TestCs1504Device)
#include "test_cs1504_device.moc"
