#include "platform/portal/shortcut_trigger.h"

#include <xkbcommon/xkbcommon.h>

#include <QStringList>

#include "platform/keysyms.h"

namespace portal {

namespace {

// What a token of a desktop's text stands for, in the spellings desktops show.
enum class Token { Modifier, OtherModifier, NoModifier };
Token modifierOf(const QString& token, HotkeyModifier& modifier) {
    const QString name = token.trimmed().toUpper();
    if (name == "CTRL" || name == "CONTROL" || name == "STRG" || name == "PRIMARY") {
        modifier = HotkeyModifier::Ctrl;
        return Token::Modifier;
    }
    if (name == "ALT" || name == "MOD1") {
        modifier = HotkeyModifier::Alt;
        return Token::Modifier;
    }
    if (name == "SHIFT" || name == "UMSCHALT") {
        modifier = HotkeyModifier::Shift;
        return Token::Modifier;
    }
    if (name == "LOGO" || name == "SUPER" || name == "META" || name == "WIN" || name == "NUM")
        return Token::OtherModifier;
    return Token::NoModifier;
}

// The keysym a key token names: a single character, or a keysym name in any case.
xkb_keysym_t keysymOf(const QString& token) {
    const QList<uint> characters = token.toUcs4();
    if (characters.size() == 1) return xkb_utf32_to_keysym(characters[0]);
    return xkb_keysym_from_name(token.toUtf8().constData(), XKB_KEYSYM_CASE_INSENSITIVE);
}

xkb_keysym_t keysymOfVirtualKey(VirtualKey virtualKey) {
    return keysyms::keysymForVirtualKey(virtualKey);
}

}  // namespace

QString shortcutTrigger(HotkeyModifiers modifiers, VirtualKey virtualKey) {
    if (virtualKey <= 0) return {};
    char name[64];
    const xkb_keysym_t keysym = keysymOfVirtualKey(virtualKey);
    if (keysym == XKB_KEY_NoSymbol || xkb_keysym_get_name(keysym, name, sizeof name) <= 0)
        return {};
    QString trigger;
    if (modifiers.has(HotkeyModifier::Ctrl)) trigger += "CTRL+";
    if (modifiers.has(HotkeyModifier::Alt)) trigger += "ALT+";
    if (modifiers.has(HotkeyModifier::Shift)) trigger += "SHIFT+";
    return trigger + QString::fromLatin1(name);
}

bool sameShortcut(const QString& desktopText, HotkeyModifiers modifiers, VirtualKey virtualKey) {
    QString text = desktopText.trimmed();
    // "Ctrl++" binds the plus key itself.
    const bool plusKey = text.endsWith("++");
    if (plusKey) text.chop(2);
    QStringList tokens = text.split('+');
    const QString key = plusKey ? QString("+") : tokens.takeLast().trimmed();
    if (key.isEmpty() || virtualKey <= 0) return false;
    HotkeyModifiers named{};
    bool otherModifier = false;
    for (const QString& token : tokens) {
        HotkeyModifier modifier{};
        switch (modifierOf(token, modifier)) {
            case Token::Modifier:
                named = named.with(modifier);
                break;
            case Token::OtherModifier:
                otherModifier = true;
                break;
            case Token::NoModifier:
                return false;
        }
    }
    return !otherModifier && int(named) == int(modifiers.known()) &&
           xkb_keysym_to_lower(keysymOf(key)) ==
               xkb_keysym_to_lower(keysymOfVirtualKey(virtualKey));
}

}  // namespace portal
