#pragma once

#include <QApplication>

// The application object: shows an error that escapes an event handler through the default
// error display and carries on.
class LorvantApplication : public QApplication {
  public:
    LorvantApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Loads Qt's German translation, so that standard buttons read "Ja", "Nein", "Abbrechen".
// False when it is not installed; the buttons then stay English.
bool installGermanTranslation(QCoreApplication& application);

class TMainForm;
class TConfigForm;
class TInfoForm;
class TReceiveForm;
class TdlgTime;
class TPassForm;

// The six windows of the run, one instance each, made by createApplicationWindows. Only the
// code that creates them reaches them here; each window gets the others it needs passed in.
extern TMainForm* MainForm;
extern TConfigForm* ConfigForm;
extern TInfoForm* InfoForm;
extern TReceiveForm* ReceiveForm;
extern TdlgTime* dlgTime;
extern TPassForm* PassForm;

// Creates the six windows, one global instance each, in this order: main window,
// configuration window (which loads the settings), info dialog, receive window, clock dialog,
// password dialog.
void createApplicationWindows();
// Destroys them in reverse order; the configuration window saves the settings on its way.
void destroyApplicationWindows();
