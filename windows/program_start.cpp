#include "windows/program_start.h"

#include <memory>

#include "core/program_data.h"
#include "core/transfers.h"
#include "formats/data_file.h"
#include "system/program_dir.h"
#include "system/sqlite_history.h"
#include "text/clock.h"
#include "text/texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "windows/keyboard_wedge.h"
#include "windows/main_form.h"

namespace {
std::unique_ptr<SqliteHistory> history;
}  // namespace

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

namespace {

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
    const ScannerRegistry::LoadReport report = data.loadScanners();
    if (!report.error.empty()) showErrorMessage(fromCp1252(report.error));
    if (report.cutAtLine > 0) {
        showWarning(QString(texts::kScannerListCut)
                        .arg(fromCp1252(data.scannersPath()))
                        .arg(report.cutAtLine)
                        .arg(fromCp1252(ScannerRegistry::backupPath(data.scannersPath()))),
                    texts::kScannerListCutCaption);
    }
}

void saveScannerList(const ProgramData& data) {
    const std::string path = data.scannersPath();
    std::string error;
    switch (data.saveScanners(&error)) {
        case ScannerRegistry::SaveResult::Saved:
        case ScannerRegistry::SaveResult::Unchanged:
            break;
        case ScannerRegistry::SaveResult::NotReadAtStart:
            // A list that was there but could not be read is not replaced by this run's.
            showErrorMessage(QString(texts::kScannerListNotSaved).arg(fromCp1252(path)));
            break;
        case ScannerRegistry::SaveResult::BackupFailed:
            showErrorMessage(
                QString(texts::kScannerListNotKept)
                    .arg(fromCp1252(path), fromCp1252(ScannerRegistry::backupPath(path))));
            break;
        case ScannerRegistry::SaveResult::Failed:
            showErrorMessage(fromCp1252(error));
            break;
    }
}
}  // namespace

void startRun(ProgramData& data, TMainForm* main, bool openHistoryNow) {
    data.loadSettings(programDirectory(), dataDirectory());
    recoverDataFiles(data.settings);
    loadScannerList(data);
    if (openHistoryNow) openRunHistory(data);
    // A file held by another running copy stays closed: saving then changes nothing on disk
    // and loading only resets the choices to the table.
    data.parameters.openFile(data.parametersPath());
    if (main) showScannerStatus(*main, data.scanners);
    registerHotkeys(data.settings);
    // In keyboard-wedge mode the program starts minimised.
    if (data.settings.transferMode != TransferMode::FileTransfer && main)
        main->setWindowState(main->windowState() | Qt::WindowMinimized);
}

void endRun(ProgramData& data) {
    // Reported, but the scanner list below is saved all the same.
    if (!data.saveSettings(nullptr))
        showErrorMessage(QString(texts::kSettingsNotWritten).arg(fromCp1252(data.settingsPath())));
    saveScannerList(data);
    data.history = nullptr;
    history.reset();
}
