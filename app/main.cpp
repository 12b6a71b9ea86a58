#include <QFile>

#include "app/application.h"
#include "app/main_form.h"
#include "platform/program_dir.h"
#include "ui/message_box.h"

int main(int argc, char** argv) {
    LorvantApplication app(argc, argv);
    setProgramDirectory(QFile::encodeName(QApplication::applicationDirPath()).toStdString());
    try {
        createApplicationWindows();
        MainForm->show();
        app.exec();
        destroyApplicationWindows();
    } catch (const std::exception& error) {
        showErrorMessage(QString::fromLocal8Bit(error.what()));
    }
    return 0;
}
