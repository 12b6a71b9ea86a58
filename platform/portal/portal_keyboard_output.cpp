#include "platform/portal/portal_keyboard_output.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QEventLoop>
#include <QSaveFile>
#include <QTimer>
#include <utility>

#include "platform/portal/portal_request.h"
#include "platform/portal/wayland_keymap.h"
#include "text/cp1252.h"
#include "text/texts.h"

namespace {

constexpr const char* kRemoteDesktop = "org.freedesktop.portal.RemoteDesktop";
constexpr const char* kSession = "org.freedesktop.portal.Session";
constexpr uint kKeyboard = 1;        // device type
constexpr uint kPersistForever = 2;  // persist_mode: until the user revokes it

const char* kNothingTyped = "Es wurde nichts getippt";

// Where the desktop's permission is kept between runs, for portals that can remember it
// (RemoteDesktop version 2 and later): a token only this user may read.
QString restoreTokenFile() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) state = QDir::homePath() + "/.local/state";
    return state + "/lorvant/remote-desktop-token";
}

QString readRestoreToken() {
    QFile file(restoreTokenFile());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

void writeRestoreToken(const QString& token) {
    const QString folder = QFileInfo(restoreTokenFile()).path();
    QDir().mkpath(folder);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QSaveFile file(restoreTokenFile());
    if (!file.open(QIODevice::WriteOnly)) return;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(token.toUtf8());
    file.commit();
}

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

PortalKeyboardOutput::PortalKeyboardOutput(QDBusConnection bus,
                                           std::unique_ptr<WaylandKeymap> keymap)
    : bus_(std::move(bus)), keymap_(std::move(keymap)) {}

PortalKeyboardOutput::~PortalKeyboardOutput() {
    closeSession();
}

void PortalKeyboardOutput::setTimeouts(int callMs, int permissionMs, int settleMs) {
    callTimeoutMs_ = callMs;
    permissionTimeoutMs_ = permissionMs;
    settleMs_ = settleMs;
}

void PortalKeyboardOutput::beginTransfer(std::string_view cp1252Characters,
                                         const std::vector<VirtualKey>& virtualKeys) {
    failure_.clear();
    // An end of the session is told with this transfer; the next one asks the desktop again.
    const bool closed = std::exchange(closedByDesktop_, false);
    // The layout first: a transfer that cannot be typed needs no permission.
    if (!checkLayout(cp1252Characters, virtualKeys)) return;
    if (closed) {
        fail(QString("Der Desktop hat die Erlaubnis zum Tippen beendet. %1; %2")
                 .arg(kNothingTyped, texts::kDesktopAsksAgain));
        return;
    }
    if (session_.isEmpty()) startSession();
}

bool PortalKeyboardOutput::checkLayout(std::string_view characters,
                                       const std::vector<VirtualKey>& virtualKeys) {
    choice_ = portal::KeysymChoice(keymap_ ? keymap_->activeLayoutKeysyms() : std::nullopt);
    for (const char c : characters) {
        if (!choice_.forCharacter(c)) {
            fail(QString("Die aktive Tastaturbelegung hat keine Taste für das Zeichen %1; der "
                         "Desktop würde es nicht tippen. %2.")
                     .arg(portal::characterName(c), kNothingTyped));
            return false;
        }
    }
    for (const VirtualKey key : virtualKeys) {
        if (!choice_.forVirtualKey(key)) {
            fail(QString("Die aktive Tastaturbelegung hat keine Taste für das Zeilenende %1; "
                         "der Desktop würde es nicht tippen. %2.")
                     .arg(portal::virtualKeyName(key), kNothingTyped));
            return false;
        }
    }
    return true;
}

bool PortalKeyboardOutput::startSession() {
    const QString token = portal::newToken();
    const portal::Response created =
        portal::callAndWait(bus_, kRemoteDesktop, "CreateSession", {},
                            {{"session_handle_token", token}}, callTimeoutMs_);
    if (!created.granted()) return refused(created);
    session_ = portal::pathResult(created.results.value("session_handle"));
    if (session_.isEmpty()) session_ = portal::predictedPath(bus_, "session", token);
    bus_.connect(portal::kService, session_, kSession, "Closed", this,
                 SLOT(onSessionClosed(QDBusMessage)));

    const auto path = QVariant::fromValue(QDBusObjectPath(session_));
    const portal::Response selected = portal::callAndWait(bus_, kRemoteDesktop, "SelectDevices",
                                                          {path}, deviceOptions(), callTimeoutMs_);
    if (!selected.granted()) return refused(selected);
    // The desktop asks the user now.
    const portal::Response started = portal::callAndWait(
        bus_, kRemoteDesktop, "Start", {path, QString()}, {}, permissionTimeoutMs_);
    if (!started.granted() || !(started.results.value("devices").toUInt() & kKeyboard))
        return refused(started);
    if (const QString restore = started.results.value("restore_token").toString();
        !restore.isEmpty())
        writeRestoreToken(restore);
    wait(settleMs_);
    if (session_.isEmpty()) {  // ended while the focus settled
        closedByDesktop_ = false;
        fail(QString("Der Desktop hat die Erlaubnis zum Tippen beendet. %1.").arg(kNothingTyped));
        return false;
    }
    return true;
}

// Portals that can remember the permission are asked to; 1.16 (Debian 12) cannot.
QVariantMap PortalKeyboardOutput::deviceOptions() const {
    QVariantMap options{{"types", kKeyboard}};
    if (portal::property(bus_, kRemoteDesktop, "version", callTimeoutMs_).toUInt() >= 2) {
        options["persist_mode"] = kPersistForever;
        if (const QString restore = readRestoreToken(); !restore.isEmpty())
            options["restore_token"] = restore;
    }
    return options;
}

bool PortalKeyboardOutput::refused(const portal::Response& response) {
    closeSession();
    // A portal that ends a refused session says so too; this transfer tells it already.
    closedByDesktop_ = false;
    if (response.code == 1) {
        fail(QString("Der Desktop hat das Tippen der Barcodes nicht erlaubt. %1; %2")
                 .arg(kNothingTyped, texts::kDesktopAsksAgain));
    } else {
        fail(QString("Der Desktop konnte das Tippen der Barcodes nicht beginnen%1. %2.")
                 .arg(response.error.isEmpty() ? "" : " (" + response.error + ")", kNothingTyped));
    }
    return false;
}

void PortalKeyboardOutput::closeSession() {
    if (session_.isEmpty()) return;
    bus_.disconnect(portal::kService, session_, kSession, "Closed", this,
                    SLOT(onSessionClosed(QDBusMessage)));
    bus_.send(QDBusMessage::createMethodCall(portal::kService, session_, kSession, "Close"));
    session_.clear();
}

void PortalKeyboardOutput::onSessionClosed(const QDBusMessage& signal) {
    if (signal.path() != session_) return;
    bus_.disconnect(portal::kService, session_, kSession, "Closed", this,
                    SLOT(onSessionClosed(QDBusMessage)));
    session_.clear();
    closedByDesktop_ = true;
}

void PortalKeyboardOutput::fail(const QString& reason) {
    if (failure_.isEmpty()) failure_ = reason;
}

void PortalKeyboardOutput::sendKeysym(std::optional<uint32_t> keysym) {
    if (!failure_.isEmpty()) return;
    if (!keysym || session_.isEmpty()) {
        fail("Der Desktop hat nicht alle Tasten angenommen.");
        return;
    }
    for (const uint state : {1u, 0u}) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            portal::kService, portal::kPath, kRemoteDesktop, "NotifyKeyboardKeysym");
        message.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap{},
                              static_cast<int>(*keysym), state});
        // One key at a time: the answer paces the keys and says at once when the desktop
        // has ended the session.
        const QDBusMessage reply = bus_.call(message, QDBus::Block, callTimeoutMs_);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            fail("Der Desktop hat mitten in der Übertragung keine Tasten mehr angenommen (" +
                 reply.errorMessage() + "); die Barcodes wurden nur zum Teil getippt.");
            // Said now; the next transfer starts a new session.
            closeSession();
            return;
        }
    }
}

void PortalKeyboardOutput::typeCharacter(char cp1252Byte) {
    sendKeysym(choice_.forCharacter(cp1252Byte));
}

void PortalKeyboardOutput::pressVirtualKey(VirtualKey virtualKey) {
    sendKeysym(choice_.forVirtualKey(virtualKey));
}

bool PortalKeyboardOutput::endTransfer() {
    return failure_.isEmpty();
}

std::string PortalKeyboardOutput::problem() const {
    return cp1252::fromUtf8(failure_.toStdString());
}
