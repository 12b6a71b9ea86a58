// lorvant-cli: reads, saves, erases a CS1504 scanner and sets its clock from a shell, on the
// same core, files and serial line as the window program; no window, no display.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

#include "cli/cli_texts.h"
#include "cli/commands.h"
#include "cli/interruption.h"
#include "cli/options.h"
#include "cli/output.h"
#include "core/program_data.h"
#include "system/program_dir.h"
#include "system/program_files.h"
#include "system/scanner_list_messages.h"
#include "system/sqlite_history.h"
#include "text/clock.h"
#include "text/cp1252.h"
#include "text/texts.h"

namespace {

// Where the files are: --config, else where the window program would keep them for an
// executable in this folder. 0, or the exit status of a mistake.
int settleFiles(const CliOptions& options) {
    if (options.config) {
        const QString folder = QFile::decodeName(options.config->c_str());
        if (!QDir(folder).exists()) {
            printError(QString(clitexts::kConfigFolderMissing).arg(folder));
            return 2;
        }
        setProgramDirectory(*options.config);
        return 0;
    }
    const QString problem = settleProgramFiles(QCoreApplication::applicationDirPath());
    if (!problem.isEmpty()) printError(problem + texts::kStartsWithDefaults);
    return 0;
}

// The scanner list as the window program reads it, and what it says about it.
void loadScannerList(ProgramData& data, bool missingIsNews) {
    const ScannerListLoadNews news = scannerListLoadNews(data.loadScanners(), data.scannersPath());
    if (!news.error.isEmpty() && (missingIsNews || !news.missing)) printError(news.error);
    if (!news.cutAt.isEmpty()) printError(news.cutAt);
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedCommandLine parsed =
        parseCliArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok()) {
        printError(QString::fromStdString(parsed.error));
        std::fprintf(stderr, "%s%s\n", parsed.usage.c_str(), clitexts::kSeeHelp);
        return 2;
    }
    const CliOptions& options = parsed.options;
    if (options.command == CliCommand::Help) return printCliHelp();
    if (options.command == CliCommand::Version) {
        std::puts(clitexts::kVersion);
        return 0;
    }

    QCoreApplication application(argc, argv);
    // The port's lock file names the program that holds it.
    QCoreApplication::setApplicationName("lorvant-cli");
    installInterruptionHandlers();
    if (const int status = settleFiles(options)) return status;
    ProgramData data;
    data.loadSettings(programDirectory(), dataDirectory());
    // A first registration makes the list; a reception without one has nobody to accept.
    // The parameters and the history need no list.
    if (options.command != CliCommand::Parameters && options.command != CliCommand::History)
        loadScannerList(data, options.command != CliCommand::Register);

    // The history the window program keeps too: beside the settings, or the user's data
    // folder for an installed program.
    std::unique_ptr<SqliteHistory> history;
    if (options.command == CliCommand::Receive || options.command == CliCommand::History) {
        QString notice;
        history = SqliteHistory::open(historyPath(), notice);
        if (!notice.isEmpty()) printError(notice);
        data.history = history.get();
        // Keeping N days: what is older goes before anything else is read or recorded.
        pruneHistory(data.history, data.settings.historyKeepDays, currentDateTime());
    }

    switch (options.command) {
        case CliCommand::Receive:
            return runReceive(options, data);
        case CliCommand::Info:
            return runInfo(options, data);
        case CliCommand::Erase:
            return runErase(options, data);
        case CliCommand::Clock:
            return runClock(options, data);
        case CliCommand::Parameters:
            return runParameters(options, data);
        case CliCommand::History:
            return runHistory(options, data);
        case CliCommand::Register:
            return runRegister(options, data);
        case CliCommand::Help:
        case CliCommand::Version:
            break;
    }
    return 0;
}
