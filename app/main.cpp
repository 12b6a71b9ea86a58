#include "app/application.h"
#include "app/main_form.h"
#include "app/program_files.h"
#include "app/termination.h"
#include "scanner/cs1504_library.h"
#include "scanner/serial_transport.h"
#include "ui/message_box.h"

int main(int argc, char** argv) {
    LorvantApplication app(argc, argv);
    quitOnTerminationSignals(app);
    setUpProgramFiles(QApplication::applicationDirPath());
    // The scanner library for the whole run: CS1504 units on the serial ports.
    Cs1504Library scanner(serialPortOpener());
    setScannerLibrary(&scanner);
    try {
        createApplicationWindows();
        MainForm->show();
        app.exec();
        destroyApplicationWindows();
    } catch (const std::exception& error) {
        showErrorMessage(QString::fromLocal8Bit(error.what()));
    }
    setScannerLibrary(nullptr);
    return 0;
}
