// lorvant-cli itself against the emulator on a pseudo-terminal: what each command writes,
// byte for byte, what stays on the unit, and the exit status of each kind of failure.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>
#include <csignal>

#include "emulator_launcher.h"
#include "file_helpers.h"
#include "formats/parameter_file.h"
#include "formats/parameter_table.h"
#include "test_programs.h"
#include "testing/cs1504_device.h"

namespace {

constexpr int slow = 20000;  // ms; only reached when something is broken

const char* kSerial = "0a1b2c3d4e5f6071";
const char* kScannerList =
    "0a1b2c3d4e5f6071;LAG;Lager S\xfc"
    "d\r\n";

// Two barcodes, one of them with a quote, a backslash and an umlaut (Windows-1252), one in
// winter time and one in summer time.
const char* kUnit =
    "serial 0a1b2c3d4e5f6071\n"
    "clock 2020-01-01 00:00:00\n"
    "barcode ean13 2026-03-12 08:14:37 4006381333931\n"
    "barcode code128 2026-07-01 23:59:01 K\\xe4se \"7\\x5c8\"\n";
const std::string kRows =
    "4006381333931;08:14:37;12.03.2026\r\n"
    "K\xe4se \"7\\8\";23:59:01;01.07.2026\r\n";

struct Run {
    int status = -1;
    std::string out;
    QString err;
};

}  // namespace

class CliEndToEndTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void receiveAppendsToTheCountedFileAndErases();
    void receiveToStandardOutputKeepsTheBarcodes();
    void receiveAsJson();
    void unwritableDataFileErasesNothing();
    void failures_data();
    void failures();
    void silentUnit();
    void infoAsJson();
    void registerThenReceive();
    void clockSetAndShow();
    void parametersReadWriteAndFactoryReset();
    void historyKeepsWhatTheDataFileLost();
    void ctrlCInTheMiddleOfAReading();
    void portOfARunningWindowProgramIsNotOpened();

  private:
    bool startUnit(const QStringList& options = {"--fast"}, const char* unit = kUnit);
    Run run(const QStringList& arguments, const QProcessEnvironment& extra = {});
    QProcessEnvironment environment() const;
    cs1504::Device unit() const;
    QString path(const QString& name) const { return config_->filePath(name); }

    std::unique_ptr<QTemporaryDir> config_;
    std::unique_ptr<EmulatorLauncher> emulator_;
};

void CliEndToEndTest::init() {
    config_ = std::make_unique<QTemporaryDir>();
    QVERIFY(config_->isValid());
    QVERIFY(putFile(path("LVserial.dat"), kScannerList));
    QVERIFY(putFile(path("unit.txt"), kUnit));
}

void CliEndToEndTest::cleanup() {
    emulator_.reset();
    config_.reset();
}

bool CliEndToEndTest::startUnit(const QStringList& options, const char* unitFile) {
    if (!putFile(path("unit.txt"), unitFile)) return false;
    emulator_ = std::make_unique<EmulatorLauncher>();
    return emulator_->start(QStringList{"--data", path("unit.txt"), "--log"} + options);
}

QProcessEnvironment CliEndToEndTest::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TZ", "Europe/Berlin");
    environment.insert("LANG", "C.UTF-8");
    environment.insert("HOME", path("home"));
    if (emulator_) environment.insert("LORVANT_COM1", emulator_->portPath());
    return environment;
}

Run CliEndToEndTest::run(const QStringList& arguments, const QProcessEnvironment& extra) {
    QProcess process;
    QProcessEnvironment environment = this->environment();
    for (const QString& key : extra.keys()) environment.insert(key, extra.value(key));
    process.setProcessEnvironment(environment);
    process.start(LORVANT_CLI, arguments + QStringList{"--config", config_->path()});
    Run result;
    if (!process.waitForFinished(slow)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

cs1504::Device CliEndToEndTest::unit() const {
    cs1504::Device device;
    if (!emulator_ || !emulator_->state(device)) device.barcodes.resize(99);
    return device;
}

// The configured file with its counter, appended to, the scanner record first; then the
// clock set and the unit cleared, and the next counter kept in the settings.
void CliEndToEndTest::receiveAppendsToTheCountedFileAndErases() {
    QVERIFY(startUnit());
    const QString data = path("Daten.txt");
    QVERIFY(
        putFile(path("LVconfig.ini"),
                "[DataFile]\r\nPathAndName=" + nativePath(data) +
                    "\r\nSaveOption=1\r\nCounterActive=1\r\nFileCounter=4\r\n"
                    "ScanRecToFile=1\r\n[ScannerOptions]\r\nTransDel=1\r\nSynchDateTime=1\r\n"));
    QVERIFY(putFile(path("Daten_4.txt"), "vorher\r\n"));
    const Run result = run({"receive"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(fileBytes(path("Daten_4.txt")),
             "vorher\r\nLAG;Lager S\xfc"
             "d\r\n" +
                 kRows);
    QVERIFY(fileBytes(path("LVconfig.ini")).find("FileCounter=5\r\n") != std::string::npos);
    const cs1504::Device after = unit();
    QCOMPARE(after.barcodes.size(), size_t(0));
    QVERIFY(after.clock[5] != 20);  // set to the PC's year, no longer 2020
    QVERIFY(!QFile::exists(data));
}

// The same bytes on standard output; the settings' erase does not count there.
void CliEndToEndTest::receiveToStandardOutputKeepsTheBarcodes() {
    QVERIFY(startUnit());
    QVERIFY(putFile(path("LVconfig.ini"),
                    "[DataFile]\r\nScanRecToFile=1\r\n[ScannerOptions]\r\n"
                    "TransDel=1\r\n"));
    const Run result = run({"receive", "--stdout"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(result.out,
             "LAG;Lager S\xfc"
             "d\r\n" +
                 kRows);
    QCOMPARE(unit().barcodes.size(), size_t(2));
    QVERIFY(!QFile::exists(path("Data.txt")));
}

// One object a line, UTF-8, with the local time and its offset on the day of the scan.
void CliEndToEndTest::receiveAsJson() {
    QVERIFY(startUnit());
    const Run result = run({"receive", "--json"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    const QList<QByteArray> lines = QByteArray::fromStdString(result.out).split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[2].isEmpty());
    const auto object = [&](int i) { return QJsonDocument::fromJson(lines[i]).object(); };
    QCOMPARE(object(0)["barcode"].toString(), QString("4006381333931"));
    QCOMPARE(object(0)["time"].toString(), QString("2026-03-12T08:14:37+01:00"));
    QCOMPARE(object(0)["type"].toInt(), 0x0B);
    QCOMPARE(object(1)["barcode"].toString(), QString::fromUtf8("Käse \"7\\8\""));
    QCOMPARE(object(1)["time"].toString(), QString("2026-07-01T23:59:01+02:00"));
    QCOMPARE(object(1)["type"].toInt(), 0x03);
    QCOMPARE(object(1)["serial"].toString(), QString(kSerial));
    QCOMPARE(object(1)["id"].toString(), QString("LAG"));
    QCOMPARE(object(1)["name"].toString(), QString::fromUtf8("Lager Süd"));
    QCOMPARE(unit().barcodes.size(), size_t(2));
}

// A data file that cannot be written: status 4, and the unit keeps every barcode although
// the settings and the option ask to erase it.
void CliEndToEndTest::unwritableDataFileErasesNothing() {
    QVERIFY(startUnit());
    QVERIFY(putFile(path("LVconfig.ini"), "[ScannerOptions]\r\nTransDel=1\r\n"));
    const Run result = run({"receive", "--erase", "--output", path("fehlt/Data.txt")});
    QCOMPARE(result.status, 4);
    QVERIFY2(result.err.contains("Die Daten konnten nicht gespeichert werden."),
             qPrintable(result.err));
    QCOMPARE(unit().barcodes.size(), size_t(2));
    QVERIFY(!emulator_->log().contains("-> 02 02"));  // no Clear bar codes ever sent
}

void CliEndToEndTest::failures_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("scannerList");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString list = QString::fromLatin1(kScannerList);
    QTest::newRow("unregistered") << QStringList{"receive"} << QString("") << 3
                                  << "Der Scanner 0a1b2c3d4e5f6071 ist nicht in der Scanner-Liste";
    QTest::newRow("no such port") << QStringList{"receive", "--port", "/dev/lorvant-none"} << list
                                  << 1 << "Das Gerät /dev/lorvant-none ist nicht vorhanden";
    QTest::newRow("unknown option")
        << QStringList{"receive", "--schnell"} << list << 2 << "Unbekannte Option „--schnell“";
    QTest::newRow("two outputs") << QStringList{"receive", "--stdout", "--output", "x"} << list << 2
                                 << "--output und --stdout schliessen einander aus";
    QTest::newRow("erase unconfirmed") << QStringList{"erase"} << list << 2 << "--yes";
    QTest::newRow("no such date") << QStringList{"clock", "--set", "2027-02-30 04:05:06"} << list
                                  << 2 << "ist keine gültige Zeit";
    QTest::newRow("reset unconfirmed") << QStringList{"parameters", "--factory-reset"} << list << 2
                                       << "bestätigen Sie es mit --yes";
    QTest::newRow("read and write") << QStringList{"parameters", "--read", "--write"} << list << 2
                                    << "genau eine von --read, --write und --factory-reset";
    QTest::newRow("long ID") << QStringList{"register", "--id", "ABCDE", "--name", "x"} << list << 2
                             << "Die ID „ABCDE“ ist ungültig";
}

// Each failure with its status and message; nothing leaves the unit.
void CliEndToEndTest::failures() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, scannerList);
    QFETCH(int, status);
    QFETCH(QString, message);
    QVERIFY(startUnit());
    QVERIFY(putFile(path("LVserial.dat"), scannerList.toLatin1().toStdString()));
    QVERIFY(putFile(path("LVconfig.ini"), "[ScannerOptions]\r\nTransDel=1\r\n"));
    const Run result = run(arguments);
    QCOMPARE(result.status, status);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    if (status == 2) QVERIFY(result.err.contains("„lorvant-cli --help“ zeigt die Hilfe."));
    QCOMPARE(unit().barcodes.size(), size_t(2));
    QCOMPARE(fileBytes(path("LVserial.dat")), scannerList.toLatin1().toStdString());
}

void CliEndToEndTest::silentUnit() {
    QVERIFY(startUnit({"--fast", "--silent"}));
    const Run result = run({"receive"});
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.contains("Keine Verbindung zum Scanner."), qPrintable(result.err));
    QVERIFY(!QFile::exists(path("Data.txt")));
}

void CliEndToEndTest::infoAsJson() {
    QVERIFY(startUnit({"--fast", "--low-battery", "--clock-lost"}));
    const Run result = run({"info", "--json"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    const QJsonObject info =
        QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).object();
    QCOMPARE(info["serial"].toString(), QString(kSerial));
    QCOMPARE(info["registered"].toBool(), true);
    QCOMPARE(info["id"].toString(), QString("LAG"));
    QCOMPARE(info["count"].toInt(), 2);
    QVERIFY(info["clock"].isNull());
    QCOMPARE(info["clock_lost"].toBool(), true);
    QCOMPARE(info["battery_low"].toBool(), true);
    QCOMPARE(info["port"].toString(), emulator_->portPath());
    QCOMPARE(unit().barcodes.size(), size_t(2));

    // A unit in order, not registered.
    QVERIFY(startUnit());
    QVERIFY(putFile(path("LVserial.dat"), ""));
    const QJsonObject other =
        QJsonDocument::fromJson(QByteArray::fromStdString(run({"info", "--json"}).out)).object();
    QCOMPARE(other["registered"].toBool(), false);
    QVERIFY(other["id"].isNull());
    QCOMPARE(other["clock"].toString(), QString("2020-01-01T00:00:00+01:00"));
    QCOMPARE(other["clock_lost"].toBool(), false);
    QCOMPARE(other["battery_low"].toBool(), false);
}

// A first registration makes the list; a second one changes the row; then the unit is read.
void CliEndToEndTest::registerThenReceive() {
    QVERIFY(startUnit());
    QVERIFY(QFile::remove(path("LVserial.dat")));
    Run result = run({"register", "--id", "ab1", "--name", "Kasse"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(fileBytes(path("LVserial.dat")), std::string(kSerial) + ";AB1;Kasse\r\n");
    result = run({"register", "--id", "K2", "--name", "Lager Süd"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(result.out, "Scanner " + std::string(kSerial) + ": ID K2, Name Lager Süd\n");
    QCOMPARE(fileBytes(path("LVserial.dat")), std::string(kSerial) +
                                                  ";K2;Lager S\xfc"
                                                  "d\r\n");
    result = run({"receive", "--no-erase"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(fileBytes(path("Data.txt")), kRows);
}

void CliEndToEndTest::clockSetAndShow() {
    QVERIFY(startUnit());
    Run result = run({"clock", "--set", "2027-02-03 04:05:06"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(unit().clock, (std::array<uint8_t, 6>{6, 5, 4, 3, 2, 27}));
    result = run({"clock", "--show"});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, std::string("2027-02-03 04:05:06\n"));
}

// --read stores what the unit holds in Param.dat (the table's tail kept), --write sends a
// file back, item by item, and --factory-reset refuses a unit that still holds barcodes.
void CliEndToEndTest::parametersReadWriteAndFactoryReset() {
    QVERIFY(
        startUnit({"--fast"}, (std::string(kUnit) + "parameter 54 1\nparameter 34 15\n").c_str()));
    ParameterTable before = builtInParameterTable();
    before[20] = {99, 7};  // beyond the sixteen items: carried through unchanged
    QVERIFY(putFile(path("Param.dat"), parameterTableImage(before)));

    // A running window program holds Param.dat: nothing is written to it.
    {
        ParameterFile held;
        QVERIFY(held.open(path("Param.dat").toStdString()));
        const Run refused = run({"parameters", "--read"});
        QCOMPARE(refused.status, 4);
        QVERIFY2(refused.err.contains("von einem laufenden Lorvant"), qPrintable(refused.err));
    }
    QCOMPARE(fileBytes(path("Param.dat")), parameterTableImage(before));

    Run result = run({"parameters", "--read"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    ParameterTable expected = before;
    std::string lines;
    for (int i = 0; i < kParameterItemCount; ++i) {
        const bool on = parameterChecked(before[i].code, unit().parameter(uint8_t(before[i].code)));
        expected[i].value = on ? 1 : 0;
        lines += std::string(on ? "[x] " : "[ ] ") +
                 QString::fromUtf8(kParameterItemTexts[i]).trimmed().toStdString() + "\n";
    }
    QCOMPARE(expected[1].value, 1);   // Code 39 Full ASCII, as the unit has it
    QCOMPARE(expected[14].value, 0);  // barcodes up to 15 characters
    QCOMPARE(fileBytes(path("Param.dat")), parameterTableImage(expected));
    QCOMPARE(result.out, lines);

    // Written back with two changes: the unit holds barcodes, so it keeps its length.
    ParameterTable changed = expected;
    changed[2].value = 1;   // Code 39 check digit
    changed[14].value = 1;  // 30 characters
    QVERIFY(putFile(path("other.dat"), parameterTableImage(changed)));
    result = run({"parameters", "--write", path("other.dat")});
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.contains("Max. BC Länge") && result.err.contains("solange keine Barcodes"),
             qPrintable(result.err));
    QCOMPARE(unit().parameter(46), uint8_t(1));
    QCOMPARE(unit().parameter(34), uint8_t(15));

    result = run({"parameters", "--factory-reset", "--yes"});
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.contains("sind noch 2 Barcodes"), qPrintable(result.err));
    QCOMPARE(unit().barcodes.size(), size_t(2));
    QCOMPARE(unit().parameter(46), uint8_t(1));

    QCOMPARE(run({"erase", "--yes"}).status, 0);
    result = run({"parameters", "--factory-reset", "--yes"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(unit().parameters(), cs1504::Device().parameters());

    // Nothing saved yet to write from.
    result = run({"parameters", "--write", path("missing.dat")});
    QCOMPARE(result.status, 2);
    QVERIFY(!QFile::exists(path("missing.dat")));
}

// Every reception lands in the history before it is delivered: one whose data file was
// lost since is written out again byte for byte, one that could not be saved is there too.
void CliEndToEndTest::historyKeepsWhatTheDataFileLost() {
    QVERIFY(startUnit());
    const QString data = path("Daten.txt");
    QVERIFY(putFile(path("LVconfig.ini"),
                    "[DataFile]\r\nPathAndName=" + nativePath(data) + "\r\nScanRecToFile=1\r\n"));
    Run result = run({"receive"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    const std::string saved = fileBytes(data);
    QVERIFY(QFile::remove(data));

    // A data file that cannot be written: nothing erased, but the reception is recorded.
    QVERIFY(QDir().mkpath(path("blocked.txt")));
    QCOMPARE(run({"receive", "--output", path("blocked.txt"), "--erase"}).status, 4);
    QCOMPARE(unit().barcodes.size(), size_t(2));

    result = run({"history", "--json"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    const QList<QByteArray> lines = QByteArray::fromStdString(result.out).trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    const QJsonObject newest = QJsonDocument::fromJson(lines[0]).object();
    const QJsonObject first = QJsonDocument::fromJson(lines[1]).object();
    QCOMPARE(newest["delivered"].toString(), QString("none"));
    QCOMPARE(first["delivered"].toString(), QString("saved"));
    QCOMPARE(first["file"].toString(), data);
    QCOMPARE(first["name"].toString(), QString("Lager Süd"));
    QCOMPARE(first["count"].toInt(), 2);

    const QString id = QString::number(first["id"].toInteger());
    result = run({"history", "--export", id, path("again.txt")});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(fileBytes(path("again.txt")), saved);
    QVERIFY(saved.find(kRows) != std::string::npos);

    result = run({"history", "--search", "4006381333931"});
    QCOMPARE(result.status, 0);
    QCOMPARE(QString::fromStdString(result.out).count("1: 4006381333931;08:14:37;12.03.2026"), 2);
    QCOMPARE(run({"history", "--show", "99"}).status, 2);
}

// Ctrl+C while the barcodes come in: status 130, the unit put to sleep, no file, nothing
// erased.
void CliEndToEndTest::ctrlCInTheMiddleOfAReading() {
    std::string full = "serial 0a1b2c3d4e5f6071\n";
    for (int i = 0; i < 150; ++i)
        full += "barcode ean13 2026-03-12 08:14:37 40063813" + std::to_string(10000 + i) + "\n";
    QVERIFY(startUnit({}, full.c_str()));  // at the pace of 9600 baud: about 3 s
    QVERIFY(putFile(path("LVconfig.ini"), "[ScannerOptions]\r\nTransDel=1\r\n"));
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(LORVANT_CLI, {"receive", "--erase", "--config", config_->path()});
    QDeadlineTimer deadline(slow);
    while (!emulator_->log().contains("-> 07 02") && !deadline.hasExpired()) QTest::qWait(20);
    QTest::qWait(300);
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(slow));
    QCOMPARE(process.exitCode(), 130);
    QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains("Abgebrochen"));
    QVERIFY(!QFile::exists(path("Data.txt")));
    QCOMPARE(unit().barcodes.size(), size_t(150));
    const QString log = emulator_->log();
    QVERIFY2(log.lastIndexOf("-> 05 02") > log.indexOf("-> 07 02"), qPrintable(log));
}

// The window program keeps its port open after a reading; lorvant-cli sees its lock and
// leaves the port alone.
void CliEndToEndTest::portOfARunningWindowProgramIsNotOpened() {
    QVERIFY(startUnit());
    QTemporaryDir program, runtime;
    QVERIFY(QFile::copy(LORVANT_PROGRAM, program.filePath("lorvant")));
    QVERIFY(putFile(program.filePath("LVserial.dat"), kScannerList));
    QVERIFY(putFile(program.filePath("LVconfig.ini"), "[DataFile]\r\nTransMode=1\r\n"));
    QProcessEnvironment environment = this->environment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("DISPLAY", "");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess window;
    window.setProcessEnvironment(environment);
    window.start(program.filePath("lorvant"), {});
    const auto ended = qScopeGuard([&window] {
        window.terminate();
        if (!window.waitForFinished(5000)) window.kill();
        window.waitForFinished();
    });
    QDeadlineTimer deadline(slow);
    while (!QFile::exists(runtime.filePath("lorvant/lorvant.socket")) && !deadline.hasExpired())
        QTest::qWait(20);
    // A wedge transfer reads the unit (nothing can be typed offscreen) and leaves the port open.
    QProcess send;
    send.setProcessEnvironment(environment);
    send.start(program.filePath("lorvant"), {"--send"});
    QVERIFY(send.waitForFinished(slow));
    while (!emulator_->log().contains("-> 05 02") && !deadline.hasExpired()) QTest::qWait(20);
    QVERIFY(emulator_->log().contains("-> 07 02"));
    const qsizetype logged = emulator_->log().size();

    const Run result = run({"info", "--port", emulator_->portPath()});
    QCOMPARE(result.status, 5);
    QVERIFY2(result.err.contains("von einem laufenden Lorvant belegt (lorvant, Prozess"),
             qPrintable(result.err));
    QCOMPARE(emulator_->log().size(), logged);  // not one byte reached the unit
}

QTEST_GUILESS_MAIN(CliEndToEndTest)
#include "test_cli_end_to_end.moc"
