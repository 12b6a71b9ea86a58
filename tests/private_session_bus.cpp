#include "private_session_bus.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr int kStartTimeoutMs = 20000;

const char* kBusConfig =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

}  // namespace

PrivateSessionBus::~PrivateSessionBus() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(5000)) daemon_.kill();
    daemon_.waitForFinished(5000);
}

bool PrivateSessionBus::available() {
    return !QStandardPaths::findExecutable("dbus-daemon").isEmpty();
}

bool PrivateSessionBus::start(const QString& folder, const QProcessEnvironment& environment) {
    const QString socketFolder = folder + "/bus";
    QFile config(folder + "/bus.conf");
    const QByteArray configText = QString(kBusConfig).arg(socketFolder).toUtf8();
    if (!QDir(folder).mkpath("bus") || !config.open(QIODevice::WriteOnly) ||
        config.write(configText) != configText.size()) {
        error_ = "cannot write " + config.fileName();
        return false;
    }
    config.close();
    daemon_.setProcessEnvironment(environment);
    daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon_.start("dbus-daemon",
                  {"--config-file=" + config.fileName(), "--nofork", "--print-address"});
    if (!daemon_.waitForStarted(kStartTimeoutMs)) {
        error_ = "dbus-daemon: " + daemon_.errorString();
        return false;
    }
    QDeadlineTimer deadline(kStartTimeoutMs);
    QByteArray output;
    while (!output.contains('\n') && daemon_.waitForReadyRead(deadline.remainingTime()))
        output += daemon_.readAllStandardOutput();
    address_ = QString::fromUtf8(output).trimmed();
    if (address_.isEmpty()) error_ = "dbus-daemon printed no address";
    return !address_.isEmpty();
}

QDBusConnection PrivateSessionBus::connection(const QString& name) const {
    return QDBusConnection::connectToBus(address_, name);
}

bool PrivateSessionBus::waitForName(const QString& connectionName, const QString& name) const {
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (connection(connectionName).interface()->isServiceRegistered(name)) return true;
        QThread::msleep(20);
    }
    return false;
}
