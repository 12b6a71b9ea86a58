// Qt key events and X keysyms translated to the Windows virtual-key codes that the
// settings file stores.
#include <QtTest>

#include "platform/virtual_keys.h"
#include "transfer/hotkey_capture.h"

#if defined(LORVANT_HAVE_X11)
#include "platform/x11/x11_keysyms.h"
#endif

class VirtualKeysTest : public QObject {
    Q_OBJECT

  private slots:
    void qtKeys_data();
    void qtKeys();
    void keyEventOfTheCaptureField();
#if defined(LORVANT_HAVE_X11)
    void keysymsOfVirtualKeys();
    void virtualKeysOfUnshiftedSymbols();
    void keysymsOfCharacters();
    void terminatorKeysyms();
#endif
};

void VirtualKeysTest::qtKeys_data() {
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("virtualKey");
    QTest::newRow("A") << int(Qt::Key_A) << false << 65;
    QTest::newRow("Z") << int(Qt::Key_Z) << false << 90;
    QTest::newRow("0") << int(Qt::Key_0) << false << 48;
    QTest::newRow("9") << int(Qt::Key_9) << false << 57;
    QTest::newRow("numpad 0") << int(Qt::Key_0) << true << 96;
    QTest::newRow("numpad 1") << int(Qt::Key_1) << true << 97;
    QTest::newRow("numpad 9") << int(Qt::Key_9) << true << 105;
    QTest::newRow("numpad *") << int(Qt::Key_Asterisk) << true << 106;
    QTest::newRow("numpad +") << int(Qt::Key_Plus) << true << 107;
    QTest::newRow("numpad -") << int(Qt::Key_Minus) << true << 109;
    QTest::newRow("numpad .") << int(Qt::Key_Period) << true << 110;
    QTest::newRow("German numpad ,") << int(Qt::Key_Comma) << true << 110;
    QTest::newRow("numpad /") << int(Qt::Key_Slash) << true << 111;
    QTest::newRow("numpad Enter") << int(Qt::Key_Enter) << true << 13;
    QTest::newRow("numpad End, Num Lock off") << int(Qt::Key_End) << true << 35;
    QTest::newRow("F1") << int(Qt::Key_F1) << false << 112;
    QTest::newRow("F12") << int(Qt::Key_F12) << false << 123;
    QTest::newRow("F13") << int(Qt::Key_F13) << false << 124;
    QTest::newRow("F24") << int(Qt::Key_F24) << false << 135;
    QTest::newRow("Space") << int(Qt::Key_Space) << false << 32;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << false << 33;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << false << 34;
    QTest::newRow("End") << int(Qt::Key_End) << false << 35;
    QTest::newRow("Home") << int(Qt::Key_Home) << false << 36;
    QTest::newRow("Left") << int(Qt::Key_Left) << false << 37;
    QTest::newRow("Up") << int(Qt::Key_Up) << false << 38;
    QTest::newRow("Right") << int(Qt::Key_Right) << false << 39;
    QTest::newRow("Down") << int(Qt::Key_Down) << false << 40;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << false << 45;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << false << 46;
    QTest::newRow("Return") << int(Qt::Key_Return) << false << 13;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << false << 9;
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << false << 9;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << false << 27;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << false << 8;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << false << 16;
    QTest::newRow("Ctrl") << int(Qt::Key_Control) << false << 17;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << false << 18;
    QTest::newRow(";") << int(Qt::Key_Semicolon) << false << 186;
    QTest::newRow("=") << int(Qt::Key_Equal) << false << 187;
    QTest::newRow(",") << int(Qt::Key_Comma) << false << 188;
    QTest::newRow("-") << int(Qt::Key_Minus) << false << 189;
    QTest::newRow(".") << int(Qt::Key_Period) << false << 190;
    QTest::newRow("/") << int(Qt::Key_Slash) << false << 191;
    QTest::newRow("`") << int(Qt::Key_QuoteLeft) << false << 192;
    QTest::newRow("[") << int(Qt::Key_BracketLeft) << false << 219;
    QTest::newRow("\\") << int(Qt::Key_Backslash) << false << 220;
    QTest::newRow("]") << int(Qt::Key_BracketRight) << false << 221;
    QTest::newRow("'") << int(Qt::Key_Apostrophe) << false << 222;
    QTest::newRow("German Ä key") << int(Qt::Key_Adiaeresis) << false << 222;
    QTest::newRow("German < key") << int(Qt::Key_Less) << false << 226;
    QTest::newRow("Shift+1 on US is the 1 key") << int(Qt::Key_Exclam) << false << 49;
    QTest::newRow("no code") << int(Qt::Key_MediaPlay) << false << 0;
}

void VirtualKeysTest::qtKeys() {
    QFETCH(int, qtKey);
    QFETCH(bool, keypad);
    QFETCH(int, virtualKey);
    QCOMPARE(virtualKeyForQtKey(qtKey, keypad), virtualKey);
}

void VirtualKeysTest::keyEventOfTheCaptureField() {
    // What the capture field receives for Ctrl + numpad 1, translated and captured.
    const QKeyEvent numpadOne(QEvent::KeyPress, Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier,
                              "1");
    const int virtualKey = virtualKeyFromKeyEvent(numpadOne);
    QCOMPARE(virtualKey, 97);
    const HotkeyCapture capture = captureHotkey(virtualKey, false, false, true);
    QCOMPARE(capture.text, std::string("Ctrl+a"));
    QCOMPARE(capture.key, 97);

    const QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(virtualKeyFromKeyEvent(f5), 116);
}

#if defined(LORVANT_HAVE_X11)
void VirtualKeysTest::keysymsOfVirtualKeys() {
    QCOMPARE(x11keys::keysymForVirtualKey('S'), x11keys::Keysym('s'));
    QCOMPARE(x11keys::keysymForVirtualKey('7'), x11keys::Keysym('7'));
    QCOMPARE(x11keys::keysymForVirtualKey(97), x11keys::Keysym(0xFFB1));   // KP_1
    QCOMPARE(x11keys::keysymForVirtualKey(116), x11keys::Keysym(0xFFC2));  // F5
    QCOMPARE(x11keys::keysymForVirtualKey(135), x11keys::Keysym(0xFFD5));  // F24
    QCOMPARE(x11keys::keysymForVirtualKey(33), x11keys::Keysym(0xFF55));   // Prior
    QCOMPARE(x11keys::keysymForVirtualKey(111), x11keys::Keysym(0xFFAF));  // KP_Divide
    QCOMPARE(x11keys::keysymForVirtualKey(187), x11keys::Keysym('+'));
    QCOMPARE(x11keys::keysymForVirtualKey(222), x11keys::Keysym('\''));
    QCOMPARE(x11keys::keysymForVirtualKey(0), x11keys::noSymbol);
    QCOMPARE(x11keys::keysymForVirtualKey(255), x11keys::noSymbol);
    // Every code the capture can store comes back from its keysym.
    for (int code = 33; code <= 123; ++code) {
        const auto keysym = x11keys::keysymForVirtualKey(code);
        if (keysym != x11keys::noSymbol) QCOMPARE(x11keys::virtualKeyForKeysym(keysym), code);
    }
}

void VirtualKeysTest::virtualKeysOfUnshiftedSymbols() {
    QCOMPARE(x11keys::virtualKeyForKeysym('z'), 90);
    QCOMPARE(x11keys::virtualKeyForKeysym('Z'), 90);
    QCOMPARE(x11keys::virtualKeyForKeysym(0xFF9C), 35);  // KP_End: numpad 1, Num Lock off
    // The punctuation keys carry different symbols on US and German keyboards; both
    // give the code Windows gives them.
    QCOMPARE(x11keys::virtualKeyForKeysym(0xE4), 222);  // ä
    QCOMPARE(x11keys::virtualKeyForKeysym('\''), 222);
    QCOMPARE(x11keys::virtualKeyForKeysym(0xF6), 192);  // ö
    QCOMPARE(x11keys::virtualKeyForKeysym('`'), 192);
    QCOMPARE(x11keys::virtualKeyForKeysym('#'), 191);
    QCOMPARE(x11keys::virtualKeyForKeysym('+'), 187);
    QCOMPARE(x11keys::virtualKeyForKeysym('='), 187);
    QCOMPARE(x11keys::virtualKeyForKeysym('<'), 226);
    QCOMPARE(x11keys::virtualKeyForKeysym(0x1000000 + 0x263A), 0);
}

void VirtualKeysTest::keysymsOfCharacters() {
    using Keysyms = std::vector<x11keys::Keysym>;
    QCOMPARE(x11keys::keysymsForCharacter('A'), Keysyms({'A'}));
    QCOMPARE(x11keys::keysymsForCharacter(' '), Keysyms({' '}));
    QCOMPARE(x11keys::keysymsForCharacter('\xC4'), Keysyms({0xC4}));               // Ä
    QCOMPARE(x11keys::keysymsForCharacter('\xDF'), Keysyms({0xDF}));               // ß
    QCOMPARE(x11keys::keysymsForCharacter('\x80'), Keysyms({0x20AC, 0x10020AC}));  // €
    QCOMPARE(x11keys::keysymsForCharacter('\x8A'), Keysyms({0x1A9, 0x1000160}));   // Š
    QCOMPARE(x11keys::keysymsForCharacter('\x9E'), Keysyms({0x1BE, 0x100017E}));   // ž
    QCOMPARE(x11keys::keysymsForCharacter('\x99'), Keysyms({0xAC9, 0x1002122}));   // ™
    QCOMPARE(x11keys::keysymsForCharacter('\x88'), Keysyms({0x10002C6}));  // ˆ, no classic one
    QCOMPARE(x11keys::keysymsForCharacter('\x81'), Keysyms({0x1000081}));  // undefined byte
    QCOMPARE(x11keys::keysymsForCharacter('\t'), Keysyms({0xFF09}));
    QCOMPARE(x11keys::keysymsForCharacter('\v'), Keysyms({0xFF0B}));
    QCOMPARE(x11keys::keysymsForCharacter('\r'), Keysyms({0xFF0D}));
    QCOMPARE(x11keys::keysymsForCharacter('\x7F'), Keysyms({0xFFFF}));
    QCOMPARE(x11keys::keysymsForCharacter('\x1D'), Keysyms({0x100001D}));  // GS of GS1 codes
}

void VirtualKeysTest::terminatorKeysyms() {
    QCOMPARE(x11keys::keysymForPlainKey(13), x11keys::Keysym(0xFF0D));  // Return
    QCOMPARE(x11keys::keysymForPlainKey(9), x11keys::Keysym(0xFF09));   // Tab
    QCOMPARE(x11keys::keysymForPlainKey(10), x11keys::Keysym(0xFF0A));  // Linefeed
    QCOMPARE(x11keys::keysymForPlainKey(11), x11keys::Keysym(0xFF0B));  // Clear
    QCOMPARE(x11keys::keysymForPlainKey(27), x11keys::Keysym(0xFF1B));  // Escape
}
#endif

QTEST_MAIN(VirtualKeysTest)
#include "test_virtual_keys.moc"
