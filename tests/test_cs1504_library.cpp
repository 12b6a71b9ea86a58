// The scanner library's session logic against the device model, through the in-memory line.
#include <QtTest>
#include <algorithm>

#include "scanner/cs1504_library.h"
#include "scanner/serial_port_name.h"
#include "testing/memory_transport.h"

using namespace cs1504;
using namespace std::chrono_literals;

namespace {

const uint32_t kStamp = packTimeStamp(2026, 12, 6, 14, 5, 9);

// A unit on an in-memory line, and the library that talks to it through port COM1.
struct Bench {
    Device device;
    MemoryLine line{device};
    Cs1504Library library{memoryPortOpener(line)};

    Bench() { QCOMPARE(library.OpenScannerPort(0), scanner_result::Ok); }

    int sent(Command command) const {
        return static_cast<int>(std::count_if(
            line.commands.begin(), line.commands.end(),
            [command](const Bytes& c) { return !c.empty() && c[0] == uint8_t(command); }));
    }
    uint8_t lastCommand() const { return line.commands.empty() ? 0 : line.commands.back()[0]; }
    Bytes fetch(int index) {
        uint8_t buffer[100];
        const int32_t length = library.FetchBarcode(buffer, index, sizeof buffer);
        return length < 0 ? Bytes{} : Bytes(buffer, buffer + length);
    }
};

Bytes packetOf(uint8_t codeType, const std::string& data, bool stamped) {
    Bytes packet;
    packet.reserve(2 + data.size() + 4);
    packet.push_back(static_cast<uint8_t>(1 + data.size() + (stamped ? 4 : 0)));
    packet.push_back(codeType);
    packet.insert(packet.end(), data.begin(), data.end());
    if (stamped) {
        const auto stamp = timeStampBytes(kStamp);
        packet.insert(packet.end(), stamp.begin(), stamp.end());
    }
    return packet;
}

}  // namespace

class TestCs1504Library : public QObject {
    Q_OBJECT

  private slots:
    // A watched reading: a line that brings nothing usable for the stall limit ends it, a
    // cancel from the wait handler ends it at once; either way the unit is sent to sleep
    // once the line is sound, and nothing else is stopped.
    void aWatchedReadingEndsOnAStallOrACancel() {
        {
            Bench bench;
            bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
            bench.line.answersToGarble = 100000;
            const auto began = bench.line.now;
            bench.library.WatchReading(std::chrono::milliseconds(2000));
            QVERIFY(bench.library.CountStoredBarcodes() < 0);
            QCOMPARE(bench.library.readingStop(), ScannerLibrary::ReadingStop::Stalled);
            const auto took = bench.line.now - began;
            QVERIFY(took >= std::chrono::milliseconds(2000) &&
                    took < std::chrono::milliseconds(2300));
            bench.line.answersToGarble = 0;
            bench.library.EndWatch();
            QCOMPARE(bench.lastCommand(), uint8_t(Command::PowerDown));
            QCOMPARE(bench.device.barcodes.size(), size_t(1));
            // The next reading works as ever.
            bench.library.ResetScannerLink();
            bench.library.WatchReading(std::chrono::milliseconds(2000));
            QCOMPARE(bench.library.CountStoredBarcodes(), 1);
            QCOMPARE(bench.library.readingStop(), ScannerLibrary::ReadingStop::None);
            bench.library.EndWatch();
        }
        {
            Bench bench;
            bench.device.connected = false;
            int waits = 0;
            bench.library.setWaitHandler([&] {
                if (++waits == 3) bench.library.CancelReading();
            });
            const auto began = bench.line.now;
            bench.library.WatchReading(std::chrono::milliseconds(0));
            QVERIFY(bench.library.CountStoredBarcodes() < 0);
            QCOMPARE(bench.library.readingStop(), ScannerLibrary::ReadingStop::Cancelled);
            QVERIFY(bench.line.now - began < std::chrono::milliseconds(400));
            bench.library.EndWatch();
            // A cancel outside a watch changes nothing.
            bench.library.CancelReading();
            bench.device.connected = true;
            bench.library.ResetScannerLink();
            QCOMPARE(bench.library.CountStoredBarcodes(), 0);
        }
    }

    // Ports

    void portIndexesOutsideTheRangeFailCleanly() {
        Device device;
        MemoryLine line(device);
        Cs1504Library library(memoryPortOpener(line));
        QVERIFY(library.OpenScannerPort(-1) < 0);
        QVERIFY(library.OpenScannerPort(16) < 0);
        QCOMPARE(line.opens, 0);
        QVERIFY(library.CloseScannerPort() != 0);
    }

    void portIndexesNameTheScannerCable() {
#ifdef _WIN32
        QCOMPARE(QString::fromStdString(scannerPortDevice(0)), QString("COM1"));
        QCOMPARE(QString::fromStdString(scannerPortDevice(15)), QString("COM16"));
        QSKIP("Windows names its ports itself");
#endif
        qunsetenv("LORVANT_COM1");
        qunsetenv("LORVANT_COM16");
        QCOMPARE(QString::fromStdString(scannerPortDevice(0)), QString("/dev/ttyUSB0"));
        QCOMPARE(QString::fromStdString(scannerPortDevice(15)), QString("/dev/ttyUSB15"));
        qputenv("LORVANT_COM16", "/dev/ttyACM0");
        QCOMPARE(QString::fromStdString(scannerPortDevice(15)), QString("/dev/ttyACM0"));
        QCOMPARE(QString::fromStdString(scannerPortDevice(0)), QString("/dev/ttyUSB0"));
        qputenv("LORVANT_COM1", "");  // set but empty: as if not set
        QCOMPARE(QString::fromStdString(scannerPortDevice(0)), QString("/dev/ttyUSB0"));
        QVERIFY(scannerPortDevice(-1).empty());
        QVERIFY(scannerPortDevice(16).empty());
        qunsetenv("LORVANT_COM16");
    }

    void openingTheOpenPortKeepsItAndAnotherOneReplacesIt() {
        Bench bench;
        QCOMPARE(bench.library.OpenScannerPort(0), scanner_result::Ok);
        QCOMPARE(bench.line.opens, 1);
        QCOMPARE(bench.library.OpenScannerPort(3), scanner_result::Ok);
        QCOMPARE(bench.line.opens, 2);
        QCOMPARE(bench.line.openTransports, 1);
        QCOMPARE(bench.library.CloseScannerPort(), scanner_result::Ok);
        QCOMPARE(bench.line.openTransports, 0);
        QVERIFY(bench.library.CloseScannerPort() != 0);
    }

    void aPortThatCannotBeOpenedIsReported() {
        Device device;
        MemoryLine line(device);
        line.portAvailable = false;
        Cs1504Library library(memoryPortOpener(line));
        QVERIFY(library.OpenScannerPort(2) < 0);
        QVERIFY(library.CountStoredBarcodes() < 0);
    }

    void everyOperationFailsCleanlyWithThePortClosed() {
        Device device;
        device.barcodes = {{0x0B, "4006381333931", kStamp}};
        MemoryLine line(device);
        Cs1504Library library(memoryPortOpener(line));
        uint8_t buffer[100];
        std::fill(std::begin(buffer), std::end(buffer), 0xAA);
        const uint8_t value = 1;
        const uint8_t clock[6] = {0, 0, 12, 1, 1, 26};
        QVERIFY(library.CountStoredBarcodes() < 0);
        QVERIFY(library.FetchBarcode(buffer, 0, 100) < 0);
        QVERIFY(library.ReadSerialNumber(buffer, 9) != 0);
        QVERIFY(library.ReadParameter(35, buffer, 1) != 0);
        QVERIFY(library.WriteParameter(2, &value, 1) != 0);
        QVERIFY(library.RestoreFactoryDefaults() != 0);
        QVERIFY(library.WriteScannerClock(clock) != 0);
        QVERIFY(library.EraseStoredBarcodes() != 0);
        QVERIFY(library.EndScannerExchange() != 0);
        QCOMPARE(library.ResetScannerLink(), scanner_result::Ok);
        QVERIFY(
            std::all_of(std::begin(buffer), std::end(buffer), [](uint8_t b) { return b == 0xAA; }));
        QVERIFY(line.commands.empty());
        QCOMPARE(device.barcodes.size(), size_t(1));
    }

    // Reading barcodes

    void countAndFetchWithTimeStamps() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}, {0x03, "LV-0815", kStamp}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 2);
        QCOMPARE(bench.fetch(0), packetOf(0x0B, "4006381333931", true));
        QCOMPARE(bench.fetch(1), packetOf(0x03, "LV-0815", true));
        QCOMPARE(bench.fetch(1).size(), size_t(1 + 1 + 7 + 4));
        QVERIFY(bench.fetch(2).empty());
        QVERIFY(bench.fetch(-1).empty());
    }

    void countAndFetchWithoutTimeStamps() {
        Bench bench;
        bench.device.setParameter(parameter::StoreTimeStamps, 0);
        bench.device.barcodes = {{0x01, "ABC-123", kStamp}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        QCOMPARE(bench.fetch(0), packetOf(0x01, "ABC-123", false));
    }

    void anEmptyUnitCountsZero() {
        Bench bench;
        QCOMPARE(bench.library.CountStoredBarcodes(), 0);
        QVERIFY(bench.fetch(0).empty());
    }

    void shortPacketsAreDeliveredAsTheUnitSentThem() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "", kStamp}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        QCOMPARE(bench.fetch(0).size(), size_t(6));  // length, type, stamp: an empty barcode
        QCOMPARE(bench.fetch(0), packetOf(0x0B, "", true));

        bench.library.EraseStoredBarcodes();
        bench.library.ResetScannerLink();
        bench.device.setParameter(parameter::StoreTimeStamps, 0);
        bench.device.barcodes = {{0x01, "abc", 0}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        const Bytes packet = bench.fetch(0);
        QCOMPARE(packet, (Bytes{4, 0x01, 'a', 'b', 'c'}));  // 5 bytes: the program skips it
    }

    void oneUploadServesTheWholeReception() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}, {0x03, "LV-0815", kStamp}};
        uint8_t value = 0xAA;
        QCOMPARE(bench.library.ReadParameter(35, &value, 1), scanner_result::Ok);
        QCOMPARE(value, uint8_t(1));
        QCOMPARE(bench.library.CountStoredBarcodes(), 2);
        uint8_t serial[9] = {};
        QCOMPARE(bench.library.ReadSerialNumber(serial, 9), scanner_result::Ok);
        QVERIFY(
            std::equal(bench.device.serialNumber.begin(), bench.device.serialNumber.end(), serial));
        bench.fetch(0);
        bench.fetch(1);
        bench.fetch(0);
        QCOMPARE(bench.sent(Command::Interrogate), 1);
        QCOMPARE(bench.sent(Command::UploadBarcodes), 1);
        // The unit sleeps once the upload is in: nothing else of this reception needs it.
        QCOMPARE(bench.lastCommand(), uint8_t(Command::PowerDown));
        QVERIFY(!bench.device.sessionOpen());
    }

    void anUploadReportsItsProgressAndTakesNoOtherOperationMeanwhile() {
        Bench bench;
        for (int i = 0; i < 20; ++i)
            bench.device.barcodes.push_back({0x0B, "40063813339" + std::to_string(10 + i), kStamp});
        std::vector<UploadProgress> reports;
        std::vector<int32_t> nested;
        bench.library.setUploadProgressHandler([&](const UploadProgress& progress) {
            reports.push_back(progress);
            // The handler lets the program's events run: whatever they ask of the library
            // then is refused, and the unit is not touched.
            if (reports.size() == 3) {
                uint8_t serial[9];
                nested = {bench.library.EraseStoredBarcodes(), bench.library.CountStoredBarcodes(),
                          bench.library.ResetScannerLink(), bench.library.CloseScannerPort(),
                          bench.library.ReadSerialNumber(serial, 9)};
            }
        });
        QCOMPARE(bench.library.CountStoredBarcodes(), 20);
        QCOMPARE(nested, std::vector<int32_t>(5, scanner_result::Busy));
        QCOMPARE(bench.device.barcodes.size(), size_t(20));
        QCOMPARE(bench.sent(Command::UploadBarcodes), 1);
        QCOMPARE(bench.sent(Command::ClearBarcodes), 0);
        // Counting up as the bytes come in; the last report, and only that one, is done.
        QVERIFY(reports.size() > 20);
        for (size_t i = 1; i < reports.size(); ++i) {
            QVERIFY(reports[i].bytes >= reports[i - 1].bytes);
            QVERIFY(reports[i].barcodes >= reports[i - 1].barcodes);
            QCOMPARE(reports[i - 1].done, false);
        }
        QVERIFY(reports.back().done);
        QCOMPARE(reports.back().barcodes, 20);
        QCOMPARE(reports.back().bytes, int(bench.device.uploadResponseSize()));
        QCOMPARE(reports.back().largestAnswer, int(kMaxResponseBytes));
        // Afterwards every operation is taken again.
        QCOMPARE(bench.fetch(19), packetOf(0x0B, "4006381333929", true));
        QCOMPARE(bench.library.EraseStoredBarcodes(), scanner_result::Ok);
        QVERIFY(bench.device.barcodes.empty());
    }

    void countingAgainUploadsAgain() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        bench.device.barcodes.push_back({0x03, "LV-0815", kStamp});
        QCOMPARE(bench.library.CountStoredBarcodes(), 2);
        QCOMPARE(bench.fetch(1), packetOf(0x03, "LV-0815", true));
    }

    void resetForgetsTheUpload() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        bench.device.barcodes = {{0x03, "LV-0815", kStamp}};
        QCOMPARE(bench.fetch(0), packetOf(0x0B, "4006381333931", true));
        bench.library.ResetScannerLink();
        QCOMPARE(bench.fetch(0), packetOf(0x03, "LV-0815", true));
        QCOMPARE(bench.sent(Command::UploadBarcodes), 2);
    }

    void aPacketLargerThanTheBufferIsNotCut() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        uint8_t buffer[20];
        std::fill(std::begin(buffer), std::end(buffer), 0xAA);
        QVERIFY(bench.library.FetchBarcode(buffer, 0, 10) < 0);
        QVERIFY(bench.library.FetchBarcode(nullptr, 0, 100) < 0);
        QVERIFY(
            std::all_of(std::begin(buffer), std::end(buffer), [](uint8_t b) { return b == 0xAA; }));
    }

    void serialNumberWithoutAnUploadComesFromInterrogate() {
        Bench bench;
        uint8_t serial[9];
        std::fill(std::begin(serial), std::end(serial), 0xAA);
        QVERIFY(bench.library.ReadSerialNumber(serial, 7) != 0);
        QCOMPARE(serial[0], uint8_t(0xAA));
        QCOMPARE(bench.library.ReadSerialNumber(serial, 9), scanner_result::Ok);
        QVERIFY(
            std::equal(bench.device.serialNumber.begin(), bench.device.serialNumber.end(), serial));
        QCOMPARE(serial[8], uint8_t(0xAA));
        QCOMPARE(bench.line.commands.size(), size_t(1));
    }

    // A unit that is not there

    void aDisconnectedUnitFailsWithBuffersUntouched() {
        Bench bench;
        bench.device.connected = false;
        const auto start = bench.line.now;
        QVERIFY(bench.library.CountStoredBarcodes() < 0);
        // Interrogate was resent for about two seconds, never sooner than 200 ms apart.
        QCOMPARE(bench.sent(Command::Interrogate), 10);
        QVERIFY(bench.line.now - start >= 2s && bench.line.now - start < 3s);
        for (size_t i = 1; i < bench.line.commandTimes.size(); ++i)
            QVERIFY(bench.line.commandTimes[i] - bench.line.commandTimes[i - 1] >= 200ms);
        uint8_t buffer[100];
        std::fill(std::begin(buffer), std::end(buffer), 0xAA);
        QVERIFY(bench.library.ReadSerialNumber(buffer, 9) != 0);
        QVERIFY(bench.library.FetchBarcode(buffer, 0, 100) < 0);
        QVERIFY(bench.library.ReadParameter(35, buffer, 1) != 0);
        QVERIFY(
            std::all_of(std::begin(buffer), std::end(buffer), [](uint8_t b) { return b == 0xAA; }));
    }

    void aMissingUnitIsNotAskedAgainAndAgainWithinOneReception() {
        Bench bench;
        bench.device.connected = false;
        QVERIFY(bench.library.CountStoredBarcodes() < 0);
        const size_t afterCount = bench.line.commands.size();
        uint8_t serial[9];
        QVERIFY(bench.library.ReadSerialNumber(serial, 9) != 0);
        QCOMPARE(bench.line.commands.size(), afterCount);
        // The next reception starts with a reset and finds the unit plugged in again.
        bench.device.connected = true;
        bench.library.ResetScannerLink();
        QCOMPARE(bench.library.CountStoredBarcodes(), 0);
    }

    // Parameters, defaults, clock, erase, power down

    void parametersAreWrittenAndReadBack() {
        Bench bench;
        const uint8_t off = 0;
        QCOMPARE(bench.library.WriteParameter(2, &off, 1), scanner_result::Ok);
        QCOMPARE(bench.device.parameter(2), uint8_t(0));
        const uint8_t fifteen = 15;
        QCOMPARE(bench.library.WriteParameter(34, &fifteen, 1), scanner_result::Ok);
        uint8_t value = 0xAA;
        QCOMPARE(bench.library.ReadParameter(34, &value, 1), scanner_result::Ok);
        QCOMPARE(value, uint8_t(15));
        QCOMPARE(bench.library.EndScannerExchange(), scanner_result::Ok);
        QCOMPARE(bench.lastCommand(), uint8_t(Command::PowerDown));
        QVERIFY(!bench.device.sessionOpen());
        QCOMPARE(bench.sent(Command::Interrogate), 1);
    }

    void lengthAndTimeStampParametersAreRefusedWhileBarcodesAreStored() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        const uint8_t fifteen = 15, off = 0;
        QCOMPARE(bench.library.WriteParameter(34, &fifteen, 1), scanner_result::Refused);
        QCOMPARE(bench.library.WriteParameter(35, &off, 1), scanner_result::Refused);
        QCOMPARE(bench.device.parameter(34), uint8_t(30));
        QVERIFY(bench.device.timeStampsOn());
        QCOMPARE(bench.library.WriteParameter(2, &off, 1), scanner_result::Ok);
    }

    void unknownParametersAndBadArgumentsLeaveTheValueAlone() {
        Bench bench;
        uint8_t value = 0xAA;
        QCOMPARE(bench.library.ReadParameter(200, &value, 1), scanner_result::Refused);
        QVERIFY(bench.library.ReadParameter(256, &value, 1) < 0);
        QVERIFY(bench.library.ReadParameter(35, &value, 0) < 0);
        QCOMPARE(value, uint8_t(0xAA));
        const uint8_t two[2] = {1, 1};
        QVERIFY(bench.library.WriteParameter(2, two, 2) != 0);
        QVERIFY(bench.library.WriteParameter(2, nullptr, 1) != 0);
        QCOMPARE(bench.device.parameter(2), uint8_t(1));
    }

    void factoryDefaultsAlsoClearTheBarcodes() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        bench.device.setParameter(2, 0);
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        QCOMPARE(bench.library.RestoreFactoryDefaults(), scanner_result::Ok);
        QVERIFY(bench.device.barcodes.empty());
        QCOMPARE(bench.device.parameter(2), uint8_t(1));
        QVERIFY(bench.fetch(0).empty());
    }

    void theClockBytesReachTheUnit() {
        Bench bench;
        const uint8_t clock[6] = {12, 52, 19, 6, 12, 26};
        QCOMPARE(bench.library.WriteScannerClock(clock), scanner_result::Ok);
        QCOMPARE(bench.device.clock, (std::array<uint8_t, 6>{12, 52, 19, 6, 12, 26}));
        const uint8_t badHour[6] = {0, 0, 24, 6, 12, 26};
        QCOMPARE(bench.library.WriteScannerClock(badHour), scanner_result::Refused);
        QCOMPARE(bench.device.clock, (std::array<uint8_t, 6>{12, 52, 19, 6, 12, 26}));
        QVERIFY(bench.library.WriteScannerClock(nullptr) < 0);
    }

    void eraseEmptiesTheUnitAndLetsItSleep() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        QCOMPARE(bench.library.EraseStoredBarcodes(), scanner_result::Ok);
        QVERIFY(bench.device.barcodes.empty());
        QVERIFY(!bench.device.sessionOpen());
        QCOMPARE(bench.lastCommand(), uint8_t(Command::PowerDown));
        QVERIFY(bench.fetch(0).empty());  // the upload before the erase is gone
    }

    void endingWithoutASessionSendsNothing() {
        Bench bench;
        QCOMPARE(bench.library.EndScannerExchange(), scanner_result::Ok);
        QVERIFY(bench.line.commands.empty());
    }

    // Wake-up and sessions

    void everySessionStartsWithAWakeUp() {
        Bench bench;
        uint8_t value;
        bench.library.ReadParameter(35, &value, 1);
        bench.library.ReadParameter(2, &value, 1);
        QCOMPARE(bench.line.wakeUps, 1);
        bench.line.now += 16s;  // the unit has dropped the session by now
        bench.library.ReadParameter(2, &value, 1);
        QCOMPARE(bench.line.wakeUps, 2);
        QCOMPARE(bench.sent(Command::Interrogate), 2);
        bench.library.ResetScannerLink();
        bench.library.ReadParameter(2, &value, 1);
        QCOMPARE(bench.line.wakeUps, 3);
    }

    void aLineWithoutModemLinesStillWorks() {
        Bench bench;
        bench.line.modemLines = false;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        QCOMPARE(bench.line.wakeUps, 0);
    }

    void aUnitThatWakesSlowlyIsInterrogatedUntilItAnswers() {
        Bench bench;
        bench.line.commandsToLose = 4;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        QCOMPARE(bench.sent(Command::Interrogate), 5);
    }

    void aUnitThatDroppedItsSessionIsWokenAgain() {
        Bench bench;
        uint8_t value;
        bench.library.ReadParameter(35, &value, 1);
        bench.device.endSession();  // e.g. the unit timed out early
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        QCOMPARE(bench.sent(Command::Interrogate), 2);
    }

    // Faults on the line

    void garbledAnswersAreAskedForAgain() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        uint8_t value;
        QCOMPARE(bench.library.ReadParameter(35, &value, 1), scanner_result::Ok);  // session open
        bench.line.answersToGarble = 1;
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        QCOMPARE(bench.fetch(0), packetOf(0x0B, "4006381333931", true));
        QCOMPARE(bench.sent(Command::UploadBarcodes), 2);
    }

    void cutAnswersAndReportedLineErrorsAreAskedForAgain() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        uint8_t value;
        QCOMPARE(bench.library.ReadParameter(35, &value, 1), scanner_result::Ok);
        bench.line.commandsToGarble = 1;  // the unit answers with a CRC error
        QCOMPARE(bench.library.ReadParameter(34, &value, 1), scanner_result::Ok);
        QCOMPARE(value, uint8_t(30));
        QCOMPARE(bench.sent(Command::UploadParameters), 3);
        bench.line.answersToCut = 1;
        QCOMPARE(bench.library.CountStoredBarcodes(), 1);
        QCOMPARE(bench.fetch(0), packetOf(0x0B, "4006381333931", true));
        QCOMPARE(bench.sent(Command::UploadBarcodes), 2);
    }

    void aLineThatKeepsFailingGivesUpWithNothingCached() {
        Bench bench;
        bench.device.barcodes = {{0x0B, "4006381333931", kStamp}};
        uint8_t value;
        QCOMPARE(bench.library.ReadParameter(35, &value, 1), scanner_result::Ok);
        bench.line.answersToGarble = 1000;
        const auto start = bench.line.now;
        QVERIFY(bench.library.CountStoredBarcodes() < 0);
        QVERIFY(bench.line.now - start < 5s);
        QCOMPARE(bench.sent(Command::UploadBarcodes), 3);
        uint8_t buffer[100];
        std::fill(std::begin(buffer), std::end(buffer), 0xAA);
        bench.line.answersToGarble = 1000;
        QVERIFY(bench.library.FetchBarcode(buffer, 0, 100) < 0);
        QVERIFY(
            std::all_of(std::begin(buffer), std::end(buffer), [](uint8_t b) { return b == 0xAA; }));
        QCOMPARE(bench.device.barcodes.size(), size_t(1));
        // The serial number came whole with Interrogate; nothing garbled takes its place.
        QCOMPARE(bench.library.ReadSerialNumber(buffer, 9), scanner_result::Ok);
        QVERIFY(
            std::equal(bench.device.serialNumber.begin(), bench.device.serialNumber.end(), buffer));
    }

    // Time stamp text

    void timeStampTextHasTheTimeThenTheDate() {
        Device device;
        Cs1504Library library(memoryPortOpener(device));  // needs no port
        const auto stamp = timeStampBytes(kStamp);
        char text[29];
        std::fill(std::begin(text), std::end(text), 'X');
        QCOMPARE(library.FormatTimeStamp(stamp.data(), text, 29), scanner_result::Ok);
        QCOMPARE(QString(text), QString("14:05:09    12/06/26"));
        QCOMPARE(QString(text).left(12).trimmed(), QString("14:05:09"));
        QCOMPARE(QString(text).mid(12, 8), QString("12/06/26"));
    }

    void timeStampTextThatDoesNotFitLeavesTheBufferAlone() {
        Device device;
        Cs1504Library library(memoryPortOpener(device));
        const auto stamp = timeStampBytes(kStamp);
        const std::string untouched(29, 'X');
        char text[29];
        for (int capacity : {0, 1, 10, 20}) {
            std::copy(untouched.begin(), untouched.end(), text);
            QCOMPARE(library.FormatTimeStamp(stamp.data(), text, capacity),
                     scanner_result::BadArgument);
            QCOMPARE(std::string(text, 29), untouched);
        }
        QVERIFY(library.FormatTimeStamp(nullptr, text, 29) != 0);
        QCOMPARE(std::string(text, 29), untouched);
        // Text and terminating zero, nothing beyond.
        QCOMPARE(library.FormatTimeStamp(stamp.data(), text, 21), scanner_result::Ok);
        QCOMPARE(std::string(text, 29), "14:05:09    12/06/26" + std::string(1, '\0') + "XXXXXXXX");
    }

    void theProcessWideLibraryCanBeReplaced() {
        Device device;
        Cs1504Library library(memoryPortOpener(device));
        ScannerLibrary* before = setScannerLibrary(&library);
        QCOMPARE(&scannerLibrary(), static_cast<ScannerLibrary*>(&library));
        QCOMPARE(scannerLibrary().OpenScannerPort(0), scanner_result::Ok);
        QCOMPARE(scannerLibrary().CountStoredBarcodes(), 0);
        setScannerLibrary(before);
        QVERIFY(&scannerLibrary() != static_cast<ScannerLibrary*>(&library));
    }
};

QTEST_APPLESS_MAIN(TestCs1504Library)
#include "test_cs1504_library.moc"
