// The keyboard wedge on a desktop that offers hotkeys and typing only through its portal
// (GNOME, KDE): the configuration window and the wedge with the program's own portal
// backends, against the real xdg-desktop-portal front end on a private bus whose desktop
// is a stand-in that records every call; the keyboard layout comes from a headless sway.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

#include "file_helpers.h"
#include "platform/desktop_notifications.h"
#include "platform/portal/desktop_portals.h"
#include "platform/portal/portal_global_hotkeys.h"
#include "platform/portal/portal_keyboard_output.h"
#include "platform/portal/wayland_keymap.h"
#include "platform/wayland/wayland_keyboard_output.h"
#include "platform/wayland_session.h"
#include "portal_test_support.h"
#include "scanner/cs1504_codec.h"
#include "scanner/cs1504_library.h"
#include "shell_fakes.h"
#include "system/program_dir.h"
#include "testing/cs1504_device.h"
#include "testing/memory_transport.h"
#include "testing/message_box_recorder.h"
#include "text/clock.h"
#include "text/date_time_format.h"
#include "text/texts.h"
#include "transfer_windows.h"
#include "ui/message_box.h"
#include "windows/application.h"
#include "windows/keyboard_wedge.h"

namespace {

const std::array<uint8_t, 8> kSerial = {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x60, 0x71};
const char* kKnownScanner = "0a1b2c3d4e5f6071;AB12;Lager\r\n";

// Alt+Ctrl+S sends, Shift+Ctrl+F5 clears; barcode, time and date with H-Tab between them,
// Enter after each line.
const char* kSettings =
    "[ScannerOptions]\r\nPort=0\r\nDataFormat=0\r\n"
    "[SendOptions]\r\nFieldSep=5\r\nRecTerm=0\r\nSendHot=Alt+Ctrl+S\r\nMod=3\r\nV_Key=83\r\n"
    "[ClrOptions]\r\nClrHot=Shift+Ctrl+F5\r\nMod=6\r\nV_key=116\r\n";

// The active layout: the characters of the barcodes, digits, the time and date
// separators, Tab and Return; no "§", no Linefeed.
const QString kLayout = QString::fromUtf8("0123456789:.-KÄSEül\t\n");

const cs1504::StoredBarcode kFirst = {0x03, "4006381333931",
                                      cs1504::packTimeStamp(2026, 12, 6, 14, 5, 9)};
const cs1504::StoredBarcode kSecond = {0x03, "K\xC4SE-\xFCl",
                                       cs1504::packTimeStamp(2026, 1, 31, 7, 0, 59)};

// The transfer's own message, followed by the desktop's reason.
const QString kNotTyped =
    "Die Barcodes konnten nicht vollständig als Tastatureingaben gesendet werden.\nSie bleiben "
    "auf dem Scanner und werden nicht gelöscht.\n\n";

// Where the portal's messages send the user to read how to bind the wedge commands.
QString onWedgePage() {
    return QString(texts::kWedgeCommandsOnPage).arg(texts::kWedgePage);
}

// What the desktop should receive for `text` (Latin-1, as every character here is): each
// character as its keysym pressed and released, Tab and Return as their keys.
QStringList keysymsFor(const QByteArray& text) {
    QStringList calls;
    for (const char c : text) {
        const uint keysym = c == '\t' ? 0xFF09 : c == '\r' ? 0xFF0D : uchar(c);
        calls << QString("Keysym 0x%1 1").arg(keysym, 0, 16)
              << QString("Keysym 0x%1 0").arg(keysym, 0, 16);
    }
    return calls;
}

const QByteArray kTyped =
    "4006381333931\t14:05:09\t06.12.2026\rK\xC4SE-\xFCl\t07:00:59\t31.01.2026\r";

// The backend the session choice made, as the type it must be; null when it is another.
template <class Wanted, class Made>
std::unique_ptr<Wanted> madeAs(std::unique_ptr<Made> made) {
    auto* wanted = dynamic_cast<Wanted*>(made.get());
    if (wanted) made.release();
    return std::unique_ptr<Wanted>(wanted);
}

}  // namespace

class PortalWedgeTest : public QObject {
    Q_OBJECT

  private:
    PortalDesktop desktop_;
    KeymapCompositor compositor_;
    QTemporaryDir dir_;
    cs1504::Device device_;
    std::unique_ptr<MemoryLine> line_;
    std::unique_ptr<Cs1504Library> library_;
    std::unique_ptr<PortalGlobalHotkeys> hotkeys_;
    std::unique_ptr<PortalKeyboardOutput> keyboard_;
    std::unique_ptr<MessageBoxRecorder> boxes_;
    std::unique_ptr<TConfigForm> config_;
    std::unique_ptr<TReceiveForm> receive_;
    std::unique_ptr<TdlgTime> clock_;

    // The windows as the program creates them; they register the hotkeys, which the
    // desktop is asked to bind.
    void createWindows() {
        QVERIFY(putFile(dir_.filePath("LVserial.dat"), kKnownScanner));
        createTransferWindows(config_, receive_, clock_);
        waitForBinding();
    }
    void waitForBinding() {
        QTRY_VERIFY(!hotkeys_->binding());
        QCoreApplication::processEvents();  // a message about the keys comes right after
    }
    int commandsSent(cs1504::Command command) const {
        int count = 0;
        for (const auto& bytes : line_->commands)
            if (!bytes.empty() && bytes[0] == static_cast<uint8_t>(command)) ++count;
        return count;
    }
    QStringList keysyms() const { return desktop_.callsStartingWith("Keysym"); }

  private slots:
    void initTestCase() {
        if (!PortalDesktop::available()) QSKIP("xdg-desktop-portal or dbus-daemon is missing");
        if (!KeymapCompositor::available()) QSKIP("sway or wtype is missing");
        QVERIFY2(desktop_.start(), qPrintable(desktop_.errorText()));
        QVERIFY2(compositor_.start(kLayout), qPrintable(compositor_.errorText()));
        // The session bus is the desktop's only in the last test, made then: nothing may
        // reach for it before.
        setDesktopNotifier([](const QString&, const QString&) {});
    }

    void init() {
        QVERIFY(dir_.isValid());
        setProgramDirectory(dir_.path().toStdString());
        QVERIFY(putFile(dir_.filePath("LVconfig.ini"), kSettings));
        setClock([] { return LocalDateTime{2026, 12, 6, 19, 52, 12, 0}; });
        dateTimeFormat() = DateTimeFormat{};
        device_ = cs1504::Device();
        device_.serialNumber = kSerial;
        device_.setParameter(cs1504::parameter::StoreTimeStamps, 1);
        device_.barcodes = {kFirst, kSecond};
        line_ = std::make_unique<MemoryLine>(device_);
        library_ = std::make_unique<Cs1504Library>(memoryPortOpener(*line_));
        setScannerLibrary(library_.get());
        desktop_.reset();
        hotkeys_ = std::make_unique<PortalGlobalHotkeys>(desktop_.bus());
        setGlobalHotkeys(hotkeys_.get());
        keyboard_ = std::make_unique<PortalKeyboardOutput>(
            desktop_.bus(), WaylandKeymap::open(compositor_.socketPath().constData()));
        keyboard_->setTimeouts(10000, 10000, 0);
        setKeyboardOutput(keyboard_.get());
        boxes_ = std::make_unique<MessageBoxRecorder>();
    }

    void cleanup() {
        destroyTransferWindows(config_, receive_, clock_);
        boxes_.reset();
        setKeyboardOutput(nullptr);
        keyboard_.reset();
        setGlobalHotkeys(nullptr);
        hotkeys_.reset();
        setScannerLibrary(nullptr);
        library_.reset();
        line_.reset();
        setClock({});
    }

    void portalsAreFoundAndOffered() {
        const portal::DesktopPortals offered = portal::probeDesktopPortals(desktop_.bus());
        QVERIFY(offered.globalShortcuts);
        QVERIFY(offered.remoteDesktopKeyboard);
        QVERIFY(portal::openPortalHotkeys(desktop_.bus()));
        QVERIFY(portal::openPortalKeyboard(desktop_.bus(), compositor_.socketPath()));
        // Finding them asks for nothing.
        QCOMPARE(desktop_.calls(), QStringList());
        // A wlroots compositor has its own way to type; GNOME and KDE lack it.
        const QByteArray wayland = compositor_.socketPath();
        QVERIFY(portal::waylandCompositorOffers("zwp_virtual_keyboard_manager_v1", wayland));
        QVERIFY(!portal::waylandCompositorOffers("gtk_shell1", wayland));
    }

    // --- Hotkeys

    void hotkeysAreBoundWithTheStoredTriggersAndRebound() {
        ScriptedScannerLibrary scripted;
        setScannerLibrary(&scripted);
        createWindows();
        scripted.calls.clear();
        QCOMPARE(desktop_.calls(),
                 QStringList({"GlobalShortcuts.CreateSession app=",
                              "GlobalShortcuts.BindShortcuts "
                              "send-barcodes|Lorvant: Barcodes senden|CTRL+ALT+s "
                              "clear-scanner|Lorvant: Scanner löschen|CTRL+SHIFT+F5"}));
        QVERIFY(boxes_->shown().empty());  // the desktop bound what was asked

        // Capturing the send hotkey takes it off; a press of the clear shortcut that the
        // desktop reports after one of the send shortcut shows the send press has arrived.
        QTest::keyClick(config_->SendHotkeyEdit, Qt::Key_F7, Qt::ControlModifier);
        QCOMPARE(config_->SendHotkeyEdit->text(), QString("Ctrl+F7"));
        desktop_.activate("send-barcodes");
        desktop_.activate("clear-scanner");
        QTRY_COMPARE(scripted.calls, std::vector<std::string>{"Erase"});
        QVERIFY(!Wedge->SendTimer.isActive());

        // Closing the configuration window binds both anew, in a new session.
        desktop_.reset();
        config_->show();
        config_->BitBtn1->click();
        waitForBinding();
        QCOMPARE(desktop_.calls(),
                 QStringList({"Session.Close shortcuts", "GlobalShortcuts.CreateSession app=",
                              "GlobalShortcuts.BindShortcuts "
                              "send-barcodes|Lorvant: Barcodes senden|CTRL+F7 "
                              "clear-scanner|Lorvant: Scanner löschen|CTRL+SHIFT+F5"}));
        desktop_.activate("send-barcodes");
        QTRY_VERIFY(Wedge->SendTimer.isActive());
        Wedge->SendTimer.stop();

        // Closed again unchanged, the desktop is not asked again.
        desktop_.reset();
        config_->show();
        config_->BitBtn1->click();
        waitForBinding();
        QCOMPARE(desktop_.calls(), QStringList());
        setScannerLibrary(library_.get());
    }

    void desktopThatBindsOtherKeysOrNoneIsTold_data() {
        QTest::addColumn<QString>("boundTrigger");
        QTest::addColumn<uint>("response");
        QTest::addColumn<QString>("message");
        // The page "KB-Wedge" shows how to bind the wedge commands instead.
        QTest::addColumn<bool>("commandsNote");
        QTest::newRow("same keys in the desktop's words")
            << "Strg+Alt+S" << 0u << QString() << false;
        QTest::newRow("other keys")
            << "Ctrl+Alt+B" << 0u
            << "Der Desktop hat die Tastenkürzel anders belegt als eingestellt:\n"
               "Barcodes senden: Ctrl+Alt+B\nScanner löschen: CTRL+SHIFT+F5\n"
               "Ändern lässt sich das in den Tastatureinstellungen des Desktops."
            << false;
        QTest::newRow("no key") << "" << 0u
                                << "Der Desktop hat die Tastenkürzel anders belegt als "
                                   "eingestellt:\nBarcodes senden: keine Taste\nScanner "
                                   "löschen: CTRL+SHIFT+F5\nÄndern lässt sich das in den "
                                   "Tastatureinstellungen des Desktops.\nOhne Taste helfen die "
                                   "Befehle „lorvant --send“ und „lorvant --erase“ als eigene "
                                   "Tastenkürzel; " +
                                       onWedgePage()
                                << true;
        QTest::newRow("refused")
            << "" << 1u
            << "Der Desktop hat die Tastenkürzel von Lorvant nicht eingerichtet.\n"
               "In den Tastatureinstellungen des Desktops lassen sich eigene Tastenkürzel für "
               "die Befehle „lorvant --send“ (Barcodes senden) und „lorvant --erase“ (Scanner "
               "löschen) anlegen; " +
                   onWedgePage()
            << true;
    }

    void desktopThatBindsOtherKeysOrNoneIsTold() {
        QFETCH(QString, boundTrigger);
        QFETCH(uint, response);
        QFETCH(QString, message);
        QFETCH(bool, commandsNote);
        desktop_.setBoundTrigger("send-barcodes", boundTrigger);
        desktop_.setBindResponse(response);
        createWindows();
        if (message.isEmpty()) {
            QVERIFY(boxes_->shown().empty());
        } else {
            QTRY_COMPARE(boxes_->shown().size(), size_t(1));
            QCOMPARE(boxes_->shown()[0].text, message);
            QCOMPARE(boxes_->shown()[0].icon, QMessageBox::Information);
        }
        // The window was made before the desktop answered; opened now, it tells.
        config_->show();
        QCOMPARE(!config_->WedgeCommandsNote->isHidden(), commandsNote);
    }

    // --- Typing

    void shortcutStartsOneTransferTypedAsKeysyms() {
        createWindows();
        desktop_.reset();
        // Pressed twice within the send delay: one transfer.
        desktop_.activate("send-barcodes");
        desktop_.activate("send-barcodes");
        QTRY_COMPARE(keysyms().size(), keysymsFor(kTyped).size());
        QTest::qWait(700);  // longer than the send delay: a second transfer would start now
        QCOMPARE(commandsSent(cs1504::Command::UploadBarcodes), 1);
        QCOMPARE(desktop_.callsStartingWith("RemoteDesktop"),
                 QStringList({"RemoteDesktop.CreateSession app=",
                              "RemoteDesktop.SelectDevices types=1", "RemoteDesktop.Start"}));
        QCOMPARE(keysyms(), keysymsFor(kTyped));
        QVERIFY(boxes_->shown().empty());
        QCOMPARE(device_.barcodes.size(), size_t(2));  // clearing was not asked for

        // The session stays for the next transfer; the clear shortcut empties the scanner.
        desktop_.reset();
        config_->TransDelCheckBox->setChecked(true);
        Wedge->SendTimerTimer();
        QCOMPARE(keysyms(), keysymsFor(kTyped));
        QCOMPARE(desktop_.callsStartingWith("RemoteDesktop"), QStringList());
        QVERIFY(device_.barcodes.empty());
        device_.barcodes = {kFirst};
        desktop_.activate("clear-scanner");
        QTRY_VERIFY(device_.barcodes.empty());
    }

    void refusedOrEndedPermissionTypesNothingAndKeepsTheBarcodes() {
        createWindows();
        config_->TransDelCheckBox->setChecked(true);
        desktop_.setStartResponse(1);  // the user said no
        Wedge->SendTimerTimer();
        QCOMPARE(keysyms(), QStringList());
        QCOMPARE(device_.barcodes.size(), size_t(2));
        QCOMPARE(boxes_->shown().size(), size_t(1));
        QCOMPARE(boxes_->shown()[0].text,
                 kNotTyped +
                     "Der Desktop hat das Tippen der Barcodes nicht erlaubt. Es wurde nichts "
                     "getippt; " +
                     texts::kDesktopAsksAgain);

        // The next transfer asks again; granted, it types and clears.
        desktop_.setStartResponse(0);
        device_.barcodes = {kFirst};
        Wedge->SendTimerTimer();
        QCOMPARE(keysyms(), keysymsFor("4006381333931\t14:05:09\t06.12.2026\r"));
        QVERIFY(device_.barcodes.empty());

        // The desktop ends the session between two transfers (the user stopped it).
        device_.barcodes = {kFirst, kSecond};
        desktop_.reset();
        desktop_.closeRemoteSession();
        QTRY_VERIFY(!keyboard_->hasSession());
        boxes_->clear();
        Wedge->SendTimerTimer();
        QCOMPARE(keysyms(), QStringList());
        QCOMPARE(device_.barcodes.size(), size_t(2));
        QCOMPARE(boxes_->shown().size(), size_t(1));
        QCOMPARE(boxes_->shown()[0].text,
                 kNotTyped +
                     "Der Desktop hat die Erlaubnis zum Tippen beendet. Es wurde nichts getippt; " +
                     texts::kDesktopAsksAgain);
        Wedge->SendTimerTimer();
        QCOMPARE(desktop_.callsStartingWith("RemoteDesktop.Start").size(), 1);
        QCOMPARE(keysyms(), keysymsFor(kTyped));
        QVERIFY(device_.barcodes.empty());
    }

    void characterTheLayoutLacksTypesNothingAndKeepsTheBarcodes_data() {
        QTest::addColumn<QByteArray>("barcode");
        QTest::addColumn<int>("terminator");
        QTest::addColumn<QString>("missing");
        QTest::newRow("a character") << QByteArray("K\xC4SE\xA7") << 0
                                     << "Die aktive Tastaturbelegung hat keine Taste für das "
                                        "Zeichen „§“; der Desktop würde es nicht tippen.";
        QTest::newRow("the line end") << QByteArray("4006") << 1
                                      << "Die aktive Tastaturbelegung hat keine Taste für das "
                                         "Zeilenende LF; der Desktop würde es nicht tippen.";
    }

    void characterTheLayoutLacksTypesNothingAndKeepsTheBarcodes() {
        QFETCH(QByteArray, barcode);
        QFETCH(int, terminator);
        QFETCH(QString, missing);
        device_.barcodes = {kFirst, {0x03, barcode.toStdString(), kFirst.stamp}};
        createWindows();
        config_->StringTermCombo->setCurrentIndex(terminator);
        config_->TransDelCheckBox->setChecked(true);
        desktop_.reset();
        Wedge->SendTimerTimer();
        // Not even the first barcode, and the desktop was not asked for permission.
        QCOMPARE(desktop_.calls(), QStringList());
        QCOMPARE(device_.barcodes.size(), size_t(2));
        QCOMPARE(boxes_->shown().size(), size_t(1));
        QCOMPARE(boxes_->shown()[0].text, kNotTyped + missing + " Es wurde nichts getippt.");
    }

    // --- The session choice, with the desktop's bus as the session bus

    void waylandSessionChoosesWhatTheDesktopOffers() {
        qputenv("DBUS_SESSION_BUS_ADDRESS", desktop_.address().toUtf8());
        const auto restore = qScopeGuard([] { qputenv("WAYLAND_DISPLAY", ""); });
        // A wlroots compositor (sway here) types through its virtual keyboard; the shortcuts
        // come from the portal wherever it offers them.
        qputenv("WAYLAND_DISPLAY", compositor_.socketPath());
        QVERIFY(madeAs<WaylandKeyboardOutput>(makeWaylandOutput()));
        // Without a compositor's virtual keyboard (GNOME and KDE offer none; here no
        // compositor answers at all) the portal types.
        qputenv("WAYLAND_DISPLAY", QFile::encodeName(dir_.filePath("no-compositor")));
        hotkeys_ = madeAs<PortalGlobalHotkeys>(makeWaylandHotkeys());
        QVERIFY(hotkeys_);
        setGlobalHotkeys(hotkeys_.get());
        keyboard_ = madeAs<PortalKeyboardOutput>(makeWaylandOutput());
        QVERIFY(keyboard_);
        setKeyboardOutput(keyboard_.get());
        // Choosing asks the desktop for nothing (the last test's session may still be closing).
        QCOMPARE(desktop_.callsStartingWith("GlobalShortcuts"), QStringList());
        QCOMPARE(desktop_.callsStartingWith("RemoteDesktop"), QStringList());

        // Together they are the wedge: the shortcut's press types every barcode.
        createWindows();
        QCOMPARE(desktop_.callsStartingWith("GlobalShortcuts.BindShortcuts").size(), 1);
        config_->show();
        QVERIFY(config_->WedgeCommandsNote->isHidden());
        config_->TransDelCheckBox->setChecked(true);
        desktop_.activate("send-barcodes");
        QTRY_VERIFY(device_.barcodes.empty());
        QCOMPARE(keysyms(), keysymsFor(kTyped));
        QVERIFY(boxes_->shown().empty());
    }
};

QTEST_MAIN(PortalWedgeTest)
#include "test_portal_wedge.moc"
