// The Wayland wedge's own keymap, compiled with xkbcommon as a compositor and its clients
// compile it: every character the wedge can type comes out of its key as itself, without
// a modifier; and the keys a transfer presses, with the characters no client can take.
#include <xkbcommon/xkbcommon.h>

#include <QtTest>
#include <memory>

#include "platform/wayland/virtual_keymap.h"
#include "text/cp1252.h"

using namespace virtualkeys;

namespace {

struct Compiled {
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context{nullptr, xkb_context_unref};
    std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap{nullptr, xkb_keymap_unref};
    std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state{nullptr, xkb_state_unref};
};

// As a compositor does: no include paths, no system keyboard data.
Compiled compile(const std::string& text) {
    Compiled compiled;
    compiled.context.reset(xkb_context_new(XKB_CONTEXT_NO_DEFAULT_INCLUDES));
    compiled.keymap.reset(xkb_keymap_new_from_string(compiled.context.get(), text.c_str(),
                                                     XKB_KEYMAP_FORMAT_TEXT_V1,
                                                     XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (compiled.keymap) compiled.state.reset(xkb_state_new(compiled.keymap.get()));
    return compiled;
}

// What a client makes of a key of the keymap: the character it types.
char32_t typedBy(const Compiled& compiled, uint32_t evdevKey) {
    return xkb_state_key_get_utf32(compiled.state.get(), evdevKey + 8);
}

}  // namespace

class VirtualKeymapTest : public QObject {
    Q_OBJECT

  private slots:
    // Every byte of the code page: typed as itself, or refused when a Wayland client
    // would make no text of it.
    void everyCharacterComesOutAsItself() {
        const Compiled compiled = compile(Keymap::wedge().text());
        QVERIFY(compiled.state);
        int typeable = 0;
        for (int byte = 0; byte <= 0xFF; ++byte) {
            const char32_t c = cp1252::toUnicode(static_cast<unsigned char>(byte));
            TransferKeys keys;
            keys.addCharacter(static_cast<char>(byte));
            const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
            const bool hasKey = !control || c == 8 || c == 9 || c == 10 || c == 11 || c == 13 ||
                                c == 27 || c == 127;
            if (!hasKey) {
                QVERIFY2(keys.keys().empty() && !keys.problem().empty(),
                         qPrintable(QString::number(byte)));
                continue;
            }
            ++typeable;
            QCOMPARE(keys.keys().size(), size_t(1));
            QVERIFY(keys.problem().empty());
            QCOMPARE(uint(typedBy(compiled, keys.keys()[0])), uint(c));
            // One level: no modifier of the user's can change what the key types.
            QCOMPARE(xkb_keymap_num_levels_for_key(compiled.keymap.get(), keys.keys()[0] + 8, 0),
                     1u);
            QVERIFY(keys.keys()[0] + 8 <= 255);
        }
        QCOMPARE(typeable, 225);
        QCOMPARE(Keymap::wedge().keysyms().size(), size_t(typeable));
    }

    // Keys as a line is typed: the characters in order, the separator and terminator keys
    // as the control characters they stand for; a character a client could not take
    // spoils the whole transfer, so none of it is typed.
    void transferKeys() {
        const Compiled compiled = compile(Keymap::wedge().text());
        TransferKeys keys;
        for (const char c : std::string("K\xC4SE;7b@x|\x80\t12:00\v")) keys.addCharacter(c);
        for (const int terminator : {13, 10, 9, 11}) keys.addVirtualKey(terminator);
        std::u32string typed;
        for (const uint32_t key : keys.keys()) typed += typedBy(compiled, key);
        QCOMPARE(typed, std::u32string(U"KÄSE;7b@x|€\t12:00\v\r\n\t\v"));
        QVERIFY(keys.problem().empty());

        keys.addCharacter('\x1D');  // group separator, as some GS1 barcodes hold
        keys.addCharacter('\x01');
        keys.addVirtualKey(27);  // no terminator key
        QVERIFY2(keys.problem().find("Steuerzeichen 29,") != std::string::npos,
                 keys.problem().c_str());
    }
};

QTEST_GUILESS_MAIN(VirtualKeymapTest)
#include "test_virtual_keymap.moc"
