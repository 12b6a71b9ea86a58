// Typing and hotkeys against a real X server: a private Xvfb, a client window with the
// focus that records what it receives, the German and the US layout.
#include <QtTest>
#include <chrono>
#include <thread>

#include "core/settings.h"
#include "core/transfers.h"
#include "platform/x11/x11_global_hotkeys.h"
#include "platform/x11/x11_keyboard_output.h"
#include "x11_test_support.h"

namespace {

constexpr int slowX = 10000;  // ms; only reached when something is broken

void typeText(KeyboardOutput& output, const std::string& cp1252Text) {
    for (const char c : cp1252Text) output.typeCharacter(c);
}

// A transfer of one text without plain keys.
void typeTransfer(KeyboardOutput& output, const std::string& cp1252Text) {
    output.beginTransfer(cp1252Text, {});
    typeText(output, cp1252Text);
    output.endTransfer();
}

}  // namespace

class X11KeyboardTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanup();
    void typesEachCharacterAsTheLayoutProducesIt_data();
    void typesEachCharacterAsTheLayoutProducesIt();
    void capsLockLeavesTheTextAlone_data();
    void capsLockLeavesTheTextAlone();
    void pacedTransferLeavesItsGapsBetweenTheKeys_data();
    void pacedTransferLeavesItsGapsBetweenTheKeys();
    void waitsUntilTheHotkeyModifiersAreUp();
    void waitsUntilTheHotkeyKeyIsUp();
    void reportsPressedHotkeysWhateverTheLockKeys();
    void unregisteredHotkeyReachesTheFocusedWindow();
    void hotkeysFollowALayoutChange();
    void refusedGrabIsReportedAndNotFatal();
    void captureCodesAreTheWindowsOnes_data();
    void captureCodesAreTheWindowsOnes();

  private:
    QByteArray display() const { return server_.displayName(); }
    unsigned int stateOf(const QString& character);
    // Types a marker and waits for it: every key the server took before has then arrived.
    void waitUntilDelivered(KeyboardOutput& output);

    XvfbServer server_;
    KeyRecorder recorder_;
    std::vector<int> pressed_;
    std::unique_ptr<X11GlobalHotkeys> hotkeys_;
};

void X11KeyboardTest::initTestCase() {
    if (!XvfbServer::available()) QSKIP("Xvfb is not installed");
    xlibInitThreads();
    QVERIFY(server_.start());
    QVERIFY(server_.setLayout("de"));
    QVERIFY(recorder_.start(server_.display()));
    hotkeys_ = X11GlobalHotkeys::open(display().constData());
    QVERIFY(hotkeys_);
    hotkeys_->setHandler([this](int id) { pressed_.push_back(id); });
}

void X11KeyboardTest::cleanup() {
    recorder_.clear();
    pressed_.clear();
}

unsigned int X11KeyboardTest::stateOf(const QString& character) {
    for (const auto& key : recorder_.keys()) {
        if (key.text == character) return key.state;
    }
    return ~0u;
}

void X11KeyboardTest::waitUntilDelivered(KeyboardOutput& output) {
    typeTransfer(output, "#");
    QTRY_VERIFY_WITH_TIMEOUT(recorder_.text().endsWith('#'), slowX);
}

void X11KeyboardTest::typesEachCharacterAsTheLayoutProducesIt_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("layoutHasUmlauts");
    QTest::newRow("German") << "de" << true;
    QTest::newRow("US") << "us" << false;
}

void X11KeyboardTest::typesEachCharacterAsTheLayoutProducesIt() {
    QFETCH(QString, layout);
    QFETCH(bool, layoutHasUmlauts);
    QVERIFY(server_.setLayout(layout));
    auto output = X11KeyboardOutput::open(display().constData());
    QVERIFY(output);

    const std::string text = "Ab9!;/@\\\xC4\xFC\xDF\x80";  // Ä ü ß €
    output->beginTransfer(text + "x", {9, 13, 10, 11});
    // What the layout lacks is on spare keycodes before the first key: the US layout has
    // no umlauts and no Euro sign, neither layout has a key for the vertical tab (Clear).
    QVERIFY(output->hasTemporaryBindings());
    QVERIFY(xlibKeycodeOf(display(), "Clear") != 0);
    QVERIFY(xlibKeycodeOf(display(), "EuroSign") != 0);
    QVERIFY(xlibKeycodeOf(display(), "ssharp") != 0);
    typeText(*output, text);
    output->pressVirtualKey(9);
    output->typeCharacter('x');
    output->pressVirtualKey(13);
    output->pressVirtualKey(10);
    output->pressVirtualKey(11);
    output->endTransfer();

    QTRY_COMPARE_WITH_TIMEOUT(recorder_.text(), QString::fromUtf8("Ab9!;/@\\Äüß€\tx\r\n\v"), slowX);
    const unsigned int shift = xlibModifierMask(display(), "Shift_L");
    const unsigned int altGr = xlibModifierMask(display(), "ISO_Level3_Shift");
    QVERIFY(stateOf("A") & shift);
    QVERIFY(!(stateOf("b") & shift));
    QVERIFY(!(stateOf("9") & shift));
    QVERIFY(stateOf("!") & shift);
    if (layout == "de") {
        QCOMPARE(stateOf(";") & shift, shift);
        QCOMPARE(stateOf("/") & shift, shift);
        QCOMPARE(stateOf("@") & (shift | altGr), altGr);
        QCOMPARE(stateOf("\\") & (shift | altGr), altGr);
        QCOMPARE(stateOf("€") & (shift | altGr), altGr);
        QCOMPARE(stateOf("Ä") & shift, shift);
    } else {
        QCOMPARE(stateOf(";") & shift, 0u);
        QCOMPARE(stateOf("/") & shift, 0u);
        QCOMPARE(stateOf("@") & (shift | altGr), shift);
    }

    // Shortly after the transfer the keymap is as it was.
    QTRY_VERIFY_WITH_TIMEOUT(!output->hasTemporaryBindings(), slowX);
    QCOMPARE(xlibKeycodeOf(display(), "Adiaeresis") != 0, layoutHasUmlauts);
    QCOMPARE(xlibKeycodeOf(display(), "EuroSign") != 0, layoutHasUmlauts);
}

void X11KeyboardTest::capsLockLeavesTheTextAlone_data() {
    typesEachCharacterAsTheLayoutProducesIt_data();
}

void X11KeyboardTest::capsLockLeavesTheTextAlone() {
    QFETCH(QString, layout);
    QVERIFY(server_.setLayout(layout));
    auto output = X11KeyboardOutput::open(display().constData());
    QVERIFY(output);
    QVERIFY(xlibPressKeys(display(), {"Caps_Lock"}));

    typeTransfer(*output, "aB1\xFC");  // ü
    QVERIFY(xlibPressKeys(display(), {"Caps_Lock"}));

    QTRY_COMPARE_WITH_TIMEOUT(recorder_.text(), QString::fromUtf8("aB1ü"), slowX);
}

void X11KeyboardTest::pacedTransferLeavesItsGapsBetweenTheKeys_data() {
    QTest::addColumn<int>("keyPause");
    QTest::addColumn<int>("linePause");
    QTest::newRow("paced") << 30 << 200;
    QTest::newRow("at full speed") << 0 << 0;
}

// The gaps as the focused window sees them, by the server's time of each press: a pause
// taken while the keys before it still waited in the program's buffer would not show.
void X11KeyboardTest::pacedTransferLeavesItsGapsBetweenTheKeys() {
    QFETCH(int, keyPause);
    QFETCH(int, linePause);
    QVERIFY(server_.setLayout("de"));
    auto output = X11KeyboardOutput::open(display().constData());
    QVERIFY(output);
    Settings settings;
    settings.keyPauseMs = keyPause;
    settings.linePauseMs = linePause;
    Reception reception;
    for (const std::vector<std::string>& fields :
         std::vector<std::vector<std::string>>{{"4006381"}, {"A-17", "12:30"}, {"x9"}}) {
        ReceivedRow row;
        row.fields = fields;
        reception.rows.push_back(row);
    }

    QVERIFY(typeReception(reception, settings, *output));
    QTRY_COMPARE_WITH_TIMEOUT(recorder_.text(), QString("4006381\rA-17,12:30\rx9\r"), slowX);
    const std::vector<RecordedKey> keys = recorder_.keys();
    for (size_t i = 1; i < keys.size(); ++i) {
        const uint32_t gap = keys[i].time - keys[i - 1].time;
        const int wanted = keys[i - 1].text == "\r" ? linePause : keyPause;
        QVERIFY2(gap >= uint32_t(wanted), qPrintable(QString("%1 ms before key %2 (%3), %4 wanted")
                                                         .arg(gap)
                                                         .arg(i)
                                                         .arg(keys[i].text)
                                                         .arg(wanted)));
    }
    // Without a pace nothing waits: the whole transfer takes less than one line pause.
    if (linePause == 0) {
        const uint32_t span = keys.back().time - keys.front().time;
        QVERIFY2(span < 200, qPrintable(QString("%1 ms from first to last key").arg(span)));
    }
}

void X11KeyboardTest::waitsUntilTheHotkeyModifiersAreUp() {
    QVERIFY(server_.setLayout("de"));
    auto output = X11KeyboardOutput::open(display().constData());
    QVERIFY(output);
    const unsigned int alt = xlibModifierMask(display(), "Alt_L");
    QVERIFY(alt != 0);

    // The user still holds Alt from the hotkey and lets go a moment later.
    QVERIFY(xlibSetKeyDown(display(), "Alt_L", true));
    std::thread user([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        xlibSetKeyDown(display(), "Alt_L", false);
    });
    typeTransfer(*output, "a");
    user.join();

    QTRY_COMPARE_WITH_TIMEOUT(recorder_.text(), QString("a"), slowX);
    QCOMPARE(stateOf("a") & alt, 0u);
}

void X11KeyboardTest::waitsUntilTheHotkeyKeyIsUp() {
    QVERIFY(server_.setLayout("de"));
    QVERIFY(hotkeys_->registerHotkey(66, 1, 'S'));
    auto output = X11KeyboardOutput::open(display().constData());
    QVERIFY(output);

    // Alt already up, S still down: the hotkey's grab holds the keyboard until S is up,
    // and a key typed before then would go to the grab instead of the focused window.
    QVERIFY(xlibSetKeyDown(display(), "Alt_L", true));
    QVERIFY(xlibSetKeyDown(display(), "s", true));
    QVERIFY(xlibSetKeyDown(display(), "Alt_L", false));
    QTRY_COMPARE_WITH_TIMEOUT(pressed_, std::vector<int>({66}), slowX);
    std::thread user([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        xlibSetKeyDown(display(), "s", false);
    });
    typeTransfer(*output, "a");
    user.join();

    QTRY_COMPARE_WITH_TIMEOUT(recorder_.text(), QString("a"), slowX);
    hotkeys_->unregisterHotkey(66);
}

void X11KeyboardTest::reportsPressedHotkeysWhateverTheLockKeys() {
    QVERIFY(server_.setLayout("de"));
    QVERIFY(hotkeys_->registerHotkey(66, 1, 'S'));
    QVERIFY(hotkeys_->registerHotkey(99, 6, 116));

    QVERIFY(xlibPressKeys(display(), {"Alt_L", "s"}));
    QTRY_COMPARE_WITH_TIMEOUT(pressed_, std::vector<int>({66}), slowX);
    QVERIFY(xlibPressKeys(display(), {"Shift_L", "Control_L", "F5"}));
    QTRY_COMPARE_WITH_TIMEOUT(pressed_, std::vector<int>({66, 99}), slowX);

    QVERIFY(xlibPressKeys(display(), {"Num_Lock"}));
    QVERIFY(xlibPressKeys(display(), {"Alt_L", "s"}));
    QVERIFY(xlibPressKeys(display(), {"Caps_Lock"}));
    QVERIFY(xlibPressKeys(display(), {"Shift_L", "Control_L", "F5"}));
    QVERIFY(xlibPressKeys(display(), {"Num_Lock"}));
    QVERIFY(xlibPressKeys(display(), {"Alt_L", "s"}));
    QVERIFY(xlibPressKeys(display(), {"Caps_Lock"}));
    QTRY_COMPARE_WITH_TIMEOUT(pressed_, std::vector<int>({66, 99, 66, 99, 66}), slowX);

    // A combination with more modifiers is another hotkey.
    QVERIFY(xlibPressKeys(display(), {"Shift_L", "Alt_L", "s"}));
    auto output = X11KeyboardOutput::open(display().constData());
    QVERIFY(output);
    waitUntilDelivered(*output);
    QCOMPARE(pressed_.size(), 5u);
    // The grabbed presses never reached the focused window; the Shift+Alt+S one did.
    QCOMPARE(recorder_.text(), QString("S#"));
}

void X11KeyboardTest::unregisteredHotkeyReachesTheFocusedWindow() {
    QVERIFY(hotkeys_->registerHotkey(66, 1, 'S'));
    QVERIFY(hotkeys_->registerHotkey(99, 6, 116));
    hotkeys_->unregisterHotkey(66);

    QVERIFY(xlibPressKeys(display(), {"Alt_L", "s"}));
    QVERIFY(xlibPressKeys(display(), {"Shift_L", "Control_L", "F5"}));
    QTRY_COMPARE_WITH_TIMEOUT(pressed_, std::vector<int>({99}), slowX);
    QTRY_COMPARE_WITH_TIMEOUT(recorder_.text(), QString("s"), slowX);
}

void X11KeyboardTest::hotkeysFollowALayoutChange() {
    QVERIFY(server_.setLayout("de"));
    const int germanZ = xlibKeycodeOf(display(), "z");
    QVERIFY(hotkeys_->registerHotkey(5, 1, 'Z'));
    QVERIFY(server_.setLayout("us"));
    QVERIFY(xlibKeycodeOf(display(), "z") != germanZ);  // Z and Y swap places

    // The layout change reaches the hotkeys through the event loop; press again until
    // they have moved (a press before that goes to the focused window).
    QTRY_VERIFY_WITH_TIMEOUT(xlibPressKeys(display(), {"Alt_L", "z"}) && !pressed_.empty(), slowX);
    QCOMPARE(pressed_.front(), 5);
    hotkeys_->unregisterHotkey(5);
}

void X11KeyboardTest::refusedGrabIsReportedAndNotFatal() {
    QVERIFY(server_.setLayout("de"));
    QVERIFY(xlibGrabAsOtherClient(display(), "x", 3));
    QVERIFY(!hotkeys_->registerHotkey(7, 3, 'X'));
    QVERIFY(!hotkeys_->registerHotkey(8, 1, 0));  // a capture that ended on no key
    QVERIFY(hotkeys_->registerHotkey(9, 3, 'Y'));

    QVERIFY(xlibPressKeys(display(), {"Control_L", "Alt_L", "y"}));
    QTRY_COMPARE_WITH_TIMEOUT(pressed_, std::vector<int>({9}), slowX);
    xlibReleaseForeignGrabs();
}

void X11KeyboardTest::captureCodesAreTheWindowsOnes_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("keysym");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<int>("virtualKey");
    struct Key {
        const char* name;
        const char* keysym;
        bool shift;
        int virtualKey;
    };
    const Key onBothLayouts[] = {
        {"z", "z", false, 90},           {"Shift+Z", "Z", true, 90},
        {"Shift+1", "1", true, 49},      {"F5", "F5", false, 116},
        {"numpad 1", "KP_1", false, 97}, {"numpad End", "KP_End", false, 35},
        {"comma", "comma", false, 188},  {"Shift+comma", "comma", true, 188},
    };
    for (const char* layout : {"de", "us"}) {
        for (const Key& key : onBothLayouts) {
            QTest::addRow("%s %s", layout, key.name)
                << QString(layout) << QString(key.keysym) << key.shift << key.virtualKey;
        }
    }
    QTest::newRow("de Ä key") << "de"
                              << "Adiaeresis" << false << 222;
    QTest::newRow("de # key") << "de"
                              << "numbersign" << false << 191;
    QTest::newRow("us ' key") << "us"
                              << "apostrophe" << false << 222;
    QTest::newRow("us ; key") << "us"
                              << "semicolon" << false << 186;
}

void X11KeyboardTest::captureCodesAreTheWindowsOnes() {
    QFETCH(QString, layout);
    QFETCH(QString, keysym);
    QFETCH(bool, shift);
    QFETCH(int, virtualKey);
    QVERIFY(server_.setLayout(layout));
    QCOMPARE(xlibCaptureCodeOf(display(), keysym, shift), virtualKey);
}

QTEST_MAIN(X11KeyboardTest)
#include "test_x11_keyboard.moc"
