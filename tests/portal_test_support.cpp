#include "portal_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include "platform/portal/wayland_keymap.h"
#include "test_programs.h"

namespace {

constexpr int kStartTimeoutMs = 20000;
constexpr const char* kBackendName = "org.freedesktop.impl.portal.desktop.lorvanttest";
constexpr const char* kDesktopName = "lorvanttest";
constexpr const char* kConnectionName = "lorvant-portal-test";
constexpr const char* kFrontEnd = "/usr/libexec/xdg-desktop-portal";
constexpr uid_t kNobody = 65534;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

PortalDesktop::~PortalDesktop() {
    QDBusConnection::disconnectFromBus(kConnectionName);
    stop(portal_);
    stop(standIn_);
}

bool PortalDesktop::available() {
    return QFile::exists(kFrontEnd) && PrivateSessionBus::available();
}

void PortalDesktop::stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(5000)) process.kill();
    process.waitForFinished(5000);
}

bool PortalDesktop::startProcess(QProcess& process, const QString& program,
                                 const QStringList& arguments,
                                 const QProcessEnvironment& environment) {
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Output nobody reads would fill the pipe and stop the process while the test waits for
    // it in a blocking call.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForStarted(kStartTimeoutMs) || fail(program + ": " + process.errorString());
}

bool PortalDesktop::fail(const QString& why) {
    error_ = why;
    return false;
}

bool PortalDesktop::start() {
    if (!home_.isValid()) return fail("no temporary folder");
    const QString root = home_.path();
    for (const char* folder : {"config", "data", "cache", "state", "runtime", "portals"})
        QDir(root).mkpath(folder);
    QFile::setPermissions(root + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    writeFile(root + "/portals/lorvanttest.portal",
              QString("[portal]\nDBusName=%1\nInterfaces=org.freedesktop.impl.portal."
                      "RemoteDesktop;org.freedesktop.impl.portal.GlobalShortcuts;\nUseIn=%2\n")
                  .arg(kBackendName, kDesktopName)
                  .toUtf8());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", root);
    environment.insert("XDG_CONFIG_HOME", root + "/config");
    environment.insert("XDG_DATA_HOME", root + "/data");
    environment.insert("XDG_CACHE_HOME", root + "/cache");
    environment.insert("XDG_STATE_HOME", root + "/state");
    environment.insert("XDG_RUNTIME_DIR", root + "/runtime");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");

    if (!sessionBus_.start(root, environment)) return fail(sessionBus_.errorText());
    address_ = sessionBus_.address();
    if (!bus().isConnected()) return fail("cannot connect to " + address_);
    environment.insert("DBUS_SESSION_BUS_ADDRESS", address_);

    if (!startProcess(standIn_, LORVANT_PORTAL_STANDIN, {kBackendName}, environment) ||
        !waitForName(kBackendName))
        return false;
    environment.insert("XDG_DESKTOP_PORTAL_DIR", root + "/portals");
    environment.insert("XDG_CURRENT_DESKTOP", kDesktopName);
    return startProcess(portal_, kFrontEnd, {}, environment) &&
           waitForName("org.freedesktop.portal.Desktop");
}

QDBusConnection PortalDesktop::bus() const {
    return sessionBus_.connection(kConnectionName);
}

bool PortalDesktop::waitForName(const QString& name) {
    return sessionBus_.waitForName(kConnectionName, name) ||
           fail(name + " did not appear on the bus");
}

void PortalDesktop::control(const QString& method, const QVariantList& arguments) const {
    QDBusMessage message = QDBusMessage::createMethodCall(
        kBackendName, "/org/lorvant/PortalStandIn", "org.lorvant.PortalStandIn", method);
    message.setArguments(arguments);
    bus().call(message);
}

QStringList PortalDesktop::calls() const {
    const QDBusMessage reply = bus().call(QDBusMessage::createMethodCall(
        kBackendName, "/org/lorvant/PortalStandIn", "org.lorvant.PortalStandIn", "Calls"));
    return reply.arguments().value(0).toStringList();
}

QStringList PortalDesktop::callsStartingWith(const QString& prefix) const {
    QStringList matching;
    for (const QString& call : calls())
        if (call.startsWith(prefix)) matching << call;
    return matching;
}

void PortalDesktop::reset() const {
    control("Reset");
}
void PortalDesktop::setStartResponse(uint response) const {
    control("SetStartResponse", {response});
}
void PortalDesktop::setBindResponse(uint response) const {
    control("SetBindResponse", {response});
}
void PortalDesktop::setBoundTrigger(const QString& id, const QString& trigger) const {
    control("SetBoundTrigger", {id, trigger});
}
void PortalDesktop::activate(const QString& id) const {
    control("Activate", {id});
}
void PortalDesktop::closeRemoteSession() const {
    control("CloseRemoteSession");
}

KeymapCompositor::~KeymapCompositor() {
    for (QProcess* process : {&keyboard_, &sway_}) {
        if (process->state() == QProcess::NotRunning) continue;
        process->terminate();
        if (!process->waitForFinished(5000)) process->kill();
        process->waitForFinished(5000);
    }
    if (!runtimeDir_.isEmpty()) QDir(runtimeDir_).removeRecursively();
}

bool KeymapCompositor::available() {
    return !QStandardPaths::findExecutable("sway").isEmpty() &&
           !QStandardPaths::findExecutable("wtype").isEmpty();
}

bool KeymapCompositor::fail(const QString& why) {
    error_ = why;
    return false;
}

QStringList KeymapCompositor::asUser(const QString& program, const QStringList& arguments) const {
    if (getuid() != 0) return QStringList{program} + arguments;
    return QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", program} +
           arguments;
}

bool KeymapCompositor::start(const QString& characters) {
    // A runtime folder of the compositor's user alone, as sway wants it.
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/lorvant-sway-XXXXXX";
    if (!mkdtemp(pattern.data())) return fail("no runtime folder");
    runtimeDir_ = QString::fromLocal8Bit(pattern);
    if (getuid() == 0 && chown(pattern.constData(), kNobody, kNobody) != 0)
        return fail("cannot hand the runtime folder over");
    const QString config = runtimeDir_ + "/sway.conf";
    writeFile(config, "xwayland disable\n");
    if (getuid() == 0 && chown(QFile::encodeName(config).constData(), kNobody, kNobody) != 0)
        return fail("cannot hand the configuration over");

    QProcessEnvironment environment;
    environment.insert("PATH", qEnvironmentVariable("PATH"));
    environment.insert("HOME", runtimeDir_);
    environment.insert("XDG_RUNTIME_DIR", runtimeDir_);
    environment.insert("WLR_BACKENDS", "headless");
    environment.insert("WLR_LIBINPUT_NO_DEVICES", "1");
    environment.insert("WLR_RENDERER", "pixman");
    environment.insert("LC_ALL", "C.UTF-8");  // wtype reads its text in the locale's encoding
    sway_.setProcessEnvironment(environment);
    sway_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sway_.setStandardOutputFile(QProcess::nullDevice());
    const QStringList sway = asUser("sway", {"-c", config});
    sway_.start(sway.first(), sway.mid(1));

    QDeadlineTimer deadline(kStartTimeoutMs);
    while (socket_.isEmpty() && !deadline.hasExpired()) {
        for (const QString& name : QDir(runtimeDir_).entryList({"wayland-*"}, QDir::System))
            if (!name.endsWith(".lock")) socket_ = runtimeDir_ + "/" + name;
        if (sway_.state() == QProcess::NotRunning) return fail("sway ended");
        QThread::msleep(20);
    }
    if (socket_.isEmpty()) return fail("sway opened no socket");

    // wtype types the characters (into no window: nothing has the focus) and stays, so the
    // seat keeps its keyboard and that keyboard's keymap.
    environment.insert("WAYLAND_DISPLAY", QFileInfo(socket_).fileName());
    keyboard_.setProcessEnvironment(environment);
    keyboard_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    keyboard_.setStandardOutputFile(QProcess::nullDevice());
    const QStringList wtype = asUser("wtype", {characters, "-s", "3600000"});
    keyboard_.start(wtype.first(), wtype.mid(1));
    // Ready once a client of the compositor receives the keyboard's keymap.
    while (!deadline.hasExpired()) {
        if (auto keymap = WaylandKeymap::open(socketPath().constData())) {
            const auto keysyms = keymap->activeLayoutKeysyms();
            if (keysyms && !keysyms->empty()) return true;
        }
        QThread::msleep(50);
    }
    return fail("the compositor gave no keymap");
}
