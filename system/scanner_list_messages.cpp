#include "system/scanner_list_messages.h"

#include <QFile>

#include "text/texts.h"

namespace {
QString shown(const std::string& fileSystemName) {
    return QFile::decodeName(fileSystemName.c_str());
}
}  // namespace

ScannerListLoadNews scannerListLoadNews(const ScannerRegistry::LoadReport& report,
                                        const std::string& path) {
    ScannerListLoadNews news;
    // The error names the file as the file system spells it.
    news.error = shown(report.error);
    news.missing = report.missing;
    if (report.cutAtLine > 0) {
        news.cutAt = QString(texts::kScannerListCut)
                         .arg(shown(path))
                         .arg(report.cutAtLine)
                         .arg(shown(ScannerRegistry::backupPath(path)));
    }
    return news;
}

QString scannerListSaveProblem(ScannerRegistry::SaveResult result, const std::string& path,
                               const std::string& error) {
    switch (result) {
        case ScannerRegistry::SaveResult::Saved:
        case ScannerRegistry::SaveResult::Unchanged:
            return {};
        case ScannerRegistry::SaveResult::NotReadAtStart:
            // A list that was there but could not be read is not replaced by this run's.
            return QString(texts::kScannerListNotSaved).arg(shown(path));
        case ScannerRegistry::SaveResult::BackupFailed:
            return QString(texts::kScannerListNotKept)
                .arg(shown(path), shown(ScannerRegistry::backupPath(path)));
        case ScannerRegistry::SaveResult::Failed:
            return shown(error);
    }
    return {};
}
