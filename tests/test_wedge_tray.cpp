// The keyboard wedge's tray icon and notifications as a desktop meets them: the program on
// an X server of the test's own, the CS1504 emulator on a pseudo-terminal as its scanner,
// a client window with the keyboard focus that records what it receives, and a session bus
// of the test's own on which the test is the desktop's tray (a StatusNotifierWatcher with a
// host) and its notification service. The icon's menu is used as a tray host uses it,
// through the item's exported menu (com.canonical.dbusmenu).
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QtTest>

#include "emulator_launcher.h"
#include "file_helpers.h"
#include "private_session_bus.h"
#include "program_process.h"
#include "wedge_scans.h"
#include "x11_test_support.h"

namespace {

constexpr int slowX = 20000;  // ms; only reached when something is broken
constexpr char kConnection[] = "lorvant-tray-test";

// Keyboard-wedge mode; the scanner is cleared after a transfer that typed every barcode.
const char* kSettings =
    "[DataFile]\r\nTransMode=1\r\nFieldSeparator=;\r\n"
    "[ScannerOptions]\r\nPort=0\r\nDataFormat=0\r\nTransDel=1\r\nSynchDateTime=0\r\n"
    "[SendOptions]\r\nFieldSep=5\r\nRecTerm=0\r\nSendHot=Alt+Ctrl+S\r\nMod=3\r\nV_Key=83\r\n"
    "[ClrOptions]\r\nClrHot=Alt+Ctrl+D\r\nMod=3\r\nV_key=68\r\n";

const Scan kScans[] = {
    {0x03, "Lorvant-42!", 2026, 3, 12, 8, 14, 37},
    {0x0B, "4006381333931", 2026, 3, 12, 9, 5, 0},
    {0x03, "K\xC4SE;7b@x", 2026, 12, 31, 23, 59, 58},
};

}  // namespace

// The desktop's tray: it has a host, and takes the items that register.
class TrayWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
  public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return items_; }
  public slots:
    void RegisterStatusNotifierItem(const QString& service) { items_ << service; }
    void RegisterStatusNotifierHost(const QString&) {}

  private:
    QStringList items_;
};

// The desktop's notification service: it notes each one as "summary|body".
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    QStringList received;
    QList<uint> replaced;  // the id each one was to replace
    QStringList applications;
  public slots:
    uint Notify(const QString& application, uint replacesId, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int) {
        applications << application;
        replaced << replacesId;
        received << summary + "|" + body;
        return replacesId ? replacesId : uint(100 + received.size());
    }
    QStringList GetCapabilities() { return {"body"}; }
};

class WedgeTrayTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void iconTellsTheWedgeIsReadyAndOffersItsCommands();
    void readingCancelledFromTheMenuTypesNothingAndKeepsTheBarcodes();
    void sendFromTheMenuTypesEveryBarcodeAndTheDesktopSaysSo();

  private:
    struct MenuEntry {
        int id;
        QString label;
        bool visible;
        bool enabled;
    };
    QDBusConnection bus() const { return bus_.connection(kConnection); }
    QDBusMessage callItem(const QString& path, const QString& interface, const QString& method,
                          const QVariantList& arguments);
    QString toolTip();
    // The menu's entries as the tray host shows them, separators left out.
    QList<MenuEntry> menu();
    MenuEntry entry(const QString& label);
    void click(const QString& label);
    QString typedText();
    QString diagnosis();

    XvfbServer server_;
    KeyRecorder recorder_;
    EmulatorLauncher emulator_;
    PrivateSessionBus bus_;
    TrayWatcher watcher_;
    NotificationServer notifications_;
    QTemporaryDir programDir_;
    QTemporaryDir busDir_;
    QTemporaryDir runtimeDir_;
    QProcess program_;
};

void WedgeTrayTest::initTestCase() {
    if (!XvfbServer::available()) QSKIP("Xvfb is not installed");
    if (!PrivateSessionBus::available()) QSKIP("dbus-daemon is not installed");
    xlibInitThreads();
    QVERIFY(server_.start());
    QVERIFY(recorder_.start(server_.display()));
    QVERIFY(server_.setLayout("de"));

    // The tray and the notification service are there before the program starts: it looks
    // for a tray host once.
    QVERIFY(busDir_.isValid());
    QVERIFY2(bus_.start(busDir_.path()), qPrintable(bus_.errorText()));
    const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties;
    QVERIFY(bus().registerObject("/StatusNotifierWatcher", &watcher_, exported));
    QVERIFY(bus().registerService("org.kde.StatusNotifierWatcher"));
    QVERIFY(bus().registerObject("/org/freedesktop/Notifications", &notifications_, exported));
    QVERIFY(bus().registerService("org.freedesktop.Notifications"));

    // The first reading takes long enough for the test to see it and cancel it: the unit
    // wakes up slowly, answering the host's tenth Interrogate only.
    QVERIFY(programDir_.isValid());
    const QString unitPath = programDir_.filePath("unit.txt");
    QVERIFY(putFile(unitPath, unitFileWith(kScans)));
    QVERIFY2(emulator_.start({"--data", unitPath, "--lose-interrogates", "9", "--log"}),
             qPrintable(emulator_.errorText()));

    QVERIFY(putFile(programDir_.filePath("LVconfig.ini"), kSettings));
    QVERIFY(putFile(programDir_.filePath("LVserial.dat"), "0a1b2c3d4e5f6071;E2E;Tray\r\n"));
    auto environment =
        programEnvironment(server_.display(), runtimeDir_.path(), emulator_.portPath());
    environment.remove("XDG_CURRENT_DESKTOP");
    environment.insert("DBUS_SESSION_BUS_ADDRESS", bus_.address());
    QVERIFY(startProgramIn(program_, programDir_.path(), environment));
}

void WedgeTrayTest::cleanupTestCase() {
    QVERIFY2(endProgram(program_), qPrintable(diagnosis()));
    QVERIFY2(emulator_.stop(), qPrintable(emulator_.log().right(2000)));
}

QDBusMessage WedgeTrayTest::callItem(const QString& path, const QString& interface,
                                     const QString& method, const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(watcher_.items().value(0), path, interface, method);
    call.setArguments(arguments);
    // The test's own objects answer the program meanwhile.
    return bus().call(call, QDBus::BlockWithGui, slowX);
}

QString WedgeTrayTest::toolTip() {
    const QDBusMessage reply = callItem("/StatusNotifierItem", "org.freedesktop.DBus.Properties",
                                        "Get", {"org.kde.StatusNotifierItem", "ToolTip"});
    if (reply.type() != QDBusMessage::ReplyMessage) return "(" + reply.errorMessage() + ")";
    // (icon name, [(width, height, pixels)], title, text)
    const auto tip = reply.arguments().value(0).value<QDBusVariant>().variant();
    const QDBusArgument argument = tip.value<QDBusArgument>();
    QString iconName, title, text;
    argument.beginStructure();
    argument >> iconName;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0, height = 0;
        QByteArray pixels;
        argument.beginStructure();
        argument >> width >> height >> pixels;
        argument.endStructure();
    }
    argument.endArray();
    argument >> title >> text;
    argument.endStructure();
    return title;
}

namespace {
// One entry of the menu's layout, (id, properties, [children as variants]), and its children.
void readLayout(const QDBusArgument& argument, QList<QPair<int, QVariantMap>>& entries) {
    int id = 0;
    QVariantMap properties;
    argument.beginStructure();
    argument >> id >> properties;
    entries.append({id, properties});
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        readLayout(child.variant().value<QDBusArgument>(), entries);
    }
    argument.endArray();
    argument.endStructure();
}
}  // namespace

QList<WedgeTrayTest::MenuEntry> WedgeTrayTest::menu() {
    const QDBusMessage reply =
        callItem("/MenuBar", "com.canonical.dbusmenu", "GetLayout", {0, -1, QStringList()});
    QList<MenuEntry> menu;
    if (reply.arguments().size() != 2) return menu;
    QList<QPair<int, QVariantMap>> entries;
    readLayout(reply.arguments()[1].value<QDBusArgument>(), entries);
    for (const auto& [id, properties] : entries) {
        // The root holds the entries; separators have a type.
        if (id == 0 || properties.contains("type")) continue;
        menu.append({id, properties.value("label").toString(),
                     properties.value("visible", true).toBool(),
                     properties.value("enabled", true).toBool()});
    }
    return menu;
}

WedgeTrayTest::MenuEntry WedgeTrayTest::entry(const QString& label) {
    for (const MenuEntry& entry : menu())
        if (entry.label == label) return entry;
    return {-1, label, false, false};
}

void WedgeTrayTest::click(const QString& label) {
    const int id = entry(label).id;
    QVERIFY2(id >= 0, qPrintable(label));
    const QDBusMessage reply =
        callItem("/MenuBar", "com.canonical.dbusmenu", "Event",
                 {id, "clicked", QVariant::fromValue(QDBusVariant(0)), uint(0)});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
}

QString WedgeTrayTest::typedText() {
    QString text;
    for (const RecordedKey& key : recorder_.keys()) text += key.text;
    return text;
}

QString WedgeTrayTest::diagnosis() {
    return "notifications: " + notifications_.received.join(" / ") +
           "\nprogram: " + QString::fromLocal8Bit(program_.readAll()) +
           "\nemulator: " + emulator_.log().right(2000);
}

void WedgeTrayTest::iconTellsTheWedgeIsReadyAndOffersItsCommands() {
    QTRY_VERIFY2_WITH_TIMEOUT(watcher_.items().size() == 1, qPrintable(diagnosis()), slowX);
    QVERIFY(bus().interface()->isServiceRegistered(watcher_.items()[0]));
    QCOMPARE(toolTip(), QString("Lorvant: bereit"));
    QStringList shown, hidden;
    for (const MenuEntry& entry : menu()) {
        (entry.visible ? shown : hidden) << entry.label;
        QVERIFY2(entry.enabled || !entry.visible, qPrintable(entry.label));
    }
    QCOMPARE(shown,
             (QStringList{"Barcodes senden", "Scanner löschen", "Konfiguration …", "Beenden"}));
    QCOMPARE(hidden, QStringList{"Abbrechen"});
    QVERIFY(notifications_.received.isEmpty());
}

// While the scanner is read, the menu offers to cancel and nothing else; cancelled, nothing
// is typed, the scanner keeps every barcode although it is to be cleared after a transfer,
// and the desktop says so.
void WedgeTrayTest::readingCancelledFromTheMenuTypesNothingAndKeepsTheBarcodes() {
    recorder_.clear();
    click("Barcodes senden");
    QTRY_VERIFY2_WITH_TIMEOUT(entry("Abbrechen").visible, qPrintable(diagnosis()), slowX);
    QVERIFY(toolTip().startsWith("Lorvant: liest den Scanner\nScanner wird gelesen, Barcodes: "));
    QVERIFY(!entry("Barcodes senden").enabled);
    QVERIFY(!entry("Beenden").enabled);
    click("Abbrechen");
    QTRY_COMPARE_WITH_TIMEOUT(notifications_.received,
                              QStringList{"Lesen abgebrochen: nichts getippt, nichts gelöscht|"},
                              slowX);
    QCOMPARE(notifications_.applications, QStringList{"Lorvant"});
    QTRY_VERIFY_WITH_TIMEOUT(!entry("Abbrechen").visible, slowX);
    QVERIFY(entry("Barcodes senden").enabled);
    QCOMPARE(toolTip(), QString("Lorvant: bereit\nLesen abgebrochen: nichts getippt, nichts "
                                "gelöscht"));
    QCOMPARE(typedText(), QString());
    QCOMPARE(emulator_.storedBarcodes(), int(std::size(kScans)));
}

// Sent from the menu, every barcode is typed into the window with the focus, the scanner is
// cleared, and the desktop's message replaces the one before.
void WedgeTrayTest::sendFromTheMenuTypesEveryBarcodeAndTheDesktopSaysSo() {
    recorder_.clear();
    click("Barcodes senden");
    const QString expected = QString::fromStdString(typedUtf8(kScans));
    QTRY_VERIFY2_WITH_TIMEOUT(typedText() == expected, qPrintable(typedText() + "\n" + diagnosis()),
                              slowX);
    QTRY_COMPARE_WITH_TIMEOUT(notifications_.received.size(), 2, slowX);
    QCOMPARE(notifications_.received[1], QString("3 Barcodes getippt|"));
    QCOMPARE(notifications_.replaced, (QList<uint>{0, 101}));
    QCOMPARE(toolTip(), QString("Lorvant: bereit\n3 Barcodes getippt"));
    QTRY_COMPARE_WITH_TIMEOUT(emulator_.storedBarcodes(), 0, slowX);
    QCOMPARE(program_.state(), QProcess::Running);
}

QTEST_MAIN(WedgeTrayTest)
#include "test_wedge_tray.moc"
