#include "sway_session.h"

#include <signal.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <functional>

namespace {

constexpr int startTimeoutMs = 20000;
constexpr uid_t nobody = 65534;

bool asRoot() {
    return ::geteuid() == 0;
}

void stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

// The first node of sway's tree, depth first, that `matches`.
QJsonObject findNode(const QJsonObject& node,
                     const std::function<bool(const QJsonObject&)>& matches) {
    if (matches(node)) return node;
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(children).toArray()) {
            const QJsonObject found = findNode(child.toObject(), matches);
            if (!found.isEmpty()) return found;
        }
    }
    return {};
}

}  // namespace

SwaySession::SwaySession() = default;

SwaySession::~SwaySession() {
    stop(terminal_);
    stop(keyboard_);
    stop(sway_);
}

bool SwaySession::available() {
    QStringList needed = {"sway", "swaymsg", "foot", "wtype"};
    if (asRoot()) needed << "setpriv";
    for (const QString& program : needed) {
        if (QStandardPaths::findExecutable(program).isEmpty()) return false;
    }
    return true;
}

QStringList SwaySession::userCommand(const QString& program, const QStringList& arguments) const {
    if (!asRoot()) return QStringList{program} + arguments;
    return QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", program} +
           arguments;
}

void SwaySession::startAsUser(QProcess& process, const QString& program,
                              const QStringList& arguments,
                              const QProcessEnvironment& extra) const {
    QProcessEnvironment environment = environment_;
    for (const QString& key : extra.keys()) environment.insert(key, extra.value(key));
    process.setProcessEnvironment(environment);
    // A working folder the user may enter (the caller's may be root's own).
    process.setWorkingDirectory(folder());
    const QStringList command = userCommand(program, arguments);
    process.start(command.first(), command.mid(1));
}

int SwaySession::runAsUser(const QString& program, const QStringList& arguments, QByteArray* out,
                           QByteArray* err) const {
    QProcess process;
    startAsUser(process, program, arguments);
    if (!process.waitForFinished(startTimeoutMs)) {
        stop(process);
        return -1;
    }
    if (out) *out = process.readAllStandardOutput();
    if (err) *err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

namespace {

// The lock file a serial port's opener keeps in /var/lock (QSerialPort: LCK..pts_3 for
// /dev/pts/3) is left behind by a program killed with the port open. Its user takes such a
// lock over, but another user cannot remove a file of root's there: a terminal that gets
// the number of one a killed root program held (another test kills the program on purpose)
// would stay locked for the session's user. Removed when no process of its number runs.
void removeStaleLock(const QString& device) {
    if (!device.startsWith("/dev/")) return;
    const QString lock = "/var/lock/LCK.." + device.mid(5).replace('/', '_');
    QFile file(lock);
    if (!file.open(QIODevice::ReadOnly)) return;
    const long pid = file.readLine().trimmed().toLong();
    if (pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)) return;
    file.close();
    QFile::remove(lock);
}

}  // namespace

bool SwaySession::giveToUser(const QString& path) const {
    if (!asRoot()) return true;
    removeStaleLock(path);
    return ::chown(QFile::encodeName(path).constData(), nobody, nobody) == 0;
}

bool SwaySession::waitForFile(const QString& path, int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    while (!QFile::exists(path)) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}

bool SwaySession::start(const QStringList& configLines) {
    if (!folder_.isValid() || !giveToUser(folder_.path())) {
        error_ = "no folder for the session";
        return false;
    }
    // sway tells the clients it starts where its display and its IPC socket are.
    const QString ready = folder_.filePath("sway-ready");
    QStringList config = {"xwayland disable", "input type:keyboard xkb_layout de",
                          "focus_on_window_activation none"};
    config << configLines
           << QStringLiteral("exec sh -c 'echo \"$WAYLAND_DISPLAY $SWAYSOCK\" > %1'").arg(ready);
    QFile file(folder_.filePath("sway.config"));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.join('\n').toUtf8() + '\n') < 0) {
        error_ = "cannot write the sway configuration";
        return false;
    }
    file.close();
    giveToUser(file.fileName());

    environment_ = QProcessEnvironment();
    environment_.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
    environment_.insert("HOME", folder());
    environment_.insert("XDG_RUNTIME_DIR", folder());
    environment_.insert("XDG_CONFIG_HOME", folder() + "/config");
    environment_.insert("XDG_CACHE_HOME", folder() + "/cache");
    environment_.insert("LC_ALL", "C.UTF-8");
    QProcessEnvironment wlroots;
    wlroots.insert("WLR_BACKENDS", "headless");
    wlroots.insert("WLR_LIBINPUT_NO_DEVICES", "1");
    wlroots.insert("WLR_RENDERER", "pixman");
    sway_.setProcessChannelMode(QProcess::MergedChannels);
    sway_.setStandardOutputFile(folder_.filePath("sway.log"));
    startAsUser(sway_, "sway", {"-c", file.fileName()}, wlroots);
    if (!waitForFile(ready, startTimeoutMs)) {
        error_ = "sway did not start: " + folder_.filePath("sway.log");
        return false;
    }
    QThread::msleep(50);  // the line is written by now
    QFile readyFile(ready);
    readyFile.open(QIODevice::ReadOnly);
    const QStringList names = QString::fromUtf8(readyFile.readAll()).trimmed().split(' ');
    if (names.size() != 2) {
        error_ = "sway did not name its display";
        return false;
    }
    environment_.insert("WAYLAND_DISPLAY", names[0]);
    environment_.insert("SWAYSOCK", names[1]);
    return startClients();
}

bool SwaySession::startClients() {
    keyboard_.setProcessChannelMode(QProcess::MergedChannels);
    startAsUser(keyboard_, "wtype", {"-s", "3600000"});
    // The terminal hands its keys raw to cat, which writes them to a file.
    const QString terminalReady = folder_.filePath("terminal-ready");
    terminal_.setProcessChannelMode(QProcess::MergedChannels);
    terminal_.setStandardOutputFile(folder_.filePath("foot.log"));
    startAsUser(terminal_, "foot",
                {"--app-id", targetAppId, "sh", "-c",
                 QStringLiteral("stty raw -echo && : > %1 && exec cat > %2")
                     .arg(terminalReady, folder_.filePath("received"))});
    if (!waitForFile(terminalReady, startTimeoutMs)) {
        error_ = "the terminal did not start: " + folder_.filePath("foot.log");
        return false;
    }
    if (!focusTarget()) {
        error_ = "the terminal does not get the focus";
        return false;
    }
    return true;
}

bool SwaySession::swaymsg(const QStringList& arguments, QByteArray* out) const {
    QByteArray answer;
    if (runAsUser("swaymsg", arguments, &answer) != 0) return false;
    if (out) *out = answer;
    return true;
}

bool SwaySession::setLayout(const QString& layout) const {
    return swaymsg({"input", "type:keyboard", "xkb_layout", layout});
}

QString SwaySession::focusedAppId() const {
    QByteArray tree;
    if (!swaymsg({"-t", "get_tree"}, &tree)) return {};
    const auto focused = [](const QJsonObject& node) { return node.value("focused").toBool(); };
    return findNode(QJsonDocument::fromJson(tree).object(), focused).value("app_id").toString();
}

bool SwaySession::hasWindow(const QString& appId) const {
    QByteArray tree;
    if (!swaymsg({"-t", "get_tree"}, &tree)) return false;
    const auto ofApp = [&](const QJsonObject& node) { return node.value("app_id") == appId; };
    return !findNode(QJsonDocument::fromJson(tree).object(), ofApp).isEmpty();
}

bool SwaySession::focusTarget() const {
    QDeadlineTimer deadline(startTimeoutMs);
    do {
        if (focusedAppId() == targetAppId) return true;
        swaymsg({QStringLiteral("[app_id=\"%1\"] focus").arg(targetAppId)});
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return false;
}

bool SwaySession::pressKeys(const QStringList& wtypeArguments) const {
    return runAsUser("wtype", wtypeArguments) == 0;
}

QByteArray SwaySession::received() const {
    QFile file(folder_.filePath("received"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
