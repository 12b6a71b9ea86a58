#include "system/sqlite_history.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QVariant>
#include <atomic>
#include <set>
#include <utility>

#include "system/program_dir.h"

namespace {

// "LVhi" in the file's header: a database of another program is never written into.
constexpr int kApplicationId = 0x4C566869;
constexpr int kSchemaVersion = 1;
// After a recording, the log is copied into the file this long after, outside the transfer.
constexpr int kIdleCheckpointMs = 2000;

const char* kSchema[] = {
    "CREATE TABLE receptions (id INTEGER PRIMARY KEY, read_at TEXT NOT NULL, serial TEXT NOT "
    "NULL, scanner_id BLOB, name BLOB, count INTEGER NOT NULL, complete INTEGER NOT NULL, "
    "data_format INTEGER NOT NULL, delivered INTEGER NOT NULL DEFAULT 0, file BLOB)",
    "CREATE TABLE rows (reception INTEGER NOT NULL REFERENCES receptions(id) ON DELETE "
    "CASCADE, position INTEGER NOT NULL, barcode BLOB NOT NULL, type INTEGER NOT NULL, stamp "
    "TEXT, line BLOB NOT NULL, repeated INTEGER NOT NULL, PRIMARY KEY (reception, position)) "
    "WITHOUT ROWID",
    "CREATE INDEX rows_by_barcode ON rows (barcode)",
    "CREATE INDEX receptions_by_serial ON receptions (serial, id)",
    "CREATE INDEX receptions_by_time ON receptions (read_at)",
};

QString timeText(const LocalDateTime& t) {
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                             t.minute, t.second);
}

LocalDateTime parsedTime(const QString& text) {
    const QDateTime time = QDateTime::fromString(text, "yyyy-MM-dd HH:mm:ss");
    return {time.date().year(),
            time.date().month(),
            time.date().day(),
            time.time().hour(),
            time.time().minute(),
            time.time().second(),
            0};
}

QByteArray bytes(const std::string& text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

std::string text(const QVariant& value) {
    return value.toByteArray().toStdString();
}

std::string reasonOf(const QSqlQuery& query) {
    return query.lastError().text().toStdString();
}

// SQLite's codes for a file that is damaged or is no database (the extended codes share
// the low byte).
bool isDamage(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 11 || code == 26;
}

QString newConnectionName() {
    static std::atomic<int> next{0};
    return QStringLiteral("lorvant-history-%1").arg(next++);
}

// 0: ours (or new and empty), 1: damaged, 2: another program's. Only the header and the
// schema are read: a whole-file check would take seconds on a long history at every start.
int inspect(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!query.exec("SELECT count(*) FROM sqlite_master") || !query.next()) return 1;
    const int objects = query.value(0).toInt();
    if (!query.exec("PRAGMA application_id") || !query.next()) return 1;
    const int id = query.value(0).toInt();
    if (objects == 0) return 0;
    if (id != kApplicationId) return 2;
    // Ours: its tables must be there.
    if (!query.exec("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                    "('receptions', 'rows')") ||
        !query.next())
        return 1;
    return query.value(0).toInt() == 2 ? 0 : 1;
}

bool createSchema(QSqlDatabase& db, QString& reason) {
    QSqlQuery query(db);
    query.exec("PRAGMA user_version");
    if (query.next() && query.value(0).toInt() >= kSchemaVersion) return true;
    db.transaction();
    for (const char* statement : kSchema) {
        if (!query.exec(statement)) {
            reason = query.lastError().text();
            db.rollback();
            return false;
        }
    }
    query.exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
    query.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
    if (!db.commit()) {
        reason = db.lastError().text();
        return false;
    }
    return true;
}

HistoryEntry entryFrom(const QSqlQuery& query) {
    HistoryEntry entry;
    entry.id = query.value(0).toLongLong();
    entry.readAt = parsedTime(query.value(1).toString());
    entry.serial = query.value(2).toString().toStdString();
    entry.scannerId = text(query.value(3));
    entry.name = text(query.value(4));
    entry.count = query.value(5).toInt();
    entry.complete = query.value(6).toBool();
    entry.dataFormat = DataFormat(query.value(7).toInt());
    entry.delivered = HistoryDelivery(query.value(8).toInt());
    entry.file = text(query.value(9));
    return entry;
}

constexpr char kEntryColumns[] =
    "SELECT id, read_at, serial, scanner_id, name, count, complete, data_format, delivered, "
    "file FROM receptions ";

}  // namespace

std::string historyPath() {
    return historyDirectory() + "history.sqlite";
}

SqliteHistory::SqliteHistory(QString file)
    : file_(std::move(file)), idle_(std::make_unique<QObject>()) {}

void SqliteHistory::checkpoint() {
    checkpointDue_ = false;
    if (connection_.isEmpty()) return;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.exec("PRAGMA wal_checkpoint(PASSIVE)");
}

void SqliteHistory::checkpointWhenIdle() {
    if (checkpointDue_) return;
    checkpointDue_ = true;
    // Without an event loop (lorvant-cli) the close does it.
    QTimer::singleShot(kIdleCheckpointMs, idle_.get(), [this] { checkpoint(); });
}

SqliteHistory::~SqliteHistory() {
    disconnect();
}

std::unique_ptr<SqliteHistory> SqliteHistory::open(const std::string& path, QString& notice) {
    const QString file = QFile::decodeName(path.c_str());
    // The barcodes are the user's business: a folder made here is the user's alone.
    const QString folder = QFileInfo(file).absolutePath();
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    std::unique_ptr<SqliteHistory> history(new SqliteHistory(file));
    if (!history->connect(notice)) return nullptr;
    return history;
}

// Moves the file aside whole, with what its journal holds; `why` names what it is. False
// (with the notice) when it cannot be.
bool SqliteHistory::moveAside(const QString& why, QString& notice) {
    const QString aside =
        file_ + ".beschaedigt-" + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
    for (const char* suffix : {"-wal", "-shm"}) QFile::remove(file_ + suffix);
    if (!QFile::rename(file_, aside)) {
        notice = QStringLiteral(
                     "Der Verlauf %1 ist beschädigt und kann nicht "
                     "beiseite gelegt werden.")
                     .arg(file_);
        return false;
    }
    notice = QStringLiteral(
                 "Die Datei %1 ist %2; sie liegt jetzt unter %3, und ein neuer Verlauf "
                 "beginnt.")
                 .arg(file_, why, aside);
    return true;
}

void SqliteHistory::disconnect() {
    if (connection_.isEmpty()) return;
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
    connection_.clear();
}

bool SqliteHistory::connect(QString& notice) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        disconnect();
        connection_ = newConnectionName();
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection_);
        db.setDatabaseName(file_);
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
        if (!db.open()) {
            notice = QStringLiteral("Der Verlauf %1 kann nicht geöffnet werden: %2")
                         .arg(file_, db.lastError().text());
            return false;
        }
        const int state = inspect(db);
        if (state != 0) {
            db.close();
            db = QSqlDatabase();
            disconnect();
            if (!moveAside(state == 1 ? "beschädigt" : "kein Verlauf von Lorvant", notice))
                return false;
            continue;
        }
        QSqlQuery query(db);
        query.exec("PRAGMA journal_mode = WAL");
        query.exec("PRAGMA foreign_keys = ON");
        // SQLite would copy the log into the file inside a commit every thousand pages: in a
        // long history, tens of milliseconds added to every other transfer. It is done once
        // the program is idle again (checkpoint()), and when the history closes.
        query.exec("PRAGMA wal_autocheckpoint = 0");
        // A full unit's rows touch some 600 pages of a long history's barcode index: kept in
        // memory, a recording neither spills them nor reads them again.
        query.exec("PRAGMA cache_size = -32000");
        QString reason;
        if (!createSchema(db, reason)) {
            notice =
                QStringLiteral("Der Verlauf %1 kann nicht angelegt werden: %2").arg(file_, reason);
            return false;
        }
        return true;
    }
    return false;
}

std::string SqliteHistory::takeNotice() {
    return std::exchange(notice_, {});
}

int64_t SqliteHistory::record(const Reception& reception,
                              const std::optional<ScannerRegistry::Entry>& entry,
                              const LocalDateTime& readAt, std::string& error) {
    damaged_ = false;
    const int64_t id = recordOnce(reception, entry, readAt, error);
    if (id != 0) checkpointWhenIdle();
    if (id != 0 || !damaged_) return id;
    // The file is damaged inside (its start looked sound): it is moved aside and the
    // reception goes into a new history, never lost for it.
    QString notice;
    disconnect();
    const bool anew = moveAside("beschädigt", notice) && connect(notice);
    notice_ = notice.toStdString();
    if (!anew) return 0;
    error.clear();
    return recordOnce(reception, entry, readAt, error);
}

int64_t SqliteHistory::recordOnce(const Reception& reception,
                                  const std::optional<ScannerRegistry::Entry>& entry,
                                  const LocalDateTime& readAt, std::string& error) {
    QSqlDatabase db = QSqlDatabase::database(connection_);
    const auto fail = [&](const QSqlError& why) {
        error = why.text().toStdString();
        damaged_ = isDamage(why);
        db.rollback();
        return int64_t(0);
    };
    // The rows the scanner's previous reception held: read again without a clearing.
    std::set<std::pair<std::string, QString>> before;
    QSqlQuery query(db);
    query.prepare(
        "SELECT barcode, stamp FROM rows WHERE reception = (SELECT max(id) FROM receptions "
        "WHERE serial = ?)");
    query.addBindValue(QString::fromStdString(reception.serial));
    if (!query.exec()) return fail(query.lastError());
    while (query.next()) before.insert({text(query.value(0)), query.value(1).toString()});
    if (query.lastError().isValid()) return fail(query.lastError());

    if (!db.transaction()) return fail(db.lastError());
    query.prepare(
        "INSERT INTO receptions (read_at, serial, scanner_id, name, count, complete, "
        "data_format) VALUES (?, ?, ?, ?, ?, ?, ?)");
    query.addBindValue(timeText(readAt));
    query.addBindValue(QString::fromStdString(reception.serial));
    query.addBindValue(entry ? bytes(entry->id()) : QByteArray());
    query.addBindValue(entry ? bytes(entry->name()) : QByteArray());
    query.addBindValue(int(reception.rows.size()));
    query.addBindValue(reception.complete ? 1 : 0);
    query.addBindValue(int(reception.dataFormat));
    if (!query.exec()) return fail(query.lastError());
    const int64_t id = query.lastInsertId().toLongLong();
    query.prepare(
        "INSERT INTO rows (reception, position, barcode, type, stamp, line, repeated) VALUES "
        "(?, ?, ?, ?, ?, ?, ?)");
    for (size_t i = 0; i < reception.rows.size(); ++i) {
        const ReceivedRow& row = reception.rows[i];
        const std::string barcode = row.fields.empty() ? std::string() : row.fields[0];
        const QVariant stamp = row.stamped ? QVariant(timeText(row.stamp)) : QVariant();
        query.addBindValue(qint64(id));
        query.addBindValue(int(i));
        query.addBindValue(bytes(barcode));
        query.addBindValue(row.codeType);
        query.addBindValue(stamp);
        query.addBindValue(bytes(row.line));
        query.addBindValue(before.count({barcode, stamp.toString()}) ? 1 : 0);
        if (!query.exec()) return fail(query.lastError());
    }
    if (!db.commit()) return fail(db.lastError());
    return id;
}

bool SqliteHistory::markDelivered(int64_t id, HistoryDelivery delivery, const std::string& file,
                                  std::string& error) {
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.prepare("UPDATE receptions SET delivered = ?, file = ? WHERE id = ?");
    query.addBindValue(int(delivery));
    query.addBindValue(delivery == HistoryDelivery::Saved ? bytes(file) : QVariant());
    query.addBindValue(qint64(id));
    if (query.exec()) return true;
    error = reasonOf(query);
    return false;
}

std::vector<HistoryEntry> SqliteHistory::receptions(int limit, int offset) {
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.setForwardOnly(true);
    query.prepare(QString(kEntryColumns) + "ORDER BY id DESC LIMIT ? OFFSET ?");
    query.addBindValue(limit);
    query.addBindValue(offset);
    std::vector<HistoryEntry> entries;
    if (query.exec())
        while (query.next()) entries.push_back(entryFrom(query));
    return entries;
}

std::optional<HistoryEntry> SqliteHistory::reception(int64_t id) {
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.prepare(QString(kEntryColumns) + "WHERE id = ?");
    query.addBindValue(qint64(id));
    if (query.exec() && query.next()) return entryFrom(query);
    return std::nullopt;
}

std::vector<HistoryRow> SqliteHistory::rows(int64_t id) {
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.setForwardOnly(true);
    query.prepare(
        "SELECT barcode, type, stamp, line, repeated FROM rows WHERE reception = ? ORDER BY "
        "position");
    query.addBindValue(qint64(id));
    std::vector<HistoryRow> rows;
    if (!query.exec()) return rows;
    while (query.next()) {
        HistoryRow row;
        row.barcode = text(query.value(0));
        row.codeType = query.value(1).toInt();
        row.stamped = !query.value(2).isNull();
        if (row.stamped) row.stamp = parsedTime(query.value(2).toString());
        row.line = text(query.value(3));
        row.repeated = query.value(4).toBool();
        rows.push_back(std::move(row));
    }
    return rows;
}

int64_t SqliteHistory::receptionCount() {
    QSqlQuery query(QSqlDatabase::database(connection_));
    return query.exec("SELECT count(*) FROM receptions") && query.next()
               ? query.value(0).toLongLong()
               : 0;
}

std::vector<ReceptionHistory::Found> SqliteHistory::search(const std::string& barcode) {
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.setForwardOnly(true);
    query.prepare(
        "SELECT reception, position FROM rows WHERE barcode = ? ORDER BY reception DESC, "
        "position");
    query.addBindValue(bytes(barcode));
    std::vector<Found> found;
    if (!query.exec()) return found;
    while (query.next()) {
        const int64_t id = query.value(0).toLongLong();
        if (found.empty() || found.back().entry.id != id) {
            found.push_back({});
            found.back().entry.id = id;
        }
        found.back().rows.push_back(query.value(1).toInt());
    }
    for (Found& each : found)
        if (auto entry = reception(each.entry.id)) each.entry = *entry;
    return found;
}

int SqliteHistory::prune(const LocalDateTime& before) {
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.prepare("DELETE FROM receptions WHERE read_at < ?");
    query.addBindValue(timeText(before));
    return query.exec() ? query.numRowsAffected() : 0;
}
