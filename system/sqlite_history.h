#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "core/reception_history.h"

// The reception history in an SQLite file (Qt SQL), shared by the window program and
// lorvant-cli: WAL mode, one transaction per reception, so a process killed while recording
// leaves the file as it was before or with the whole reception.
class SqliteHistory : public ReceptionHistory {
  public:
    // Opens (or starts) the history at `path`. A file that is damaged or is some other
    // database is moved aside ("<path>.beschaedigt-<time>") and a new one started; `notice`
    // then says so, in German. Null (with the reason in `notice`) when no history can be
    // kept there at all (a read-only folder, a full disk).
    static std::unique_ptr<SqliteHistory> open(const std::string& path, QString& notice);
    ~SqliteHistory() override;

    // A file found damaged inside while recording is moved aside too, and the reception
    // recorded in a new one; takeNotice() then says so.
    int64_t record(const Reception& reception, const std::optional<ScannerRegistry::Entry>& entry,
                   const LocalDateTime& readAt, std::string& error) override;
    std::string takeNotice() override;
    // Copies the log into the file. A recording asks for it two seconds later, when the
    // program's event loop runs.
    void checkpoint();
    bool markDelivered(int64_t id, HistoryDelivery delivery, const std::string& file,
                       std::string& error) override;
    std::vector<HistoryEntry> receptions(int limit, int offset) override;
    std::optional<HistoryEntry> reception(int64_t id) override;
    std::vector<HistoryRow> rows(int64_t id) override;
    int64_t receptionCount() override;
    std::vector<Found> search(const std::string& barcode) override;
    int prune(const LocalDateTime& before) override;

  private:
    explicit SqliteHistory(QString file);
    bool connect(QString& notice);
    void disconnect();
    bool moveAside(const QString& why, QString& notice);
    int64_t recordOnce(const Reception& reception,
                       const std::optional<ScannerRegistry::Entry>& entry,
                       const LocalDateTime& readAt, std::string& error);
    void checkpointWhenIdle();
    QString file_;
    QString connection_;
    std::unique_ptr<QObject> idle_;  // the context of the checkpoint's timer
    bool checkpointDue_ = false;
    bool damaged_ = false;  // the last recording failed on a damaged file
    std::string notice_;    // UTF-8, for the user
};

// The history file, "history.sqlite" in the program's history folder (system/program_dir.h).
std::string historyPath();
