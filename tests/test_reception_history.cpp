// The reception history in a real SQLite file: a recorded reception written out again byte
// for byte, a repeated reading marked, the search, the keeping, and files that are not a
// history of ours.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "core/barcode_reception.h"
#include "core/reception_history.h"
#include "core/transfers.h"
#include "file_helpers.h"
#include "scanner/cs1504_codec.h"
#include "system/sqlite_history.h"
#include "unit_fixture.h"

namespace {
const std::array<uint8_t, 8> kSerial = {0x00, 0x1A, 0xFF, 0x07, 0x10, 0x20, 0x30, 0x4B};
const LocalDateTime kReadAt{2026, 12, 7, 10, 0, 0, 0};
}  // namespace

class ReceptionHistoryTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    UnitFixture unit_;
    ScannerRegistry registry_;

    std::string path() const { return dir_.filePath("history.sqlite").toStdString(); }
    Reception read(const Settings& settings) {
        return receiveBarcodes(*unit_.library, settings, registry_);
    }

  private slots:
    void init() {
        QFile::remove(QString::fromStdString(path()));
        unit_.setUp(dir_, {"Data.txt"}, kReadAt, kSerial);
        unit_.device.barcodes = {
            {0x0B, "4006381333931", cs1504::packTimeStamp(2026, 12, 6, 14, 5, 9)},
            {0x03, "K\xC4SE;7", cs1504::packTimeStamp(2026, 12, 6, 14, 6, 0)}};
        registry_.setRows(
            {"001aff071020304b;ab12;Lager S\xfc"
             "d"});
        QCOMPARE(unit_.library->OpenScannerPort(0), 0);
    }
    void cleanup() { unit_.tearDown(); }

    // Each data format and separator, with the scanner record: what a save wrote, the
    // history gives back, also after a restart.
    void aRecordedReceptionIsWrittenOutAgainByteForByte() {
        for (const DataFormat format : {DataFormat::TimeAndDate, DataFormat::Time, DataFormat::Date,
                                        DataFormat::BarcodeOnly}) {
            Settings settings;
            settings.dataFormat = format;
            settings.fieldSeparator = format == DataFormat::Time ? "\t" : ",";
            settings.scannerRecordFirst = true;
            const Reception reception = read(settings);
            QVERIFY(reception.complete);
            int64_t id = 0;
            {
                QString notice;
                auto history = SqliteHistory::open(path(), notice);
                QVERIFY2(history, qPrintable(notice));
                const HistoryRecord record =
                    recordReception(history.get(), reception, registry_, kReadAt);
                QVERIFY2(record.id > 0, record.problem.c_str());
                id = record.id;
                std::string error;
                QVERIFY(history->markDelivered(id, HistoryDelivery::Saved, "/tmp/D.txt", error));
            }
            QString notice;
            auto history = SqliteHistory::open(path(), notice);
            QVERIFY(history && notice.isEmpty());
            const auto entry = history->reception(id);
            QVERIFY(entry);
            QCOMPARE(entry->delivered, HistoryDelivery::Saved);
            QCOMPARE(entry->file, std::string("/tmp/D.txt"));
            QCOMPARE(entry->name, std::string("Lager S\xfc"
                                              "d"));
            QCOMPARE(entry->readAt.hour, 10);
            const Reception again = replayedReception(*entry, history->rows(id), settings);
            QCOMPARE(receptionBytes(again, settings), receptionBytes(reception, settings));
        }
    }

    // The unit read twice without a clearing: the second reception's rows are marked, and
    // the search finds the barcode in both, newest first.
    void aRepeatedReadingIsMarkedAndFound() {
        QString notice;
        auto history = SqliteHistory::open(path(), notice);
        QVERIFY(history);
        const Settings settings;
        const int64_t first = recordReception(history.get(), read(settings), registry_, kReadAt).id;
        unit_.device.barcodes.push_back(
            {0x0B, "9780201379624", cs1504::packTimeStamp(2026, 12, 7, 9, 0, 0)});
        LocalDateTime later = kReadAt;
        later.day = 8;
        const HistoryRecord again =
            recordReception(history.get(), read(settings), registry_, later);
        const int64_t second = again.id;
        QVERIFY(first > 0 && second > first);
        std::vector<bool> repeated;
        for (const HistoryRow& row : history->rows(second)) repeated.push_back(row.repeated);
        QCOMPARE(repeated, (std::vector<bool>{true, true, false}));
        // What the receive window marks.
        QCOMPARE(again.repeated, repeated);
        QVERIFY(!history->rows(first)[0].repeated);

        const auto found = history->search("4006381333931");
        QCOMPARE(found.size(), size_t(2));
        QCOMPARE(found[0].entry.id, second);
        QCOMPARE(found[0].rows, std::vector<int>{0});
        QCOMPARE(found[1].entry.serial, std::string("001aff071020304b"));
        QVERIFY(history->search("400638133393").empty());

        QCOMPARE(history->receptions(1, 0).front().id, second);
        // Keeping 7 days, at the start of a run on 14 December, 10:00:01: the reception of the
        // 7th, 10:00, is more than 7 days old and goes, with its rows; 0 keeps everything.
        const LocalDateTime start{2026, 12, 14, 10, 0, 1, 0};
        QCOMPARE(pruneHistory(history.get(), 0, start), 0);
        QCOMPARE(pruneHistory(history.get(), 7, start), 1);
        QCOMPARE(history->receptionCount(), int64_t(1));
        QVERIFY(history->rows(first).empty());
        // Across a year's end: on 3 January, 40 days back is 24 November.
        QCOMPARE(pruneHistory(history.get(), 40, {2027, 1, 3, 0, 0, 0, 0}), 0);
        QCOMPARE(pruneHistory(history.get(), 25, {2027, 1, 3, 0, 0, 0, 0}), 1);
    }

    // A damaged file and another program's database are moved aside, whole, and a new
    // history starts, at the start or when a recording finds the damage; where no file can
    // be made, there is none, with a reason.
    void filesThatAreNoHistoryOfOursAreMovedAside() {
        const QString file = QString::fromStdString(path());
        const std::string garbage(5000, '\x5a');
        for (const bool foreign : {false, true}) {
            QDir(dir_.path()).removeRecursively();
            QVERIFY(QDir().mkpath(dir_.path()));
            if (foreign) {
                QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
                db.setDatabaseName(file);
                QVERIFY(db.open());
                QSqlQuery(db).exec("CREATE TABLE invoices (n INTEGER)");
                db.close();
            } else {
                QVERIFY(putFile(file, garbage));
            }
            QSqlDatabase::removeDatabase("foreign");
            const std::string before = fileBytes(file);
            QString notice;
            auto history = SqliteHistory::open(path(), notice);
            QVERIFY(history);
            QVERIFY2(notice.contains(foreign ? "kein Verlauf von Lorvant" : "beschädigt"),
                     qPrintable(notice));
            const QStringList aside =
                QDir(dir_.path()).entryList({"history.sqlite.beschaedigt-*"}, QDir::Files);
            QCOMPARE(aside.size(), 1);
            QCOMPARE(fileBytes(dir_.filePath(aside[0])), before);
            QVERIFY(recordReception(history.get(), read(Settings()), registry_, kReadAt).id > 0);
        }
        // Damaged behind a sound start: found when a reception is recorded, which then goes
        // into a new history, the damaged file moved aside and the user told.
        QDir(dir_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(dir_.path()));
        {
            QString notice;
            auto history = SqliteHistory::open(path(), notice);
            for (int i = 0; i < 40; ++i)
                QVERIFY(recordReception(history.get(), read(Settings()), registry_, kReadAt).id);
        }
        std::string damaged = fileBytes(file);
        QVERIFY(damaged.size() > 3 * 4096);
        for (size_t i = 4096; i < damaged.size(); ++i) damaged[i] = char(i * 7);
        QVERIFY(putFile(file, damaged));
        {
            QString notice;
            auto history = SqliteHistory::open(path(), notice);
            QVERIFY(history && notice.isEmpty());
            const HistoryRecord record =
                recordReception(history.get(), read(Settings()), registry_, kReadAt);
            QVERIFY2(record.id > 0, record.problem.c_str());
            QVERIFY2(record.notice.find("beschädigt") != std::string::npos, record.notice.c_str());
            QCOMPARE(history->receptionCount(), int64_t(1));
            QCOMPARE(history->rows(record.id).size(), size_t(2));
            const QStringList aside =
                QDir(dir_.path()).entryList({"history.sqlite.beschaedigt-*"}, QDir::Files);
            QCOMPARE(aside.size(), 1);
            QCOMPARE(fileBytes(dir_.filePath(aside[0])), damaged);
        }
        // No folder can be made where a file stands.
        QVERIFY(putFile(dir_.filePath("plain"), "x"));
        QString notice;
        QVERIFY(!SqliteHistory::open(dir_.filePath("plain/history.sqlite").toStdString(), notice));
        QVERIFY2(notice.contains("kann nicht"), qPrintable(notice));
    }
};

QTEST_GUILESS_MAIN(ReceptionHistoryTest)
#include "test_reception_history.moc"
