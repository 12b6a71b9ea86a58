// Records a reception in the history, for the crash test that ends it with SIGKILL part way:
//
//   crash_history_helper FILE ROWS [again]
//
// Opens the history FILE and records a reception of ROWS barcodes with time stamps from the
// unit 0000A1B2C3D4E5F6. Row n is the same barcode in every reception, so a smaller
// reception is the start of a larger one (and those rows count as read again). With "again"
// it records the reception again and again until it is ended, writing one byte to its
// standard output after each. It writes one byte to its standard output when it is about to
// start, and with LORVANT_STOP_BEFORE_SAVE set it stops itself there first, so that a tracer
// can count the system calls of the recording alone.
#include <unistd.h>

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/reception.h"
#include "system/sqlite_history.h"
#include "text/delimited_text.h"

namespace {

Reception unitReception(int count) {
    Reception reception;
    reception.dataFormat = DataFormat::TimeAndDate;
    reception.listed = true;
    reception.complete = true;
    reception.count = count;
    reception.serial = "0000A1B2C3D4E5F6";
    reception.scannerRecord =
        "LG;Lager S\xFC"
        "d\r\n";
    for (int i = 0; i < count; ++i) {
        ReceivedRow row;
        // Mostly EAN-13, every fourth an EAN-8, each scanned seven seconds after the last.
        const bool short8 = i % 4 == 3;
        char barcode[24];
        std::snprintf(barcode, sizeof barcode, short8 ? "9031%04d" : "4006381%06d", i);
        const int seconds = 8 * 3600 + 7 * i;
        row.codeType = short8 ? 0x0A : 0x0B;
        row.stamped = true;
        row.stamp = {2026, 12, 6, seconds / 3600, seconds / 60 % 60, seconds % 60, 0};
        row.fields = barcodeFields(barcode, reception.dataFormat, row.stamp);
        row.line = joinFields(row.fields, ";");
        reception.rows.push_back(std::move(row));
    }
    return reception;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 3) return 2;
    const std::string path = argv[1];
    const int count = std::atoi(argv[2]);
    const bool again = argc > 3 && std::string(argv[3]) == "again";
    if (count <= 0) return 2;
    QString notice;
    const auto history = SqliteHistory::open(path, notice);
    if (!history || !notice.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(notice));
        return 3;
    }
    const Reception reception = unitReception(count);
    const ScannerRegistry::Entry entry{
        "0000A1B2C3D4E5F6;LG;Lager S\xFC"
        "d"};
    // A smaller reception was read earlier in the day.
    const LocalDateTime readAt{2026, 12, 6, count < 100 ? 9 : 15, 30, 0, 0};
    if (std::getenv("LORVANT_STOP_BEFORE_SAVE")) std::raise(SIGSTOP);
    if (::write(STDOUT_FILENO, "s", 1) != 1) return 4;
    std::string error;
    do {
        if (history->record(reception, entry, readAt, error) == 0) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        if (again && ::write(STDOUT_FILENO, "r", 1) != 1) return 4;
    } while (again);
    return 0;
}
