#include "core/reception_history.h"

#include <chrono>

#include "formats/reception.h"
#include "text/delimited_text.h"

HistoryRecord recordReception(ReceptionHistory* history, const Reception& reception,
                              const ScannerRegistry& registry, const LocalDateTime& readAt) {
    HistoryRecord record;
    if (!history || !reception.listed || reception.rows.empty()) return record;
    record.id = history->record(reception, registry.find(reception.serial), readAt, record.problem);
    record.notice = history->takeNotice();
    if (record.id > 0)
        for (const HistoryRow& row : history->rows(record.id))
            record.repeated.push_back(row.repeated);
    return record;
}

int pruneHistory(ReceptionHistory* history, int32_t keepDays, const LocalDateTime& now) {
    if (!history || keepDays <= 0) return 0;
    using namespace std::chrono;
    const sys_days today{year{now.year} / month{unsigned(now.month)} / day{unsigned(now.day)}};
    const year_month_day first{today - days{keepDays}};
    LocalDateTime before = now;
    before.year = int(first.year());
    before.month = int(unsigned(first.month()));
    before.day = int(unsigned(first.day()));
    return history->prune(before);
}

Reception replayedReception(const HistoryEntry& entry, const std::vector<HistoryRow>& rows,
                            const Settings& settings) {
    Reception reception;
    const std::string separator = effectiveFieldSeparator(settings);
    reception.dataFormat = settings.dataFormat;
    for (const HistoryRow& stored : rows) {
        // A unit without time stamps lists barcodes only, whatever the format asks.
        if (!stored.stamped) reception.dataFormat = DataFormat::BarcodeOnly;
    }
    for (const HistoryRow& stored : rows) {
        ReceivedRow row{barcodeFields(stored.barcode, reception.dataFormat, stored.stamp),
                        {},
                        stored.codeType,
                        stored.stamped,
                        stored.stamp};
        row.line = joinFields(row.fields, separator);
        reception.rows.push_back(std::move(row));
    }
    reception.listed = true;
    reception.complete = entry.complete;
    reception.count = int32_t(rows.size());
    reception.serial = entry.serial;
    reception.scannerRecord = ScannerRegistry::scannerRecord(
        {entry.serial + ";" + entry.scannerId + ";" + entry.name}, separator[0]);
    return reception;
}
