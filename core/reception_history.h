#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/barcode_reception.h"
#include "core/scanner_registry.h"
#include "core/settings.h"
#include "text/local_date_time.h"

// How the barcodes of a reception left the program.
enum class HistoryDelivery { None, Saved, Typed };

// A reception as the history keeps it. Texts are Windows-1252, as the scanner and the files
// hold them.
struct HistoryEntry {
    int64_t id = 0;
    LocalDateTime readAt;
    std::string serial;
    std::string scannerId;
    std::string name;
    int count = 0;  // rows
    bool complete = false;
    DataFormat dataFormat = DataFormat::TimeAndDate;  // of the rows as listed
    HistoryDelivery delivered = HistoryDelivery::None;
    std::string file;  // where it was saved last
};

// One row of a recorded reception: what the unit stored and the line as listed.
struct HistoryRow {
    std::string barcode;
    int codeType = 0;
    bool stamped = false;
    LocalDateTime stamp;
    std::string line;
    // The previous reception of the same scanner held this barcode with this stamp too: the
    // unit was read again without being cleared.
    bool repeated = false;
};

// Where every listed reception is recorded before anything is erased, so that a reception
// overwritten in its data file, or only typed, can be found and written out again.
class ReceptionHistory {
  public:
    virtual ~ReceptionHistory() = default;

    // Stores `reception` (its rows, the scanner `entry` names, when it was read) in one
    // step; its id, or 0 with the reason in `error`.
    virtual int64_t record(const Reception& reception,
                           const std::optional<ScannerRegistry::Entry>& entry,
                           const LocalDateTime& readAt, std::string& error) = 0;
    // Notes how reception `id` was delivered (and the data file it went to).
    virtual bool markDelivered(int64_t id, HistoryDelivery delivery, const std::string& file,
                               std::string& error) = 0;

    // Receptions newest first, from the `offset`th on, at most `limit` (all when negative).
    virtual std::vector<HistoryEntry> receptions(int limit, int offset) = 0;
    virtual std::optional<HistoryEntry> reception(int64_t id) = 0;
    virtual std::vector<HistoryRow> rows(int64_t id) = 0;
    virtual int64_t receptionCount() = 0;
    // The receptions holding `barcode` (exactly), newest first, each with the rows (from 0)
    // that hold it.
    struct Found {
        HistoryEntry entry;
        std::vector<int> rows;
    };
    virtual std::vector<Found> search(const std::string& barcode) = 0;
    // Removes the receptions read before `time`; how many.
    virtual int prune(const LocalDateTime& before) = 0;
    // What happened to the history that the user must hear of (a damaged file moved aside
    // and a new one begun), once; UTF-8, empty when nothing.
    virtual std::string takeNotice() { return {}; }
};

// What recording a reception gave: its id, or the reason it is not in the history.
struct HistoryRecord {
    int64_t id = 0;
    std::string problem;
    // Per row: the scanner's previous reception held it too (see HistoryRow::repeated).
    std::vector<bool> repeated;
    // What the history has to tell the user besides (UTF-8): the reception was recorded, in
    // a new history, the old file being damaged.
    std::string notice;
};
// Records a reception that lists barcodes. Nothing to record (no history, no rows): id 0
// and no problem.
HistoryRecord recordReception(ReceptionHistory* history, const Reception& reception,
                              const ScannerRegistry& registry, const LocalDateTime& readAt);

// Keeping: the receptions read more than `keepDays` days before `now` leave the history;
// with 0 every one stays. How many went.
int pruneHistory(ReceptionHistory* history, int32_t keepDays, const LocalDateTime& now);

// A recorded reception as rows under `settings` (data format, field separator, the scanner
// record), as saving and typing take them: with the settings it was read with, the bytes
// it gave then.
Reception replayedReception(const HistoryEntry& entry, const std::vector<HistoryRow>& rows,
                            const Settings& settings);
