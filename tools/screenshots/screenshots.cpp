// Shows every window of the program on the current X display, one after the other, and
// writes a PNG of each: the main window in its three states, the five configuration pages,
// the password, info, receive and clock dialogs.
//
//   lorvant_screenshots <program directory> <output directory>
//
// The windows are created as the program creates them, from the files in the program
// directory; the scanner list is set for each main window state and put back before the
// end, when the settings are written back. Without a window manager there is no frame, so
// a plain title bar with the window's caption is drawn above each picture.
#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QWindow>
#include <cstdio>

#include "system/program_dir.h"
#include "testing/message_box_recorder.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "windows/application.h"
#include "windows/clock_dialog.h"
#include "windows/config_form.h"
#include "windows/info_form.h"
#include "windows/main_form.h"
#include "windows/pass_form.h"
#include "windows/receive_form.h"

namespace {
QDir output;

void settle(QWidget* window) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 3000 &&
           !(window->windowHandle() && window->windowHandle()->isExposed()))
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    // Let the layouts and the first paint finish.
    for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

QPixmap withTitleBar(QWidget* window, const QPixmap& content) {
    const int bar = 22;
    QPixmap framed(content.width() + 2, content.height() + bar + 1);
    framed.fill(QColor(70, 100, 170));
    QPainter painter(&framed);
    painter.drawPixmap(1, bar, content);
    const QIcon icon = window->windowIcon();
    int textLeft = 6;
    if (!icon.isNull() && window == MainForm) {
        painter.drawPixmap(4, 3, icon.pixmap(16, 16));
        textLeft = 24;
    }
    painter.setPen(Qt::white);
    QFont font = window->font();
    font.setBold(true);
    painter.setFont(font);
    // Blanks are drawn as they are, so leading blanks of a caption show as space.
    painter.drawText(QRect(textLeft, 0, framed.width() - textLeft - 4, bar),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, window->windowTitle());
    const bool closeBox = !(window->windowFlags() & Qt::CustomizeWindowHint) ||
                          (window->windowFlags() & Qt::WindowCloseButtonHint);
    if (closeBox) {
        QRect box(framed.width() - 20, 3, 16, 16);
        painter.fillRect(box, QColor(200, 205, 215));
        painter.setPen(QPen(Qt::black, 1.5));
        painter.drawLine(box.topLeft() + QPoint(4, 4), box.bottomRight() - QPoint(4, 4));
        painter.drawLine(box.topRight() + QPoint(-4, 4), box.bottomLeft() + QPoint(4, -4));
    }
    return framed;
}

void shoot(QWidget* window, const QString& name) {
    window->show();
    window->raise();
    settle(window);
    QScreen* screen = window->screen();
    const QPixmap content = screen->grabWindow(window->winId());
    const QString path = output.filePath(name + ".png");
    if (!withTitleBar(window, content).save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s  (%dx%d)\n", qPrintable(path), window->width(), window->height());
}

void shootMainStates() {
    // The main window shows the state of the registered scanners; the list box shows them.
    ScannerRegistry& scanners = ConfigForm->data().scanners;
    const std::vector<std::string> saved = scanners.rows();
    const struct {
        const char* name;
        std::vector<std::string> rows;
    } states[] = {
        {"main-1-no-scanner", {}},
        {"main-2-cs1504", {"0123456789abcdef;LG01;Lager"}},
        {"main-3-change-port", {"0000000000000001;AB12;Versand"}},
    };
    for (const auto& state : states) {
        scanners.setRows(state.rows);
        ConfigForm->UpdateMainWindowStatus();
        shoot(MainForm, state.name);
    }
    scanners.setRows(saved);
    ConfigForm->UpdateMainWindowStatus();
}

void shootConfigPages() {
    const char* names[] = {"config-1-transfer", "config-2-file-optionen", "config-3-kb-wedge",
                           "config-4-einstellungen", "config-5-serie-nummern"};
    const int selected = ConfigForm->ConfigPages->currentIndex();
    // An empty scanner list would show nothing on the page "Serie Nummern".
    ScannerRegistry& scanners = ConfigForm->data().scanners;
    const std::vector<std::string> saved = scanners.rows();
    if (saved.empty())
        scanners.setRows({"0123456789abcdef;LG01;Lager Nord", "00a1b2c3d4e5f607;VS02;Versand",
                          "0000000000000001;;"});
    ConfigForm->showScanners();
    ConfigForm->SerieListBox->selectRow(0);
    ConfigForm->SerieListBoxSelect();
    for (int page = 0; page < ConfigForm->ConfigPages->count(); ++page) {
        ConfigForm->ConfigPages->setCurrentIndex(page);
        shoot(ConfigForm, names[page]);
    }
    ConfigForm->ConfigPages->setCurrentIndex(selected);
    ConfigForm->hide();
    scanners.setRows(saved);
    ConfigForm->showScanners();
}

void shootReceiveWindow() {
    // Reading with no scanner attached only reports that; the rows are filled in after.
    MessageBoxRecorder answered;
    ReceiveForm->show();
    settle(ReceiveForm);
    const std::string separator = effectiveFieldSeparator(ConfigForm->settings());
    ReceiveForm->ListBoxAll->setDelimiter(separator[0]);
    ReceiveForm->ListBoxAll->setSectionCaption(1, "Zeit");
    ReceiveForm->ListBoxAll->setSectionCaption(2, "Datum");
    const char* rows[][3] = {{"4006381333931", "08:15:02", "14.03.2024"},
                             {"9783161484100", "08:15:40", "14.03.2024"},
                             {"LAGER-0042", "09:02:11", "14.03.2024"},
                             {"5012345678900", "11:47:36", "14.03.2024"},
                             {"0012345678905", "16:20:09", "14.03.2024"}};
    ReceiveForm->ListBoxAll->clearRows();
    for (const auto& row : rows)
        ReceiveForm->ListBoxAll->addRow(std::string(row[0]) + separator + row[1] + separator +
                                        row[2]);
    ReceiveForm->setStatusText(" Anzahl empfangene Scanner Daten = 5");
    ReceiveForm->ListSaved = true;  // no question about an unsaved list when it hides
    shoot(ReceiveForm, "receive");
    ReceiveForm->hide();
}

void shootDialog(QDialog* dialog, const QString& name) {
    shoot(dialog, name);
    dialog->hide();
}
}  // namespace

int main(int argc, char** argv) {
    LorvantApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: lorvant_screenshots <program directory> <output directory>\n");
        return 2;
    }
    setProgramDirectory(QDir(argv[1]).absolutePath().toStdString());
    output = QDir(argv[2]);
    if (!output.mkpath(".")) return 1;
    {
        // Messages raised while the windows are created (a missing scanner list) are only
        // counted here; the pictures are what matters.
        MessageBoxRecorder answered;
        createApplicationWindows();
        for (const auto& shown : answered.shown())
            std::fprintf(stderr, "message: %s\n", qPrintable(shown.text));
    }
    MainForm->show();
    shootMainStates();
    shootConfigPages();
    shootDialog(PassForm, "password");
    shootDialog(InfoForm, "info");
    shootReceiveWindow();
    shootDialog(dlgTime, "clock");
    {
        MessageBoxRecorder answered;
        MainForm->hide();
        destroyApplicationWindows();
    }
    return 0;
}
