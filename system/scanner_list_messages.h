#pragma once

#include <QString>
#include <string>

#include "core/scanner_registry.h"

// What the window program and lorvant-cli say about reading and writing the scanner list at
// `path`: the same sentences, each filled in with the file names as the user sees them. An
// empty text means there is nothing to say.
struct ScannerListLoadNews {
    QString error;  // the file is there but cannot be read (or is missing, see `missing`)
    QString cutAt;  // a NUL byte ended the reading; the file is kept beside it
    bool missing = false;
};
ScannerListLoadNews scannerListLoadNews(const ScannerRegistry::LoadReport& report,
                                        const std::string& path);
QString scannerListSaveProblem(ScannerRegistry::SaveResult result, const std::string& path,
                               const std::string& error);
