#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// The local socket between copies of the program (instance_channel.h): a client sends one
// line and reads one line back. On Linux a Unix socket, written on the system's calls: Qt's
// local socket would bring Qt Network (and with it Kerberos and the proxy library) into
// every start of the program, for a socket that carries a word. On Windows Qt's named pipe.

// Sends `line` (with its line end) to whoever listens at `path` and waits up to
// `answerWaitMs` for one line back, which it returns without its line end. Nothing when
// nobody listens (`connected` false) or no whole line came (`connected` true).
std::optional<QByteArray> askOverLocalLine(const QString& path, const QByteArray& line,
                                           int answerWaitMs, bool& connected);

// What a request line gets: the answer line, and what to do once it has been sent.
struct LineReply {
    QByteArray answer;
    std::function<void()> then;
};

// Listens at a path for request lines from this user's processes (others are turned away).
// A request is the first line a client sends, of at most `longestLine` bytes; a client that
// sends more, or no whole line within five seconds, is dropped.
class LocalLineServer : public QObject {
  public:
    using Handler = std::function<LineReply(const QByteArray& request)>;
    static constexpr int longestLine = 16;

    explicit LocalLineServer(Handler handler);
    ~LocalLineServer() override;

    // Replaces a socket that a program which ended left at `path`; only this user may
    // connect. False, and errorString(), when the socket cannot be made.
    bool listen(const QString& path);
    QString errorString() const { return error_; }

  private:
    struct Listening;
    Handler handler_;
    QString error_;
    std::unique_ptr<Listening> listening_;
};
