#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>

#include "platform/local_line.h"

namespace {

constexpr int silentClientMs = 5000;

// A descriptor, closed when its owner goes.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// False (errno ENAMETOOLONG) when the path does not fit a socket address.
bool socketAddress(const QByteArray& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || path.size() >= qsizetype(sizeof address.sun_path)) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return true;
}

const sockaddr* asAddress(const sockaddr_un& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

// True once `fd` can be read, false when the deadline passed first.
bool readableBefore(int fd, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd entry{fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, int(qMax<qint64>(0, deadline.remainingTime())));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

bool fromThisUser(int fd) {
#ifdef SO_PEERCRED
    struct ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) return false;
    return peer.uid == ::geteuid();
#else
    uid_t user = 0;
    gid_t group = 0;
    return ::getpeereid(fd, &user, &group) == 0 && user == ::geteuid();
#endif
}

// One client of the server: its first line is its request.
class Client : public QObject {
  public:
    Client(int fd, const LocalLineServer::Handler& handler, QObject* parent)
        : QObject(parent), fd_(fd), handler_(handler), readable_(fd, QSocketNotifier::Read) {
        connect(&readable_, &QSocketNotifier::activated, this, [this] { read(); });
        QTimer::singleShot(silentClientMs, this, [this] { drop(); });
    }

  private:
    void read() {
        char buffer[64];
        for (;;) {
            const ssize_t got = ::recv(fd_.get(), buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            if (got <= 0) return drop();  // gone before its line ended
            received_.append(buffer, got);
            if (received_.contains('\n')) return answer();
            if (received_.size() > LocalLineServer::longestLine) return drop();
        }
    }

    void answer() {
        const LineReply reply = handler_(received_.left(received_.indexOf('\n')).trimmed());
        ::send(fd_.get(), reply.answer.constData(), size_t(reply.answer.size()), MSG_NOSIGNAL);
        drop();
        // Whatever the request starts (a transfer can keep the program busy for a while)
        // runs once the client has its answer, and needs nothing of this object.
        if (reply.then) reply.then();
    }

    void drop() {
        readable_.setEnabled(false);
        ::shutdown(fd_.get(), SHUT_RDWR);
        deleteLater();
    }

    Descriptor fd_;
    LocalLineServer::Handler handler_;
    QSocketNotifier readable_;
    QByteArray received_;
};

}  // namespace

std::optional<QByteArray> askOverLocalLine(const QString& path, const QByteArray& line,
                                           int answerWaitMs, bool& connected) {
    connected = false;
    sockaddr_un address;
    if (!socketAddress(QFile::encodeName(path), address)) return std::nullopt;
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.get() < 0) return std::nullopt;
    // A program whose queue of connections is full gets a second to take this one.
    const timeval connectWait{1, 0};
    ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &connectWait, sizeof connectWait);
    if (::connect(socket.get(), asAddress(address), sizeof address) != 0) return std::nullopt;
    connected = true;
    if (::send(socket.get(), line.constData(), size_t(line.size()), MSG_NOSIGNAL) != line.size())
        return std::nullopt;
    const QDeadlineTimer deadline(answerWaitMs);
    QByteArray received;
    while (!received.contains('\n')) {
        if (!readableBefore(socket.get(), deadline)) return std::nullopt;
        char buffer[64];
        const ssize_t got = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || received.size() > 1024) return std::nullopt;
        received.append(buffer, got);
    }
    return received.left(received.indexOf('\n'));
}

struct LocalLineServer::Listening {
    Listening(int fd, QByteArray path) : socket(fd), path(std::move(path)) {}
    ~Listening() {
        notifier.reset();
        // The socket file goes with the server, as a program that ends normally leaves none.
        ::unlink(path.constData());
    }
    Descriptor socket;
    QByteArray path;
    std::unique_ptr<QSocketNotifier> notifier;
};

LocalLineServer::LocalLineServer(Handler handler) : handler_(std::move(handler)) {}

LocalLineServer::~LocalLineServer() = default;

bool LocalLineServer::listen(const QString& path) {
    listening_.reset();
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address;
    if (!socketAddress(native, address)) {
        error_ = systemError(errno);
        return false;
    }
    // The caller holds the lock, so a socket found here was left by a program that ended.
    ::unlink(native.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error_ = systemError(errno);
        return false;
    }
    if (::bind(fd, asAddress(address), sizeof address) != 0) {
        error_ = systemError(errno);
        ::close(fd);
        return false;
    }
    auto listening = std::make_unique<Listening>(fd, native);
    // Connecting takes write permission on the socket: the user's alone.
    if (::chmod(native.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        error_ = systemError(errno);
        return false;
    }
    listening->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QSocketNotifier* notifier = listening->notifier.get();
    connect(notifier, &QSocketNotifier::activated, this, [this, fd, notifier] {
        for (;;) {
            const int client = ::accept4(fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (client < 0) {
                if (errno == EINTR || errno == ECONNABORTED) continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK) return;  // none waiting
                // Out of descriptors, say: the waiting client stays queued, and the notifier
                // would call again at once; it rests a second instead of spinning.
                notifier->setEnabled(false);
                QTimer::singleShot(1000, notifier, [notifier] { notifier->setEnabled(true); });
                return;
            }
            if (!fromThisUser(client)) {
                ::close(client);
                continue;
            }
            new Client(client, handler_, this);
        }
    });
    listening_ = std::move(listening);
    return true;
}
