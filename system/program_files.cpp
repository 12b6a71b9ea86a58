#include "system/program_files.h"

#include <QFile>
#include <QStandardPaths>

#include "system/program_dir.h"
#include "text/texts.h"

namespace {
// An installed program's first run finds its settings folder empty: its scanner list starts
// empty, as a program folder's would have come, rather than reported missing. A list missing
// beside settings that exist is still reported.
void startEmptyScannerList() {
    const QString folder = QFile::decodeName(programDirectory().c_str());
    if (QFile::exists(folder + "LVconfig.ini")) return;
    QFile list(folder + "LVserial.dat");
    list.open(QIODevice::WriteOnly | QIODevice::NewOnly);  // one that exists is kept
}
}  // namespace

QString settleProgramFiles(const QString& executableDirectory) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const std::string executable = QFile::encodeName(executableDirectory).toStdString();
    const std::string reason =
        locateProgramFiles(executable, QFile::encodeName(documents).toStdString());
    if (reason.empty()) {
        if (isInstalledProgram(executable)) startEmptyScannerList();
        return {};
    }
    return QString(texts::kSettingsFolderNotCreated)
        .arg(QFile::decodeName(programDirectory().c_str()), QString::fromLocal8Bit(reason.c_str()));
}
