#include "app/program_files.h"

#include <QString>

#include "system/program_files.h"
#include "text/texts.h"
#include "ui/message_box.h"

void setUpProgramFiles(const QString& executableDirectory) {
    const QString problem = settleProgramFiles(executableDirectory);
    if (problem.isEmpty()) return;
    showMessageBox({problem + texts::kStartsWithDefaults, texts::kSettingsFolderCaption,
                    QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok});
}
