// The yardstick of bench-startup: the least a Qt Widgets program does to put a window on
// the screen.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle("bench-startup-window");
    window.show();
    return application.exec();
}
