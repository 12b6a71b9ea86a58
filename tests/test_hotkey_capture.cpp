// Capturing a hotkey from one key-down, and the recording hotkey backend the forms are
// tested with.
#include <QtTest>

#include "core/hotkey_capture.h"
#include "platform/recording/recording_hotkeys.h"

class HotkeyCaptureTest : public QObject {
    Q_OBJECT

  private slots:
    void capture_data();
    void capture();
    void eachKeyDownStartsAfresh();
    void recordsRegistrationsInOrder();
    void pressReportsTheRegisteredId();
    void refusedRegistrationIsNotActive();
    void storedNumbersStayAsTheyAre();
};

// LVconfig.ini keeps these numbers, and the Windows hotkey registration takes them as they
// are: a settings file written before must mean the same hotkeys.
void HotkeyCaptureTest::storedNumbersStayAsTheyAre() {
    QCOMPARE(int(kSendHotkeyId), 66);
    QCOMPARE(int(kClearHotkeyId), 99);
    const HotkeyModifiers ctrlShift(6);
    QVERIFY(ctrlShift.has(HotkeyModifier::Ctrl));
    QVERIFY(ctrlShift.has(HotkeyModifier::Shift));
    QVERIFY(!ctrlShift.has(HotkeyModifier::Alt));
    QCOMPARE(int(HotkeyModifiers(HotkeyModifier::Alt)), 1);
    // Bits beyond the three name no modifier (a hand-edited file).
    QCOMPARE(int(HotkeyModifiers(8 | 1).known()), 1);
    QCOMPARE(int(vk::Return), 13);
    QCOMPARE(int(vk::Tab), 9);
    QCOMPARE(int(vk::function(12)), 123);
    QCOMPARE(int(vk::numpadDigit(1)), 97);
}

void HotkeyCaptureTest::capture_data() {
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("alt");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("key");

    QTest::newRow("S alone becomes Alt+S") << 83 << false << false << false << "Alt+S" << 1 << 83;
    QTest::newRow("Shift+Ctrl+F5") << 116 << true << false << true << "Shift+Ctrl+F5" << 6 << 116;
    QTest::newRow("Ctrl alone") << 17 << false << false << true << "Ctrl+" << 2 << 0;
    QTest::newRow("Space is no hotkey key") << 32 << false << false << true << "Ctrl+" << 2 << 0;
    QTest::newRow("F13 is no hotkey key") << 124 << false << false << true << "Ctrl+" << 2 << 0;
    QTest::newRow("numpad 1 reads as a") << 97 << false << false << true << "Ctrl+a" << 2 << 97;
    QTest::newRow("Ctrl+Alt+S in fixed order")
        << 83 << false << true << true << "Alt+Ctrl+S" << 3 << 83;
    QTest::newRow("all three modifiers")
        << 48 << true << true << true << "Shift+Alt+Ctrl+0" << 7 << 48;
    QTest::newRow("Shift+1") << 49 << true << false << false << "Shift+1" << 4 << 49;
    QTest::newRow("Alt held") << 90 << false << true << false << "Alt+Z" << 1 << 90;
    QTest::newRow("Page Up opens the range") << 33 << false << true << false << "Alt+!" << 1 << 33;
    QTest::newRow("numpad / closes it") << 111 << false << true << false << "Alt+o" << 1 << 111;
    QTest::newRow("F1") << 112 << false << false << true << "Ctrl+F1" << 2 << 112;
    QTest::newRow("F12") << 123 << true << false << false << "Shift+F12" << 4 << 123;
    QTest::newRow("Shift key alone") << 16 << true << false << false << "Shift+" << 4 << 0;
    QTest::newRow("Escape") << 27 << false << false << false << "Alt+" << 1 << 0;
    QTest::newRow("OEM key") << 186 << false << false << true << "Ctrl+" << 2 << 0;
}

void HotkeyCaptureTest::capture() {
    QFETCH(int, virtualKey);
    QFETCH(bool, shift);
    QFETCH(bool, alt);
    QFETCH(bool, ctrl);
    QFETCH(QString, text);
    QFETCH(int, modifiers);
    QFETCH(int, key);

    const HotkeyCapture capture = captureHotkey(virtualKey, shift, alt, ctrl);
    QCOMPARE(QString::fromStdString(capture.text), text);
    QCOMPARE(capture.modifiers, modifiers);
    QCOMPARE(capture.key, key);
}

void HotkeyCaptureTest::eachKeyDownStartsAfresh() {
    // Holding Ctrl and then pressing S: first "Ctrl+", then "Ctrl+S", nothing carried over.
    const HotkeyCapture first = captureHotkey(17, false, false, true);
    const HotkeyCapture second = captureHotkey(83, false, false, true);
    QCOMPARE(first.text, std::string("Ctrl+"));
    QCOMPARE(second.text, std::string("Ctrl+S"));
    QCOMPARE(second.modifiers, 2);
    QCOMPARE(second.key, 83);
}

void HotkeyCaptureTest::recordsRegistrationsInOrder() {
    RecordingHotkeys hotkeys;
    QVERIFY(hotkeys.registerHotkey(66, 1, 83));
    hotkeys.unregisterHotkey(66);
    QVERIFY(hotkeys.registerHotkey(99, 6, 116));

    using Call = RecordingHotkeys::Call;
    const std::vector<Call> expected = {
        {Call::Register, 66, 1, 83}, {Call::Unregister, 66, 0, 0}, {Call::Register, 99, 6, 116}};
    QVERIFY(hotkeys.calls() == expected);
    QVERIFY(!hotkeys.registered(66));
    QVERIFY(hotkeys.registered(99) == (RecordingHotkeys::Hotkey{6, 116}));
}

void HotkeyCaptureTest::pressReportsTheRegisteredId() {
    RecordingHotkeys hotkeys;
    std::vector<int> ids;
    hotkeys.setHandler([&ids](int id) { ids.push_back(id); });
    hotkeys.registerHotkey(66, 1, 83);
    hotkeys.registerHotkey(99, 6, 116);
    hotkeys.registerHotkey(66, 2, 83);  // registering again replaces the combination

    QVERIFY(!hotkeys.press(1, 83));
    QVERIFY(hotkeys.press(2, 83));
    QVERIFY(hotkeys.press(6, 116));
    hotkeys.pressId(42);
    QCOMPARE(ids, std::vector<int>({66, 99, 42}));
}

void HotkeyCaptureTest::refusedRegistrationIsNotActive() {
    RecordingHotkeys hotkeys;
    hotkeys.setRefuseRegistrations(true);
    QVERIFY(!hotkeys.registerHotkey(66, 1, 83));
    QCOMPARE(hotkeys.calls().size(), 1u);
    QVERIFY(!hotkeys.registered(66));
    QVERIFY(!hotkeys.press(1, 83));
}

QTEST_APPLESS_MAIN(HotkeyCaptureTest)
#include "test_hotkey_capture.moc"
