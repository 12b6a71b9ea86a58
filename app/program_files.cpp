#include "app/program_files.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>

#include "platform/program_dir.h"
#include "ui/message_box.h"

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

void setUpProgramFiles(const QString& executableDirectory) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const std::string executable = QFile::encodeName(executableDirectory).toStdString();
    const std::string reason =
        locateProgramFiles(executable, QFile::encodeName(documents).toStdString());
    if (reason.empty()) {
        if (isInstalledProgram(executable)) startEmptyScannerList();
        return;
    }
    showMessageBox({QStringLiteral("Der Ordner für Einstellungen und Scanner-Liste kann nicht "
                                   "angelegt werden:\n%1\nGrund: %2\n\nLorvant startet mit den "
                                   "Standardeinstellungen; was in diesem Lauf eingestellt wird, "
                                   "kann nicht gespeichert werden.")
                        .arg(QFile::decodeName(programDirectory().c_str()),
                             QString::fromLocal8Bit(reason.c_str())),
                    " Einstellungsordner", QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok});
}
