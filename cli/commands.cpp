#include "cli/commands.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <array>
#include <cstdio>

#include "cli/cli_texts.h"
#include "cli/command_support.h"
#include "cli/interruption.h"
#include "cli/json_lines.h"
#include "cli/output.h"
#include "cli/scanner_port.h"
#include "core/barcode_reception.h"
#include "core/program_data.h"
#include "core/reception_history.h"
#include "core/transfers.h"
#include "formats/data_file.h"
#include "formats/reception.h"
#include "system/scanner_list_messages.h"
#include "text/clock.h"
#include "text/cp1252.h"
#include "text/texts.h"

using namespace cli;

namespace {

// On a terminal, the barcodes the upload has brought so far, on one line that is rewritten
// at most ten times a second and cleared at the end.
class ProgressLine {
  public:
    explicit ProgressLine(ScannerLibrary& scanner) : scanner_(scanner) {
        if (!errorIsTerminal()) return;
        scanner_.setUploadProgressHandler([this](const UploadProgress& progress) {
            if (progress.barcodes == shown_ && !progress.done) return;
            if (!progress.done && timer_.isValid() && timer_.elapsed() < 100) return;
            timer_.start();
            shown_ = progress.barcodes;
            const QString line = QString(texts::kProgressBarcodes).arg(progress.barcodes);
            std::fprintf(stderr, "\r%s", line.toLocal8Bit().constData());
            std::fflush(stderr);
        });
    }
    ~ProgressLine() {
        scanner_.setUploadProgressHandler({});
        if (timer_.isValid()) std::fputs("\r\x1b[K", stderr);
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

  private:
    ScannerLibrary& scanner_;
    QElapsedTimer timer_;
    int shown_ = -1;
};

// What keeps a reception from being delivered, said; 0 when it may be.
int receptionFailure(const Reception& reception, ScannerPort& port, const ProgramData& data) {
    switch (reception.problem) {
        case ReceptionProblem::None:
            return kDone;
        case ReceptionProblem::NoConnection:
            return scannerFailure(port, trimmed(texts::kNoConnection));
        case ReceptionProblem::UnknownScanner: {
            uint8_t serial[kSerialNumberCapacity] = {};
            if (port.scanner().ReadSerialNumber(serial, kSerialNumberCapacity) != 0)
                return scannerFailure(port, trimmed(texts::kNoConnection));
            printError(trimmed(texts::kNoValidScanner) + " " +
                       QString(clitexts::kNotInScannerList)
                           .arg(QString::fromStdString(serialNumberText(serial)),
                                pathText(data.scannersPath())));
            return kNotRegistered;
        }
        case ReceptionProblem::SettingsNotRead:
            return scannerFailure(port, texts::kScannerSettingsNotRead);
        case ReceptionProblem::InvalidTimeStamp:
            // Half a reception is not delivered: a script that tries again would get its
            // first barcodes twice.
            printError(QString(texts::kTimeStampInvalid)
                           .arg(reception.problemBarcode)
                           .arg(fromCp1252Text(reception.problemText)) +
                       "\n" + clitexts::kNothingSaved);
            return kScannerProblem;
        case ReceptionProblem::BarcodesUnread:
            printError(
                QString(texts::kBarcodesUnread).arg(reception.problemBarcode).arg(reception.count) +
                "\n" + clitexts::kNothingSaved);
            return kScannerProblem;
        case ReceptionProblem::Cancelled:
            // Only Ctrl+C cancels here; it is handled before.
            return kScannerProblem;
        case ReceptionProblem::Stalled:
            printError(QString(texts::kReadingStalled) + "\n" + clitexts::kNothingSaved);
            return kScannerProblem;
    }
    return kScannerProblem;
}

// Whether the scanner is cleared once the barcodes are out: --erase and --no-erase decide;
// otherwise the settings, for a data file only.
bool eraseWanted(const CliOptions& options, const Settings& settings, bool toFile) {
    switch (options.erase) {
        case EraseChoice::Erase:
            return true;
        case EraseChoice::Keep:
            return false;
        case EraseChoice::Configured:
            return toFile && settings.eraseAfterTransfer;
    }
    return false;
}

// The clock and the erase after a delivered reception, as the settings and `erase` say.
int finishReception(ScannerPort& port, const ProgramData& data, const Reception& reception,
                    bool erase) {
    Settings rule = data.settings;
    rule.eraseAfterTransfer = erase;
    const AfterTransfer after = afterTransfer(rule, reception, true);
    int status = kDone;
    if (after.synchroniseClock) {
        if (!setScannerClock(port.scanner(), port.portIndex(), currentDateTime())) {
            if (interruptionSignal()) return interrupted(port, clitexts::kInterruptedAfterSave);
            printError(clitexts::kClockNotSet);
            status = kScannerProblem;
        } else if (after.clockWasLost) {
            printError(texts::kClockNowRight);
        }
    }
    if (interruptionSignal()) return interrupted(port, clitexts::kInterruptedAfterSave);
    if (!after.erase) return status;
    switch (eraseReceivedScanner(port.scanner(), reception.serial)) {
        case EraseOutcome::Erased:
            if (errorIsTerminal()) printError(clitexts::kErased);
            return status;
        case EraseOutcome::NotAnswering:
            if (interruptionSignal()) return interrupted(port, clitexts::kInterruptedAfterSave);
            printError(texts::kNotAnsweringNotErased);
            return kScannerProblem;
        case EraseOutcome::OtherScanner:
            printError(texts::kOtherScanner);
            return kScannerProblem;
    }
    return kScannerProblem;
}

LocalDateTime clockTime(const std::array<uint8_t, 6>& clock) {
    return {2000 + clock[5], clock[4], clock[3], clock[2], clock[1], clock[0], 0};
}

QString clockText(const LocalDateTime& time) {
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                             time.hour, time.minute, time.second);
}

// "YYYY-MM-DD hh:mm:ss" as a date and time the unit's clock can hold.
bool parseClockValue(const std::string& text, LocalDateTime& time) {
    static const QRegularExpression pattern(R"(^(\d{4})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})$)");
    const auto match = pattern.match(QString::fromLocal8Bit(text.c_str()));
    if (!match.hasMatch()) return false;
    const auto field = [&](int n) { return match.captured(n).toInt(); };
    time = {field(1), field(2), field(3), field(4), field(5), field(6), 0};
    return time.year >= 2000 && time.year <= 2099 &&
           QDate(time.year, time.month, time.day).isValid() &&
           QTime(time.hour, time.minute, time.second).isValid();
}

// An ID or name as the scanner list stores it (Windows-1252): false when it cannot hold
// it, or it would break the row (";" separates the fields, a line end the rows).
bool storable(const std::string& given, std::string& bytes, QString& problem, bool isId) {
    bytes = cp1252::fromUtf8(given);
    const QString shown = QString::fromLocal8Bit(given.c_str());
    if (cp1252::toUtf8(bytes) != given) {
        problem = QString(clitexts::kNotStorable).arg(shown);
        return false;
    }
    bool fits = bytes.find(';') == std::string::npos;
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) fits = false;
    if (isId && (bytes.empty() || bytes.size() > 4)) fits = false;
    if (!fits) problem = QString(isId ? clitexts::kIdInvalid : clitexts::kNameInvalid).arg(shown);
    return fits;
}

}  // namespace

namespace {

// In the history before anything leaves or is erased; what went wrong there is said.
HistoryRecord recordInHistory(ProgramData& data, const Reception& reception) {
    const HistoryRecord recorded =
        recordReception(data.history, reception, data.scanners, currentDateTime());
    if (!recorded.notice.empty()) printError(QString::fromStdString(recorded.notice));
    if (!recorded.problem.empty())
        printError(QString(texts::kNotInHistory).arg(QString::fromStdString(recorded.problem)));
    return recorded;
}

// Where the reception went: delivered or not, the line that says so, and a failure's status.
struct Delivery {
    bool delivered = true;
    QString summary;
    int status = 0;
};

class ReceptionDelivery {
  public:
    ReceptionDelivery(const CliOptions& options, ProgramData& data, const Reception& reception)
        : options_(options),
          data_(data),
          reception_(reception),
          recorded_(recordInHistory(data, reception)),
          bytes_(options.json ? receptionJsonLines(reception, data.scanners.find(reception.serial))
                              : receptionBytes(reception, data.settings)) {}

    Delivery toFile() {
        const Settings& settings = data_.settings;
        // --output names the file itself; the counter numbers the configured one.
        const bool counted = !options_.output && settings.counterActive;
        const auto pathFor = [&](int32_t counter) {
            return options_.output ? *options_.output : dataFilePath(settings, counter);
        };
        const std::string next = pathFor(counted ? data_.nextFileCounter() : 0);
        if (emptyReceptionOverwritesData(reception_, settings, next)) {
            // The window program asks first; here nobody can be asked, so the file stays.
            printError(QString(clitexts::kEmptyUnitKeepsFile).arg(pathText(next)));
            return {false, {}, 0};
        }
        const std::string path = pathFor(counted ? data_.takeFileCounter() : 0);
        std::string reason;
        const bool saved =
            options_.json
                ? writeDataFile(path, bytes_, settings.saveOption == SaveOption::Append, reason)
                : saveReception(reception_, settings, path, reason);
        if (!saved) {
            printError(QString(texts::kDataNotSaved)
                           .arg(pathText(path), QString::fromUtf8(reason.c_str())) +
                       "\n" + clitexts::kScannerKeepsBarcodes);
            return {false, {}, kNotWritten};
        }
        noteDelivery(path);
        return {true, QString(clitexts::kSavedTo).arg(reception_.rows.size()).arg(pathText(path)),
                0};
    }

    Delivery toStandardOutput() {
        std::string reason;
        if (!writeStandardOutput(bytes_, reason)) {
            printError(QString(clitexts::kStandardOutputFailed)
                           .arg(QString::fromLocal8Bit(reason.c_str())) +
                       "\n" + clitexts::kScannerKeepsBarcodes);
            return {false, {}, kNotWritten};
        }
        noteDelivery("-");
        return {true, QString(clitexts::kWrittenToOutput).arg(reception_.rows.size()), 0};
    }

  private:
    void noteDelivery(const std::string& file) {
        std::string error;
        if (recorded_.id &&
            !data_.history->markDelivered(recorded_.id, HistoryDelivery::Saved, file, error))
            printError(QString(texts::kNotInHistory).arg(QString::fromStdString(error)));
    }

    const CliOptions& options_;
    ProgramData& data_;
    const Reception& reception_;
    const HistoryRecord recorded_;
    const std::string bytes_;
};

}  // namespace

int runReceive(const CliOptions& options, ProgramData& data) {
    ScannerPort port(data.settings.port, options.port);
    if (const int status = port.open()) return status;
    Reception reception;
    {
        ProgressLine progress(port.scanner());
        reception = receiveBarcodes(port.scanner(), data.settings, data.scanners);
    }
    if (interruptionSignal()) return interrupted(port);
    if (const int status = receptionFailure(reception, port, data)) return status;
    // A unit without time stamps: barcode only, a setting the window program shows and keeps.
    if (reception.dataFormat != data.settings.dataFormat) {
        data.changeDataFormat(reception.dataFormat);
        data.saveSettings(nullptr);
    }

    // What the unit said of itself, on the error stream: standard output may be the data.
    if (reception.health.lowBattery) printError(texts::kLowBattery);
    if (reception.health.clockLost) printError(texts::kClockLost);

    ReceptionDelivery delivery(options, data, reception);
    const bool toFile = options.output || (!options.toStdout && !options.json);
    const Delivery done = toFile ? delivery.toFile() : delivery.toStandardOutput();
    if (done.status) return done.status;
    if (interruptionSignal())
        return interrupted(
            port, done.delivered ? clitexts::kInterruptedAfterSave : clitexts::kInterrupted);
    if (errorIsTerminal() && !done.summary.isEmpty()) printError(done.summary);
    return finishReception(port, data, reception, eraseWanted(options, data.settings, toFile));
}

int runInfo(const CliOptions& options, ProgramData& data) {
    ScannerPort port(data.settings.port, options.port);
    if (const int status = port.open()) return status;
    Cs1504Library& scanner = port.scanner();
    cs1504::UnitInfo unit;
    if (scanner.readUnitInfo(unit) != 0) return scannerFailure(port, trimmed(texts::kNoConnection));
    std::array<uint8_t, 6> clock{};
    const int32_t clockResult = scanner.readScannerClock(clock.data());
    // A unit that does not know Get time still tells the rest.
    if (clockResult != 0 && clockResult != scanner_result::Refused)
        return scannerFailure(port, trimmed(texts::kNoConnection));
    const int32_t count = scanner.CountStoredBarcodes();
    if (count < 0) return scannerFailure(port, trimmed(texts::kNoConnection));

    const QString serial = QString::fromStdString(serialNumberText(unit.serialNumber.data()));
    const auto entry = data.scanners.find(serial.toStdString());
    const bool clockRead = clockResult == 0;
    const bool clockLost = clockRead && clock[0] == cs1504::kClockFieldInvalid;
    const bool batteryLow = unit.systemStatus == cs1504::kSystemLowBattery;
    if (options.json) {
        QJsonObject object;
        object["serial"] = serial;
        object["registered"] = entry.has_value();
        object["id"] = entry ? QJsonValue(fromCp1252Text(entry->id())) : QJsonValue();
        object["name"] = entry ? QJsonValue(fromCp1252Text(entry->name())) : QJsonValue();
        object["count"] = count;
        object["clock"] =
            clockRead && !clockLost ? QJsonValue(isoLocalTime(clockTime(clock))) : QJsonValue();
        object["clock_lost"] = clockLost;
        object["battery_low"] = batteryLow;
        object["port"] = port.deviceName();
        printLine(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
        return kDone;
    }
    printLine(QString(clitexts::kInfoSerial).arg(serial));
    printLine(entry ? QString(clitexts::kInfoRegistered)
                          .arg(fromCp1252Text(entry->id()), fromCp1252Text(entry->name()))
                    : QString(clitexts::kInfoNotRegistered));
    printLine(QString(clitexts::kInfoCount).arg(count));
    printLine(!clockRead  ? QString(clitexts::kInfoClockUnknown)
              : clockLost ? QString(clitexts::kInfoClockLost)
                          : QString(clitexts::kInfoClock).arg(clockText(clockTime(clock))));
    printLine(batteryLow ? clitexts::kInfoBatteryLow : clitexts::kInfoBatteryOk);
    printLine(QString(clitexts::kInfoPort).arg(port.deviceName()));
    return kDone;
}

int runErase(const CliOptions& options, ProgramData& data) {
    ScannerPort port(data.settings.port, options.port);
    if (const int status = port.open()) return status;
    cs1504::UnitInfo unit;
    if (port.scanner().readUnitInfo(unit) != 0)
        return scannerFailure(port, trimmed(texts::kNoConnection));
    if (port.scanner().EraseStoredBarcodes() != 0)
        return scannerFailure(port, texts::kNotAnsweringNotErased);
    if (errorIsTerminal()) printError(clitexts::kErased);
    return kDone;
}

int runClock(const CliOptions& options, ProgramData& data) {
    LocalDateTime wanted;
    if (options.clock == ClockAction::Set && !parseClockValue(options.clockValue, wanted))
        return usageMistake(QString(clitexts::kClockValueInvalid)
                                .arg(QString::fromLocal8Bit(options.clockValue.c_str())),
                            "lorvant-cli clock [--port GERÄT] (--show | --sync | --set "
                            "\"JJJJ-MM-TT hh:mm:ss\")");
    ScannerPort port(data.settings.port, options.port);
    if (const int status = port.open()) return status;
    Cs1504Library& scanner = port.scanner();
    if (options.clock == ClockAction::Show) {
        std::array<uint8_t, 6> clock{};
        if (scanner.readScannerClock(clock.data()) != 0)
            return scannerFailure(port, trimmed(texts::kNoConnection));
        if (clock[0] == cs1504::kClockFieldInvalid) {
            printError(clitexts::kClockLost);
            return kScannerProblem;
        }
        printLine(clockText(clockTime(clock)));
        return kDone;
    }
    cs1504::UnitInfo unit;
    if (scanner.readUnitInfo(unit) != 0) return scannerFailure(port, trimmed(texts::kNoConnection));
    const LocalDateTime time = options.clock == ClockAction::Sync ? currentDateTime() : wanted;
    if (!setScannerClock(scanner, port.portIndex(), time))
        return scannerFailure(port, clitexts::kClockNotSet);
    return kDone;
}

int runRegister(const CliOptions& options, ProgramData& data) {
    std::string id, name;
    QString problem;
    if (!storable(options.id, id, problem, true) || !storable(options.name, name, problem, false))
        return usageMistake(problem, "lorvant-cli register [--port GERÄT] --id ID --name NAME");
    ScannerPort port(data.settings.port, options.port);
    if (const int status = port.open()) return status;
    cs1504::UnitInfo unit;
    if (port.scanner().readUnitInfo(unit) != 0)
        return scannerFailure(port, trimmed(texts::kNoConnection));
    const std::string serial = serialNumberText(unit.serialNumber.data());

    // The scanner's row when it has one (the first, as a reception finds it), else a new one.
    int row = -1;
    for (int i = 0; i < data.scanners.size() && row < 0; ++i)
        if (data.scanners.entry(i).serial() == serial) row = i;
    if (row < 0) row = data.scanners.add(serial);
    data.scanners.setIdAndName(row, id, name);

    std::string error;
    const ScannerRegistry::SaveResult saved = data.saveScanners(&error);
    const QString notSaved = scannerListSaveProblem(saved, data.scannersPath(), error);
    if (!notSaved.isEmpty()) {
        printError(notSaved);
        return kNotWritten;
    }
    const ScannerRegistry::Entry entry = data.scanners.entry(row);
    printLine(QString(clitexts::kRegistered)
                  .arg(QString::fromStdString(serial), fromCp1252Text(entry.id()),
                       fromCp1252Text(entry.name())));
    return kDone;
}

int printCliHelp() {
    std::fputs(
        "Aufruf:\n"
        "  lorvant-cli receive [--port GERÄT] [--output DATEI | --stdout] [--json]\n"
        "                      [--erase | --no-erase]\n"
        "  lorvant-cli info    [--port GERÄT] [--json]\n"
        "  lorvant-cli erase   --yes [--port GERÄT]\n"
        "  lorvant-cli clock   [--port GERÄT] (--show | --sync | --set \"JJJJ-MM-TT hh:mm:ss\")\n"
        "  lorvant-cli parameters [--port GERÄT] (--read [DATEI] | --write [DATEI] |\n"
        "                         --factory-reset --yes)\n"
        "  lorvant-cli history [--json] [--show ID | --export ID DATEI | --search BARCODE]\n"
        "  lorvant-cli register [--port GERÄT] --id ID --name NAME\n"
        "  lorvant-cli --help | --version\n"
        "Jeder Befehl nimmt auch --config ORDNER.\n"
        "\n"
        "Liest einen CS1504-Scanner ohne Fenster, mit den Einstellungen, der Scanner-Liste\n"
        "und der Datendatei des Fensterprogramms Lorvant.\n"
        "\n"
        "  receive   Empfängt alle Barcodes eines registrierten Scanners und speichert sie\n"
        "            wie \"Empfangen\" und \"Speichern\": Datenformat, Trennzeichen, "
        "Überschreiben\n"
        "            oder Anhängen, Dateizähler, Scanner-Record, danach Uhr stellen und\n"
        "            löschen, wie eingestellt. Gelöscht wird nur, was vollständig geschrieben\n"
        "            wurde.\n"
        "              --output DATEI  in DATEI statt in die eingestellte Datendatei (ohne "
        "Zähler)\n"
        "              --stdout        dieselben Bytes auf die Standardausgabe; löscht nur mit\n"
        "                              --erase\n"
        "              --json          je Barcode eine JSON-Zeile (UTF-8) auf die Standardausgabe\n"
        "                              oder in die Datei von --output\n"
        "              --erase         löscht den Scanner danach, --no-erase nie\n"
        "  info      Seriennummer, Registrierung, Anzahl der Barcodes, Uhr, Batterie, Port.\n"
        "  erase     Löscht alle Barcodes des Scanners (mit --yes).\n"
        "  clock     Zeigt die Uhr des Scanners, stellt sie auf die Zeit des PCs oder auf die\n"
        "            angegebene Zeit.\n"
        "  parameters\n"
        "            Die Einstellungen des Scanners (Seite \"Einstellungen\"):\n"
        "            --read liest sie vom Scanner, zeigt sie und speichert sie in DATEI oder\n"
        "            in Param.dat; --write schreibt DATEI oder Param.dat auf den Scanner;\n"
        "            --factory-reset --yes stellt die Werkseinstellungen her (nur ohne\n"
        "            gespeicherte Barcodes, denn der Reset löscht sie).\n"
        "  history   Der Verlauf: jeder Empfang, bevor er gespeichert, gesendet oder\n"
        "            gelöscht wurde. --show ID seine Zeilen, --export ID DATEI als Datendatei\n"
        "            mit den heutigen Einstellungen, --search BARCODE wo er vorkommt.\n"
        "  register  Trägt den angeschlossenen Scanner mit ID (bis 4 Zeichen) und Name in die\n"
        "            Scanner-Liste ein, oder ändert seine Zeile.\n"
        "\n"
        "  --port GERÄT    das Gerät des Scanners (etwa /dev/ttyUSB0) statt des eingestellten\n"
        "                  Ports COM1 ... COM16 (/dev/ttyUSB0 ... oder LORVANT_COMn)\n"
        "  --config ORDNER LVconfig.ini, LVserial.dat und Param.dat aus ORDNER, statt beim\n"
        "                  Programm (aus einem eigenen Ordner gestartet) oder in\n"
        "                  ~/.config/lorvant/ (installiert)\n"
        "\n"
        "Rückgabewert: 0 erledigt; 1 Problem mit Scanner oder Port (auch ein Reset eines\n"
        "Scanners mit Barcodes); 2 falscher Aufruf oder keine Parameterdatei zum Schreiben;\n"
        "3 Scanner nicht registriert; 4 Datei nicht geschrieben (nichts gelöscht); 5 der Port\n"
        "ist von einem laufenden Lorvant belegt; 130 nach Strg+C (128 + Signal).\n",
        stdout);
    return kDone;
}
