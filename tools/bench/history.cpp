// bench-history: the reception history with years of receptions behind it. Recording a
// full unit's reception into an empty history and into one of 100 000 receptions (about
// 2 million rows), opening that history as the history window does, and searching it for
// a barcode. Not a test: it prints figures, each with its target.
//
//   bench-history [RUNS]
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/history_browser.h"
#include "core/program_data.h"
#include "formats/reception.h"
#include "system/sqlite_history.h"
#include "text/delimited_text.h"
#include "windows/history_form.h"

namespace {

constexpr int kUnitRows = 500;
constexpr int kReceptions = 100000;
constexpr int kRowsEach = 20;
constexpr int kProducts = 200000;
const char* const kSerials[] = {"001aff075c10420b", "001aff075c1042f3", "0000A1B2C3D4E5F6",
                                "001aff0800a1c377", "001aff0800a1d012"};
// Scanned into three receptions only, far apart.
const std::string kRareBarcode = "4012345678901";
const std::string kAbsentBarcode = "9999999999994";

double ms(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double maxOf(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

// The check digit of an EAN or UPC code.
char checkDigit(const std::string& digits) {
    int sum = 0;
    for (size_t i = 0; i < digits.size(); ++i)
        sum += (digits[digits.size() - 1 - i] - '0') * (i % 2 == 0 ? 3 : 1);
    return char('0' + (10 - sum % 10) % 10);
}

// Product `n` of the stock: mostly EAN-13, some EAN-8, UPC-A and numeric Code 128 labels
// (8 to 13 digits); its code type as the unit reports it.
std::string productBarcode(int n, int& codeType) {
    char digits[24];
    switch (n % 10) {
        case 6:
        case 7:
            std::snprintf(digits, sizeof digits, "90%05d", n % 100000);
            codeType = 0x0A;
            break;
        case 8:
            std::snprintf(digits, sizeof digits, "03600%06d", n % 1000000);
            codeType = 0x08;
            break;
        case 9:
            std::snprintf(digits, sizeof digits, "%010d", 1000000000 + n);
            codeType = 0x03;
            return digits;
        default:
            std::snprintf(digits, sizeof digits, "400638%06d", n);
            codeType = 0x0B;
    }
    return std::string(digits) + checkDigit(digits);
}

ReceivedRow rowOf(const std::string& barcode, int codeType, const LocalDateTime& stamp) {
    ReceivedRow row;
    row.codeType = codeType;
    row.stamped = true;
    row.stamp = stamp;
    row.fields = barcodeFields(barcode, DataFormat::TimeAndDate, stamp);
    row.line = joinFields(row.fields, ";");
    return row;
}

LocalDateTime localOf(const QDateTime& time) {
    return {time.date().year(),
            time.date().month(),
            time.date().day(),
            time.time().hour(),
            time.time().minute(),
            time.time().second(),
            0};
}

// A full unit: 500 barcodes scanned through a working day, a few seconds apart.
Reception fullUnit(const char* serial, QRandomGenerator& random) {
    Reception reception;
    reception.listed = reception.complete = true;
    reception.count = kUnitRows;
    reception.serial = serial;
    reception.scannerRecord = "LG;Lager\r\n";
    QDateTime stamp(QDate(2026, 12, 7), QTime(7, 30));
    for (int i = 0; i < kUnitRows; ++i) {
        int codeType = 0;
        const std::string barcode = productBarcode(random.bounded(kProducts), codeType);
        stamp = stamp.addSecs(5 + random.bounded(60));
        reception.rows.push_back(rowOf(barcode, codeType, localOf(stamp)));
    }
    return reception;
}

const ScannerRegistry::Entry kEntry{"0000A1B2C3D4E5F6;LG;Lager"};
const LocalDateTime kReadAt{2026, 12, 7, 16, 45, 0, 0};

// Records `reception` into the history at `path` `runs` times, each timed; nothing when a
// recording failed.
std::vector<double> timeRecording(const QString& path, const Reception& reception, int runs,
                                  bool freshFile, std::vector<double>& checkpoints) {
    std::vector<double> times;
    std::unique_ptr<SqliteHistory> history;
    for (int run = 0; run < runs; ++run) {
        QString notice;
        const QString file = freshFile ? path + QString::number(run) + ".sqlite" : path;
        if (!history || freshFile) history = SqliteHistory::open(file.toStdString(), notice);
        if (!history) {
            std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(file), qPrintable(notice));
            return {};
        }
        std::string error;
        QElapsedTimer timer;
        timer.start();
        if (history->record(reception, kEntry, kReadAt, error) == 0) {
            std::fprintf(stderr, "recording failed: %s\n", error.c_str());
            return {};
        }
        times.push_back(ms(timer));
        // What the program does once it is idle again, outside the transfer.
        timer.start();
        history->checkpoint();
        checkpoints.push_back(ms(timer));
    }
    return times;
}

bool exec(QSqlQuery& query) {
    if (query.exec()) return true;
    std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
    return false;
}

// 100 000 receptions of 20 rows each from five units, one every quarter of an hour,
// written straight into the tables SqliteHistory made, in one transaction.
bool buildLongHistory(const QString& path, QRandomGenerator& random) {
    {
        QString notice;
        if (!SqliteHistory::open(path.toStdString(), notice)) {
            std::fprintf(stderr, "cannot start %s: %s\n", qPrintable(path), qPrintable(notice));
            return false;
        }
    }
    bool built = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-build");
        db.setDatabaseName(path);
        if (!db.open()) return false;
        QSqlQuery query(db);
        query.exec("PRAGMA cache_size = -1000000");
        QSqlQuery reception(db), row(db);
        reception.prepare(
            "INSERT INTO receptions (id, read_at, serial, scanner_id, name, count, complete, "
            "data_format, delivered, file) VALUES (?, ?, ?, ?, ?, ?, 1, 0, 1, ?)");
        row.prepare(
            "INSERT INTO rows (reception, position, barcode, type, stamp, line, repeated) "
            "VALUES (?, ?, ?, ?, ?, ?, 0)");
        const QDateTime first(QDate(2024, 1, 2), QTime(7, 0));
        const std::vector<int> rare = {10, kReceptions / 2, kReceptions - 10};
        db.transaction();
        built = true;
        for (int id = 1; id <= kReceptions && built; ++id) {
            const QDateTime readAt = first.addSecs(qint64(id) * 900);
            reception.bindValue(0, id);
            reception.bindValue(1, readAt.toString("yyyy-MM-dd HH:mm:ss"));
            reception.bindValue(2, QString(kSerials[id % 5]));
            reception.bindValue(3, QByteArray("LG"));
            reception.bindValue(4, QByteArray("Lager"));
            reception.bindValue(5, kRowsEach);
            reception.bindValue(6, QByteArray("/home/lager/Daten/Data.txt"));
            built = exec(reception);
            for (int position = 0; position < kRowsEach && built; ++position) {
                int codeType = 0;
                std::string barcode = productBarcode(random.bounded(kProducts), codeType);
                if (position == 7 && std::count(rare.begin(), rare.end(), id)) {
                    barcode = kRareBarcode;
                    codeType = 0x0B;
                }
                const QDateTime stamp = readAt.addSecs(-600 + position * 25);
                const ReceivedRow each = rowOf(barcode, codeType, localOf(stamp));
                row.bindValue(0, id);
                row.bindValue(1, position);
                row.bindValue(2, QByteArray::fromStdString(barcode));
                row.bindValue(3, codeType);
                row.bindValue(4, stamp.toString("yyyy-MM-dd HH:mm:ss"));
                row.bindValue(5, QByteArray::fromStdString(each.line));
                built = exec(row);
            }
        }
        built = built && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-build");
    return built;
}

struct OpenTimes {
    double whole = 0, open = 0, count = 0, newest = 0, rows = 0;
};

// As the history window comes up: open, count, the first page, the rows of the newest.
bool openAsWindow(const QString& path, OpenTimes& times) {
    QElapsedTimer timer, part;
    timer.start();
    part.start();
    QString notice;
    const auto history = SqliteHistory::open(path.toStdString(), notice);
    if (!history || !notice.isEmpty()) {
        std::fprintf(stderr, "opening: %s\n", qPrintable(notice));
        return false;
    }
    times.open = ms(part);
    part.restart();
    const int64_t count = history->receptionCount();
    times.count = ms(part);
    part.restart();
    const auto page = history->receptions(200, 0);
    times.newest = ms(part);
    part.restart();
    const auto rows = page.empty() ? std::vector<HistoryRow>() : history->rows(page[0].id);
    times.rows = ms(part);
    times.whole = ms(timer);
    if (count < kReceptions || page.size() != 200 || rows.empty()) {
        std::fprintf(stderr, "opening found %lld receptions, %zu on the page, %zu rows\n",
                     static_cast<long long>(count), page.size(), rows.size());
        return false;
    }
    return true;
}

void printTimes(const char* what, const std::vector<double>& times, const char* target) {
    std::printf("%s: median %.2f ms, max %.2f ms over %zu runs (target: %s)\n  each run:", what,
                medianOf(times), maxOf(times), times.size(), target);
    for (double each : times) std::printf(" %.1f", each);
    std::printf(" ms\n");
}

}  // namespace

int main(int argc, char** argv) {
    // The window is measured on Qt's offscreen screen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    QTemporaryDir directory;
    if (!directory.isValid()) return 1;
    QRandomGenerator random(1504);
    const Reception unit = fullUnit(kSerials[2], random);

    std::vector<double> checkpoints;
    const auto intoEmpty =
        timeRecording(directory.filePath("empty-"), unit, runs, true, checkpoints);
    if (intoEmpty.empty()) return 1;
    printTimes("record a full unit (500 rows) into an empty history", intoEmpty, "at most 20 ms");

    const QString path = directory.filePath("history.sqlite");
    QElapsedTimer building;
    building.start();
    if (!buildLongHistory(path, random)) return 1;
    std::printf("built %d receptions, %d rows, in %.1f s: file %.1f MiB\n", kReceptions,
                kReceptions * kRowsEach, double(building.elapsed()) / 1000.0,
                double(QFileInfo(path).size()) / (1024.0 * 1024.0));

    std::vector<OpenTimes> opens;
    for (int run = 0; run < runs; ++run) {
        OpenTimes times;
        if (!openAsWindow(path, times)) return 1;
        opens.push_back(times);
    }
    const auto median = [&opens](double OpenTimes::*part) {
        std::vector<double> values;
        for (const OpenTimes& each : opens) values.push_back(each.*part);
        return medianOf(values);
    };
    std::printf(
        "open as the history window (open, count, 200 newest, rows of the newest): first "
        "%.2f ms, median %.2f ms over %d (target: under 300 ms)\n",
        opens[0].whole, median(&OpenTimes::whole), runs);
    std::printf("  median of each: open %.2f ms, count %.2f ms, 200 newest %.2f ms, rows %.2f ms\n",
                median(&OpenTimes::open), median(&OpenTimes::count), median(&OpenTimes::newest),
                median(&OpenTimes::rows));

    // The history window itself: the history opened, the window made, listed, on the screen.
    std::vector<double> windowTimes;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        QString notice;
        const auto history = SqliteHistory::open(path.toStdString(), notice);
        ProgramData data;
        data.history = history.get();
        THistoryForm window(data, nullptr);
        if (!window.reload() || window.browser()->entries().size() != 200) return 1;
        window.show();
        QCoreApplication::processEvents();
        windowTimes.push_back(ms(timer));
    }
    printTimes("the history window (open, made, listed, shown)", windowTimes, "under 300 ms");

    {
        QString notice;
        const auto history = SqliteHistory::open(path.toStdString(), notice);
        if (!history) return 1;
        for (const std::string& barcode : {kRareBarcode, kAbsentBarcode}) {
            std::vector<double> times;
            size_t found = 0;
            for (int run = 0; run < runs; ++run) {
                QElapsedTimer timer;
                timer.start();
                found = history->search(barcode).size();
                times.push_back(ms(timer));
            }
            std::printf(
                "search %s (in %zu receptions): median %.2f ms, max %.2f ms (target: "
                "under 100 ms)\n",
                barcode.c_str(), found, medianOf(times), maxOf(times));
        }
    }

    checkpoints.clear();
    const auto intoLong = timeRecording(path, unit, runs, false, checkpoints);
    if (intoLong.empty()) return 1;
    printTimes("record a full unit (500 rows) into the history of 100 000 receptions", intoLong,
               "at most 20 ms");
    printTimes("  then, once idle, outside the transfer: the checkpoint", checkpoints, "none");
    return 0;
}
