// The scanner library over a real serial port (QSerialPort) against the CS1504 emulator on
// a pseudo-terminal: the whole path the program uses with a scanner.
#include <QtTest>
#include <algorithm>

#include "emulator_launcher.h"
#include "scanner/cs1504_library.h"
#include "system/serial_transport.h"
#include "testing/cs1504_unit_file.h"

using namespace cs1504;

namespace {

const uint32_t kStamp = packTimeStamp(2026, 3, 12, 8, 14, 37);

// The emulator and the library that talks to it as COM1.
struct SerialBench {
    EmulatorLauncher emulator;
    Cs1504Library library{serialPortOpener()};
    bool started = false;

    explicit SerialBench(QStringList arguments, bool fast = true) {
        if (fast) arguments << "--fast";
        started = emulator.start(arguments << "--log");
        if (started) qputenv("LORVANT_COM1", emulator.portPath().toLocal8Bit());
    }
    ~SerialBench() { library.CloseScannerPort(); }

    Device unit() const {
        Device device;
        if (!emulator.state(device)) device.softwareVersion = "UNREADABLE";
        return device;
    }
    int logged(const QString& prefix) {
        return int(("\n" + emulator.log()).count("\n-> " + prefix));
    }

    // One reception as the program runs it; the packets, or nothing when it failed.
    std::optional<std::vector<Bytes>> receive() {
        library.ResetScannerLink();
        if (library.OpenScannerPort(0) != 0) return {};
        const int count = library.CountStoredBarcodes();
        if (count < 0) return {};
        std::vector<Bytes> packets;
        for (int i = 0; i < count; ++i) {
            uint8_t buffer[100];
            const int length = library.FetchBarcode(buffer, i, sizeof buffer);
            if (length < 0) return {};
            packets.emplace_back(buffer, buffer + length);
        }
        return packets;
    }
};

// A data file for the emulator with `count` barcodes.
QString unitFile(QTemporaryDir& directory, int count, bool timeStamps = true) {
    Device device;
    device.setParameter(parameter::StoreTimeStamps, timeStamps ? 1 : 0);
    for (int i = 0; i < count; ++i)
        device.barcodes.push_back({0x0B, "40063813" + std::to_string(10000 + i), kStamp + i});
    QFile file(directory.filePath("unit.txt"));
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray::fromStdString(writeUnitFile(device)));
    return file.fileName();
}

Bytes packetOf(const StoredBarcode& barcode, bool timeStamps) {
    Device device;
    device.setParameter(parameter::StoreTimeStamps, timeStamps ? 1 : 0);
    Bytes record = device.barcodeRecord(barcode);
    record.insert(record.begin(), static_cast<uint8_t>(record.size()));
    return record;
}

}  // namespace

class TestCs1504Serial : public QObject {
    Q_OBJECT

  private slots:
    void portsResolveAndFailCleanly() {
        SerialBench bench({});
        QVERIFY2(bench.started, qPrintable(bench.emulator.errorText()));
        QCOMPARE(bench.library.OpenScannerPort(0), scanner_result::Ok);
        QCOMPARE(bench.library.OpenScannerPort(0), scanner_result::Ok);
        QVERIFY(bench.library.OpenScannerPort(-1) < 0);
        QVERIFY(bench.library.OpenScannerPort(16) < 0);
        qputenv("LORVANT_COM2", "/nonexistent/ttyLORVANT");
        QVERIFY(bench.library.OpenScannerPort(1) < 0);  // closes COM1 first
        QVERIFY(bench.library.CountStoredBarcodes() < 0);
        QVERIFY(bench.library.CloseScannerPort() != 0);
        QCOMPARE(bench.logged(""), 0);  // no operation reached the unit with the port closed
        QCOMPARE(bench.library.OpenScannerPort(0), scanner_result::Ok);
        QCOMPARE(bench.library.CloseScannerPort(), scanner_result::Ok);
        QVERIFY(bench.library.CloseScannerPort() != 0);
    }

    void reopeningTheOpenPortKeepsTheSession() {
        SerialBench bench({});
        QVERIFY(bench.started);
        QCOMPARE(bench.library.OpenScannerPort(0), scanner_result::Ok);
        uint8_t value = 0;
        QCOMPARE(bench.library.ReadParameter(35, &value, 1), scanner_result::Ok);
        QCOMPARE(bench.library.OpenScannerPort(0), scanner_result::Ok);
        QCOMPARE(bench.library.ReadParameter(2, &value, 1), scanner_result::Ok);
        QCOMPARE(bench.logged("01 02 00"), 1);
    }

    // A second running copy of the program (its own library) finds the port taken while the
    // first one holds it, and gets it once the first has closed it.
    void aSecondCopyFindsThePortTaken() {
        QTemporaryDir directory;
        SerialBench bench({"--data", unitFile(directory, 3)});
        QVERIFY(bench.started);
        QVERIFY(bench.receive());
        Cs1504Library secondCopy(serialPortOpener());
        QCOMPARE(secondCopy.OpenScannerPort(0), scanner_result::OpenFailed);
        QVERIFY(bench.receive());  // the first copy's session is undisturbed
        QCOMPARE(bench.library.CloseScannerPort(), 0);
        QCOMPARE(secondCopy.OpenScannerPort(0), 0);
        QCOMPARE(secondCopy.CountStoredBarcodes(), 3);
    }

    void readsTheSampleUnitWithTimeStamps() {
        const QString sample = QFINDTESTDATA("../tools/sample-barcodes.txt");
        SerialBench bench({"--data", sample});
        QVERIFY(bench.started);
        const Device unit = bench.unit();
        QVERIFY(unit.barcodes.size() >= 10);
        const auto packets = bench.receive();
        QVERIFY(packets);
        QCOMPARE(packets->size(), unit.barcodes.size());
        for (size_t i = 0; i < packets->size(); ++i)
            QCOMPARE((*packets)[i], packetOf(unit.barcodes[i], true));
        char text[29];
        const Bytes& first = packets->front();
        QCOMPARE(bench.library.FormatTimeStamp(first.data() + first.size() - 4, text, 29), 0);
        QCOMPARE(QString(text), QString("08:14:37    03/12/26"));
        uint8_t serial[9];
        QCOMPARE(bench.library.ReadSerialNumber(serial, 9), scanner_result::Ok);
        QVERIFY(std::equal(unit.serialNumber.begin(), unit.serialNumber.end(), serial));
        QCOMPARE(bench.logged("01 02 00"), 1);
        QCOMPARE(bench.logged("07 02 00"), 1);
        QVERIFY(!bench.unit().sessionOpen());  // powered down after the upload
        QCOMPARE(bench.unit().barcodes.size(), unit.barcodes.size());  // nothing erased
    }

    void readsAUnitWithoutTimeStampsAtLinePace() {
        QTemporaryDir directory;
        SerialBench bench({"--data", unitFile(directory, 20, false)}, false);
        QVERIFY(bench.started);
        const auto packets = bench.receive();
        QVERIFY(packets);
        QCOMPARE(packets->size(), size_t(20));
        QCOMPARE(packets->back(), packetOf(bench.unit().barcodes.back(), false));
    }

    void readsAnEmptyUnit() {
        SerialBench bench({});
        QVERIFY(bench.started);
        const auto packets = bench.receive();
        QVERIFY(packets);
        QVERIFY(packets->empty());
    }

    void writesAndReadsParameters() {
        SerialBench bench({"--barcode", "ean13:4006381333931"});
        QVERIFY(bench.started);
        QCOMPARE(bench.library.OpenScannerPort(0), 0);
        const uint8_t off = 0, fifteen = 15;
        QCOMPARE(bench.library.WriteParameter(2, &off, 1), scanner_result::Ok);
        QCOMPARE(bench.library.WriteParameter(34, &fifteen, 1), scanner_result::Refused);
        QCOMPARE(bench.library.WriteParameter(35, &off, 1), scanner_result::Refused);
        uint8_t value = 0xAA;
        QCOMPARE(bench.library.ReadParameter(34, &value, 1), scanner_result::Ok);
        QCOMPARE(value, uint8_t(30));
        QCOMPARE(bench.library.EndScannerExchange(), scanner_result::Ok);
        const Device unit = bench.unit();
        QCOMPARE(unit.parameter(2), uint8_t(0));
        QCOMPARE(unit.parameter(34), uint8_t(30));
        QVERIFY(unit.timeStampsOn());
        QVERIFY(!unit.sessionOpen());
        QCOMPARE(bench.logged("05 02 00"), 1);
    }

    void factoryDefaultsClearTheUnit() {
        SerialBench bench({"--barcode", "ean13:4006381333931", "--param", "2=0"});
        QVERIFY(bench.started);
        QCOMPARE(bench.library.OpenScannerPort(0), 0);
        bench.library.ResetScannerLink();
        QCOMPARE(bench.library.RestoreFactoryDefaults(), scanner_result::Ok);
        bench.library.EndScannerExchange();
        const Device unit = bench.unit();
        QVERIFY(unit.barcodes.empty());
        QCOMPARE(unit.parameter(2), uint8_t(1));
        const uint8_t fifteen = 15;
        QCOMPARE(bench.library.WriteParameter(34, &fifteen, 1), scanner_result::Ok);
    }

    void theClockReachesTheUnit() {
        SerialBench bench({"--clock-lost"});
        QVERIFY(bench.started);
        QCOMPARE(bench.library.OpenScannerPort(0), 0);
        const uint8_t clock[6] = {12, 52, 19, 6, 12, 26};
        QCOMPARE(bench.library.WriteScannerClock(clock), scanner_result::Ok);
        bench.library.EndScannerExchange();
        const Device unit = bench.unit();
        QCOMPARE(unit.clock, (std::array<uint8_t, 6>{12, 52, 19, 6, 12, 26}));
        QVERIFY(!unit.clockLost);
    }

    void eraseEmptiesTheUnit() {
        SerialBench bench({"--barcode", "ean13:4006381333931", "--barcode", "code39:ART-4711"});
        QVERIFY(bench.started);
        const auto packets = bench.receive();
        QVERIFY(packets && packets->size() == 2);
        QCOMPARE(bench.library.EraseStoredBarcodes(), scanner_result::Ok);
        const Device unit = bench.unit();
        QVERIFY(unit.barcodes.empty());
        QVERIFY(!unit.sessionOpen());
    }

    void aLowBatteryUnitStillDelivers() {
        SerialBench bench({"--low-battery", "--barcode", "ean8:96385074"});
        QVERIFY(bench.started);
        const auto packets = bench.receive();
        QVERIFY(packets && packets->size() == 1);
    }

    // A silent unit, a slow one, a noisy line, a pulled cable

    void aSilentUnitFailsWithinSeconds() {
        SerialBench bench({"--silent"});
        QVERIFY(bench.started);
        QCOMPARE(bench.library.OpenScannerPort(0), 0);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(bench.library.CountStoredBarcodes() < 0);
        uint8_t buffer[9];
        std::fill(std::begin(buffer), std::end(buffer), 0xAA);
        QVERIFY(bench.library.ReadSerialNumber(buffer, 9) != 0);
        QVERIFY(
            std::all_of(std::begin(buffer), std::end(buffer), [](uint8_t b) { return b == 0xAA; }));
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(bench.logged("01 02 00"), 10);
    }

    void aUnitThatMissesTheFirstInterrogatesIsReadAllTheSame() {
        SerialBench bench({"--lose-interrogates", "3", "--barcode", "ean13:4006381333931"});
        QVERIFY(bench.started);
        const auto packets = bench.receive();
        QVERIFY(packets && packets->size() == 1);
        QCOMPARE(bench.logged("01 02 00"), 4);
    }

    void aNoisyLineNeverGivesAWrongBarcode_data() {
        QTest::addColumn<QStringList>("fault");
        QTest::newRow("1 % flipped") << QStringList{"--flip-rate", "0.01"};
        QTest::newRow("0.5 % dropped") << QStringList{"--drop-rate", "0.005"};
    }

    void aNoisyLineNeverGivesAWrongBarcode() {
        QFETCH(QStringList, fault);
        QTemporaryDir directory;
        SerialBench bench(QStringList{"--data", unitFile(directory, 6), "--seed", "7"} + fault);
        QVERIFY(bench.started);
        std::vector<Bytes> expected;
        for (const StoredBarcode& barcode : bench.unit().barcodes)
            expected.push_back(packetOf(barcode, true));
        const int receptions = 10;
        int delivered = 0;
        for (int reception = 0; reception < receptions; ++reception) {
            const auto packets = bench.receive();
            if (!packets) continue;  // a clean failure is fine; a wrong barcode is not
            QCOMPARE(*packets, expected);
            ++delivered;
        }
        qInfo("%d of %d receptions delivered", delivered, receptions);
        QVERIFY(delivered > 0);
        QVERIFY(bench.logged("07 02 00") > delivered);  // the faults did strike
        QCOMPARE(bench.unit().barcodes.size(), expected.size());
    }

    void aCablePulledDuringTheUploadLeavesNothingBehind() {
        QTemporaryDir directory;
        SerialBench bench({"--data", unitFile(directory, 30), "--disconnect-mid-upload"});
        QVERIFY(bench.started);
        QCOMPARE(bench.library.OpenScannerPort(0), 0);
        QVERIFY(bench.library.CountStoredBarcodes() < 0);
        uint8_t buffer[100];
        std::fill(std::begin(buffer), std::end(buffer), 0xAA);
        QVERIFY(bench.library.FetchBarcode(buffer, 0, 100) < 0);
        QVERIFY(
            std::all_of(std::begin(buffer), std::end(buffer), [](uint8_t b) { return b == 0xAA; }));
        QCOMPARE(bench.unit().barcodes.size(), size_t(30));
    }

    // The emulator itself

    void theEmulatorRefusesWhatItCannotBe_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("complaint");
        QTest::newRow("option") << QStringList{"--colour"} << "unknown option";
        QTest::newRow("rate") << QStringList{"--flip-rate", "2"} << "bad value";
        QTest::newRow("barcode") << QStringList{"--barcode", "qr:x"} << "bad barcode";
        QTest::newRow("file") << QStringList{"--data", "/nonexistent/unit.txt"} << "cannot read";
        QTest::newRow("device") << QStringList{"--device", "/nonexistent/tty"} << "cannot open";
    }

    void theEmulatorRefusesWhatItCannotBe() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, complaint);
        EmulatorLauncher emulator;
        QVERIFY(!emulator.start(arguments));
        QVERIFY2(emulator.errorText().contains(complaint), qPrintable(emulator.errorText()));
        // The mistake is named, not buried under the whole usage.
        QVERIFY2(!emulator.errorText().contains("usage:"), qPrintable(emulator.errorText()));
    }

    void theEmulatorNamesAnUnknownOptionAndTellsItsVersion() {
        QProcess emulator;
        emulator.start(EmulatorLauncher::program(), {"--colour", "red"});
        QVERIFY(emulator.waitForFinished(10000));
        QCOMPARE(emulator.exitCode(), 2);
        QCOMPARE(emulator.readAllStandardError(),
                 QByteArray("lorvant-cs1504-emulator: unknown option --colour\n"
                            "lorvant-cs1504-emulator --help lists the options.\n"));
        emulator.start(EmulatorLauncher::program(), {"--version"});
        QVERIFY(emulator.waitForFinished(10000));
        QCOMPARE(emulator.exitCode(), 0);
        QCOMPARE(emulator.readAllStandardOutput(), QByteArray("lorvant-cs1504-emulator 2.0\n"));
    }

    void theEmulatorRefusesAnOverfullDataFile() {
        QTemporaryDir directory;
        QFile file(directory.filePath("full.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("serial 0011223344556677\n");
        for (int i = 0; i < 400; ++i)
            file.write("barcode ean13 2026-03-12 08:14:37 4006381333931\n");
        file.close();
        EmulatorLauncher emulator;
        QVERIFY(!emulator.start({"--data", file.fileName()}));
        QVERIFY2(emulator.errorText().contains("memory"), qPrintable(emulator.errorText()));
    }

    void theEmulatorStopsWhenAsked() {
        QTemporaryDir directory;
        SerialBench bench({"--data", unitFile(directory, 5)}, false);
        QVERIFY(bench.started);
        QVERIFY(bench.receive());
        QVERIFY(bench.emulator.stop());
        QVERIFY(bench.library.CountStoredBarcodes() < 0);  // the line is gone: a clean failure
    }
};

QTEST_GUILESS_MAIN(TestCs1504Serial)
#include "test_cs1504_serial.moc"
