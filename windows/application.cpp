#include "windows/application.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QTranslator>
#include <exception>
#include <memory>

#include "core/program_data.h"
#include "text/texts.h"
#include "ui/message_box.h"
#include "ui/program_style.h"
#include "windows/clock_dialog.h"
#include "windows/config_form.h"
#include "windows/history_form.h"
#include "windows/info_form.h"
#include "windows/keyboard_wedge.h"
#include "windows/main_form.h"
#include "windows/pass_form.h"
#include "windows/program_start.h"
#include "windows/receive_form.h"
#include "windows/wedge_tray.h"

LorvantApplication::LorvantApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(kApplicationTitle);
    // The name of the installed desktop entry, so that a Wayland desktop shows the menu's
    // name and icon for the windows.
    setDesktopFileName("org.lorvant.Lorvant");
    // The windows are laid out for an 8 point sans serif font.
    QFont font("MS Sans Serif", 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    useProgramStyle();
    installGermanTranslation(*this);
}

bool installGermanTranslation(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    const QLocale german(QLocale::German, QLocale::Germany);
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  QString("/usr/share/qt6/translations")}) {
        if (translator->load(german, "qtbase", "_", folder))
            return application.installTranslator(translator);
    }
    delete translator;
    return false;
}

bool LorvantApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showErrorMessage(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showErrorMessage(texts::kUnknownError);
    }
    return false;
}

TMainForm* MainForm = nullptr;
TConfigForm* ConfigForm = nullptr;
TInfoForm* InfoForm = nullptr;
TReceiveForm* ReceiveForm = nullptr;
TdlgTime* dlgTime = nullptr;
TPassForm* PassForm = nullptr;
KeyboardWedge* Wedge = nullptr;
THistoryForm* HistoryForm = nullptr;

namespace {
// What the windows show and edit; it outlives them and is saved at the end of the run.
std::unique_ptr<ProgramData> programData;
// The keyboard wedge's tray icon, where the desktop has a tray.
std::unique_ptr<WedgeTray> tray;
}  // namespace

void createStartWindows() {
    programData = std::make_unique<ProgramData>();
    MainForm = new TMainForm(*programData);
    startRun(*programData, MainForm);
}

// Made once the main window is on the screen: none of them is needed to show it (together
// they take about as long as the main window itself), and nothing can reach them before
// the event loop runs. The receive window and the wedge come first, then the hotkeys the
// wedge answers; the instance channel listens once all of them are there (main()).
bool createDialogs() {
    if (ReceiveForm) return false;
    ReceiveForm = new TReceiveForm(*programData, MainForm);
    Wedge = new KeyboardWedge(*programData, MainForm, ReceiveForm);
    MainForm->setDialogs(nullptr, ReceiveForm, nullptr, nullptr);
    openRunServices(*programData);
    ConfigForm = new TConfigForm(*programData, MainForm);
    InfoForm = new TInfoForm(MainForm);
    dlgTime = new TdlgTime(MainForm);
    PassForm = new TPassForm(MainForm);
    HistoryForm = new THistoryForm(*programData, Wedge, MainForm);
    ConfigForm->setClockDialog(dlgTime);
    MainForm->setDialogs(ConfigForm, ReceiveForm, PassForm, InfoForm);
    MainForm->setHistoryWindow(HistoryForm);
    // Asking the desktop for its tray takes a moment.
    tray = std::make_unique<WedgeTray>(programData->settings, *Wedge, *MainForm);
    ReceiveForm->trayMenu = tray->menu();
    QObject::connect(MainForm, &TMainForm::configurationClosed, tray.get(), &WedgeTray::update);
    return true;
}

void createApplicationWindows() {
    createStartWindows();
    createDialogs();
}

void destroyApplicationWindows() {
    if (programData) endRun(*programData);
    tray.reset();
    delete HistoryForm;
    HistoryForm = nullptr;
    delete PassForm;
    PassForm = nullptr;
    delete dlgTime;
    dlgTime = nullptr;
    delete Wedge;
    Wedge = nullptr;
    delete ReceiveForm;
    ReceiveForm = nullptr;
    delete InfoForm;
    InfoForm = nullptr;
    delete ConfigForm;
    ConfigForm = nullptr;
    delete MainForm;
    MainForm = nullptr;
    programData.reset();
}
