// The program's windows against the CS1504 emulator on a pseudo-terminal, through the real
// serial path (QSerialPort): receiving, saving, closing with clock synchronisation and
// clearing; registering the scanner; writing, reading and resetting its parameters; setting
// its clock by hand.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSerialPort>
#include <QStatusBar>
#include <QTimeEdit>
#include <QWindow>
#include <QtTest>
#include <functional>

#include "core/transfers.h"
#include "emulator_launcher.h"
#include "file_helpers.h"
#include "scanner/cs1504_library.h"
#include "shell_fakes.h"
#include "system/program_dir.h"
#include "system/serial_transport.h"
#include "system/sqlite_history.h"
#include "testing/message_box_recorder.h"
#include "text/clock.h"
#include "text/date_time_format.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/picture_button.h"
#include "ui/radio_group.h"
#include "windows/application.h"
#include "windows/clock_dialog.h"
#include "windows/config_form.h"
#include "windows/keyboard_wedge.h"
#include "windows/main_form.h"
#include "windows/receive_form.h"

namespace {

// The PC's time during the tests: 6 December 2026, 19:52:12.
const LocalDateTime kNow = {2026, 12, 6, 19, 52, 12, 0};
const std::array<uint8_t, 6> kNowOnTheScanner = {12, 52, 19, 6, 12, 26};

// The unit the tests talk to, in the emulator's data file format. Its clock is off by
// almost two years, so that a synchronisation shows.
const char* kUnitHead =
    "serial 0a1b2c3d4e5f6071\n"
    "clock 2025-01-01 08:00:00\n";
const char* kSerialText = "0a1b2c3d4e5f6071";

// Items of the page "Einstellungen".
constexpr int kBeeperItem = 11;
constexpr int kTimeStampItem = 13;
constexpr int kMaxLengthItem = 14;

bool checked(int item) {
    return ConfigForm->ParamCheckListBox->item(item)->checkState() == Qt::Checked;
}
void check(int item, bool on) {
    ConfigForm->ParamCheckListBox->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

// Forty barcodes: paced like the line, their upload takes about a second.
constexpr int kPacedBarcodes = 40;
std::string pacedUnit() {
    std::string unit = std::string(kUnitHead) + "timestamps on\n";
    for (int i = 0; i < kPacedBarcodes; ++i)
        unit += "barcode ean13 2026-12-06 14:05:09 " + std::to_string(4006381330000 + i) + "\n";
    return unit;
}
std::vector<std::string> pacedRows() {
    std::vector<std::string> rows;
    for (int i = 0; i < kPacedBarcodes; ++i)
        rows.push_back(std::to_string(4006381330000 + i) + ";14:05:09;06.12.2026");
    return rows;
}

// Notes what the receive window shows each time its progress bar is painted.
class PaintWatch : public QObject {
  public:
    struct Seen {
        bool exposed;
        int rows;
        int value;
        int maximum;
        QString text;
    };
    std::vector<Seen> seen;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const auto* bar = static_cast<QProgressBar*>(watched);
            const QWindow* window = ReceiveForm->windowHandle();
            seen.push_back({window && window->isExposed(), ReceiveForm->ListBoxAll->rowCount(),
                            bar->value(), bar->maximum(), bar->text()});
        }
        return false;
    }
};

// A click, or a key pressed and released, posted to `target` as the window system hands the
// events over: they arrive when the program next lets events through.
void postClick(QWidget* target) {
    const QPointF at = QRectF(target->rect()).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            target,
            new QMouseEvent(type, at, target->mapToGlobal(at), Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                            Qt::NoModifier));
}
void postKey(QWidget* target, Qt::Key key, const QString& text = {}) {
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        QCoreApplication::postEvent(target, new QKeyEvent(type, key, {}, text));
}
}  // namespace

class SerialEndToEndTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::unique_ptr<EmulatorLauncher> emulator_;
    std::unique_ptr<Cs1504Library> library_;
    std::unique_ptr<InstalledHotkeys> hotkeys_;

    QString path(const char* name) const { return dir_.filePath(name); }

    // Starts the emulator with the unit file `unit` on COM3 and the program's windows with
    // the scanner list `serials`; the scanner library speaks to the serial port.
    // `paced`: the unit answers at the pace of a 9600 baud line, not at full speed.
    bool start(const std::string& unit, const std::string& serials, const QStringList& options = {},
               bool paced = false) {
        if (!putFile(path("unit.txt"), unit) || !putFile(path("LVserial.dat"), serials))
            return false;
        emulator_ = std::make_unique<EmulatorLauncher>();
        const QStringList speed = paced ? QStringList() : QStringList{"--fast"};
        if (!emulator_->start(QStringList{"--data", path("unit.txt"), "--log"} + speed + options)) {
            qWarning("%s", qPrintable(emulator_->errorText()));
            return false;
        }
        qputenv("LORVANT_COM3", emulator_->portPath().toLocal8Bit());
        library_ = std::make_unique<Cs1504Library>(serialPortOpener());
        setScannerLibrary(library_.get());
        hotkeys_ = std::make_unique<InstalledHotkeys>();
        createApplicationWindows();
        ConfigForm->cbPortID->setCurrentIndex(2);
        ConfigForm->FileNamePathEdit->setText(path("Data.txt"));
        return true;
    }

    // The unit as the emulator last wrote it down.
    cs1504::Device unit() const {
        cs1504::Device device;
        if (!emulator_->state(device)) device.softwareVersion = "UNREADABLE";
        return device;
    }
    int commandsSeen(const QString& frame) const {
        return int(("\n" + emulator_->log()).count("\n-> " + frame));
    }

    // "Empfangen" in the main window. The receive window comes up through the modal seam:
    // it reads the scanner as it appears, `whileShown` acts in it, and its close button is
    // clicked unless the window is closed already.
    void receive(const std::function<void(TReceiveForm&)>& whileShown) {
        setModalHandler([&](QDialog* dialog) {
            if (dialog != ReceiveForm) return 0;
            dialog->show();
            whileShown(*ReceiveForm);
            if (dialog->isVisible()) ReceiveForm->CloseButton->click();
            return dialog->result();
        });
        MainForm->Empfangen1Click();
        setModalHandler({});
    }

    // "Zeit && Datum": the clock dialog comes up, shows the PC's time of that moment, the
    // user sets `date` and `time` and leaves with OK or Cancel.
    void setClockByHand(QDate date, QTime time, QPushButton* TdlgTime::*button) {
        LocalDateTime shown;
        setModalHandler([&](QDialog* dialog) {
            dialog->show();
            shown = dlgTime->value();
            dlgTime->Calendar->setSelectedDate(date);
            dlgTime->pckTime->setTime(time);
            (dlgTime->*button)->click();
            return dialog->result();
        });
        ConfigForm->SetTimeDateButtonClick();
        setModalHandler({});
        QCOMPARE(shown, kNow);
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        for (const char* name : {"LVconfig.ini", "LVserial.dat", "Param.dat", "Data.txt",
                                 "history.sqlite", "history.sqlite-wal", "history.sqlite-shm"})
            QFile::remove(path(name));
        setProgramDirectory(nativePath(dir_.path()));
        setClock([] { return kNow; });
        dateTimeFormat() = DateTimeFormat{};
        qunsetenv("LORVANT_COM1");
    }
    void cleanup() {
        setModalHandler({});
        {
            MessageBoxRecorder quiet;
            destroyApplicationWindows();
        }
        hotkeys_.reset();
        setScannerLibrary(nullptr);
        library_.reset();
        // The emulator ends cleanly: a sanitizer finding in it would end it with a failure.
        const bool emulatorEndedCleanly = !emulator_ || emulator_->stop();
        const QString emulatorLog = emulator_ ? emulator_->log().right(2000) : QString();
        emulator_.reset();
        setClock({});
        qunsetenv("LORVANT_COM3");
        QVERIFY2(emulatorEndedCleanly, qPrintable(emulatorLog));
    }

    // --- File transfer

    void receiveSaveAndCloseWithSynchronisationAndClearing() {
        QVERIFY(start(std::string(kUnitHead) +
                          "timestamps on\n"
                          "barcode ean13 2026-12-06 14:05:09 4006381333931\n"
                          "barcode code128 2026-12-06 14:06:00 K\\xC4SE-\\x80\\x81\n"
                          "barcode code39 2026-12-06 14:07:30 A1\n",
                      std::string(kSerialText) + ";AB12;Lager S\xFC"
                                                 "d\r\n"));
        ConfigForm->ScanRecToFileBox->setChecked(true);
        ConfigForm->SynchDateTimeCheckBox->setChecked(true);
        ConfigForm->TransDelCheckBox->setChecked(true);
        putFile(path("Data.txt"), std::string(500, 'x'));
        MessageBoxRecorder boxes;
        QString statusAfterReading;
        receive([&](TReceiveForm& window) {
            statusAfterReading = window.statusText();
            window.ListeSpeichernButtonClick();
        });
        QVERIFY(boxes.shown().empty());
        QCOMPARE(statusAfterReading, QString(" Anzahl empfangene Scanner Daten = 3"));
        QVERIFY(ReceiveForm->isHidden());
        QCOMPARE(ReceiveForm->ListBoxAll->rowCount(), 0);
        QCOMPARE(ReceiveForm->statusText(), QString(" Daten auf Scanner werden gelöscht"));
        QCOMPARE(fileBytes(path("Data.txt")), std::string("AB12;Lager S\xFC"
                                                          "d\r\n"
                                                          "4006381333931;14:05:09;06.12.2026\r\n"
                                                          "K\xC4SE-\x80\x81;14:06:00;06.12.2026\r\n"
                                                          "A1;14:07:30;06.12.2026\r\n"));
        const cs1504::Device after = unit();
        QCOMPARE(after.clock, kNowOnTheScanner);
        QVERIFY(after.barcodes.empty());
        QVERIFY(!after.sessionOpen());  // every exchange ended with a power down
        // The history holds the cleared unit's barcodes and gives the saved bytes back.
        QString notice;
        const auto history = SqliteHistory::open(path("history.sqlite").toStdString(), notice);
        QVERIFY2(history, qPrintable(notice));
        const auto recorded = history->receptions(-1, 0);
        QCOMPARE(recorded.size(), size_t(1));
        QCOMPARE(recorded[0].delivered, HistoryDelivery::Saved);
        QCOMPARE(recorded[0].file, path("Data.txt").toStdString());
        Settings asConfigured;
        asConfigured.scannerRecordFirst = true;
        const Reception again =
            replayedReception(recorded[0], history->rows(recorded[0].id), asConfigured);
        QCOMPARE(receptionBytes(again, asConfigured), fileBytes(path("Data.txt")));
    }

    void aFailedSaveKeepsTheListAndTheScannersBarcodes() {
        QVERIFY(start(std::string(kUnitHead) + "timestamps off\n"
                                               "barcode ean13 2026-12-06 14:05:09 4006381333931\n"
                                               "barcode code39 2026-12-06 14:06:00 ART-4711\n",
                      std::string(kSerialText) + ";AB12;Lager\r\n"));
        ConfigForm->TransDelCheckBox->setChecked(true);
        // A path through a regular file cannot be created, whoever runs the test.
        ConfigForm->FileNamePathEdit->setText(path("LVserial.dat") + "/Data.txt");
        MessageBoxRecorder boxes;
        receive([&](TReceiveForm& window) {
            window.ListeSpeichernButtonClick();
            QCOMPARE(boxes.shown().size(), size_t(1));
            QCOMPARE(boxes.shown()[0].icon, QMessageBox::Warning);
            QVERIFY(boxes.shown()[0].text.contains(path("LVserial.dat") + "/Data.txt"));
            QVERIFY(boxes.shown()[0].text.contains("Ein Teil des Pfades ist kein Ordner."));
            QVERIFY(!window.ListSaved);
            QVERIFY(window.ListeSpeichernButton->isEnabled());
            QCOMPARE(window.ListBoxAll->rows(),
                     (std::vector<std::string>{"4006381333931", "ART-4711"}));
            // Closing asks; No keeps the window and its list.
            boxes.answerNext(QMessageBox::No);
            window.CloseButton->click();
            QVERIFY(window.isVisible());
            QCOMPARE(window.ListBoxAll->rowCount(), 2);
            // Yes discards the list, but the scanner keeps its barcodes.
            boxes.answerNext(QMessageBox::Yes);
            window.CloseButton->click();
            QVERIFY(window.isHidden());
        });
        QCOMPARE(boxes.shown().size(), size_t(3));
        QCOMPARE(boxes.shown()[2].text, QString("Wollen Sie trotzdem schliessen ??"));
        QCOMPARE(unit().barcodes.size(), size_t(2));
        QCOMPARE(commandsSeen("02 02 00"), 0);  // no clear command was ever sent

        // Mended, the next reception gets them all again, saves them and clears the scanner.
        ConfigForm->FileNamePathEdit->setText(path("Data.txt"));
        boxes.clear();
        receive([](TReceiveForm& window) { window.ListeSpeichernButtonClick(); });
        QVERIFY(boxes.shown().empty());
        QCOMPARE(fileBytes(path("Data.txt")), std::string("4006381333931\r\nART-4711\r\n"));
        QVERIFY(unit().barcodes.empty());
    }

    void barcodesThatDidNotReachTheListStayOnTheScanner() {
        // With time stamps, a barcode of 95 characters does not fit the 100-byte packet.
        const std::string tooLong(95, 'L');
        QVERIFY(start(std::string(kUnitHead) + "timestamps on\n" +
                          "barcode code128 2026-12-06 14:05:09 " + tooLong + "\n" +
                          "barcode ean8 2026-12-06 14:06:00 96385074\n",
                      std::string(kSerialText) + ";AB12;Lager\r\n"));
        ConfigForm->TransDelCheckBox->setChecked(true);
        ConfigForm->ScannerOptionGroup->setValue(3);
        MessageBoxRecorder boxes;
        receive([&](TReceiveForm& window) {
            QCOMPARE(window.ListBoxAll->rows(), std::vector<std::string>{"96385074"});
            window.ListeSpeichernButtonClick();
        });
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].icon, QMessageBox::Warning);
        QVERIFY2(boxes.shown()[0].text.contains("1 von 2 Barcodes"),
                 qPrintable(boxes.shown()[0].text));
        QCOMPARE(fileBytes(path("Data.txt")), std::string("96385074\r\n"));
        QCOMPARE(unit().barcodes.size(), size_t(2));
        QCOMPARE(commandsSeen("02 02 00"), 0);
    }

    void aScannerWithoutTimeStampsDeliversItsShortestBarcodes() {
        QVERIFY(start(std::string(kUnitHead) + "timestamps off\n"
                                               "barcode code39 2026-12-06 14:05:09 A\n"
                                               "barcode code128 2026-12-06 14:05:10 123\n"
                                               "barcode ean13 2026-12-06 14:05:11 4006381333931\n",
                      std::string(kSerialText) + ";AB12;Lager\r\n"));
        ConfigForm->TransDelCheckBox->setChecked(true);
        MessageBoxRecorder boxes;
        receive([](TReceiveForm& window) { window.ListeSpeichernButtonClick(); });
        QVERIFY(boxes.shown().empty());
        QCOMPARE(ConfigForm->ScannerOptionGroup->value(), 3);
        QCOMPARE(fileBytes(path("Data.txt")), std::string("A\r\n123\r\n4006381333931\r\n"));
        QVERIFY(unit().barcodes.empty());
    }

    void theReceiveWindowShowsTheBarcodesArriving() {
        QVERIFY(start(pacedUnit(), std::string(kSerialText) + ";AB12;Lager\r\n", {}, true));
        MessageBoxRecorder boxes;
        PaintWatch paints;
        ReceiveForm->ReceiveProgress->installEventFilter(&paints);
        std::vector<int> arrived;
        connect(ReceiveForm, &TReceiveForm::receiving, this, [&](int n) { arrived.push_back(n); });
        std::vector<std::string> rows;
        QString status;
        bool barHidden = false;
        QElapsedTimer clock;
        clock.start();
        receive([&](TReceiveForm& window) {
            rows = window.ListBoxAll->rows();
            status = window.statusText();
            barHidden = window.ReceiveProgress->isHidden();
            window.ListeSpeichernButtonClick();
        });
        qInfo("%d barcodes read through the window in %lld ms, %zu repaints of the bar",
              kPacedBarcodes, clock.elapsed(), paints.seen.size());
        QVERIFY(boxes.shown().empty());
        // The window was on the screen and repainted while the barcodes arrived, before the
        // list held any of them.
        QVERIFY(!paints.seen.empty());
        for (const PaintWatch::Seen& seen : paints.seen) QVERIFY(seen.exposed);
        const auto arriving =
            std::count_if(paints.seen.begin(), paints.seen.end(), [](const PaintWatch::Seen& seen) {
                return seen.rows == 0 && seen.value > 0 && seen.value < seen.maximum;
            });
        QVERIFY2(arriving >= 3, qPrintable(QString::number(arriving)));
        // The count went up to every barcode, and the bar reached its end.
        QVERIFY(arrived.size() >= 10);
        QVERIFY(std::is_sorted(arrived.begin(), arrived.end()));
        QCOMPARE(arrived.back(), kPacedBarcodes);
        QVERIFY(std::any_of(paints.seen.begin(), paints.seen.end(), [](const PaintWatch::Seen& s) {
            return s.value == s.maximum && s.text == QString("Barcodes: %1").arg(kPacedBarcodes);
        }));
        // What the window shows in the end is as it always was.
        QCOMPARE(rows, pacedRows());
        QCOMPARE(status, QString(" Anzahl empfangene Scanner Daten = %1").arg(kPacedBarcodes));
        QVERIFY(barHidden);
        QCOMPARE(ReceiveForm->ListBoxAll->sectionCaption(1), QString("Zeit"));
        QCOMPARE(ReceiveForm->ListBoxAll->sectionCaption(2), QString("Datum"));
    }

    void nothingElseReachesTheScannerWhileItIsRead() {
        QVERIFY(start(pacedUnit(), std::string(kSerialText) + ";AB12;Lager\r\n", {}, true));
        ConfigForm->TransDelCheckBox->setChecked(true);
        MessageBoxRecorder boxes;
        // The send hotkey was pressed just before "Empfangen": its timer runs out while the
        // barcodes arrive.
        bool timerFiredWhileReading = false;
        connect(&Wedge->SendTimer, &QTimer::timeout, this,
                [&] { timerFiredWhileReading = ReceiveForm->isReading(); });
        Wedge->SendTimer.start(300);
        // Later, everything else that could reach the scanner is tried once.
        bool tried = false;
        bool stillOpen = false;
        connect(ReceiveForm, &TReceiveForm::receiving, this, [&](int n) {
            if (tried || n < kPacedBarcodes - 5) return;
            tried = true;
            hotkeys_->pressId(66);
            hotkeys_->pressId(99);
            Wedge->SendTimerTimer();
            MainForm->Empfangen1Click();
            MainForm->ScanChangeButtonClick();
            stillOpen = ReceiveForm->isVisible();
        });
        std::vector<std::string> rows;
        receive([&](TReceiveForm& window) {
            rows = window.ListBoxAll->rows();
            window.ListeSpeichernButtonClick();
        });
        QVERIFY(tried);
        QVERIFY(timerFiredWhileReading);
        QVERIFY(stillOpen);
        QVERIFY(!Wedge->SendTimer.isActive());
        QVERIFY(boxes.shown().empty());
        QCOMPARE(rows, pacedRows());
        QCOMPARE(commandsSeen("07 02 00"), 1);  // one upload, no second reading
        // Saved, the barcodes left the scanner only when the window closed.
        QVERIFY(unit().barcodes.empty());
        QCOMPARE(commandsSeen("02 02 00"), 1);
        QCOMPARE(fileBytes(path("Data.txt")).size(),
                 size_t(kPacedBarcodes) * (13 + 1 + 8 + 1 + 10 + 2));
    }

    void clicksAndKeysDuringAReadingAreDroppedNotDeferred() {
        QVERIFY(start(pacedUnit(), std::string(kSerialText) + ";AB12;Lager\r\n", {}, true));
        MessageBoxRecorder boxes;
        // While the barcodes arrive the user clicks "Speichern" and presses Space on it, as
        // the window system would hand it the events.
        bool clicked = false;
        connect(ReceiveForm, &TReceiveForm::receiving, this, [&](int n) {
            if (clicked || n < 5) return;
            clicked = true;
            postClick(ReceiveForm->ListeSpeichernButton);
            postKey(ReceiveForm->ListeSpeichernButton, Qt::Key_Space, " ");
        });
        bool savedBeforeSeen = true;
        std::vector<std::string> rows;
        receive([&](TReceiveForm& window) {
            // The list is there: anything held back would act now.
            QCoreApplication::processEvents();
            savedBeforeSeen = window.ListSaved;
            rows = window.ListBoxAll->rows();
            boxes.answerNext(QMessageBox::Yes);  // closing discards the unsaved list
        });
        QVERIFY(clicked);
        QVERIFY(!savedBeforeSeen);
        QCOMPARE(rows, pacedRows());
        QVERIFY(!QFile::exists(path("Data.txt")));
        // Closing asked about the unsaved list, and only that.
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].caption, QString("Liste wurde noch nicht gespeichert !"));
    }

    // "Abbrechen" (its button, or Escape) while the barcodes arrive, as the window system
    // hands the events over: the reading ends, nothing is listed, saved or erased, and the
    // unit is sent to sleep.
    void aReadingIsCancelled_data() {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Abbrechen") << false;
        QTest::newRow("Escape") << true;
    }
    void aReadingIsCancelled() {
        QFETCH(bool, byEscape);
        QVERIFY(start(pacedUnit(), std::string(kSerialText) + ";AB12;Lager\r\n", {}, true));
        ConfigForm->TransDelCheckBox->setChecked(true);
        MessageBoxRecorder boxes;
        QString buttonWhileReading;
        connect(ReceiveForm, &TReceiveForm::receiving, this, [&](int n) {
            if (!buttonWhileReading.isEmpty() || n < 5) return;
            buttonWhileReading = ReceiveForm->CloseButton->text();
            if (byEscape)
                postKey(ReceiveForm, Qt::Key_Escape);
            else
                postClick(ReceiveForm->CloseButton);
        });
        QString status;
        int rowsShown = -1;
        bool saveOffered = true;
        receive([&](TReceiveForm& window) {
            status = window.statusText();
            rowsShown = window.ListBoxAll->rowCount();
            saveOffered = window.ListeSpeichernButton->isEnabled();
        });
        QCOMPARE(buttonWhileReading, QString("Abbrechen"));
        QCOMPARE(ReceiveForm->CloseButton->text(), QString("Schliessen"));
        QCOMPARE(status, QString(" Lesen abgebrochen: nichts gespeichert, nichts gelöscht"));
        QCOMPARE(rowsShown, 0);
        QVERIFY(!saveOffered);
        QVERIFY(boxes.shown().empty());
        // Closed with "erase after the transfer" on: the unit keeps every barcode, asleep.
        QCOMPARE(unit().barcodes.size(), size_t(kPacedBarcodes));
        QCOMPARE(commandsSeen("02 02 00"), 0);
        QVERIFY(emulator_->log().lastIndexOf("-> 05 02") >
                emulator_->log().lastIndexOf("-> 07 02"));
        QVERIFY(!QFile::exists(path("Data.txt")));
    }

    // A wedge transfer's reading, cancelled by a click on the main window's reading button:
    // nothing typed, nothing erased, and the main window says so.
    void aWedgeReadingIsCancelledFromTheMainWindow() {
        QVERIFY(start(pacedUnit(), std::string(kSerialText) + ";AB12;Lager\r\n", {}, true));
        ConfigForm->TransDelCheckBox->setChecked(true);
        MainForm->show();
        MessageBoxRecorder boxes;
        bool clicked = false;
        connect(ReceiveForm, &TReceiveForm::receiving, this, [&](int n) {
            if (clicked || n < 5) return;
            clicked = true;
            postClick(MainForm->RecvButton);
        });
        Wedge->SendTimerTimer();
        QVERIFY(clicked);
        QCOMPARE(MainForm->KeyStatus->currentMessage(),
                 QString(" Lesen abgebrochen: nichts getippt, nichts gelöscht"));
        QCOMPARE(unit().barcodes.size(), size_t(kPacedBarcodes));
        QCOMPARE(commandsSeen("02 02 00"), 0);
        QVERIFY(boxes.shown().empty());
    }

    // --- Registering the scanner, its parameters and its clock

    void registerReceiveAndSetUpTheScanner() {
        QVERIFY(start(std::string(kUnitHead) + "timestamps on\n"
                                               "barcode ean13 2026-12-06 14:05:09 4006381333931\n"
                                               "barcode code39 2026-12-06 14:06:00 ART-4711\n",
                      ""));
        MessageBoxRecorder boxes;
        QCOMPARE(MainForm->recvPicture(), 0);  // no scanner registered

        // Register it: its serial number becomes a row, with an ID and a name.
        ConfigForm->Scannereinlesen1Click();
        QCOMPARE(ConfigForm->SerieListBox->rows(), std::vector<std::string>{kSerialText});
        ConfigForm->PersNumEdit->setText("ab12");
        ConfigForm->PersNameEdit->setText("Lager");
        ConfigForm->PersNumEditExit();
        QCOMPARE(ConfigForm->SerieListBox->row(0), std::string(kSerialText) + ";AB12;Lager");
        QCOMPARE(MainForm->recvPicture(), 1);
        QCOMPARE(unit().barcodes.size(), size_t(2));

        // Receive its barcodes; without clearing they stay on the scanner.
        receive([](TReceiveForm& window) {
            QCOMPARE(window.ListBoxAll->rows(),
                     (std::vector<std::string>{"4006381333931;14:05:09;06.12.2026",
                                               "ART-4711;14:06:00;06.12.2026"}));
            window.ListeSpeichernButtonClick();
        });
        QVERIFY(boxes.shown().empty());
        QCOMPARE(ConfigForm->data().scannerRecord, std::string("AB12;Lager\r\n"));
        QCOMPARE(unit().barcodes.size(), size_t(2));

        // Write parameters while barcodes are stored: the beeper goes off, but the unit keeps
        // its maximum length and time stamps, and the user is told so.
        check(kBeeperItem, false);
        check(kTimeStampItem, false);
        check(kMaxLengthItem, false);
        ConfigForm->LoadScannerButtonClick();
        cs1504::Device written = unit();
        QCOMPARE(written.parameter(2), uint8_t(0));
        QCOMPARE(written.parameter(34), uint8_t(30));
        QCOMPARE(written.parameter(35), uint8_t(1));
        QCOMPARE(boxes.shown().size(), size_t(1));
        const MessageBoxRequest refused = boxes.shown()[0];
        QCOMPARE(refused.icon, QMessageBox::Warning);
        QVERIFY(refused.text.contains("Zeit/Datums Stempel speichern."));
        QVERIFY(refused.text.contains("Max. BC Länge markiert=30 / demarkiert=15"));
        QVERIFY(!refused.text.contains("Lautstärke"));
        boxes.clear();

        // Reading back shows what the scanner really holds.
        ConfigForm->ReadParaButtonClick();
        QVERIFY(boxes.shown().empty());
        QVERIFY(!checked(kBeeperItem));
        QVERIFY(checked(kTimeStampItem));
        QVERIFY(checked(kMaxLengthItem));

        // A factory reset would clear the stored barcodes: it asks first, and No keeps them.
        boxes.answerNext(QMessageBox::No);
        ConfigForm->FactoryDefaultButtonClick();
        QCOMPARE(boxes.shown().size(), size_t(1));
        QCOMPARE(boxes.shown()[0].defaultButton, QMessageBox::No);
        QVERIFY(boxes.shown()[0].text.contains("2 Barcodes"));
        QCOMPARE(unit().barcodes.size(), size_t(2));
        QCOMPARE(unit().parameter(2), uint8_t(0));
        boxes.answerNext(QMessageBox::Yes);
        ConfigForm->FactoryDefaultButtonClick();
        QVERIFY(unit().barcodes.empty());
        QCOMPARE(unit().parameter(2), uint8_t(1));
        boxes.clear();

        // On an empty scanner every parameter is taken, the beeper still off as chosen above:
        // 34 travels as 15, then as 30.
        check(kTimeStampItem, false);
        check(kMaxLengthItem, false);
        ConfigForm->LoadScannerButtonClick();
        QVERIFY(boxes.shown().empty());
        written = unit();
        const uint8_t expected[16][2] = {{31, 1}, {54, 0}, {46, 0},  {45, 0}, {8, 1},  {52, 1},
                                         {42, 0}, {58, 1}, {65, 0},  {64, 0}, {57, 0}, {2, 0},
                                         {15, 0}, {35, 0}, {34, 15}, {4, 0}};
        for (const auto& [code, value] : expected) QCOMPARE(written.parameter(code), value);
        check(kMaxLengthItem, true);
        ConfigForm->LoadScannerButtonClick();
        QCOMPARE(unit().parameter(34), uint8_t(30));
        check(kTimeStampItem, true);
        ConfigForm->ReadParaButtonClick();
        QVERIFY(!checked(kTimeStampItem));
        QVERIFY(checked(kMaxLengthItem));
        QVERIFY(boxes.shown().empty());

        // The clock by hand: Cancel leaves it, OK writes what the dialog shows.
        const std::array<uint8_t, 6> before = unit().clock;
        setClockByHand(QDate(2027, 1, 1), QTime(0, 15, 7), &TdlgTime::CancelBtn);
        QCOMPARE(dlgTime->result(), 2);
        QCOMPARE(unit().clock, before);
        setClockByHand(QDate(2027, 1, 1), QTime(0, 15, 7), &TdlgTime::OKBtn);
        QCOMPARE(dlgTime->result(), 1);
        QCOMPARE(unit().clock, (std::array<uint8_t, 6>{7, 15, 0, 1, 1, 27}));
        QVERIFY(!unit().sessionOpen());
    }

    void aSilentScannerIsReportedAndChangesNothing() {
        QVERIFY(start(std::string(kUnitHead), std::string(kSerialText) + ";AB12;Lager\r\n",
                      {"--silent"}));
        MessageBoxRecorder boxes;
        check(0, false);
        check(1, true);
        ConfigForm->LoadScannerButtonClick();
        ConfigForm->ReadParaButtonClick();
        QVERIFY(!checked(0));
        QVERIFY(checked(1));
        ConfigForm->FactoryDefaultButtonClick();
        QCOMPARE(boxes.shown().size(), size_t(3));
        for (const MessageBoxRequest& box : boxes.shown()) {
            QCOMPARE(box.text, QString(" Keine Verbindung zum Scanner."));
            QCOMPARE(box.caption, QString(" Kommunikations Fehler "));
        }
    }

    // --- A port the user may not open

    void aPortThatCannotBeOpenedNamesItsDeviceAndWhatIsWrong() {
        QVERIFY(start(std::string(kUnitHead), std::string(kSerialText) + ";AB12;Lager\r\n"));
        const auto messageOfReceiving = [&] {
            MessageBoxRecorder boxes;
            MainForm->Empfangen1Click();
            return boxes.shown().size() == 1 ? boxes.shown()[0].text : QString("<no message>");
        };
        const QString base = "Port kann nicht intialisiert werden\n";
        // Held by another program: Qt's own lock, as a second Lorvant or a terminal would.
        {
            QSerialPort holder(emulator_->portPath());
            QVERIFY(holder.open(QIODevice::ReadWrite));
            QCOMPARE(messageOfReceiving(),
                     base + "Das Gerät " + emulator_->portPath() +
                         " ist belegt: Ein anderes Programm hat es geöffnet.");
        }
        // Not there, named by the variable.
        const QString gone = path("ttyGone");
        qputenv("LORVANT_COM3", gone.toLocal8Bit());
        QCOMPARE(messageOfReceiving(),
                 base + "Das Gerät " + gone +
                     " ist nicht vorhanden: Ist der Scanner mit seinem Kabel angeschlossen?\n"
                     "COM3 steht für " +
                     gone + ", wie es die Umgebungsvariable LORVANT_COM3 nennt.");
        // Not there, the default device of the port.
        ConfigForm->cbPortID->setCurrentIndex(15);
        qunsetenv("LORVANT_COM16");
        if (QFile::exists("/dev/ttyUSB15")) QSKIP("this machine has a /dev/ttyUSB15");
        QCOMPARE(
            messageOfReceiving(),
            base +
                "Das Gerät /dev/ttyUSB15 ist nicht vorhanden: Ist der Scanner mit seinem "
                "Kabel angeschlossen?\nCOM16 steht für /dev/ttyUSB15; ein anderes Gerät "
                "nennt die Umgebungsvariable LORVANT_COM16 (etwa LORVANT_COM16=/dev/ttyACM0).");
    }

    void aPortWithoutPermissionNamesTheDeviceAndTheGroupToJoin() {
        QVERIFY(start(std::string(kUnitHead), std::string(kSerialText) + ";AB12;Lager\r\n"));
        const QByteArray device = emulator_->portPath().toLocal8Bit();
        // The scanner's cable as Debian sets it up: root and the group dialout may use it.
        // Not being root, one's own device without rights for oneself does the same.
        const bool root = geteuid() == 0;
        if (root) {
            const group* dialout = getgrnam("dialout");
            QVERIFY(dialout);
            QVERIFY(::chown(device.constData(), 0, dialout->gr_gid) == 0);
            QVERIFY(::chmod(device.constData(), 0660) == 0);
        } else {
            QVERIFY(::chmod(device.constData(), 0060) == 0);
        }
        struct stat status {};
        QVERIFY(::stat(device.constData(), &status) == 0);
        const QString group = QString::fromLocal8Bit(getgrgid(status.st_gid)->gr_name);
        WithoutRootPrivileges user;
        QVERIFY(user.unprivileged());
        MessageBoxRecorder boxes;
        MainForm->Empfangen1Click();
        Wedge->SendTimerTimer();
        QCOMPARE(boxes.shown().size(), size_t(2));
        for (const MessageBoxRequest& box : boxes.shown()) {
            QCOMPARE(box.text, QStringLiteral("Port kann nicht intialisiert werden\nKeine "
                                              "Berechtigung für %1: Der Benutzer muss zur Gruppe "
                                              "\"%2\" gehören (sudo usermod -aG %2 $USER, danach "
                                              "neu anmelden).")
                                   .arg(QString::fromLocal8Bit(device), group));
            QCOMPARE(box.caption, QString("Kommunikations Fehler!!"));
        }
        if (root) QCOMPARE(group, QString("dialout"));
        QCOMPARE(commandsSeen(""), 0);
    }
};

QTEST_MAIN(SerialEndToEndTest)
#include "test_serial_end_to_end.moc"
