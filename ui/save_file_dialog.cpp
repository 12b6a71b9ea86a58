#include "ui/save_file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "ui/message_box.h"

namespace {
// "Text Datei|*.txt|Alle|*.*" -> "Text Datei (*.txt);;Alle (*)"
QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace("*.*", "*").replace(';', ' ');
        out << QStringLiteral("%1 (%2)").arg(parts[i], pattern);
    }
    return out.join(";;");
}
}  // namespace

bool SaveFileDialog::execute(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilter(qtFilter(filter));
    dialog.setDefaultSuffix(defaultExtension);
    const QFileInfo proposed(fileName);
    if (!fileName.isEmpty() && proposed.dir().exists()) {
        dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    } else if (!initialDirectory.isEmpty() && QDir(initialDirectory).exists()) {
        dialog.setDirectory(initialDirectory);
    } else {
        dialog.setDirectory(QDir::homePath());
    }
    if (showModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    QString chosen = dialog.selectedFiles().first();
    if (QFileInfo(chosen).suffix().isEmpty() && !defaultExtension.isEmpty())
        chosen += '.' + defaultExtension;
    fileName = QDir::toNativeSeparators(chosen);
    return true;
}
