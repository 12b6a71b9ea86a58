// Start-up and the main window: the six windows and their order, the status rule, the
// commands behind the menu and the picture buttons, and how the program ends.
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/main_window_state.h"
#include "core/program_data.h"
#include "file_helpers.h"
#include "shell_fakes.h"
#include "system/program_dir.h"
#include "testing/message_box_recorder.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/picture_button.h"
#include "ui/program_style.h"
#include "windows/application.h"
#include "windows/clock_dialog.h"
#include "windows/config_form.h"
#include "windows/history_form.h"
#include "windows/info_form.h"
#include "windows/main_form.h"
#include "windows/pass_form.h"
#include "windows/receive_form.h"

Q_DECLARE_METATYPE(MainWindowState)

namespace {
const QColor kRed(255, 0, 0);

// What the status rule shows, read back from the main window.
struct ShownStatus {
    int picture;
    QString text;
    QColor colour;
    QString hint;
    bool closePortHidden;
};

ShownStatus shownStatus() {
    return {MainForm->recvPicture(), MainForm->KeyStatusText->text(), MainForm->statusColor(),
            MainForm->RecvButton->toolTip(), MainForm->ScanChangeButton->isHidden()};
}

ShownStatus expectedStatus(MainWindowState state) {
    switch (state) {
        case MainWindowState::NoScanner:
            return {0, "   Scanner SN erfassen!", kRed, "Kein Scanner erfasst!", true};
        case MainWindowState::CS1504:
            return {1, "   Konfiguriert für CS1504", tooltipColor(), "Daten von Scanner lesen",
                    true};
        case MainWindowState::ChangePort:
            return {2, "   Vor Scannerwechsel Port schliessen!", tooltipColor(),
                    "Daten von Scanner lesen", false};
        case MainWindowState::Unchanged:
            break;
    }
    // The designed look, before the rule has run.
    return {0, "", kRed, "Daten einlesen.", false};
}

// Whether a file whose path contains `part` is mapped into this process (a loaded library).
bool loaded(const char* part) {
    std::ifstream maps("/proc/self/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str().find(part) != std::string::npos;
}

void compareStatus(const ShownStatus& shown, const ShownStatus& expected) {
    QCOMPARE(shown.picture, expected.picture);
    QCOMPARE(shown.text, expected.text);
    QCOMPARE(shown.colour, expected.colour);
    QCOMPARE(shown.hint, expected.hint);
    QCOMPARE(shown.closePortHidden, expected.closePortHidden);
}

// Records which windows were shown modally and answers each with a scripted result.
class ModalRecorder {
  public:
    explicit ModalRecorder(std::function<int(QDialog*)> answer = {}) : answer_(std::move(answer)) {
        setModalHandler([this](QDialog* dialog) {
            shown.push_back(dialog);
            return answer_ ? answer_(dialog) : 0;
        });
    }
    ~ModalRecorder() { setModalHandler({}); }
    std::vector<QDialog*> shown;

  private:
    std::function<int(QDialog*)> answer_;
};

// Throws from its event handler, as a failed conversion in a command would.
class FailingReceiver : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) throw std::runtime_error("'0a1b2' kaputt");
        return QObject::event(event);
    }
};
}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(name); }
    void startWith(const std::string& serials, const std::string& settings = "") {
        QVERIFY(putFile(path("LVserial.dat"), serials));
        QVERIFY(putFile(path("LVconfig.ini"), settings));
        createApplicationWindows();
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        for (const char* name : {"LVconfig.ini", "LVserial.dat", "Param.dat"})
            QFile::remove(path(name));
        setProgramDirectory(nativePath(dir_.path()));
    }
    void cleanup() {
        MessageBoxRecorder quiet;
        destroyApplicationWindows();
    }

    void applicationObject() {
        QCOMPARE(QApplication::applicationName(), QString("Lorvant"));
        QCOMPARE(QString(kApplicationTitle), QString("Lorvant"));
    }

    // A menu bar asks the style for its overflow arrows when it is made. Qt's are PNG files,
    // which an image reader reads only after loading every image format plugin (and Qt's SVG
    // library with them); the program's style paints its own instead, in the buttons' text
    // colour. The check comes before any test that makes the dialogs, which load plugins.
    void menuBarLoadsNoImagePlugin() {
        QVERIFY(qobject_cast<ProgramStyle*>(QApplication::style()));
        QVERIFY2(!loaded("/imageformats/"), "loaded before the test");
        QMainWindow window;
        window.menuBar()->addMenu("Datei");
        QVERIFY2(!loaded("/imageformats/"), "the menu bar loaded an image format plugin");
        const QImage arrows = QApplication::style()
                                  ->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton)
                                  .pixmap(16, 16)
                                  .toImage();
        const QColor text = QApplication::palette().color(QPalette::ButtonText);
        int painted = 0;
        for (int y = 0; y < arrows.height(); ++y) {
            for (int x = 0; x < arrows.width(); ++x) {
                const QColor pixel = arrows.pixelColor(x, y);
                if (pixel.alpha() == 255 && pixel.rgb() == text.rgb()) ++painted;
            }
        }
        QVERIFY2(painted >= 6, qPrintable(QString::number(painted)));
    }

    void errorsInHandlersAreShownAndTheProgramCarriesOn() {
        MessageBoxRecorder boxes;
        FailingReceiver receiver;
        QEvent event(QEvent::User);
        QCOMPARE(QApplication::sendEvent(&receiver, &event), false);
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].text, QString("'0a1b2' kaputt"));
        QCOMPARE(boxes.shown()[0].caption, QString("Lorvant"));
        QCOMPARE(boxes.shown()[0].icon, QMessageBox::Critical);
        QEvent harmless(QEvent::Type(QEvent::User + 1));
        QApplication::sendEvent(&receiver, &harmless);
        QCOMPARE(boxes.shown().size(), size_t(1));
    }

    void windowsInTheirOrder() {
        InstalledHotkeys hotkeys;
        startWith("0010000000000000\r\n",
                  "[SendOptions]\r\nMod=3\r\nV_Key=83\r\n[ClrOptions]\r\nMod=6\r\nV_key=68\r\n");
        for (QWidget* window : std::initializer_list<QWidget*>{
                 MainForm, ConfigForm, InfoForm, ReceiveForm, dlgTime, PassForm, HistoryForm})
            QVERIFY(window != nullptr);
        // The main window is the one top-level window; the others are its dialogs, kept in
        // the order they were created: the receive window with the main window (the wedge
        // reads through it), the others once the main window is up.
        QVERIFY(MainForm->parentWidget() == nullptr);
        const auto dialogs = MainForm->findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
        const QList<QDialog*> expected{ReceiveForm, ConfigForm, InfoForm,
                                       dlgTime,     PassForm,   HistoryForm};
        QCOMPARE(dialogs, expected);
        for (QDialog* dialog : dialogs) QVERIFY(dialog->isHidden());
        // The start of the run ran the status rule and registered the hotkeys.
        compareStatus(shownStatus(), expectedStatus(MainWindowState::CS1504));
        QCOMPARE(hotkeys.registrations(), (std::vector<std::string>{"66:3:83", "99:6:68"}));
        QVERIFY(!(MainForm->windowState() & Qt::WindowMinimized));
    }

    void keyboardWedgeModeStartsMinimised() {
        startWith("", "[DataFile]\r\nTransMode=1\r\n");
        QVERIFY(MainForm->windowState() & Qt::WindowMinimized);
    }

    void designedLookBeforeTheRuleRuns() {
        ProgramData data;
        TMainForm form(data);
        QCOMPARE(form.recvPicture(), 0);
        QCOMPARE(form.KeyStatusText->text(), QString());
        QCOMPARE(form.statusColor(), kRed);
        QCOMPARE(form.RecvButton->toolTip(), QString("Daten einlesen."));
        QVERIFY(!form.ScanChangeButton->isHidden());
    }

    void mainWindowLayout() {
        startWith("");
        TMainForm& form = *MainForm;
        QCOMPARE(form.windowTitle(), QString("              Q&Z Lorvant"));
        QVERIFY(!form.windowIcon().isNull());
        QCOMPARE(form.palette().color(QPalette::Window), QColor(184, 221, 239));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.frameGeometry().size(), QSize(293, 214));
        const QRect screen = form.screen()->availableGeometry();
        QVERIFY((form.frameGeometry().center() - screen.center()).manhattanLength() <= 2);

        QCOMPARE(form.Panel1->height(), 81);
        QCOMPARE(form.Panel1->width(), form.width());
        QCOMPARE(form.Panel1->mapTo(&form, QPoint(0, 0)), QPoint(0, form.menuBar()->height()));
        QCOMPARE(form.Panel1->frameShape(), QFrame::Box);
        QCOMPARE(form.Panel1->lineWidth(), 1);
        QCOMPARE(form.SpeedButton1->geometry(), QRect(8, 7, 60, 60));
        QCOMPARE(form.RecvButton->geometry(), QRect(136, 8, 60, 60));
        QCOMPARE(form.ScanChangeButton->geometry(), QRect(208, 8, 60, 60));
        QCOMPARE(form.SpeedButton1->toolTip(), QString("Programm beenden."));
        QCOMPARE(form.ScanChangeButton->toolTip(), QString("Scanner Port schliessen."));
        for (PictureButton* button : {form.RecvButton, form.ScanChangeButton}) {
            QCOMPARE(button->palette().color(QPalette::Button), tooltipColor());
            QVERIFY(button->autoFillBackground());
            QVERIFY(button->text().isEmpty());
            QVERIFY(!button->icon().isNull());
        }
        QVERIFY(!form.SpeedButton1->icon().isNull());

        QCOMPARE(form.KeyStatus->height(), 19);
        QCOMPARE(form.KeyStatus->geometry().bottom(), form.height() - 1);
        QVERIFY(!form.KeyStatus->isSizeGripEnabled());
        QVERIFY(form.KeyStatus->toolTip().isEmpty());
        QVERIFY(form.KeyStatusText->toolTip().isEmpty());

        QCOMPARE(form.ButtonLMDBitmapList->count(), 3);
        const QStringList names{"Warning", "CS1504", "Opticon"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(form.ButtonLMDBitmapList->name(i), names[i]);
            const QImage picture = form.ButtonLMDBitmapList->picture(i).pixmap(60, 60).toImage();
            QCOMPARE(picture.size(), QSize(60, 60));
            // All three stand on the window's light blue.
            QCOMPARE(QColor(picture.pixel(0, 0)), QColor(184, 221, 239));
        }
    }

    // The pictures come as the program's build rendered them: at the size a window shows
    // them and at twice that, for screens that scale by two; the logo keeps its shape.
    void picturesAtTheirSizes() {
        for (const char* name : {"ende", "warning", "cs1504", "opticon", "scanchange"}) {
            const QList<QSize> sizes = namedPicture(name).availableSizes();
            QVERIFY2(sizes.contains(QSize(56, 56)) && sizes.contains(QSize(112, 112)), name);
        }
        QCOMPARE(namedPicture("logo").pixmap(33, 37).size(), QSize(33, 37));
        QCOMPARE(namedPicture("program").pixmap(64, 64).size(), QSize(64, 64));
        QVERIFY(namedPicture("no such picture").isNull());
    }

    void menuEntriesWithoutShortcuts() {
        startWith("");
        const QList<QAction*> top = MainForm->menuBar()->actions();
        QCOMPARE(top.size(), 3);
        QCOMPARE(top[0]->text(), QString("Datei"));
        QCOMPARE(top[1]->text(), QString("Konfiguration"));
        QCOMPARE(top[2]->text(), QString("Info"));
        QVERIFY(top[0]->menu() != nullptr);
        // "Konfiguration" and "Info" act directly.
        QCOMPARE(top[1]->menu(), nullptr);
        QCOMPARE(top[2]->menu(), nullptr);
        const QList<QAction*> file = top[0]->menu()->actions();
        QCOMPARE(file.size(), 4);
        QCOMPARE(file[0]->text(), QString("Empfangen"));
        // The reception history, after the reception.
        QCOMPARE(file[1]->text(), QString("Verlauf"));
        QVERIFY(file[2]->isSeparator());
        QCOMPARE(file[3]->text(), QString("Schliessen"));
        for (QAction* action : {top[0], top[1], top[2], file[0], file[1], file[3]}) {
            QVERIFY(action->shortcut().isEmpty());
            QVERIFY(!action->text().contains('&'));
        }
    }

    void statusRule_data() {
        QTest::addColumn<QByteArray>("serials");
        QTest::addColumn<MainWindowState>("state");
        QTest::newRow("empty list") << QByteArray() << MainWindowState::NoScanner;
        QTest::newRow("00000 is 0")
            << QByteArray("0000000000000000;AB12;Lager\r\n") << MainWindowState::ChangePort;
        QTest::newRow("00001 is exactly 1")
            << QByteArray("0000100000000000\r\n") << MainWindowState::ChangePort;
        QTest::newRow("00002 is above 1")
            << QByteArray("0000200000000000\r\n") << MainWindowState::CS1504;
        QTest::newRow("00100 is 100")
            << QByteArray("0010000000000000\r\n") << MainWindowState::CS1504;
        QTest::newRow("01e02 reads as 100")
            << QByteArray("01e0200000000000\r\n") << MainWindowState::CS1504;
        QTest::newRow("00e05 reads as 0")
            << QByteArray("00e0500000000000\r\n") << MainWindowState::ChangePort;
        QTest::newRow("hex letters")
            << QByteArray("0a1b2c3d4e5f6071\r\n") << MainWindowState::CS1504;
        QTest::newRow("short serial") << QByteArray("1;X;Y\r\n") << MainWindowState::ChangePort;
        QTest::newRow("empty column 0")
            << QByteArray(";AB12;Lager\r\n0010000000000000\r\n") << MainWindowState::Unchanged;
        QTest::newRow("only the first row counts, change port first")
            << QByteArray("0000000000000000\r\n0123456789abcdef\r\n")
            << MainWindowState::ChangePort;
        QTest::newRow("only the first row counts, CS1504 first")
            << QByteArray("0123456789abcdef\r\n0000000000000000\r\n") << MainWindowState::CS1504;
    }

    // At start-up, from the scanner list file.
    void statusRule() {
        QFETCH(QByteArray, serials);
        QFETCH(MainWindowState, state);
        MessageBoxRecorder boxes;
        startWith(serials.toStdString());
        compareStatus(shownStatus(), expectedStatus(state));
        QVERIFY(boxes.shown().empty());
    }

    // After the list was edited: an empty column 0 keeps whatever was shown before.
    void statusRuleAfterEditing() {
        startWith("0123456789abcdef\r\n");
        compareStatus(shownStatus(), expectedStatus(MainWindowState::CS1504));
        ConfigForm->data().scanners.setRows({";AB12;Lager", "0000000000000000"});
        ConfigForm->UpdateMainWindowStatus();
        compareStatus(shownStatus(), expectedStatus(MainWindowState::CS1504));
        ConfigForm->data().scanners.setRows({"0000000000000000", "0123456789abcdef"});
        ConfigForm->UpdateMainWindowStatus();
        compareStatus(shownStatus(), expectedStatus(MainWindowState::ChangePort));
        ConfigForm->data().scanners.setRows({";AB12;Lager"});
        ConfigForm->UpdateMainWindowStatus();
        compareStatus(shownStatus(), expectedStatus(MainWindowState::ChangePort));
        ConfigForm->data().scanners.setRows({});
        ConfigForm->UpdateMainWindowStatus();
        compareStatus(shownStatus(), expectedStatus(MainWindowState::NoScanner));
    }

    void decimalNumbers_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<char>("separator");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        QTest::newRow("digits") << QByteArray("00100") << '.' << true << 100.0;
        QTest::newRow("exponent") << QByteArray("01e02") << '.' << true << 100.0;
        QTest::newRow("capital exponent") << QByteArray("2E-1") << '.' << true << 0.2;
        QTest::newRow("blanks around") << QByteArray(" 12 ") << '.' << true << 12.0;
        QTest::newRow("signs") << QByteArray("-5") << '.' << true << -5.0;
        QTest::newRow("plus") << QByteArray("+3") << '.' << true << 3.0;
        QTest::newRow("locale separator") << QByteArray("0,5") << ',' << true << 0.5;
        QTest::newRow("other separator") << QByteArray("0.5") << ',' << false << 0.0;
        QTest::newRow("too large") << QByteArray("9e999") << '.' << true << HUGE_VAL;
        QTest::newRow("hex letter") << QByteArray("0a1b2") << '.' << false << 0.0;
        QTest::newRow("exponent without digits") << QByteArray("1e") << '.' << false << 0.0;
        QTest::newRow("exponent alone") << QByteArray("e5") << '.' << false << 0.0;
        QTest::newRow("separator alone") << QByteArray(".") << '.' << false << 0.0;
        QTest::newRow("blank inside") << QByteArray("1 2") << '.' << false << 0.0;
        QTest::newRow("empty") << QByteArray("") << '.' << false << 0.0;
    }

    void decimalNumbers() {
        QFETCH(QByteArray, text);
        QFETCH(char, separator);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        double read = 0;
        QCOMPARE(readDecimalNumber(text.toStdString(), separator, read), isNumber);
        if (isNumber) QCOMPARE(read, value);
    }

    void statusWithoutRows() {
        // Without rows the serial number passed along does not matter.
        QCOMPARE(mainWindowStateFor(false, "0010000000000000"), MainWindowState::NoScanner);
        QCOMPARE(mainWindowStateFor(true, "0,9", ','), MainWindowState::ChangePort);
        QCOMPARE(mainWindowStateFor(true, "1,5", ','), MainWindowState::CS1504);
    }

    void receiveCommand_data() {
        QTest::addColumn<int>("openResult");
        QTest::addColumn<int>("closeResult");
        QTest::addColumn<bool>("receiveWindowShown");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("open succeeds") << 0 << 0 << true << QStringList{"Reset", "Open 2"};
        QTest::newRow("open fails, close succeeds")
            << -1 << 0 << true << QStringList{"Reset", "Open 2", "Close"};
        QTest::newRow("open and close fail")
            << -1 << -1 << false << QStringList{"Reset", "Open 2", "Close"};
    }

    void receiveCommand() {
        QFETCH(int, openResult);
        QFETCH(int, closeResult);
        QFETCH(bool, receiveWindowShown);
        QFETCH(QStringList, calls);
        startWith("0010000000000000\r\n", "[ScannerOptions]\r\nPort=2\r\n");
        const ShownStatus before = shownStatus();
        ScriptedScannerLibrary scanner;
        scanner.openResult = openResult;
        scanner.closeResult = closeResult;
        InstalledScannerLibrary installed(&scanner);
        MessageBoxRecorder boxes;
        ModalRecorder modal;
        // The menu entry and the picture button run the same command.
        for (const auto& command : std::vector<std::function<void()>>{
                 [] { MainForm->Empfangen1->trigger(); }, [] { MainForm->RecvButton->click(); }}) {
            scanner.calls.clear();
            modal.shown.clear();
            boxes.clear();
            command();
            QStringList made;
            for (const auto& call : scanner.calls) made << QString::fromStdString(call);
            QCOMPARE(made, calls);
            if (receiveWindowShown) {
                QCOMPARE(modal.shown, std::vector<QDialog*>{ReceiveForm});
                QVERIFY(boxes.shown().empty());
            } else {
                QVERIFY(modal.shown.empty());
                QCOMPARE(boxes.shown().size(), size_t(1));
                const MessageBoxRequest& box = boxes.shown()[0];
                // The lines after it tell what is wrong with the device (tested on real ports).
                QVERIFY(box.text.startsWith("Port kann nicht intialisiert werden\n"));
                QCOMPARE(box.caption, QString("Kommunikations Fehler!!"));
                QCOMPARE(box.icon, QMessageBox::Warning);
                QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            }
            // Receiving leaves the main window status alone.
            compareStatus(shownStatus(), before);
        }
    }

    void closePortMessageEvenWithoutAnOpenPort() {
        startWith("0000000000000000\r\n");
        MessageBoxRecorder boxes;
        // The program's own library: no port is open, so the close fails.
        MainForm->ScanChangeButton->click();
        ScriptedScannerLibrary scanner;
        scanner.closeResult = -1;
        InstalledScannerLibrary installed(&scanner);
        MainForm->ScanChangeButtonClick();
        QCOMPARE(scanner.calls, std::vector<std::string>{"Close"});
        QCOMPARE(boxes.shown().size(), size_t(2));
        for (const MessageBoxRequest& box : boxes.shown()) {
            QCOMPARE(box.text, QString("Scanner kann nun gewechselt werden"));
            QCOMPARE(box.caption, QString("Lorvant"));
            QCOMPARE(box.icon, QMessageBox::NoIcon);
            QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        compareStatus(shownStatus(), expectedStatus(MainWindowState::ChangePort));
    }

    void configurationOnlyAfterThePassword() {
        startWith("");
        for (int passwordResult : {2, 0, 1}) {
            ModalRecorder modal(
                [=](QDialog* dialog) { return dialog == PassForm ? passwordResult : 0; });
            MessageBoxRecorder boxes;
            MainForm->Konfiguration1->trigger();
            if (passwordResult == 1)
                QCOMPARE(modal.shown, (std::vector<QDialog*>{PassForm, ConfigForm}));
            else
                QCOMPARE(modal.shown, std::vector<QDialog*>{PassForm});
            QVERIFY(boxes.shown().empty());
        }
    }

    void infoCommand() {
        startWith("");
        ModalRecorder modal;
        MainForm->Info1->trigger();
        QCOMPARE(modal.shown, std::vector<QDialog*>{InfoForm});
    }

    void closingEndsTheProgram_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("menu Schliessen") << 0;
        QTest::newRow("SpeedButton1") << 1;
        QTest::newRow("close box") << 2;
    }

    // Each way closes the main window, and with it the message loop returns.
    void closingEndsTheProgram() {
        QFETCH(int, way);
        startWith("");
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        QTimer::singleShot(0, MainForm, [way] {
            if (way == 0) MainForm->Ende1->trigger();
            if (way == 1) MainForm->SpeedButton1->click();
            if (way == 2) MainForm->close();
        });
        // Only reached when the loop does not end by itself.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] { QApplication::exit(1); });
        guard.start(10000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(MainForm->isHidden());
        // The settings are written when the windows are destroyed, not on closing.
        QCOMPARE(fileBytes(path("LVconfig.ini")), std::string());
    }
};

int main(int argc, char** argv) {
    LorvantApplication application(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_main_window.moc"
