#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <functional>

// Calls to the desktop portal (xdg-desktop-portal) on the session bus. Most of its methods
// answer twice: at once with the path of a Request object, and later, once the desktop
// (or the user, in a dialog) has decided, with that object's Response signal.
namespace portal {

inline constexpr const char* kService = "org.freedesktop.portal.Desktop";
inline constexpr const char* kPath = "/org/freedesktop/portal/desktop";

// The Response: 0 granted, 1 the user cancelled, 2 ended otherwise. A call the bus or the
// portal refused outright, or one that got no answer in time, reads as 2 with the
// error's text.
struct Response {
    uint code = 2;
    QVariantMap results;
    QString error;
    bool granted() const { return code == 0; }
};

// A fresh token for the last element of a request or session path.
QString newToken();

// The path the portal gives a request or session ("request" or "session") made with
// `token` by this connection.
QString predictedPath(const QDBusConnection& bus, const QString& kind, const QString& token);

// A path from a result: the portal sends object paths, older versions strings.
QString pathResult(const QVariant& value);

// Calls `method` of `interface` on the portal with `arguments` followed by `options`, to
// which a fresh handle_token is added. The request's Response is listened for before the
// call, so that an answer faster than the call's own reply is not missed. `done` runs
// once, from the event loop, and not at all once `context` is gone. Returns the request's
// path, for closing it.
QString call(QDBusConnection bus, const QString& interface, const QString& method,
             QVariantList arguments, QVariantMap options, QObject* context,
             std::function<void(const Response&)> done);

// The same, waiting for the answer in a local event loop at most `timeoutMs`. A request
// still open then is closed, and the answer is code 2.
Response callAndWait(QDBusConnection bus, const QString& interface, const QString& method,
                     QVariantList arguments, QVariantMap options, int timeoutMs);

// Reads a property of one of the portal's interfaces; an invalid value when the portal
// or the interface is not there. Waits at most `timeoutMs` (the bus may first have to
// start the portal).
QVariant property(const QDBusConnection& bus, const QString& interface, const QString& name,
                  int timeoutMs);

// Listens to one Request object and hands its Response on. Internal to call().
class RequestWatcher : public QObject {
    Q_OBJECT
  public:
    RequestWatcher(QDBusConnection bus, QObject* context,
                   std::function<void(const Response&)> done);
    void listen(const QString& path);
    void finish(const Response& response);

  public slots:
    void onResponse(uint code, const QVariantMap& results);

  private:
    QDBusConnection bus_;
    QString path_;
    QPointer<QObject> context_;
    bool finished_ = false;
    std::function<void(const Response&)> done_;
};

}  // namespace portal
