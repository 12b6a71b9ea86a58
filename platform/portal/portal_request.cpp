#include "platform/portal/portal_request.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>

namespace portal {

namespace {
constexpr const char* kRequest = "org.freedesktop.portal.Request";
// The call itself answers at once; the Response may wait for the user.
constexpr int kCallTimeoutMs = 10000;
}  // namespace

QString newToken() {
    static int counter = 0;
    return QString("lorvant%1").arg(++counter);
}

QString predictedPath(const QDBusConnection& bus, const QString& kind, const QString& token) {
    QString sender = bus.baseService();
    sender.remove(0, 1);  // the leading ':'
    sender.replace('.', '_');
    return QString("%1/%2/%3/%4").arg(kPath, kind, sender, token);
}

QString pathResult(const QVariant& value) {
    if (value.canConvert<QDBusObjectPath>()) return value.value<QDBusObjectPath>().path();
    return value.toString();
}

RequestWatcher::RequestWatcher(QDBusConnection bus, QObject* context,
                               std::function<void(const Response&)> done)
    : bus_(std::move(bus)), context_(context), done_(std::move(done)) {}

void RequestWatcher::listen(const QString& path) {
    if (path == path_) return;
    if (!path_.isEmpty())
        bus_.disconnect(kService, path_, kRequest, "Response", this,
                        SLOT(onResponse(uint, QVariantMap)));
    path_ = path;
    bus_.connect(kService, path_, kRequest, "Response", this, SLOT(onResponse(uint, QVariantMap)));
}

void RequestWatcher::onResponse(uint code, const QVariantMap& results) {
    finish({code, results, {}});
}

void RequestWatcher::finish(const Response& response) {
    if (finished_) return;
    finished_ = true;
    bus_.disconnect(kService, path_, kRequest, "Response", this,
                    SLOT(onResponse(uint, QVariantMap)));
    if (context_) done_(response);
    deleteLater();
}

QString call(QDBusConnection bus, const QString& interface, const QString& method,
             QVariantList arguments, QVariantMap options, QObject* context,
             std::function<void(const Response&)> done) {
    const QString token = newToken();
    options["handle_token"] = token;
    const QString predicted = predictedPath(bus, "request", token);
    auto* watcher = new RequestWatcher(bus, context, std::move(done));
    QObject::connect(context, &QObject::destroyed, watcher, &QObject::deleteLater);
    watcher->listen(predicted);

    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, interface, method);
    arguments << options;
    message.setArguments(arguments);
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(message, kCallTimeoutMs), watcher);
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                         if (reply.isError()) {
                             watcher->finish({2, {}, reply.error().message()});
                             return;
                         }
                         // Portals before 0.9 chose the path themselves.
                         watcher->listen(reply.value().path());
                     });
    return predicted;
}

Response callAndWait(QDBusConnection bus, const QString& interface, const QString& method,
                     QVariantList arguments, QVariantMap options, int timeoutMs) {
    QEventLoop loop;
    Response response{2, {}, "keine Antwort"};
    bool answered = false;
    const QString request = call(bus, interface, method, std::move(arguments), std::move(options),
                                 &loop, [&](const Response& answer) {
                                     response = answer;
                                     answered = true;
                                     loop.quit();
                                 });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!answered) loop.exec();
    if (!answered) {
        bus.send(QDBusMessage::createMethodCall(kService, request, kRequest, "Close"));
    }
    return response;
}

QVariant property(const QDBusConnection& bus, const QString& interface, const QString& name,
                  int timeoutMs) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Properties", "Get");
    message.setArguments({interface, name});
    const QDBusMessage reply = bus.call(message, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

}  // namespace portal
