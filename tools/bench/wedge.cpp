// bench-wedge: how fast the Wayland keyboard wedge types, and how soon after the command
// the first key arrives. Not a test: it prints figures.
//
// On a headless sway of its own (tools/sway_session.h), with foot focused and recording:
//  1. typing: 20 000 characters through the program's own Wayland output into the
//     terminal, timed until the last byte is there, and compared byte for byte;
//  2. latency: the program itself on the emulator (unpaced, one barcode), `lorvant --send`
//     started and timed until the terminal gets the first byte; the 500 ms send timer is
//     taken off, the reading of the scanner is shown apart.
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "emulator_launcher.h"
#include "platform/wayland/wayland_keyboard_output.h"
#include "scanner/cs1504_library.h"
#include "sway_session.h"
#include "system/serial_transport.h"
#include "text/cp1252.h"

namespace {

constexpr int kCharacters = 20000;
constexpr int kSendTimerMs = 500;
// The program's Wayland app_id, from its desktop entry's name.
const QString kProgramAppId = QStringLiteral("org.lorvant.Lorvant");

// Letters, digits, punctuation, umlauts and the euro sign, in lines of 40 closed by Return.
std::string benchText() {
    const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-.:;/!@|\xC4\xD6\xDC"
        "\xE4\xF6\xFC\xDF\x80 ";
    std::string text;
    for (int i = 0; int(text.size()) < kCharacters; ++i)
        text += (i % 41 == 40) ? '\r' : alphabet[(i * 7) % alphabet.size()];
    return text;
}

qint64 receivedSize(const SwaySession& session) {
    struct stat status {};
    const QByteArray path = QFile::encodeName(session.folder() + "/received");
    return ::stat(path.constData(), &status) == 0 ? status.st_size : 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Throughput through the program's Wayland output, typing in this process.
bool benchTyping(const SwaySession& session, int runs) {
    const auto environment = session.environment();
    qputenv("WAYLAND_DISPLAY", environment.value("WAYLAND_DISPLAY").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", environment.value("XDG_RUNTIME_DIR").toLocal8Bit());
    const std::string text = benchText();
    std::string expected;
    for (const char c : text) expected += c == '\r' ? "\r" : cp1252::toUtf8(std::string(1, c));
    WaylandKeyboardOutput output;
    for (int run = 1; run <= runs; ++run) {
        const qint64 start = receivedSize(session);
        QElapsedTimer timer;
        timer.start();
        output.beginTransfer(text, {13});
        for (const char c : text) {
            if (c == '\r')
                output.pressVirtualKey(13);
            else
                output.typeCharacter(c);
        }
        if (!output.endTransfer()) {
            std::fprintf(stderr, "typing failed: %s\n", cp1252::toUtf8(output.problem()).c_str());
            return false;
        }
        while (receivedSize(session) - start < qint64(expected.size()) && timer.elapsed() < 60000)
            QThread::usleep(200);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        const QByteArray got = session.received().mid(start);
        const bool exact = got == QByteArray::fromStdString(expected);
        std::printf("typing run %d: %d characters in %.3f s, %.0f characters/s, %s\n", run,
                    int(text.size()), seconds, double(text.size()) / seconds,
                    exact ? "every byte as sent" : "LOST OR CHANGED BYTES");
        if (!exact) return false;
    }
    return true;
}

// Reading one barcode from the unpaced emulator, as the transfer does before typing.
double readingMs(const QString& port) {
    qputenv("LORVANT_COM1", port.toLocal8Bit());
    Cs1504Library library(serialPortOpener());
    QElapsedTimer timer;
    timer.start();
    library.ResetScannerLink();
    if (library.OpenScannerPort(0) != 0) return -1;
    uint8_t value = 0, serial[9], packet[100];
    library.ReadParameter(35, &value, 1);
    const int count = library.CountStoredBarcodes();
    library.ReadSerialNumber(serial, 9);
    for (int i = 0; i < count; ++i) library.FetchBarcode(packet, i, 100);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    library.CloseScannerPort();
    return ms;
}

// The program in a folder of its own in the session, set up for the wedge with one
// registered scanner; every file belongs to the session's user.
QString installProgram(SwaySession& session, const QString& lorvant) {
    const QString folder = session.folder() + "/program";
    QDir().mkpath(folder);
    QFile::copy(lorvant, folder + "/lorvant");
    QFile settings(folder + "/LVconfig.ini");
    settings.open(QIODevice::WriteOnly);
    settings.write(
        "[DataFile]\r\nTransMode=1\r\n[ScannerOptions]\r\nPort=0\r\nDataFormat=3\r\n"
        "TransDel=0\r\nSynchDateTime=0\r\n[SendOptions]\r\nRecTerm=0\r\n");
    settings.close();
    QFile list(folder + "/LVserial.dat");
    list.open(QIODevice::WriteOnly);
    list.write("0a1b2c3d4e5f6071;BN;Bench\r\n");
    list.close();
    for (const QString& path : {folder, folder + "/lorvant", settings.fileName(), list.fileName()})
        session.giveToUser(path);
    return folder;
}

// The time from each `lorvant --send` to the first key in the target, printed per run.
std::vector<double> sendLatencies(SwaySession& session, const QString& folder, int runs) {
    std::vector<double> beyond, delivered;
    for (int run = 1; run <= runs; ++run) {
        const qint64 start = receivedSize(session);
        QElapsedTimer timer;
        timer.start();
        QProcess command;
        session.startAsUser(command, folder + "/lorvant", {"--send"});
        double deliveredMs = -1;
        while (receivedSize(session) == start && timer.elapsed() < 10000) {
            if (deliveredMs < 0 && command.waitForFinished(0))
                deliveredMs = double(timer.nsecsElapsed()) / 1e6;
            QThread::usleep(200);
        }
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        command.waitForFinished(5000);
        beyond.push_back(ms - kSendTimerMs);
        delivered.push_back(deliveredMs);
        std::printf(
            "latency run %d: command to first key %.1f ms, %.1f ms beyond the timer; "
            "the command ended after %.1f ms%s\n",
            run, ms, ms - kSendTimerMs, deliveredMs,
            run == 1 ? " (first transfer: connection, keymap)" : "");
        // Let the line and its Return arrive before the next run.
        QThread::msleep(300);
    }
    std::printf("command delivered after %.1f ms (median)\n", median(delivered));
    return beyond;
}

bool benchLatency(SwaySession& session, const QString& lorvant, int runs) {
    const QString folder = installProgram(session, lorvant);
    EmulatorLauncher emulator;
    if (!emulator.start(
            {"--serial", "0a1b2c3d4e5f6071", "--barcode", "ean13:4006381333931", "--fast"}) ||
        !session.giveToUser(emulator.portPath())) {
        std::fprintf(stderr, "cannot start the emulator\n");
        return false;
    }
    QProcessEnvironment extra;
    extra.insert("QT_QPA_PLATFORM", "wayland");
    extra.insert("LORVANT_COM1", emulator.portPath());
    QProcess program;
    session.startAsUser(program, folder + "/lorvant", {}, extra);
    QElapsedTimer waiting;
    waiting.start();
    while (!session.hasWindow(kProgramAppId) ||
           !QFile::exists(session.folder() + "/lorvant/lorvant.socket")) {
        if (waiting.elapsed() > 20000) return false;
        QThread::msleep(20);
    }
    session.focusTarget();
    const std::vector<double> beyond = sendLatencies(session, folder, runs);
    program.terminate();
    program.waitForFinished(5000);
    std::vector<double> later(beyond.begin() + 1, beyond.end());
    std::printf("latency beyond the timer: first %.1f ms, median of the others %.1f ms\n",
                beyond.front(), later.empty() ? beyond.front() : median(later));
    std::vector<double> reading;
    for (int i = 0; i < 5; ++i) reading.push_back(readingMs(emulator.portPath()));
    std::printf("of which reading the scanner (unpaced emulator, 1 barcode): median %.1f ms\n",
                median(reading));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(2, atoi(argv[1])) : 5;
    if (!SwaySession::available()) {
        std::fprintf(stderr, "sway, foot or wtype is not installed\n");
        return 1;
    }
    SwaySession session;
    if (!session.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(session.error()));
        return 1;
    }
    if (!benchTyping(session, runs)) return 1;
    if (!benchLatency(session, QStringLiteral(LORVANT_PROGRAM), runs * 2)) return 1;
    return 0;
}
