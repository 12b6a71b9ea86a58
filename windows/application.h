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
class THistoryForm;
class TInfoForm;
class TReceiveForm;
class TdlgTime;
class TPassForm;
class KeyboardWedge;

// The six windows of the run, the history window and the keyboard wedge, one instance each. Only
// the code that creates them reaches them here; each window gets the others it needs passed in.
extern TMainForm* MainForm;
extern TConfigForm* ConfigForm;
extern TInfoForm* InfoForm;
extern TReceiveForm* ReceiveForm;
extern TdlgTime* dlgTime;
extern TPassForm* PassForm;
extern KeyboardWedge* Wedge;
extern THistoryForm* HistoryForm;

// What the run needs before its main window shows: the program data, loaded (startRun), and
// the main window with its status.
void createStartWindows();
// The receive window, the keyboard wedge with the hotkeys, the reception history, and the
// dialogs the main window opens: configuration, info, clock, password, history, and the
// wedge's tray icon. The program makes them once its main window is on the screen; a
// second call does nothing and returns false.
bool createDialogs();
// Both, in that order.
void createApplicationWindows();
// Saves the program data (endRun) and destroys the windows in reverse order.
void destroyApplicationWindows();
