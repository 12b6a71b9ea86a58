#include "platform/portal/shortcut_trigger.h"

#include <xkbcommon/xkbcommon.h>

#include <QStringList>

#include "platform/x11/x11_keysyms.h"

namespace portal {

namespace {

constexpr int kAlt = 1, kCtrl = 2, kShift = 4, kOther = 8;

// The modifier a token of a desktop's text stands for, in the spellings desktops show.
int modifierOf(const QString& token) {
    const QString name = token.trimmed().toUpper();
    if (name == "CTRL" || name == "CONTROL" || name == "STRG" || name == "PRIMARY") return kCtrl;
    if (name == "ALT" || name == "MOD1") return kAlt;
    if (name == "SHIFT" || name == "UMSCHALT") return kShift;
    if (name == "LOGO" || name == "SUPER" || name == "META" || name == "WIN" || name == "NUM")
        return kOther;
    return 0;
}

// The keysym a key token names: a single character, or a keysym name in any case.
xkb_keysym_t keysymOf(const QString& token) {
    const QList<uint> characters = token.toUcs4();
    if (characters.size() == 1) return xkb_utf32_to_keysym(characters[0]);
    return xkb_keysym_from_name(token.toUtf8().constData(), XKB_KEYSYM_CASE_INSENSITIVE);
}

xkb_keysym_t keysymOfVirtualKey(int virtualKey) {
    return static_cast<xkb_keysym_t>(x11keys::keysymForVirtualKey(virtualKey));
}

}  // namespace

QString shortcutTrigger(int modifiers, int virtualKey) {
    if (virtualKey <= 0) return {};
    char name[64];
    const xkb_keysym_t keysym = keysymOfVirtualKey(virtualKey);
    if (keysym == XKB_KEY_NoSymbol || xkb_keysym_get_name(keysym, name, sizeof name) <= 0)
        return {};
    QString trigger;
    if (modifiers & kCtrl) trigger += "CTRL+";
    if (modifiers & kAlt) trigger += "ALT+";
    if (modifiers & kShift) trigger += "SHIFT+";
    return trigger + QString::fromLatin1(name);
}

bool sameShortcut(const QString& desktopText, int modifiers, int virtualKey) {
    QString text = desktopText.trimmed();
    // "Ctrl++" binds the plus key itself.
    const bool plusKey = text.endsWith("++");
    if (plusKey) text.chop(2);
    QStringList tokens = text.split('+');
    const QString key = plusKey ? QString("+") : tokens.takeLast().trimmed();
    if (key.isEmpty() || virtualKey <= 0) return false;
    int named = 0;
    for (const QString& token : tokens) {
        const int modifier = modifierOf(token);
        if (modifier == 0) return false;
        named |= modifier;
    }
    return named == (modifiers & (kAlt | kCtrl | kShift)) &&
           xkb_keysym_to_lower(keysymOf(key)) ==
               xkb_keysym_to_lower(keysymOfVirtualKey(virtualKey));
}

}  // namespace portal
