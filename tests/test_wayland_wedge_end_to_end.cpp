// The keyboard wedge on a Wayland desktop as a user meets it: the program itself as a
// native Wayland client on a headless sway of the test's own, the CS1504 emulator on a
// pseudo-terminal as its scanner, a native Wayland terminal focused and recording what it
// receives, and sway's own key bindings running `lorvant --send` and `lorvant --erase`,
// pressed through a virtual keyboard (wtype).
//
// Under root the Wayland processes run as the user nobody (sway refuses root); the
// program runs from a copy in a folder that user owns, and the pseudo-terminal is handed
// to it.
#include <QtTest>

#include "emulator_launcher.h"
#include "file_helpers.h"
#include "sway_session.h"
#include "test_programs.h"
#include "wedge_scans.h"

namespace {

constexpr int slow = 20000;  // ms; only reached when something is broken
// The program's Wayland app_id, from its desktop entry's name.
const QString kProgramAppId = QStringLiteral("org.lorvant.Lorvant");

// Keyboard-wedge mode, barcode, time and date, H-Tab between the columns and Enter after
// each line; the scanner is cleared after a transfer. The hotkeys stay as they were set
// on an X11 desktop; here the bindings below stand in for them.
const char* kSettings =
    "[DataFile]\r\nTransMode=1\r\nFieldSeparator=;\r\n"
    "[ScannerOptions]\r\nPort=0\r\nDataFormat=0\r\nTransDel=1\r\nSynchDateTime=0\r\n"
    "[SendOptions]\r\nFieldSep=5\r\nRecTerm=0\r\nSendHot=Alt+Ctrl+S\r\nMod=3\r\nV_Key=83\r\n"
    "[ClrOptions]\r\nClrHot=Alt+Ctrl+D\r\nMod=3\r\nV_key=68\r\n";
const QStringList kSendBinding = {"-M", "ctrl", "-M", "alt", "s", "-m", "alt", "-m", "ctrl"};
const QStringList kEraseBinding = {"-M", "ctrl", "-M", "alt", "d", "-m", "alt", "-m", "ctrl"};

// Upper and lower case, "!", "@" and "|" (AltGr on a German keyboard), umlauts and "ß"
// that the US layout lacks, "€" (outside Latin-1), a blank, and the receive list's
// delimiter ";" inside a barcode.
const Scan kScans[] = {
    {0x03, "Lorvant-42!", 2026, 3, 12, 8, 14, 37},
    {0x0B, "4006381333931", 2026, 3, 12, 9, 5, 0},
    {0x03, "K\xC4SE;7b@x", 2026, 12, 31, 23, 59, 58},
    {0x03, "\x80 5|\xFC\xDF", 2027, 1, 2, 3, 4, 5},
};

QByteArray expectedBytes() {
    return QByteArray::fromStdString(typedUtf8(kScans));
}

}  // namespace

class WaylandWedgeEndToEndTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanup();
    void commandWithoutRunningProgram();
    void sendBindingTypesEveryBarcode_data();
    void sendBindingTypesEveryBarcode();
    void eraseBindingEmptiesTheScanner();

  private:
    QString program() const { return session_.folder() + "/program/lorvant"; }
    // A fresh emulator holding kScans, and the program on it, its window open and the
    // terminal focused again.
    bool startScannerAndProgram();
    void stopProgram();
    QString diagnosis() const;

    SwaySession session_;
    EmulatorLauncher emulator_;
    QProcess program_;
};

void WaylandWedgeEndToEndTest::initTestCase() {
    if (!SwaySession::available()) QSKIP("sway, foot or wtype is not installed");
    const QString folder = session_.folder() + "/program";
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::copy(LORVANT_PROGRAM, program()));
    QVERIFY(putFile(folder + "/LVconfig.ini", kSettings));
    QVERIFY(putFile(folder + "/LVserial.dat", "0a1b2c3d4e5f6071;WL;Wayland\r\n"));
    QVERIFY(putFile(folder + "/unit.txt", unitFileWith(kScans)));
    for (const QString& path :
         {folder, program(), folder + "/LVconfig.ini", folder + "/LVserial.dat"})
        QVERIFY(session_.giveToUser(path));
    // sway's own bindings run the commands, as a user would bind them.
    QVERIFY2(session_.start({"bindsym Ctrl+Alt+s exec " + program() + " --send",
                             "bindsym Ctrl+Alt+d exec " + program() + " --erase"}),
             qPrintable(session_.error()));
}

void WaylandWedgeEndToEndTest::cleanup() {
    stopProgram();
    emulator_.stop();
}

bool WaylandWedgeEndToEndTest::startScannerAndProgram() {
    if (!emulator_.start({"--data", session_.folder() + "/program/unit.txt", "--fast"}) ||
        !session_.giveToUser(emulator_.portPath()))
        return false;
    QProcessEnvironment environment;
    environment.insert("QT_QPA_PLATFORM", "wayland");
    environment.insert("LORVANT_COM1", emulator_.portPath());
    program_.setProcessChannelMode(QProcess::MergedChannels);
    session_.startAsUser(program_, program(), {}, environment);
    // sway shows the main window although the program starts minimised, and focuses it.
    QDeadlineTimer deadline(slow);
    while (!session_.hasWindow(kProgramAppId) ||
           !QFile::exists(session_.folder() + "/lorvant/lorvant.socket")) {
        if (deadline.hasExpired() || program_.state() == QProcess::NotRunning) return false;
        QTest::qWait(20);
    }
    return session_.focusTarget();
}

void WaylandWedgeEndToEndTest::stopProgram() {
    if (program_.state() == QProcess::NotRunning) return;
    program_.terminate();
    if (!program_.waitForFinished(5000)) program_.kill();
    program_.waitForFinished(5000);
}

QString WaylandWedgeEndToEndTest::diagnosis() const {
    return "focused: " + session_.focusedAppId() +
           "\nreceived: " + QString::fromUtf8(session_.received().toPercentEncoding(" :.;!@|-")) +
           "\nprogram: " + QString::fromLocal8Bit(const_cast<QProcess&>(program_).readAll()) +
           "\nemulator: " + emulator_.log().right(1000);
}

// Nothing runs: the command says so in German, fails, and types nothing.
void WaylandWedgeEndToEndTest::commandWithoutRunningProgram() {
    const QByteArray before = session_.received();
    QByteArray err;
    QCOMPARE(session_.runAsUser(program(), {"--send"}, nullptr, &err), 1);
    QVERIFY2(QString::fromLocal8Bit(err).contains("Lorvant läuft nicht"), err.constData());
    QTest::qWait(200);
    QCOMPARE(session_.received(), before);
}

void WaylandWedgeEndToEndTest::sendBindingTypesEveryBarcode_data() {
    QTest::addColumn<QString>("layout");
    QTest::newRow("German") << "de";
    QTest::newRow("US") << "us";
}

// Whatever the layout: every character arrives as itself, and the scanner is cleared
// once every key went out.
void WaylandWedgeEndToEndTest::sendBindingTypesEveryBarcode() {
    QFETCH(QString, layout);
    QVERIFY(session_.setLayout(layout));
    QVERIFY2(startScannerAndProgram(), qPrintable(diagnosis()));
    const qsizetype start = session_.received().size();
    const QByteArray expected = expectedBytes();
    QVERIFY(session_.pressKeys(kSendBinding));
    QTRY_VERIFY2_WITH_TIMEOUT(session_.received().size() - start >= expected.size(),
                              qPrintable(diagnosis()), slow);
    // The barcode holding the list's delimiter arrives whole.
    QCOMPARE(session_.received().mid(start), expected);
    QTRY_COMPARE_WITH_TIMEOUT(emulator_.storedBarcodes(), 0, slow);
    QCOMPARE(program_.state(), QProcess::Running);
}

// The erase goes through the port the last transfer left open; with clearing after a
// transfer off, that transfer leaves the barcodes on the scanner.
void WaylandWedgeEndToEndTest::eraseBindingEmptiesTheScanner() {
    std::string settings = kSettings;
    settings.replace(settings.find("TransDel=1"), 10, "TransDel=0");
    QVERIFY(putFile(session_.folder() + "/program/LVconfig.ini", settings));
    QVERIFY2(startScannerAndProgram(), qPrintable(diagnosis()));
    const qsizetype start = session_.received().size();
    QVERIFY(session_.pressKeys(kSendBinding));
    QTRY_VERIFY2_WITH_TIMEOUT(session_.received().size() - start >= expectedBytes().size(),
                              qPrintable(diagnosis()), slow);
    QCOMPARE(emulator_.storedBarcodes(), int(std::size(kScans)));
    const QByteArray before = session_.received();
    QVERIFY(session_.pressKeys(kEraseBinding));
    QTRY_COMPARE_WITH_TIMEOUT(emulator_.storedBarcodes(), 0, slow);
    QCOMPARE(session_.received(), before);
}

QTEST_GUILESS_MAIN(WaylandWedgeEndToEndTest)
#include "test_wayland_wedge_end_to_end.moc"
