#include "cli/json_lines.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>

#include "text/cp1252.h"

QString fromCp1252Text(const std::string& bytes) {
    return QString::fromStdString(cp1252::toUtf8(bytes));
}

QString isoLocalTime(const LocalDateTime& time) {
    const QDateTime local(QDate(time.year, time.month, time.day),
                          QTime(time.hour, time.minute, time.second), Qt::LocalTime);
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    const auto two = [](int value) { return QString("%1").arg(value, 2, 10, QChar('0')); };
    // The fields as the unit stored them, also for an hour the clocks skip in spring.
    return QString("%1-%2-%3T%4:%5:%6%7%8:%9")
        .arg(time.year, 4, 10, QChar('0'))
        .arg(two(time.month), two(time.day), two(time.hour), two(time.minute), two(time.second),
             offset < 0 ? QString("-") : QString("+"), two(minutes / 60), two(minutes % 60));
}

std::string receptionJsonLines(const Reception& reception,
                               const std::optional<ScannerRegistry::Entry>& entry) {
    std::string lines;
    for (const ReceivedRow& row : reception.rows) {
        QJsonObject object;
        object["barcode"] = fromCp1252Text(row.fields.empty() ? std::string() : row.fields[0]);
        object["time"] = row.stamped ? QJsonValue(isoLocalTime(row.stamp)) : QJsonValue();
        object["type"] = row.codeType;
        object["serial"] = QString::fromStdString(reception.serial);
        object["id"] = entry ? QJsonValue(fromCp1252Text(entry->id())) : QJsonValue();
        object["name"] = entry ? QJsonValue(fromCp1252Text(entry->name())) : QJsonValue();
        lines += QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
        lines += '\n';
    }
    return lines;
}
