#include "x11_test_support.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include "x11_test_xlib.h"

namespace {
constexpr int startTimeoutMs = 20000;
}

XvfbServer::~XvfbServer() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) process_.kill();
        process_.waitForFinished(5000);
    }
}

bool XvfbServer::available() {
    return !QStandardPaths::findExecutable("Xvfb").isEmpty();
}

bool XvfbServer::start() {
    // -displayfd: Xvfb picks a free display itself and writes its number once it accepts
    // connections, so parallel tests never collide and no guessing or polling is needed.
    // -noreset: without it the server forgets the layout whenever its last client leaves.
    process_.start(
        "Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
    QByteArray output;
    QDeadlineTimer deadline(startTimeoutMs);
    while (!output.contains('\n') && !deadline.hasExpired()) {
        if (!process_.waitForReadyRead(deadline.remainingTime())) break;
        output += process_.readAllStandardOutput();
    }
    bool ok = false;
    const int number = output.trimmed().toInt(&ok);
    if (!ok) return false;
    display_ = QStringLiteral(":%1").arg(number);
    return xlibCanConnect(displayName());
}

bool XvfbServer::setLayout(const QString& layout) const {
    return QProcess::execute("setxkbmap", {"-display", display_, layout}) == 0;
}

KeyRecorder::~KeyRecorder() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool KeyRecorder::start(const QString& display) {
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display);
    process_.setProcessEnvironment(environment);
    process_.start(QStringLiteral(LORVANT_KEY_RECORDER), {});
    QByteArray output;
    QDeadlineTimer deadline(startTimeoutMs);
    while (!output.contains("ready\n") && !deadline.hasExpired()) {
        if (!process_.waitForReadyRead(deadline.remainingTime())) break;
        output += process_.readAllStandardOutput();
    }
    return output.contains("ready\n");
}

const std::vector<RecordedKey>& KeyRecorder::keys() {
    pending_ += process_.readAllStandardOutput();
    for (int end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
        const QList<QByteArray> fields = pending_.left(end).split(' ');
        pending_.remove(0, end + 1);
        if (fields.size() != 4) continue;
        keys_.push_back({fields[0].toUInt(nullptr, 16), fields[1].toUInt(),
                         QString::fromUtf8(QByteArray::fromHex(fields[2])),
                         static_cast<uint32_t>(fields[3].toULong())});
    }
    return keys_;
}

QString KeyRecorder::text() {
    QString text;
    for (const auto& key : keys()) text += key.text;
    return text;
}

void KeyRecorder::clear() {
    keys();
    keys_.clear();
}
