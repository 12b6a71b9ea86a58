// The wedge commands and the one-copy rule, through the program itself: `lorvant --send`
// and `--erase` hand their request to the running program over its per-user channel, a
// second start leaves the first alone, and a copy that crashed does not block the next.
// The program runs offscreen, without a display to type on, against the emulator.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "emulator_launcher.h"
#include "file_helpers.h"
#include "test_programs.h"
#include "testing/cs1504_device.h"

namespace {

constexpr int slow = 20000;  // ms; only reached when something is broken

// Keyboard-wedge mode, barcode only, the scanner cleared after a transfer and its clock
// set; the clock shows when a transfer has run to its end.
const char* kSettings =
    "[DataFile]\r\nTransMode=1\r\n"
    "[ScannerOptions]\r\nPort=0\r\nDataFormat=3\r\nTransDel=1\r\nSynchDateTime=1\r\n";

const char* kUnit =
    "serial 0a1b2c3d4e5f6071\n"
    "clock 2020-01-01 00:00:00\n"
    "barcode ean13 2020-01-01 00:00:00 4006381333931\n"
    "barcode code128 2020-01-01 00:00:00 LV-7\n";

struct Run {
    int status = -1;
    QString out;
    QString err;
};

}  // namespace

class WedgeCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void commandLine_data();
    void commandLine();
    void commandLineWithoutRuntimeFolder();
    void commandWithoutRunningProgram();
    void sendWithNothingToTypeOnKeepsTheBarcodes();
    void eraseEmptiesTheScanner();
    void strayClientsDoNotBlockTheChannel();
    void secondStartLeavesTheFirstAlone();
    void crashedCopyDoesNotBlockTheNext();
    void folderOpenToOthersIsNotUsed();

  private:
    QProcessEnvironment environment(const QString& runtime) const;
    Run run(const QStringList& arguments, const QString& runtime = {});
    bool startProgram();
    void stopProgram();
    cs1504::Device unit() const;

    QTemporaryDir programDir_;
    QTemporaryDir runtimeDir_;
    EmulatorLauncher emulator_;
    QProcess program_;
};

void WedgeCommandsTest::initTestCase() {
    QVERIFY(programDir_.isValid() && runtimeDir_.isValid());
    QVERIFY(QFile::copy(LORVANT_PROGRAM, programDir_.filePath("lorvant")));
    QVERIFY(putFile(programDir_.filePath("LVconfig.ini"), kSettings));
    QVERIFY(putFile(programDir_.filePath("LVserial.dat"), "0a1b2c3d4e5f6071;CMD;Befehle\r\n"));
    QVERIFY(putFile(programDir_.filePath("unit.txt"), kUnit));
    QVERIFY2(emulator_.start({"--data", programDir_.filePath("unit.txt"), "--fast", "--log"}),
             qPrintable(emulator_.errorText()));
}

void WedgeCommandsTest::cleanupTestCase() {
    stopProgram();
}

// A runtime folder of the test's own: a program the developer runs, or another test, has
// its own channel.
QProcessEnvironment WedgeCommandsTest::environment(const QString& runtime) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("DISPLAY", "");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("XDG_RUNTIME_DIR", runtime.isEmpty() ? runtimeDir_.path() : runtime);
    environment.insert("LORVANT_COM1", emulator_.portPath());
    return environment;
}

Run WedgeCommandsTest::run(const QStringList& arguments, const QString& runtime) {
    QProcess process;
    process.setProcessEnvironment(environment(runtime));
    process.start(programDir_.filePath("lorvant"), arguments);
    Run result;
    if (!process.waitForFinished(slow)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

bool WedgeCommandsTest::startProgram() {
    program_.setProcessEnvironment(environment({}));
    program_.start(programDir_.filePath("lorvant"), {});
    if (!program_.waitForStarted(slow)) return false;
    // It listens once its windows are there; an erase with an empty list costs nothing.
    QDeadlineTimer deadline(slow);
    while (!deadline.hasExpired() && program_.state() == QProcess::Running) {
        if (QFile::exists(runtimeDir_.filePath("lorvant/lorvant.socket"))) return true;
        QTest::qWait(20);
    }
    return false;
}

void WedgeCommandsTest::stopProgram() {
    if (program_.state() == QProcess::NotRunning) return;
    program_.terminate();
    if (!program_.waitForFinished(5000)) program_.kill();
    program_.waitForFinished(5000);
}

cs1504::Device WedgeCommandsTest::unit() const {
    cs1504::Device device;
    if (!emulator_.state(device)) device.barcodes.resize(99);
    return device;
}

void WedgeCommandsTest::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "lorvant --send"
                          << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "Lorvant 2.00\n"
                             << "";
    QTest::newRow("unknown") << QStringList{"--senden"} << 2 << ""
                             << "„--senden“ wird nicht verstanden";
    QTest::newRow("two options") << QStringList{"--send", "--erase"} << 2 << ""
                                 << "„--erase“ wird nicht verstanden";
    QTest::newRow("Qt option with a command")
        << QStringList{"--send", "-platform", "xcb"} << 2 << ""
        << "„-platform“ wird nicht verstanden";
    // A plain start hands Qt its options (here -platform); what Qt leaves is a mistake.
    QTest::newRow("left over after Qt")
        << QStringList{"-platform", "offscreen", "Data.txt"} << 2 << ""
        << "„Data.txt“ wird nicht verstanden";
}

void WedgeCommandsTest::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Run result = run(arguments);
    QCOMPARE(result.status, status);
    QVERIFY2(result.out.contains(out), qPrintable(result.out));
    QVERIFY2(result.err.contains(err), qPrintable(result.err));
    if (status == 2) QVERIFY(result.err.contains("lorvant --help"));
}

// Without a session's runtime folder (root on a console): the messages stand alone.
void WedgeCommandsTest::commandLineWithoutRuntimeFolder() {
    for (const QStringList& arguments :
         {QStringList{"--senden"}, QStringList{"-platform", "offscreen", "Data.txt"}}) {
        QProcess process;
        QProcessEnvironment without = environment({});
        without.remove("XDG_RUNTIME_DIR");
        process.setProcessEnvironment(without);
        process.start(programDir_.filePath("lorvant"), arguments);
        QVERIFY(process.waitForFinished(slow));
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(!err.contains("XDG_RUNTIME_DIR"), qPrintable(err));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY2(err.startsWith("lorvant: "), qPrintable(err));
    }
}

// No program: a German message, status 1, and nothing touched.
void WedgeCommandsTest::commandWithoutRunningProgram() {
    for (const QString option : {"--send", "--erase"}) {
        const Run result = run({option});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains("Lorvant läuft nicht; der Befehl " + option),
                 qPrintable(result.err));
    }
    QCOMPARE(fileBytes(programDir_.filePath("LVconfig.ini")), std::string(kSettings));
    QCOMPARE(unit().barcodes.size(), size_t(2));
    QVERIFY(!emulator_.log().contains("->"));  // not one command reached the scanner
}

// The request runs the transfer as the send hotkey would; with no display nothing can be
// typed, so the barcodes stay on the scanner although it is to be cleared afterwards.
void WedgeCommandsTest::sendWithNothingToTypeOnKeepsTheBarcodes() {
    const auto clockBefore = unit().clock;
    QVERIFY(startProgram());
    QCOMPARE(run({"--send"}).status, 0);
    // The clock is set at the end of the transfer, right before the clearing step.
    QTRY_VERIFY_WITH_TIMEOUT(unit().clock != clockBefore, slow);
    QTest::qWait(1000);
    QCOMPARE(unit().barcodes.size(), size_t(2));
    QCOMPARE(program_.state(), QProcess::Running);
}

// As the clear hotkey: at once, while the transfer's message is still open.
void WedgeCommandsTest::eraseEmptiesTheScanner() {
    QCOMPARE(run({"--erase"}).status, 0);
    QTRY_COMPARE_WITH_TIMEOUT(unit().barcodes.size(), size_t(0), slow);
}

// Clients that say nothing, too much, or a word the program does not know: the next
// request still gets through at once.
void WedgeCommandsTest::strayClientsDoNotBlockTheChannel() {
    const QString path = runtimeDir_.filePath("lorvant/lorvant.socket");
    const auto connectRaw = [&path] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(path);
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
    };
    const int silent = connectRaw();
    const int flood = connectRaw();
    QVERIFY(silent >= 0 && flood >= 0);
    const auto closeBoth = qScopeGuard([&] {
        ::close(silent);
        ::close(flood);
    });
    const std::string endless(200, 'x');
    QVERIFY(::send(flood, endless.data(), endless.size(), MSG_NOSIGNAL) > 0);
    // A word the program does not know gets "unknown".
    const int stranger = connectRaw();
    QVERIFY(stranger >= 0);
    QVERIFY(::send(stranger, "bogus\n", 6, MSG_NOSIGNAL) == 6);
    const timeval wait{5, 0};
    for (int fd : {stranger, flood}) ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char answer[16] = {};
    QCOMPARE(::recv(stranger, answer, sizeof answer - 1, MSG_WAITALL), ssize_t(8));
    ::close(stranger);
    QCOMPARE(QByteArray(answer), QByteArray("unknown\n"));
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(run({"--erase"}).status, 0);
    QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
    // The flood was cut off without an answer (its unread bytes make that a reset).
    const ssize_t got = ::recv(flood, answer, sizeof answer, 0);
    QVERIFY2(got == 0 || (got < 0 && errno == ECONNRESET), qPrintable(QString::number(got)));
}

void WedgeCommandsTest::secondStartLeavesTheFirstAlone() {
    const Run second = run({});
    QCOMPARE(second.status, 0);
    QVERIFY2(second.err.contains("Lorvant läuft bereits"), qPrintable(second.err));
    QCOMPARE(program_.state(), QProcess::Running);
}

// A copy killed outright leaves its socket and lock file behind; the next start takes
// them over instead of taking itself for a second copy.
void WedgeCommandsTest::crashedCopyDoesNotBlockTheNext() {
    program_.kill();
    QVERIFY(program_.waitForFinished(5000));
    QVERIFY(QFile::exists(runtimeDir_.filePath("lorvant/lorvant.socket")));
    QVERIFY(QFile::exists(runtimeDir_.filePath("lorvant/lorvant.lock")));
    QVERIFY(startProgram());
    QTest::qWait(500);
    QCOMPARE(program_.state(), QProcess::Running);
    QCOMPARE(run({"--erase"}).status, 0);
    stopProgram();
    QCOMPARE(program_.exitStatus(), QProcess::NormalExit);
    QVERIFY(!QFile::exists(runtimeDir_.filePath("lorvant/lorvant.socket")));
    QCOMPARE(run({"--send"}).status, 1);
}

// A channel folder that others may enter is not used: they could listen in or answer.
void WedgeCommandsTest::folderOpenToOthersIsNotUsed() {
    QTemporaryDir runtime;
    QVERIFY(QDir(runtime.path()).mkdir("lorvant"));
    QVERIFY(openFolderToAll(runtime.filePath("lorvant"), false));
    const Run result = run({"--send"}, runtime.path());
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.contains("für andere zugänglich"), qPrintable(result.err));
}

QTEST_GUILESS_MAIN(WedgeCommandsTest)
#include "test_wedge_commands.moc"
