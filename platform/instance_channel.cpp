#include "platform/instance_channel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <optional>

#include "platform/local_line.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Long enough for a copy that is still creating its windows, or busy typing a transfer
// (about 2 000 characters a second) before it reads the next request.
constexpr int startWaitMs = 10000;
constexpr int answerWaitMs = 30000;
constexpr int retryMs = 50;

const char* requestWord(ChannelRequest request) {
    switch (request) {
        case ChannelRequest::Send:
            return "send";
        case ChannelRequest::Erase:
            return "erase";
        case ChannelRequest::Show:
            return "show";
    }
    return "";
}

#ifdef Q_OS_UNIX

// A folder only this user can enter: made with mode 700 when missing; refused when it is
// a link, someone else's, or open to others, since then someone else could put a socket
// there that takes the requests, or read them.
bool isPrivateFolder(const QByteArray& path) {
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

QString channelFolder(QString* problem) {
    // $XDG_RUNTIME_DIR is the user's own by definition, but a process that changed its user
    // (sudo) may still carry the one of the user before.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QString folder;
    if (!runtime.isEmpty() && QDir::isAbsolutePath(QFile::decodeName(runtime)) &&
        isPrivateFolder(runtime))
        folder = QFile::decodeName(runtime) + "/lorvant";
    else
        folder = QDir::tempPath() + QStringLiteral("/lorvant-%1").arg(::geteuid());
    const QByteArray native = QFile::encodeName(folder);
    ::mkdir(native.constData(), 0700);
    if (isPrivateFolder(native)) return folder;
    *problem = QStringLiteral(
                   "Der Ordner %1 für die Verbindung zu Lorvant gehört einem anderen Benutzer "
                   "oder ist für andere zugänglich.")
                   .arg(folder);
    return {};
}

QString socketPath(const QString& folder) {
    return folder + "/lorvant.socket";
}

#else  // Windows: the temporary folder is the user's own; the pipe admits the user alone.

QString channelFolder(QString*) {
    return QDir::tempPath();
}

QString socketPath(const QString&) {
    return "lorvant-" + qEnvironmentVariable("USERNAME");
}

#endif

QString lockPath(const QString& folder) {
    return folder + "/lorvant.lock";
}

// One request, acknowledged; false when nobody listens or no answer came.
bool exchange(const QString& folder, ChannelRequest request, bool& connected) {
    const std::optional<QByteArray> answer = askOverLocalLine(
        socketPath(folder), QByteArray(requestWord(request)) + '\n', answerWaitMs, connected);
    return answer && answer->trimmed() == "ok";
}

std::optional<ChannelRequest> requestNamed(const QByteArray& word) {
    for (auto candidate : {ChannelRequest::Send, ChannelRequest::Erase, ChannelRequest::Show}) {
        if (word == requestWord(candidate)) return candidate;
    }
    return std::nullopt;
}

}  // namespace

InstanceChannel::InstanceChannel() {
    folder_ = channelFolder(&problem_);
}

InstanceChannel::~InstanceChannel() {
    // The socket goes with the server; the lock with the lock file object.
    server_.reset();
}

InstanceChannel::Claim InstanceChannel::claim() {
    if (folder_.isEmpty()) return Claim::Unavailable;
    lock_ = std::make_unique<QLockFile>(lockPath(folder_));
    // Never stale by age: only a lock whose process is gone is taken over.
    lock_->setStaleLockTime(0);
    QDeadlineTimer deadline(startWaitMs);
    do {
        if (lock_->tryLock(0)) return Claim::Running;
        bool connected = false;
        if (exchange(folder_, ChannelRequest::Show, connected)) return Claim::Elsewhere;
        // Connected but not answered: that copy is busy; do not start a second one.
        if (connected) break;
        QThread::msleep(retryMs);
    } while (!deadline.hasExpired());
    lock_.reset();
    problem_ = "Lorvant läuft bereits, antwortet aber nicht.";
    return Claim::Busy;
}

bool InstanceChannel::listen(std::function<void(ChannelRequest)> handler) {
    if (!lock_ || !lock_->isLocked()) return false;
    // Acknowledged before it is handled: an erase or a transfer keeps the program busy for
    // a while.
    server_ =
        std::make_unique<LocalLineServer>([handler = std::move(handler)](const QByteArray& word) {
            const std::optional<ChannelRequest> request = requestNamed(word);
            if (!request) return LineReply{"unknown\n", {}};
            return LineReply{"ok\n", [handler, request] {
                                 if (handler) handler(*request);
                             }};
        });
    const QString path = socketPath(folder_);
    if (!server_->listen(path)) {
        problem_ = QStringLiteral("Die Verbindung %1 kann nicht angelegt werden: %2")
                       .arg(path, server_->errorString());
        server_.reset();
        return false;
    }
    return true;
}

Delivery deliverRequest(ChannelRequest request, QString* problem) {
    const QString folder = channelFolder(problem);
    if (folder.isEmpty()) return Delivery::Unavailable;
    QLockFile lock(lockPath(folder));
    lock.setStaleLockTime(0);
    QDeadlineTimer deadline(startWaitMs);
    do {
        bool connected = false;
        if (exchange(folder, request, connected)) return Delivery::Delivered;
        if (connected) return Delivery::NoAnswer;
        // Nobody listens: either no program runs, or one is still starting.
        if (lock.tryLock(0)) {
            lock.unlock();
            return Delivery::NotRunning;
        }
        QThread::msleep(retryMs);
    } while (!deadline.hasExpired());
    return Delivery::NoAnswer;
}
