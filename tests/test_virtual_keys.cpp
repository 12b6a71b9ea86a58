// Qt key events and keysyms translated to the Windows virtual-key codes that the
// settings file stores.
#include <QtTest>

#include "core/hotkey_capture.h"
#include "platform/virtual_keys.h"
#include "text/cp1252.h"

#if defined(LORVANT_HAVE_X11) || defined(LORVANT_HAVE_WAYLAND)
#include "platform/keysyms.h"
#endif

class VirtualKeysTest : public QObject {
    Q_OBJECT

  private slots:
    void qtKeys_data();
    void qtKeys();
    void keyEventOfTheCaptureField();
#if defined(LORVANT_HAVE_X11) || defined(LORVANT_HAVE_WAYLAND)
    void keysymsOfVirtualKeys();
    void virtualKeysOfUnshiftedSymbols();
    void keysymsOfCharacters();
    void keysymsOfEveryByte();
    void textKeysymsOfEveryByte();
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

#if defined(LORVANT_HAVE_X11) || defined(LORVANT_HAVE_WAYLAND)
void VirtualKeysTest::keysymsOfVirtualKeys() {
    QCOMPARE(keysyms::keysymForVirtualKey('S'), keysyms::Keysym('s'));
    QCOMPARE(keysyms::keysymForVirtualKey('7'), keysyms::Keysym('7'));
    QCOMPARE(keysyms::keysymForVirtualKey(97), keysyms::Keysym(0xFFB1));   // KP_1
    QCOMPARE(keysyms::keysymForVirtualKey(116), keysyms::Keysym(0xFFC2));  // F5
    QCOMPARE(keysyms::keysymForVirtualKey(135), keysyms::Keysym(0xFFD5));  // F24
    QCOMPARE(keysyms::keysymForVirtualKey(33), keysyms::Keysym(0xFF55));   // Prior
    QCOMPARE(keysyms::keysymForVirtualKey(111), keysyms::Keysym(0xFFAF));  // KP_Divide
    QCOMPARE(keysyms::keysymForVirtualKey(187), keysyms::Keysym('+'));
    QCOMPARE(keysyms::keysymForVirtualKey(222), keysyms::Keysym('\''));
    QCOMPARE(keysyms::keysymForVirtualKey(0), keysyms::noSymbol);
    QCOMPARE(keysyms::keysymForVirtualKey(255), keysyms::noSymbol);
    // Every code the capture can store comes back from its keysym.
    for (int code = 33; code <= 123; ++code) {
        const auto keysym = keysyms::keysymForVirtualKey(code);
        if (keysym != keysyms::noSymbol) QCOMPARE(keysyms::virtualKeyForKeysym(keysym), code);
    }
}

void VirtualKeysTest::virtualKeysOfUnshiftedSymbols() {
    QCOMPARE(keysyms::virtualKeyForKeysym('z'), 90);
    QCOMPARE(keysyms::virtualKeyForKeysym('Z'), 90);
    QCOMPARE(keysyms::virtualKeyForKeysym(0xFF9C), 35);  // KP_End: numpad 1, Num Lock off
    // The punctuation keys carry different symbols on US and German keyboards; both
    // give the code Windows gives them.
    QCOMPARE(keysyms::virtualKeyForKeysym(0xE4), 222);  // ä
    QCOMPARE(keysyms::virtualKeyForKeysym('\''), 222);
    QCOMPARE(keysyms::virtualKeyForKeysym(0xF6), 192);  // ö
    QCOMPARE(keysyms::virtualKeyForKeysym('`'), 192);
    QCOMPARE(keysyms::virtualKeyForKeysym('#'), 191);
    QCOMPARE(keysyms::virtualKeyForKeysym('+'), 187);
    QCOMPARE(keysyms::virtualKeyForKeysym('='), 187);
    QCOMPARE(keysyms::virtualKeyForKeysym('<'), 226);
    QCOMPARE(keysyms::virtualKeyForKeysym(0x1000000 + 0x263A), 0);
}

void VirtualKeysTest::keysymsOfCharacters() {
    using Keysyms = std::vector<keysyms::Keysym>;
    QCOMPARE(keysyms::keysymsForCharacter('A'), Keysyms({'A'}));
    QCOMPARE(keysyms::keysymsForCharacter(' '), Keysyms({' '}));
    QCOMPARE(keysyms::keysymsForCharacter('\xC4'), Keysyms({0xC4}));               // Ä
    QCOMPARE(keysyms::keysymsForCharacter('\xDF'), Keysyms({0xDF}));               // ß
    QCOMPARE(keysyms::keysymsForCharacter('\x80'), Keysyms({0x20AC, 0x10020AC}));  // €
    QCOMPARE(keysyms::keysymsForCharacter('\x8A'), Keysyms({0x1A9, 0x1000160}));   // Š
    QCOMPARE(keysyms::keysymsForCharacter('\x9E'), Keysyms({0x1BE, 0x100017E}));   // ž
    QCOMPARE(keysyms::keysymsForCharacter('\x99'), Keysyms({0xAC9, 0x1002122}));   // ™
    QCOMPARE(keysyms::keysymsForCharacter('\x88'), Keysyms({0x10002C6}));  // ˆ, no classic one
    QCOMPARE(keysyms::keysymsForCharacter('\x81'), Keysyms({0x1000081}));  // undefined byte
    QCOMPARE(keysyms::keysymsForCharacter('\t'), Keysyms({0xFF09}));
    QCOMPARE(keysyms::keysymsForCharacter('\v'), Keysyms({0xFF0B}));
    QCOMPARE(keysyms::keysymsForCharacter('\r'), Keysyms({0xFF0D}));
    QCOMPARE(keysyms::keysymsForCharacter('\x7F'), Keysyms({0xFFFF}));
    QCOMPARE(keysyms::keysymsForCharacter('\x1D'), Keysyms({0x100001D}));  // GS of GS1 codes
}

namespace {

// The keysyms X11 and portal wedges have typed every byte as: Latin-1 as its code, the
// control keys at 0xFF00 + the code, Delete, the classic keysyms of the code page's other
// characters, then Unicode keysyms.
std::vector<keysyms::Keysym> expectedKeysyms(int byte) {
    struct Classic {
        int byte;
        keysyms::Keysym keysym;
        char32_t character;
    };
    static constexpr Classic classic[] = {
        {0x80, 0x20AC, U'€'}, {0x82, 0xAFD, U'‚'},  {0x83, 0x8F6, U'ƒ'},  {0x84, 0xAFE, U'„'},
        {0x85, 0xAAE, U'…'},  {0x86, 0xAF1, U'†'},  {0x87, 0xAF2, U'‡'},  {0x89, 0xAD5, U'‰'},
        {0x8A, 0x1A9, U'Š'},  {0x8C, 0x13BC, U'Œ'}, {0x8E, 0x1AE, U'Ž'},  {0x91, 0xAD0, U'‘'},
        {0x92, 0xAD1, U'’'},  {0x93, 0xAD2, U'“'},  {0x94, 0xAD3, U'”'},  {0x95, 0xAE6, U'•'},
        {0x96, 0xAAA, U'–'},  {0x97, 0xAA9, U'—'},  {0x99, 0xAC9, U'™'},  {0x9A, 0x1B9, U'š'},
        {0x9C, 0x13BD, U'œ'}, {0x9E, 0x1BE, U'ž'},  {0x9F, 0x13BE, U'Ÿ'},
    };
    if (byte == 8 || byte == 9 || byte == 10 || byte == 11 || byte == 13 || byte == 27)
        return {keysyms::Keysym(0xFF00 + byte)};
    if (byte == 0x7F) return {0xFFFF};
    if ((byte >= 0x20 && byte < 0x7F) || byte >= 0xA0) return {keysyms::Keysym(byte)};
    for (const Classic& entry : classic) {
        if (entry.byte == byte) return {entry.keysym, 0x01000000 + entry.character};
    }
    return {0x01000000 + cp1252::toUnicode(static_cast<unsigned char>(byte))};
}

}  // namespace

void VirtualKeysTest::keysymsOfEveryByte() {
    for (int byte = 0; byte <= 0xFF; ++byte) {
        QVERIFY2(keysyms::keysymsForCharacter(static_cast<char>(byte)) == expectedKeysyms(byte),
                 qPrintable(QString::number(byte, 16)));
    }
}

// Where a client makes text of the keysym (Wayland): the preferred keysym, and nothing for
// the control characters without a key and the five undefined bytes.
void VirtualKeysTest::textKeysymsOfEveryByte() {
    int typeable = 0;
    for (int byte = 0; byte <= 0xFF; ++byte) {
        const auto keysym = keysyms::textKeysymForCharacter(static_cast<char>(byte));
        const bool undefined =
            byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        const bool controlWithoutKey = byte < 0x20 && expectedKeysyms(byte).front() > 0xFFFF;
        if (undefined || controlWithoutKey) {
            QVERIFY2(!keysym, qPrintable(QString::number(byte, 16)));
            continue;
        }
        ++typeable;
        QVERIFY2(keysym == expectedKeysyms(byte).front(), qPrintable(QString::number(byte, 16)));
    }
    QCOMPARE(typeable, 225);
}

void VirtualKeysTest::terminatorKeysyms() {
    QCOMPARE(keysyms::keysymForPlainKey(13), keysyms::Keysym(0xFF0D));  // Return
    QCOMPARE(keysyms::keysymForPlainKey(9), keysyms::Keysym(0xFF09));   // Tab
    QCOMPARE(keysyms::keysymForPlainKey(10), keysyms::Keysym(0xFF0A));  // Linefeed
    QCOMPARE(keysyms::keysymForPlainKey(11), keysyms::Keysym(0xFF0B));  // Clear
    QCOMPARE(keysyms::keysymForPlainKey(27), keysyms::Keysym(0xFF1B));  // Escape
}
#endif

QTEST_MAIN(VirtualKeysTest)
#include "test_virtual_keys.moc"
