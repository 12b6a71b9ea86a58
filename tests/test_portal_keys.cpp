// The keys of the desktop portal backends: stored hotkeys as the portal's shortcut
// triggers and back, and the keysym each character is sent as, looked up in real
// keyboard layouts (xkeyboard-config, as compositors load them).
#include <xkbcommon/xkbcommon.h>

#include <QtTest>

#include "platform/portal/keysym_choice.h"
#include "platform/portal/shortcut_trigger.h"

namespace {

std::set<uint32_t> layout(const char* name) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names = {"evdev", "pc105", name, "", ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    std::set<uint32_t> keysyms;
    if (keymap) keysyms = portal::layoutKeysyms(keymap, 0);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return keysyms;
}

// A layout that carries the euro sign under its Unicode keysym, and "a" on its first level.
std::set<uint32_t> unicodeEuroLayout() {
    const char* text = R"(xkb_keymap {
        xkb_keycodes { minimum = 8; maximum = 20; <K1> = 9; <K2> = 10; };
        xkb_types { include "complete" };
        xkb_compatibility { include "complete" };
        xkb_symbols { key <K1> { [ U20AC ] }; key <K2> { [ a, A ] }; };
    };)";
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = xkb_keymap_new_from_string(context, text, XKB_KEYMAP_FORMAT_TEXT_V1,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS);
    std::set<uint32_t> keysyms;
    if (keymap) keysyms = portal::layoutKeysyms(keymap, 0);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return keysyms;
}

constexpr uint32_t kNone = 0;

}  // namespace

class PortalKeysTest : public QObject {
    Q_OBJECT

  private slots:
    void triggerFromTheStoredHotkey_data() {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("virtualKey");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("Alt+Ctrl+S") << 3 << 83 << "CTRL+ALT+s";
        QTest::newRow("Shift+Ctrl+F5") << 6 << 116 << "CTRL+SHIFT+F5";
        QTest::newRow("Alt+7") << 1 << 55 << "ALT+7";
        QTest::newRow("Ctrl+numpad 1") << 2 << 97 << "CTRL+KP_1";
        QTest::newRow("Shift+Alt+punctuation key") << 5 << 188 << "ALT+SHIFT+comma";
        QTest::newRow("F12 without modifiers") << 0 << 123 << "F12";
        QTest::newRow("capture without a key") << 2 << 0 << "";
        QTest::newRow("key without a keysym") << 1 << 255 << "";
    }

    void triggerFromTheStoredHotkey() {
        QFETCH(int, modifiers);
        QFETCH(int, virtualKey);
        QFETCH(QString, trigger);
        QCOMPARE(portal::shortcutTrigger(modifiers, virtualKey), trigger);
    }

    void desktopTextComparedWithTheStoredHotkey_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("same");
        QTest::newRow("as asked") << "CTRL+ALT+s" << true;
        QTest::newRow("KDE's words") << "Ctrl+Alt+S" << true;
        QTest::newRow("German words, other order") << "Alt+Strg+S" << true;
        QTest::newRow("another key") << "Ctrl+Alt+D" << false;
        QTest::newRow("a modifier more") << "Ctrl+Alt+Shift+S" << false;
        QTest::newRow("a modifier less") << "Ctrl+S" << false;
        QTest::newRow("the logo key added") << "Meta+Ctrl+Alt+S" << false;
        QTest::newRow("nothing bound") << "" << false;
    }

    void desktopTextComparedWithTheStoredHotkey() {
        QFETCH(QString, text);
        QFETCH(bool, same);
        QCOMPARE(portal::sameShortcut(text, 3, 83), same);
    }

    void keysymChosenFromTheActiveLayout_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<char>("character");
        QTest::addColumn<uint32_t>("keysym");
        QTest::newRow("de: a") << "de" << 'a' << uint32_t(0x61);
        QTest::newRow("de: umlaut") << "de" << '\xE4' << uint32_t(0xE4);
        QTest::newRow("de: euro") << "de" << '\x80' << uint32_t(XKB_KEY_EuroSign);
        QTest::newRow("de: section sign") << "de" << '\xA7' << uint32_t(0xA7);
        QTest::newRow("de: H-Tab") << "de" << '\t' << uint32_t(XKB_KEY_Tab);
        QTest::newRow("de: V-Tab") << "de" << '\v' << kNone;
        QTest::newRow("de: no Y with diaeresis") << "de" << '\x9F' << kNone;
        QTest::newRow("us: no umlaut") << "us" << '\xE4' << kNone;
        QTest::newRow("us: no section sign") << "us" << '\xA7' << kNone;
        // pc105 keymaps have keys no keyboard carries; a virtual device presses them all.
        QTest::newRow("us: euro on the euro key") << "us" << '\x80' << uint32_t(XKB_KEY_EuroSign);
        QTest::newRow("us: @") << "us" << '@' << uint32_t(0x40);
        QTest::newRow("us: a control character") << "us" << '\x1D' << kNone;
        QTest::newRow("Unicode euro") << "unicode" << '\x80' << uint32_t(0x10020AC);
        QTest::newRow("Unicode layout: a") << "unicode" << 'a' << uint32_t(0x61);
        QTest::newRow("Unicode layout: no b") << "unicode" << 'b' << kNone;
    }

    void keysymChosenFromTheActiveLayout() {
        QFETCH(QString, layout);
        QFETCH(char, character);
        QFETCH(uint32_t, keysym);
        const std::set<uint32_t> keysyms =
            layout == "unicode" ? unicodeEuroLayout() : ::layout(qPrintable(layout));
        QVERIFY(!keysyms.empty());
        const auto chosen = portal::KeysymChoice(keysyms).forCharacter(character);
        QCOMPARE(chosen.value_or(kNone), keysym);
    }

    void terminatorKeys() {
        const portal::KeysymChoice german(layout("de"));
        QCOMPARE(german.forVirtualKey(13).value_or(kNone), uint32_t(XKB_KEY_Return));
        QCOMPARE(german.forVirtualKey(9).value_or(kNone), uint32_t(XKB_KEY_Tab));
        QCOMPARE(german.forVirtualKey(10).value_or(kNone), uint32_t(XKB_KEY_Linefeed));
        QVERIFY(!german.forVirtualKey(11));  // Clear, the vertical tab's keysym
        // Without a known layout, the usual keysyms go out unchecked.
        const portal::KeysymChoice unknown(std::nullopt);
        QCOMPARE(unknown.forVirtualKey(10).value_or(kNone), uint32_t(XKB_KEY_Linefeed));
        QCOMPARE(unknown.forCharacter('\x80').value_or(kNone), uint32_t(XKB_KEY_EuroSign));
        // Control characters no key types are refused, not sent to get lost: the group
        // separator of GS1 codes, and an undefined byte of the code page.
        QVERIFY(!unknown.forCharacter('\x1D'));
        QVERIFY(!unknown.forCharacter('\x81'));
        QVERIFY(!unknown.forCharacter('\x9D'));
    }

    void charactersNamedInMessages() {
        QCOMPARE(portal::characterName('\xA7'), QString("„§“"));
        QCOMPARE(portal::characterName('\x80'), QString("„€“"));
        QCOMPARE(portal::characterName('\v'), QString("V-Tab"));
        QCOMPARE(portal::characterName('\x1D'), QString("Steuerzeichen 29"));
        QCOMPARE(portal::characterName('\x81'), QString("Steuerzeichen 129"));
        QCOMPARE(portal::virtualKeyName(10), QString("LF"));
    }
};

QTEST_MAIN(PortalKeysTest)
#include "test_portal_keys.moc"
