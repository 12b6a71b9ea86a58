#include "app/program_files.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>

#include "platform/program_dir.h"
#include "ui/message_box.h"

void setUpProgramFiles(const QString& executableDirectory) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const std::string reason =
        locateProgramFiles(QFile::encodeName(executableDirectory).toStdString(),
                           QFile::encodeName(documents).toStdString());
    if (reason.empty()) return;
    showMessageBox({QStringLiteral("Der Ordner für Einstellungen und Scanner-Liste kann nicht "
                                   "angelegt werden:\n%1\nGrund: %2\n\nLorvant startet mit den "
                                   "Standardeinstellungen; was in diesem Lauf eingestellt wird, "
                                   "kann nicht gespeichert werden.")
                        .arg(QFile::decodeName(programDirectory().c_str()),
                             QString::fromLocal8Bit(reason.c_str())),
                    " Einstellungsordner", QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok});
}
