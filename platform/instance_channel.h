#pragma once

#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

class LocalLineServer;

// What a wedge command or a second start asks of the running program.
enum class ChannelRequest { Send, Erase, Show };

// The channel between the running program and the commands `lorvant --send`, `lorvant
// --erase` and a second start: per user and closed to other users. On Linux a local socket
// and a lock file in a folder of the user's alone ($XDG_RUNTIME_DIR/lorvant, else
// lorvant-<uid> in the temporary folder), made with mode 700 and not used when someone
// else owns it or may look inside; the running program also turns away a connection from
// another user. The lock tells a running program from a socket a crashed one left behind.
class InstanceChannel {
  public:
    enum class Claim {
        Running,      // this process holds the lock: it is the running program now
        Elsewhere,    // another copy runs and listens
        Busy,         // another copy holds the lock but does not answer
        Unavailable,  // no private folder for the channel
    };

    InstanceChannel();
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // Takes the lock, or finds the copy that holds it. A copy still starting gets a few
    // seconds to begin listening.
    Claim claim();
    // After Running: answers requests from now on. Each is acknowledged first, then
    // handed to `handler` on the UI thread. False (and problem()) when the socket cannot
    // be made.
    bool listen(std::function<void(ChannelRequest)> handler);
    // Why the channel is unavailable, in German.
    QString problem() const { return problem_; }

  private:
    QString folder_;
    QString problem_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<LocalLineServer> server_;
};

// Hands `request` to the running program and waits for its acknowledgement.
enum class Delivery {
    Delivered,
    NotRunning,   // no program holds the lock
    NoAnswer,     // a program holds it but did not take the request in time
    Unavailable,  // no private folder for the channel
};
Delivery deliverRequest(ChannelRequest request, QString* problem);
