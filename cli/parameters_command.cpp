// lorvant-cli parameters: the scanner's settings read into a parameter file, written from
// one, or restored to the factory's, on the same object the configuration window uses.
#include <QFile>

#include "cli/command_support.h"
#include "cli/commands.h"
#include "cli/interruption.h"
#include "cli/output.h"
#include "cli/scanner_port.h"
#include "core/program_data.h"
#include "core/scanner_parameters.h"
#include "text/texts.h"

using namespace cli;

namespace {

QString itemText(int i) {
    return QString::fromUtf8(kParameterItemTexts[i]).trimmed();
}

QString itemLines(const std::vector<int>& items) {
    QString lines;
    for (int i : items) lines += "    " + itemText(i) + "\n";
    return lines;
}

// The parameters to send: the file's table over the built-in one, as "Konfiguration
// öffnen" takes it. The window program's open file is only read, which it allows.
int loadForWriting(const std::string& path, ScannerParameters& parameters) {
    QFile file(pathText(path));
    if (!file.exists() || file.size() == 0) {
        printError(QString(clitexts::kNoParametersInFile).arg(pathText(path)));
        return kUsage;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        printError(
            QString(clitexts::kParameterFileUnreadable).arg(pathText(path), file.errorString()));
        return kNotWritten;
    }
    const QByteArray image = file.read(qint64(kParameterFileSize));
    readParameterTableImage(std::string_view(image.constData(), size_t(image.size())),
                            parameters.table);
    parameters.chooseFromTable();
    return kDone;
}

int writeParameters(ScannerPort& port, const std::string& path) {
    ScannerParameters parameters;
    if (const int status = loadForWriting(path, parameters)) return status;
    if (const int status = port.open()) return status;
    const ParameterExchange outcome = parameters.writeTo(port.scanner(), port.portIndex());
    if (interruptionSignal()) return interrupted(port);
    if (outcome.noConnection()) return scannerFailure(port, trimmed(texts::kNoConnection));
    if (!outcome.allFine()) {
        QString text = texts::kParametersRefused + itemLines(outcome.items());
        if (outcome.refusedWhileStored(parameters.table))
            text += texts::kParametersLockedWhileStored;
        if (!outcome.unanswered.empty()) text += texts::kParametersUnanswered;
        printError(text);
        return kScannerProblem;
    }
    if (errorIsTerminal()) printError(clitexts::kParametersWritten);
    return kDone;
}

// Reads every item; only a complete reading is stored, into the file's first sixteen
// entries (the rest of its table stays as it was).
int readParameters(ScannerPort& port, const std::string& path) {
    if (const int status = port.open()) return status;
    ScannerParameters parameters;
    const ParameterExchange outcome = parameters.readFrom(port.scanner(), port.portIndex());
    if (interruptionSignal()) return interrupted(port);
    if (outcome.noConnection()) return scannerFailure(port, trimmed(texts::kNoConnection));
    if (!outcome.allFine()) {
        printError(
            QString(clitexts::kParametersNotReadNothingSaved).arg(itemLines(outcome.items())));
        return kScannerProblem;
    }
    const auto read = parameters.chosen;
    if (!parameters.openFile(path)) {
        // Opened by this program's lock: held by a running copy.
        QFile probe(pathText(path));
        const bool held = probe.open(QIODevice::ReadWrite);
        printError(QString(held ? clitexts::kParameterFileHeldByLorvant
                                : clitexts::kParameterFileNotOpened)
                       .arg(pathText(path)));
        return kNotWritten;
    }
    parameters.load();
    parameters.chosen = read;
    if (!parameters.save()) {
        printError(QString(texts::kParameterFileNotSaved)
                       .arg(pathText(path), texts::kParameterFileNotWritten));
        return kNotWritten;
    }
    for (int i = 0; i < kParameterItemCount; ++i)
        printLine((read[i] ? "[x] " : "[ ] ") + itemText(i));
    if (errorIsTerminal()) printError(QString(clitexts::kParametersSavedTo).arg(pathText(path)));
    return kDone;
}

// A reset clears the unit's barcodes too: it is done only on an empty unit, so that no
// barcode is lost that was never received.
int factoryReset(ScannerPort& port) {
    if (const int status = port.open()) return status;
    const int32_t stored = barcodesBeforeFactoryReset(port.scanner(), port.portIndex());
    if (interruptionSignal()) return interrupted(port);
    if (stored < 0) return scannerFailure(port, trimmed(texts::kNoConnection));
    if (stored > 0) {
        const QString barcodes = stored == 1 ? QString(texts::kOneBarcodeStored)
                                             : QString(texts::kBarcodesStored).arg(stored);
        printError(QString(clitexts::kFactoryResetRefused).arg(barcodes));
        return kScannerProblem;
    }
    if (!restoreFactoryDefaults(port.scanner(), port.portIndex(), false))
        return scannerFailure(port, trimmed(texts::kNoConnection));
    if (errorIsTerminal()) printError(clitexts::kFactoryResetDone);
    return kDone;
}

}  // namespace

int runParameters(const CliOptions& options, ProgramData& data) {
    ScannerPort port(data.settings.port, options.port);
    const std::string path = options.parameterFile.value_or(data.parametersPath());
    switch (options.parameters) {
        case ParameterAction::Read:
            return readParameters(port, path);
        case ParameterAction::Write:
            return writeParameters(port, path);
        case ParameterAction::FactoryReset:
            return factoryReset(port);
    }
    return kUsage;
}
