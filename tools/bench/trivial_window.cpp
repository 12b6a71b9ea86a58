// The yardsticks of bench-startup: the least a Qt Widgets program does to put a window on
// the screen, and (built with WITH_TEXT) the least one with text in it: a menu and a status
// text, which load the fonts.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle("bench-startup-window");
#ifdef WITH_TEXT
    window.menuBar()->addMenu("Datei")->addAction("Empfangen");
    window.menuBar()->addAction("Info");
    window.statusBar()->addWidget(new QLabel("Bereit"), 1);
#endif
    window.show();
    return application.exec();
}
