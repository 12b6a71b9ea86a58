// The keyboard wedge as a user meets it: the program itself running on an X server of the
// test's own, the CS1504 emulator on a pseudo-terminal as its scanner on COM1, a client
// window with the keyboard focus that records what it receives, and the hotkeys pressed on
// the keyboard through XTEST.
#include <QDeadlineTimer>
#include <QProcess>
#include <QtTest>
#include <functional>

#include "emulator_launcher.h"
#include "file_helpers.h"
#include "program_process.h"
#include "wedge_scans.h"
#include "x11_test_support.h"

namespace {

constexpr int slowX = 20000;  // ms; only reached when something is broken

// The settings file: keyboard-wedge mode (the program starts minimised), barcode, time and
// date, H-Tab between the columns and Enter after each line; Alt+Ctrl+S sends and
// Alt+Ctrl+D clears. The scanner keeps its barcodes after a transfer.
const char* kSettings =
    "[DataFile]\r\nTransMode=1\r\nFieldSeparator=;\r\n"
    "[ScannerOptions]\r\nPort=0\r\nDataFormat=0\r\nTransDel=0\r\nSynchDateTime=0\r\n"
    "[SendOptions]\r\nFieldSep=5\r\nRecTerm=0\r\nSendHot=Alt+Ctrl+S\r\nMod=3\r\nV_Key=83\r\n"
    "[ClrOptions]\r\nClrHot=Alt+Ctrl+D\r\nMod=3\r\nV_key=68\r\n";
const QStringList kSendHotkey = {"Control_L", "Alt_L", "s"};
const QStringList kClearHotkey = {"Control_L", "Alt_L", "d"};

// Upper and lower case, "!", an AltGr character on the German layout, an umlaut that the
// US layout lacks, and the receive list's delimiter ";" inside a barcode.
const Scan kScans[] = {
    {0x03, "Lorvant-42!", 2026, 3, 12, 8, 14, 37},
    {0x0B, "4006381333931", 2026, 3, 12, 9, 5, 0},
    {0x03, "K\xC4SE;7b@x", 2026, 12, 31, 23, 59, 58},
};

QString expectedText() {
    return QString::fromStdString(typedUtf8(kScans));
}

}  // namespace

class WedgeEndToEndTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void sendHotkeyTypesEveryBarcode_data();
    void sendHotkeyTypesEveryBarcode();
    void sendCommandTypesEveryBarcode();
    void clearHotkeyEmptiesTheScanner();

  private:
    bool startProgram();
    // Presses `keys` until the program takes the hotkey (`taken` turns true). A press the
    // program has not grabbed yet (still starting, or moving its grabs to a new layout)
    // reaches the focused window as a Ctrl key instead; then it is pressed again.
    bool pressUntilTaken(const QStringList& keys, const std::function<bool()>& taken);
    // The recorded text without those unanswered hotkey presses.
    QString typedText();
    QString diagnosis();

    XvfbServer server_;
    KeyRecorder recorder_;
    EmulatorLauncher emulator_;
    QTemporaryDir programDir_;
    QTemporaryDir runtimeDir_;  // the program's channel, apart from any other copy's
    QProcess program_;
    unsigned int controlMask_ = 0;
    int unansweredPresses_ = 0;
};

void WedgeEndToEndTest::initTestCase() {
    if (!XvfbServer::available()) QSKIP("Xvfb is not installed");
    xlibInitThreads();
    QVERIFY(server_.start());
    QVERIFY(recorder_.start(server_.display()));
    QVERIFY(server_.setLayout("de"));
    controlMask_ = xlibModifierMask(server_.displayName(), "Control_L");
    QVERIFY(controlMask_ != 0);

    QVERIFY(programDir_.isValid());
    const QString unitPath = programDir_.filePath("unit.txt");
    QVERIFY(putFile(unitPath, unitFileWith(kScans)));
    QVERIFY2(emulator_.start({"--data", unitPath, "--log"}), qPrintable(emulator_.errorText()));
    QVERIFY2(startProgram(), qPrintable(diagnosis()));
}

void WedgeEndToEndTest::cleanupTestCase() {
    // The program ends on the termination signal like closing it; so does the emulator.
    QVERIFY2(endProgram(program_), qPrintable(diagnosis()));
    QVERIFY2(emulator_.stop(), qPrintable(emulator_.log().right(2000)));
}

// The program takes its files from the directory of its executable, so it runs as a copy
// in a folder holding the settings file and the scanner list.
bool WedgeEndToEndTest::startProgram() {
    const QString row = "0a1b2c3d4e5f6071;E2E;Wedge\r\n";
    if (!putFile(programDir_.filePath("LVconfig.ini"), kSettings) ||
        !putFile(programDir_.filePath("LVserial.dat"), row.toStdString()))
        return false;
    return startProgramIn(
        program_, programDir_.path(),
        programEnvironment(server_.display(), runtimeDir_.path(), emulator_.portPath()));
}

bool WedgeEndToEndTest::pressUntilTaken(const QStringList& keys,
                                        const std::function<bool()>& taken) {
    QDeadlineTimer deadline(slowX);
    while (!deadline.hasExpired() && program_.state() == QProcess::Running) {
        const size_t before = recorder_.keys().size();
        if (!xlibPressKeys(server_.displayName(), keys)) return false;
        // Either the program acts on the press, or the focused window reports it.
        while (!deadline.hasExpired() && !taken()) {
            if (recorder_.keys().size() > before) break;
            QTest::qWait(10);
        }
        if (taken()) return true;
        ++unansweredPresses_;
    }
    return false;
}

QString WedgeEndToEndTest::typedText() {
    QString text;
    for (const RecordedKey& key : recorder_.keys()) {
        if (!(key.state & controlMask_)) text += key.text;
    }
    return text;
}

QString WedgeEndToEndTest::diagnosis() {
    return QStringLiteral("%1 presses unanswered, %2 keys recorded\n")
               .arg(unansweredPresses_)
               .arg(recorder_.keys().size()) +
           "program: " + QString::fromLocal8Bit(program_.readAll()) +
           "\nemulator: " + emulator_.log().right(2000);
}

void WedgeEndToEndTest::sendHotkeyTypesEveryBarcode_data() {
    QTest::addColumn<QString>("layout");
    QTest::newRow("German") << "de";
    QTest::newRow("US") << "us";
}

void WedgeEndToEndTest::sendHotkeyTypesEveryBarcode() {
    QFETCH(QString, layout);
    QVERIFY(server_.setLayout(layout));
    recorder_.clear();
    unansweredPresses_ = 0;
    const QString expected = expectedText();

    // The first key typed shows that the program has taken the hotkey.
    QVERIFY2(pressUntilTaken(kSendHotkey, [this] { return !typedText().isEmpty(); }),
             qPrintable(diagnosis()));
    QTRY_COMPARE_WITH_TIMEOUT(typedText(), expected, slowX);
    // Whatever reached the window besides the barcodes was an unanswered hotkey press.
    const int sKey = xlibKeycodeOf(server_.displayName(), "s");
    for (const RecordedKey& key : recorder_.keys()) {
        if (key.state & controlMask_) QCOMPARE(key.keycode, unsigned(sKey));
    }
    // The scanner keeps the barcodes: clearing after a transfer is off.
    QCOMPARE(emulator_.storedBarcodes(), int(std::size(kScans)));
    qInfo("%s: %d hotkey presses went unanswered", qPrintable(layout), unansweredPresses_);
}

// The command a desktop's own keyboard shortcut runs does what the send hotkey does, in an
// X11 session too.
void WedgeEndToEndTest::sendCommandTypesEveryBarcode() {
    recorder_.clear();
    QProcess command;
    command.setProcessEnvironment(program_.processEnvironment());
    command.start(programDir_.filePath("lorvant"), {"--send"});
    QVERIFY(command.waitForFinished(slowX));
    QCOMPARE(command.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(typedText(), expectedText(), slowX);
}

void WedgeEndToEndTest::clearHotkeyEmptiesTheScanner() {
    QCOMPARE(emulator_.storedBarcodes(), int(std::size(kScans)));
    recorder_.clear();
    QVERIFY2(pressUntilTaken(kClearHotkey, [this] { return emulator_.storedBarcodes() == 0; }),
             qPrintable(diagnosis()));
    QCOMPARE(typedText(), QString());
    QCOMPARE(program_.state(), QProcess::Running);
}

QTEST_MAIN(WedgeEndToEndTest)
#include "test_wedge_end_to_end.moc"
