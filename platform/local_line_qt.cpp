// The local line on Windows: Qt's local socket, a named pipe that admits the user alone.
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include "platform/local_line.h"

std::optional<QByteArray> askOverLocalLine(const QString& path, const QByteArray& line,
                                           int answerWaitMs, bool& connected) {
    QLocalSocket socket;
    socket.connectToServer(path);
    connected = socket.waitForConnected(1000);
    if (!connected) return std::nullopt;
    socket.write(line);
    socket.waitForBytesWritten(1000);
    QDeadlineTimer deadline(answerWaitMs);
    while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState &&
           !deadline.hasExpired())
        socket.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 1000)));
    if (!socket.canReadLine()) return std::nullopt;
    return socket.readLine().trimmed();
}

struct LocalLineServer::Listening {
    QLocalServer server;
};

LocalLineServer::LocalLineServer(Handler handler) : handler_(std::move(handler)) {}

LocalLineServer::~LocalLineServer() = default;

bool LocalLineServer::listen(const QString& path) {
    listening_.reset();
    QLocalServer::removeServer(path);
    auto listening = std::make_unique<Listening>();
    QLocalServer& server = listening->server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server.listen(path)) {
        error_ = server.errorString();
        return false;
    }
    connect(&server, &QLocalServer::newConnection, this, [this, &server] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            // A client that never finishes its line is dropped.
            QTimer::singleShot(5000, socket, [socket] { socket->abort(); });
            QObject::connect(socket, &QLocalSocket::readyRead, socket,
                             [this, socket = QPointer<QLocalSocket>(socket)] {
                                 if (!socket) return;
                                 if (!socket->canReadLine()) {
                                     if (socket->bytesAvailable() > longestLine) socket->abort();
                                     return;
                                 }
                                 const LineReply reply =
                                     handler_(socket->readLine(longestLine).trimmed());
                                 socket->write(reply.answer);
                                 socket->flush();
                                 socket->disconnectFromServer();
                                 if (reply.then) reply.then();
                             });
        }
    });
    listening_ = std::move(listening);
    return true;
}
