#include "platform/portal/portal_global_hotkeys.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>

#include "platform/portal/portal_shortcut.h"
#include "platform/portal/shortcut_trigger.h"
#include "text/texts.h"

namespace {

using portal::Shortcut;
using portal::Shortcuts;

constexpr const char* kShortcuts = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* kSession = "org.freedesktop.portal.Session";

// The two hotkeys as shortcuts: the id the desktop keeps, and what its settings show.
struct ShortcutName {
    HotkeyId hotkeyId{};
    const char* id;
    const char* description;
    const char* command;
};
constexpr ShortcutName kNames[] = {
    {kSendHotkeyId, "send-barcodes", "Lorvant: Barcodes senden", "Barcodes senden"},
    {kClearHotkeyId, "clear-scanner", "Lorvant: Scanner löschen", "Scanner löschen"},
};

const ShortcutName* nameOf(HotkeyId hotkeyId) {
    for (const ShortcutName& name : kNames)
        if (name.hotkeyId == hotkeyId) return &name;
    return nullptr;
}

// Where the user finds how to bind the wedge commands.
QString wedgeCommandsOnPage() {
    return QString(texts::kWedgeCommandsOnPage).arg(texts::kWedgePage);
}

void registerTypes() {
    static const bool registered = [] {
        // The bus finds a slot's parameter types by name; this one is named only once used.
        qRegisterMetaType<QDBusObjectPath>();
        qDBusRegisterMetaType<Shortcut>();
        qDBusRegisterMetaType<Shortcuts>();
        return true;
    }();
    (void)registered;
}

}  // namespace

PortalGlobalHotkeys::PortalGlobalHotkeys(QDBusConnection bus) : bus_(std::move(bus)) {
    registerTypes();
    // Both registrations of a start or of closing the configuration window go in one bind.
    bindTimer_.setSingleShot(true);
    bindTimer_.setInterval(0);
    connect(&bindTimer_, &QTimer::timeout, this, &PortalGlobalHotkeys::bind);
    bus_.connect(portal::kService, portal::kPath, kShortcuts, "Activated", this,
                 SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

PortalGlobalHotkeys::~PortalGlobalHotkeys() {
    closeSession();
}

bool PortalGlobalHotkeys::registerHotkey(HotkeyId id, HotkeyModifiers modifiers,
                                         VirtualKey virtualKey) {
    if (!nameOf(id)) return false;
    hotkeys_[id] = {modifiers, virtualKey, true};
    bindTimer_.start();
    return true;
}

void PortalGlobalHotkeys::unregisterHotkey(HotkeyId id) {
    if (auto found = hotkeys_.find(id); found != hotkeys_.end()) found->second.active = false;
}

PortalGlobalHotkeys::Combinations PortalGlobalHotkeys::wanted() const {
    Combinations combinations;
    for (const auto& [id, hotkey] : hotkeys_)
        combinations[id] = {hotkey.modifiers, hotkey.virtualKey};
    return combinations;
}

void PortalGlobalHotkeys::bind() {
    if (busy_) {
        bindAgain_ = true;
        return;
    }
    const Combinations combinations = wanted();
    // Closing the configuration window registers both again; unchanged, the desktop is
    // not asked (it may show the user a dialog each time).
    if (!session_.isEmpty() && combinations == boundWith_) return;
    busy_ = true;
    closeSession();
    const QString token = portal::newToken();
    portal::call(bus_, kShortcuts, "CreateSession", {}, {{"session_handle_token", token}}, this,
                 [this, token, combinations](const portal::Response& response) {
                     created(response, token, combinations);
                 });
}

void PortalGlobalHotkeys::created(const portal::Response& response, const QString& token,
                                  const Combinations& combinations) {
    if (!response.granted()) {
        bound(response, combinations);
        return;
    }
    session_ = portal::pathResult(response.results.value("session_handle"));
    if (session_.isEmpty()) session_ = portal::predictedPath(bus_, "session", token);
    bus_.connect(portal::kService, session_, kSession, "Closed", this,
                 SLOT(onSessionClosed(QDBusMessage)));

    Shortcuts shortcuts;
    for (const auto& [id, combination] : combinations) {
        const ShortcutName* name = nameOf(id);
        QVariantMap properties{{"description", QString::fromUtf8(name->description)}};
        const QString trigger = portal::shortcutTrigger(combination.first, combination.second);
        if (!trigger.isEmpty()) properties["preferred_trigger"] = trigger;
        shortcuts << Shortcut{name->id, properties};
    }
    portal::call(
        bus_, kShortcuts, "BindShortcuts",
        {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString()},
        {}, this,
        [this, combinations](const portal::Response& answer) { bound(answer, combinations); });
}

void PortalGlobalHotkeys::bound(const portal::Response& response,
                                const Combinations& combinations) {
    boundWith_ = combinations;
    if (!response.granted()) {
        keysBound_ = false;
        tellOnce(
            "Der Desktop hat die Tastenkürzel von Lorvant nicht eingerichtet.\n"
            "In den Tastatureinstellungen des Desktops lassen sich eigene Tastenkürzel für die "
            "Befehle „lorvant --send“ (Barcodes senden) und „lorvant --erase“ (Scanner löschen) "
            "anlegen; " +
            wedgeCommandsOnPage());
        finishBind();
        return;
    }
    std::map<QString, QString> triggers;
    for (const Shortcut& shortcut :
         qdbus_cast<Shortcuts>(response.results.value("shortcuts").value<QDBusArgument>()))
        triggers[shortcut.id] = shortcut.properties.value("trigger_description").toString();
    QString list;
    bool asked = true;
    keysBound_ = true;
    for (const auto& [id, combination] : combinations) {
        const ShortcutName* name = nameOf(id);
        const QString trigger = triggers[name->id];
        asked = asked && portal::sameShortcut(trigger, combination.first, combination.second);
        keysBound_ = keysBound_ && !trigger.isEmpty();
        list +=
            QString("\n%1: %2")
                .arg(QString::fromUtf8(name->command), trigger.isEmpty() ? "keine Taste" : trigger);
    }
    if (!asked)
        tellOnce("Der Desktop hat die Tastenkürzel anders belegt als eingestellt:" + list +
                 "\nÄndern lässt sich das in den Tastatureinstellungen des Desktops." +
                 (keysBound_ ? ""
                             : "\nOhne Taste helfen die Befehle „lorvant --send“ und „lorvant "
                               "--erase“ als eigene Tastenkürzel; " +
                                   wedgeCommandsOnPage()));
    finishBind();
}

void PortalGlobalHotkeys::finishBind() {
    busy_ = false;
    if (std::exchange(bindAgain_, false)) bind();
}

void PortalGlobalHotkeys::tellOnce(const QString& text) {
    if (text == told_) return;
    told_ = text;
    // Not from inside the bus's signal delivery: the message the caller shows runs a loop of
    // its own.
    QTimer::singleShot(0, this, [this, text] { tell(text.toStdString()); });
}

void PortalGlobalHotkeys::onActivated(const QDBusObjectPath& session, const QString& shortcutId,
                                      qulonglong, const QVariantMap&) {
    if (session.path() != session_) return;
    for (const ShortcutName& name : kNames) {
        if (shortcutId != name.id) continue;
        const auto found = hotkeys_.find(name.hotkeyId);
        if (found != hotkeys_.end() && found->second.active) notify(name.hotkeyId);
    }
}

void PortalGlobalHotkeys::onSessionClosed(const QDBusMessage& signal) {
    if (signal.path() != session_) return;
    // The desktop ended it; no shortcut arrives until the next registration binds anew.
    bus_.disconnect(portal::kService, session_, kSession, "Closed", this,
                    SLOT(onSessionClosed(QDBusMessage)));
    session_.clear();
    keysBound_ = false;
}

void PortalGlobalHotkeys::closeSession() {
    if (session_.isEmpty()) return;
    bus_.disconnect(portal::kService, session_, kSession, "Closed", this,
                    SLOT(onSessionClosed(QDBusMessage)));
    bus_.send(QDBusMessage::createMethodCall(portal::kService, session_, kSession, "Close"));
    session_.clear();
}
