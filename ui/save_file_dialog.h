#pragma once

#include <QString>

class QWidget;

// The save-file dialog as a lasting part of a window: it keeps its file name between uses
// and proposes it the next time. Nothing is created and no overwrite question is asked.
class SaveFileDialog {
  public:
    QString fileName;
    QString filter;            // "Text Datei|*.txt|Alle|*.*": description and pattern pairs
    QString defaultExtension;  // appended when the typed name has none
    // Where the dialog starts when the folder of fileName does not exist; the home folder
    // when this one does not either.
    QString initialDirectory;

    // Runs the dialog; true when confirmed, fileName then holding the chosen full path.
    bool execute(QWidget* parent);
};
