// lorvant-cli history: the receptions the history keeps, the rows of one, one written out as
// a data file with the current settings, and the search for a barcode.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/command_support.h"
#include "cli/commands.h"
#include "cli/json_lines.h"
#include "cli/output.h"
#include "core/program_data.h"
#include "core/reception_history.h"
#include "core/transfers.h"
#include "text/cp1252.h"
#include "text/texts.h"

using namespace cli;

namespace {

const char* deliveryWord(HistoryDelivery delivery) {
    switch (delivery) {
        case HistoryDelivery::Saved:
            return "saved";
        case HistoryDelivery::Typed:
            return "typed";
        case HistoryDelivery::None:
            break;
    }
    return "none";
}

QString deliveryText(const HistoryEntry& entry) {
    switch (entry.delivered) {
        case HistoryDelivery::Saved:
            return QString(texts::kDeliveredSaved)
                .arg(entry.file == "-" ? QString("die Standardausgabe") : pathText(entry.file));
        case HistoryDelivery::Typed:
            return texts::kDeliveredTyped;
        case HistoryDelivery::None:
            break;
    }
    return texts::kDeliveredNone;
}

QJsonObject entryObject(const HistoryEntry& entry) {
    QJsonObject object;
    object["id"] = qint64(entry.id);
    object["time"] = isoLocalTime(entry.readAt);
    object["serial"] = QString::fromStdString(entry.serial);
    object["scanner_id"] = fromCp1252Text(entry.scannerId);
    object["name"] = fromCp1252Text(entry.name);
    object["count"] = entry.count;
    object["delivered"] = deliveryWord(entry.delivered);
    object["file"] =
        entry.delivered == HistoryDelivery::Saved ? QJsonValue(pathText(entry.file)) : QJsonValue();
    return object;
}

QString entryLine(const HistoryEntry& entry) {
    return QString("%1  %2  %3 %4 (%5)  %6 Barcodes  %7")
        .arg(entry.id)
        .arg(isoLocalTime(entry.readAt).left(19).replace('T', ' '), fromCp1252Text(entry.scannerId),
             fromCp1252Text(entry.name), QString::fromStdString(entry.serial))
        .arg(entry.count)
        .arg(deliveryText(entry));
}

void printJson(const QJsonObject& object) {
    printLine(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

QJsonObject rowObject(const HistoryRow& row) {
    QJsonObject object;
    object["barcode"] = fromCp1252Text(row.barcode);
    object["time"] = row.stamped ? QJsonValue(isoLocalTime(row.stamp)) : QJsonValue();
    object["type"] = row.codeType;
    object["repeated"] = row.repeated;
    return object;
}

std::optional<HistoryEntry> findEntry(ReceptionHistory& history, const std::string& id) {
    bool number = false;
    const qint64 value = QString::fromStdString(id).toLongLong(&number);
    const auto entry = number ? history.reception(value) : std::nullopt;
    if (!entry) printError(QString(clitexts::kNoSuchReception).arg(QString::fromStdString(id)));
    return entry;
}

int show(ReceptionHistory& history, const std::string& id, bool json) {
    const auto entry = findEntry(history, id);
    if (!entry) return kUsage;
    for (const HistoryRow& row : history.rows(entry->id)) {
        if (json)
            printJson(rowObject(row));
        else
            printLine(fromCp1252Text(row.line) + (row.repeated ? texts::kRepeated : ""));
    }
    return kDone;
}

// As "Speichern" would write it with the settings of today; with those it was read with,
// the bytes of its first save.
int exportTo(ReceptionHistory& history, const std::string& id, const std::string& file,
             const Settings& settings) {
    const auto entry = findEntry(history, id);
    if (!entry) return kUsage;
    const Reception reception = replayedReception(*entry, history.rows(entry->id), settings);
    std::string reason;
    if (!saveReception(reception, settings, file, reason)) {
        printError(
            QString(texts::kDataNotSaved).arg(pathText(file), QString::fromUtf8(reason.c_str())));
        return kNotWritten;
    }
    if (errorIsTerminal())
        printError(
            QString(clitexts::kExported).arg(entry->id).arg(entry->count).arg(pathText(file)));
    return kDone;
}

int searchFor(ReceptionHistory& history, const std::string& barcode, bool json) {
    for (const auto& found : history.search(cp1252::fromUtf8(barcode))) {
        const auto rows = history.rows(found.entry.id);
        for (int position : found.rows) {
            if (json) {
                QJsonObject object = entryObject(found.entry);
                object["row"] = position + 1;
                object["barcode"] = fromCp1252Text(rows.at(size_t(position)).barcode);
                printJson(object);
            } else {
                printLine(entryLine(found.entry) +
                          QString("\n    %1: %2")
                              .arg(position + 1)
                              .arg(fromCp1252Text(rows.at(size_t(position)).line)));
            }
        }
    }
    return kDone;
}

}  // namespace

int runHistory(const CliOptions& options, ProgramData& data) {
    if (!data.history) {
        printError(clitexts::kNoHistory);
        return kScannerProblem;
    }
    ReceptionHistory& history = *data.history;
    if (options.showId) return show(history, *options.showId, options.json);
    if (options.exportId)
        return exportTo(history, *options.exportId, options.exportFile, data.settings);
    if (options.search) return searchFor(history, *options.search, options.json);
    for (const HistoryEntry& entry : history.receptions(-1, 0)) {
        if (options.json)
            printJson(entryObject(entry));
        else
            printLine(entryLine(entry));
    }
    return kDone;
}
