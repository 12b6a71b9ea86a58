#include "windows/program_start.h"

#include <QFile>
#include <memory>

#include "core/program_data.h"
#include "core/transfers.h"
#include "formats/data_file.h"
#include "system/program_dir.h"
#include "system/scanner_list_messages.h"
#include "system/sqlite_history.h"
#include "text/clock.h"
#include "text/texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "windows/keyboard_wedge.h"
#include "windows/main_form.h"

namespace {
std::unique_ptr<SqliteHistory> history;

// The history beside the settings, or in the user's data folder when installed; a file that
// is no history of ours is moved aside (and said so), and without one the program runs on.
void openRunHistory(ProgramData& data) {
    if (history) return;
    QString notice;
    history = SqliteHistory::open(historyPath(), notice);
    data.history = history.get();
    if (!notice.isEmpty()) showWarning(notice, texts::kHistoryCaption);
    // Keeping N days: what is older goes at the start.
    pruneHistory(data.history, data.settings.historyKeepDays, currentDateTime());
}

// A save to the data file that the end of the last run cut short is taken back, so the
// file holds what it held before it; with the counter on, that save went to the last
// number handed out.
void recoverDataFiles(const Settings& settings) {
    Settings uncounted = settings;
    uncounted.counterActive = false;
    recoverDataFile(dataFilePath(uncounted, 0));
    if (settings.counterActive) recoverDataFile(dataFilePath(settings, settings.fileCounter - 1));
}

// A missing or unreadable file is reported, the list then starts empty and loading goes on,
// so parameters, status and hotkeys still come up.
void loadScannerList(ProgramData& data) {
    const ScannerListLoadNews news = scannerListLoadNews(data.loadScanners(), data.scannersPath());
    if (!news.error.isEmpty()) showErrorMessage(news.error);
    if (!news.cutAt.isEmpty()) showWarning(news.cutAt, texts::kScannerListCutCaption);
}

void saveScannerList(const ProgramData& data) {
    std::string error;
    const ScannerRegistry::SaveResult result = data.saveScanners(&error);
    const QString problem = scannerListSaveProblem(result, data.scannersPath(), error);
    if (!problem.isEmpty()) showErrorMessage(problem);
}
}  // namespace

void startRun(ProgramData& data, TMainForm* main) {
    data.loadSettings(programDirectory(), dataDirectory());
    recoverDataFiles(data.settings);
    loadScannerList(data);
    // A file held by another running copy stays closed: saving then changes nothing on disk
    // and loading only resets the choices to the table.
    data.parameters.openFile(data.parametersPath());
    if (main) showScannerStatus(*main, data.scanners);
    // In keyboard-wedge mode the program starts minimised.
    if (data.settings.transferMode != TransferMode::FileTransfer && main)
        main->setWindowState(main->windowState() | Qt::WindowMinimized);
}

void openRunServices(ProgramData& data) {
    registerHotkeys(data.settings);
    openRunHistory(data);
}

void endRun(ProgramData& data) {
    // Reported, but the scanner list below is saved all the same.
    if (!data.saveSettings(nullptr))
        showErrorMessage(QString(texts::kSettingsNotWritten)
                             .arg(QFile::decodeName(data.settingsPath().c_str())));
    saveScannerList(data);
    data.history = nullptr;
    history.reset();
}
