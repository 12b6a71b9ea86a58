// The keyboard wedge through the configuration window: capturing the hotkeys in their edits,
// the hotkeys and the send timer, and wedge transfers against the device model, typed into
// the recording keyboard.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <functional>

#include "file_helpers.h"
#include "platform/command_hotkeys.h"
#include "platform/desktop_notifications.h"
#include "platform/recording/recording_keyboard.h"
#include "scanner/cs1504_codec.h"
#include "scanner/cs1504_library.h"
#include "shell_fakes.h"
#include "system/program_dir.h"
#include "system/sqlite_history.h"
#include "testing/cs1504_device.h"
#include "testing/memory_transport.h"
#include "testing/message_box_recorder.h"
#include "text/clock.h"
#include "text/date_time_format.h"
#include "transfer_windows.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/radio_group.h"
#include "unit_fixture.h"
#include "windows/clock_dialog.h"
#include "windows/config_form.h"
#include "windows/keyboard_wedge.h"
#include "windows/main_form.h"
#include "windows/receive_form.h"

Q_DECLARE_METATYPE(std::vector<std::string>)
Q_DECLARE_METATYPE(std::vector<std::vector<std::string>>)

namespace {

const std::array<uint8_t, 8> kSerial = {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x60, 0x71};
const char* kKnownScanner = "0a1b2c3d4e5f6071;AB12;Lager\r\n";
const LocalDateTime kNow = {2026, 12, 6, 19, 52, 12, 0};

// One barcode on the unit and the time of its scan.
struct Scan {
    std::string data;
    int year, month, day, hour, minute, second;

    cs1504::StoredBarcode stored() const {
        return {0x03, data, cs1504::packTimeStamp(year, month, day, hour, minute, second)};
    }
    std::string time() const {
        return QString::asprintf("%02d:%02d:%02d", hour, minute, second).toStdString();
    }
    std::string date() const {
        return QString::asprintf("%02d.%02d.%04d", day, month, year).toStdString();
    }
};

const Scan kFirst = {"4006381333931", 2026, 12, 6, 14, 5, 9};
const Scan kSecond = {"K\xC4SE-7!", 2026, 1, 31, 7, 0, 59};

std::string clockBytes(const LocalDateTime& t) {
    const uint8_t bytes[6] = {uint8_t(t.second), uint8_t(t.minute), uint8_t(t.hour),
                              uint8_t(t.day),    uint8_t(t.month),  uint8_t(t.year % 100)};
    return std::string(bytes, bytes + 6);
}

// The settings every case starts from: Alt+Ctrl+S sends, Alt+Ctrl+D clears, columns are
// typed with H-Tab between them and each line ends with Enter.
const char* kSettings =
    "[ScannerOptions]\r\nPort=0\r\nDataFormat=0\r\n"
    "[SendOptions]\r\nFieldSep=5\r\nRecTerm=0\r\nSendHot=Alt+Ctrl+S\r\nMod=3\r\nV_Key=83\r\n"
    "[ClrOptions]\r\nClrHot=Alt+Ctrl+D\r\nMod=3\r\nV_key=68\r\n";

// Records the keys, and how many barcodes the unit still held when the typing ended.
class TypingKeyboard : public RecordingKeyboard {
  public:
    explicit TypingKeyboard(const cs1504::Device& device) : device_(device) {}

    void beginTransfer(std::string_view characters, const std::vector<VirtualKey>& keys) override {
        if (whileTyping) whileTyping();
        RecordingKeyboard::beginTransfer(characters, keys);
    }
    bool endTransfer() override {
        const bool typed = RecordingKeyboard::endTransfer();
        storedAtEnd.push_back(device_.barcodes.size());
        return typed;
    }
    std::vector<size_t> storedAtEnd;
    std::function<void()> whileTyping;  // what the user does while the keys go out

  private:
    const cs1504::Device& device_;
};

}  // namespace

class KeyboardWedgeTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    UnitFixture unit_;
    std::unique_ptr<TypingKeyboard> keyboard_;
    std::unique_ptr<InstalledHotkeys> hotkeys_;
    std::unique_ptr<MessageBoxRecorder> boxes_;
    std::unique_ptr<TMainForm> main_;
    std::unique_ptr<TConfigForm> config_;
    std::unique_ptr<TReceiveForm> receive_;
    std::unique_ptr<TdlgTime> clock_;
    // The desktop's notifications, as "summary|body".
    QStringList notifications_;

    // The windows as the program creates them, the platform services installed first.
    void createWindows(const std::string& scannerList = kKnownScanner, TMainForm* main = nullptr) {
        QVERIFY(putFile(dir_.filePath("LVserial.dat"), scannerList));
        createTransferWindows(config_, receive_, clock_, main);
    }
    // What a transfer of `scans` types with the window's settings (no table look-up of the
    // code under test: the separator and terminator are given).
    static std::string typed(const std::vector<std::vector<std::string>>& lines, char separator,
                             int terminator) {
        if (lines.empty()) return "";
        std::string text = "[";
        for (const auto& fields : lines) {
            for (size_t i = 0; i < fields.size(); ++i)
                text += (i ? std::string(1, separator) : "") + fields[i];
            text += "<" + std::to_string(terminator) + ">";
        }
        return text + "]";
    }
    int commandsSent(cs1504::Command command) const {
        int count = 0;
        for (const auto& bytes : unit_.line->commands)
            if (!bytes.empty() && bytes[0] == static_cast<uint8_t>(command)) ++count;
        return count;
    }
    QLineEdit* hotkeyEdit(const QString& which) const {
        return which == "send" ? config_->SendHotkeyEdit : config_->ClearHotkeyEdit;
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        unit_.setUp(dir_, {}, kNow, kSerial);
        QVERIFY(putFile(dir_.filePath("LVconfig.ini"), kSettings));
        // Each test starts a history of its own.
        for (const char* file : {"history.sqlite", "history.sqlite-wal", "history.sqlite-shm"})
            QFile::remove(dir_.filePath(file));
        unit_.device.barcodes = {kFirst.stored(), kSecond.stored()};
        unit_.device.clock = {1, 2, 3, 4, 5, 6};
        keyboard_ = std::make_unique<TypingKeyboard>(unit_.device);
        setKeyboardOutput(keyboard_.get());
        hotkeys_ = std::make_unique<InstalledHotkeys>();
        boxes_ = std::make_unique<MessageBoxRecorder>();
        notifications_.clear();
        setDesktopNotifier([this](const QString& summary, const QString& body) {
            notifications_ << summary + "|" + body;
        });
    }
    void cleanup() {
        setDesktopNotifier({});
        destroyTransferWindows(config_, receive_, clock_);
        main_.reset();
        boxes_.reset();
        hotkeys_.reset();
        setKeyboardOutput(nullptr);
        keyboard_.reset();
        unit_.tearDown();
    }

    // --- Capturing a hotkey in its edit

    void captureThroughTheEdit_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<Qt::KeyboardModifiers>("held");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("key");
        const Qt::KeyboardModifiers none = Qt::NoModifier;
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        for (const char* edit : {"send", "clear"}) {
            QTest::addRow("%s: S alone becomes Alt+S", edit)
                << edit << int(Qt::Key_S) << none << "Alt+S" << 1 << 83;
            QTest::addRow("%s: Shift+Ctrl+F5", edit)
                << edit << int(Qt::Key_F5) << (Qt::ShiftModifier | ctrl) << "Shift+Ctrl+F5" << 6
                << 116;
            QTest::addRow("%s: Ctrl alone", edit)
                << edit << int(Qt::Key_Control) << ctrl << "Ctrl+" << 2 << 0;
        }
        QTest::newRow("Space with Ctrl")
            << "send" << int(Qt::Key_Space) << ctrl << "Ctrl+" << 2 << 0;
        QTest::newRow("F13 with Ctrl") << "send" << int(Qt::Key_F13) << ctrl << "Ctrl+" << 2 << 0;
        QTest::newRow("Ctrl+Alt+S in fixed order")
            << "clear" << int(Qt::Key_S) << (Qt::AltModifier | ctrl) << "Alt+Ctrl+S" << 3 << 83;
        QTest::newRow("numpad 1 with Ctrl")
            << "send" << int(Qt::Key_1) << (ctrl | Qt::KeypadModifier) << "Ctrl+a" << 2 << 97;
        QTest::newRow("digit 1 with Ctrl")
            << "send" << int(Qt::Key_1) << ctrl << "Ctrl+1" << 2 << 49;
    }

    void captureThroughTheEdit() {
        QFETCH(QString, edit);
        QFETCH(int, qtKey);
        QFETCH(Qt::KeyboardModifiers, held);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(int, key);
        createWindows();
        const bool send = edit == "send";
        const int id = send ? 66 : 99;
        hotkeys_->clearCalls();

        QTest::keyClick(hotkeyEdit(edit), Qt::Key(qtKey), held);

        QCOMPARE(hotkeyEdit(edit)->text(), text);
        QCOMPARE(send ? config_->settings().sendHotkey.modifiers
                      : config_->settings().clearHotkey.modifiers,
                 modifiers);
        QCOMPARE(send ? config_->settings().sendHotkey.key : config_->settings().clearHotkey.key,
                 key);
        // The hotkey being edited is off until the window closes (each key-down, the
        // modifiers' own included, unregisters it again); the other stays as it was.
        QVERIFY(!hotkeys_->calls().empty());
        for (const auto& call : hotkeys_->calls())
            QCOMPARE(call, (RecordingHotkeys::Call{RecordingHotkeys::Call::Unregister, id, 0, 0}));
        QVERIFY(!hotkeys_->registered(id));
        QVERIFY(hotkeys_->registered(send ? 99 : 66));
        QCOMPARE(hotkeyEdit(send ? "clear" : "send")->text(),
                 QString(send ? "Alt+Ctrl+D" : "Alt+Ctrl+S"));

        hotkeys_->clearCalls();
        config_->show();
        config_->BitBtn1->click();
        const std::string captured = std::to_string(modifiers) + ":" + std::to_string(key);
        QCOMPARE(hotkeys_->registrations(),
                 (std::vector<std::string>{"66:" + (send ? captured : "3:83"),
                                           "99:" + (send ? "3:68" : captured)}));
    }

    void eachKeyDownRebuildsTheText() {
        createWindows();
        QTest::keyPress(config_->SendHotkeyEdit, Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(config_->SendHotkeyEdit->text(), QString("Ctrl+"));
        QCOMPARE(config_->settings().sendHotkey.key, 0);
        QTest::keyPress(config_->SendHotkeyEdit, Qt::Key_Alt,
                        Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(config_->SendHotkeyEdit->text(), QString("Alt+Ctrl+"));
        QTest::keyClick(config_->SendHotkeyEdit, Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(config_->SendHotkeyEdit->text(), QString("Alt+Ctrl+Q"));
        QCOMPARE(config_->settings().sendHotkey.modifiers, 3);
        QCOMPARE(config_->settings().sendHotkey.key, 81);
        // A key the edit would take as text (it is read-only) changes nothing but the hotkey.
        QTest::keyClick(config_->SendHotkeyEdit, Qt::Key_7);
        QCOMPARE(config_->SendHotkeyEdit->text(), QString("Alt+7"));
    }

    void storedTextIsKeptWhenTheNumbersDisagree() {
        QVERIFY(putFile(dir_.filePath("LVconfig.ini"),
                        "[SendOptions]\r\nSendHot=Ctrl+Q\r\nMod=1\r\nV_Key=83\r\n"
                        "[ClrOptions]\r\nClrHot=Shift+F5\r\nMod=2\r\nV_key=68\r\n"));
        createWindows();
        QCOMPARE(config_->SendHotkeyEdit->text(), QString("Ctrl+Q"));
        QCOMPARE(config_->ClearHotkeyEdit->text(), QString("Shift+F5"));
        QCOMPARE(hotkeys_->registrations(), (std::vector<std::string>{"66:1:83", "99:2:68"}));
        // The press that counts is the registered one, whatever the edit shows.
        QVERIFY(!hotkeys_->press(2, 'Q'));
        QVERIFY(hotkeys_->press(1, 'S'));
        QVERIFY(Wedge->SendTimer.isActive());
        Wedge->SendTimer.stop();

        config_.reset();
        ConfigForm = nullptr;
        const std::string saved = fileBytes(dir_.filePath("LVconfig.ini"));
        QVERIFY(saved.find("SendHot=Ctrl+Q\r\nMod=1\r\nV_Key=83\r\n") != std::string::npos);
        QVERIFY(saved.find("ClrHot=Shift+F5\r\nMod=2\r\nV_key=68\r\n") != std::string::npos);
    }

    // --- The hotkeys

    void sendHotkeyStartsTheTimerOnce() {
        createWindows();
        QVERIFY(hotkeys_->press(3, 'S'));
        QVERIFY(Wedge->SendTimer.isActive());
        QVERIFY(Wedge->SendTimer.isSingleShot());
        QCOMPARE(Wedge->SendTimer.interval(), 500);
        QCOMPARE(Wedge->SendTimer.timerType(), Qt::PreciseTimer);
        QVERIFY(keyboard_->events().empty());  // the transfer runs when the timer fires
        QCOMPARE(commandsSent(cs1504::Command::Interrogate), 0);

        // A second press within the delay neither restarts it nor queues a second transfer.
        QTRY_VERIFY(Wedge->SendTimer.remainingTime() <= 400);
        QVERIFY(hotkeys_->press(3, 'S'));
        QVERIFY(Wedge->SendTimer.isActive());
        QVERIFY(Wedge->SendTimer.remainingTime() <= 400);
        QTRY_VERIFY(!keyboard_->events().empty());
        QVERIFY(!Wedge->SendTimer.isActive());
        QCOMPARE(commandsSent(cs1504::Command::UploadBarcodes), 1);
        QCOMPARE(keyboard_->transcript(), typed({{kFirst.data, kFirst.time(), kFirst.date()},
                                                 {kSecond.data, kSecond.time(), kSecond.date()}},
                                                '\t', 13));
    }

    void clearHotkeyErasesAtOnceThroughWhateverPortIsOpen() {
        ScriptedScannerLibrary scripted;
        setScannerLibrary(&scripted);
        createWindows();
        scripted.calls.clear();
        // Right after start, no port open: the erase is asked for all the same, and nothing
        // is reported.
        QVERIFY(hotkeys_->press(3, 'D'));
        QCOMPARE(scripted.calls, (std::vector<std::string>{"Erase"}));
        QVERIFY(boxes_->shown().empty());
        QVERIFY(!Wedge->SendTimer.isActive());

        // With the unit: the transfer leaves the port open and the clear hotkey empties it.
        setScannerLibrary(unit_.library.get());
        QVERIFY(hotkeys_->press(3, 'D'));  // no port yet: nothing happens, nothing is said
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        Wedge->SendTimerTimer();
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        QVERIFY(hotkeys_->press(3, 'D'));
        QVERIFY(unit_.device.barcodes.empty());
        QVERIFY(boxes_->shown().empty());
        hotkeys_->pressId(12);  // an id of no hotkey
        QVERIFY(!Wedge->SendTimer.isActive());
    }

    void aPressAfterTheWindowHasGoneReachesNobody() {
        createWindows();
        Wedge->SendTimerTimer();  // leaves the port open
        destroyTransferWindows(config_, receive_, clock_);
        // The hotkeys stay registered to the end of the run, the window is gone.
        QVERIFY(hotkeys_->press(3, 'D'));
        QVERIFY(hotkeys_->press(3, 'S'));
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
    }

    // --- Wedge transfers

    void typesEveryRowColumnByColumn() {
        createWindows();
        Wedge->SendTimerTimer();
        QCOMPARE(keyboard_->transcript(), typed({{kFirst.data, kFirst.time(), kFirst.date()},
                                                 {kSecond.data, kSecond.time(), kSecond.date()}},
                                                '\t', 13));
        QCOMPARE(receive_->ListBoxAll->rowCount(), 0);
        QVERIFY(!receive_->isVisible());
        QVERIFY(boxes_->shown().empty());
        // Neither clock nor clear asked for: the unit keeps both.
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        QCOMPARE(unit_.device.clock, (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6}));

        // The port stays open: the next transfer reads the unit again without opening it.
        keyboard_->clear();
        const int opens = unit_.line->opens;
        Wedge->SendTimerTimer();
        QCOMPARE(unit_.line->opens, opens);
        QCOMPARE(keyboard_->storedAtEnd, (std::vector<size_t>{2, 2}));
    }

    void separatorAndTerminatorTables_data() {
        QTest::addColumn<int>("separatorIndex");
        QTest::addColumn<int>("terminatorIndex");
        QTest::addColumn<char>("separator");
        QTest::addColumn<int>("terminator");
        const char separators[] = {',', '.', ':', ';', '/', '\t', '\v'};
        for (int i = 0; i < 7; ++i)
            QTest::addRow("separator %d", i) << i << 0 << separators[i] << 13;
        const int terminators[] = {13, 10, 9, 11};
        for (int i = 0; i < 4; ++i)
            QTest::addRow("terminator %d", i) << 0 << i << ',' << terminators[i];
        QTest::newRow("indexes outside the tables") << 7 << 4 << ',' << 13;
        QTest::newRow("negative indexes") << -1 << -1 << ',' << 13;
    }

    void separatorAndTerminatorTables() {
        QFETCH(int, separatorIndex);
        QFETCH(int, terminatorIndex);
        QFETCH(char, separator);
        QFETCH(int, terminator);
        // As a hand-edited settings file gives them.
        QVERIFY(putFile(dir_.filePath("LVconfig.ini"),
                        "[ScannerOptions]\r\nDataFormat=1\r\n[SendOptions]\r\nFieldSep=" +
                            std::to_string(separatorIndex) +
                            "\r\nRecTerm=" + std::to_string(terminatorIndex) + "\r\n"));
        createWindows();
        Wedge->SendTimerTimer();
        QCOMPARE(keyboard_->transcript(),
                 typed({{kFirst.data, kFirst.time()}, {kSecond.data, kSecond.time()}}, separator,
                       terminator));
    }

    void dataFormatOptionDecidesTheColumns_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<std::vector<std::vector<std::string>>>("lines");
        QTest::newRow("barcode, time and date")
            << 0
            << std::vector<std::vector<std::string>>{
                   {kFirst.data, kFirst.time(), kFirst.date()},
                   {kSecond.data, kSecond.time(), kSecond.date()}};
        QTest::newRow("barcode and time")
            << 1
            << std::vector<std::vector<std::string>>{{kFirst.data, kFirst.time()},
                                                     {kSecond.data, kSecond.time()}};
        QTest::newRow("barcode and date")
            << 2
            << std::vector<std::vector<std::string>>{{kFirst.data, kFirst.date()},
                                                     {kSecond.data, kSecond.date()}};
        QTest::newRow("barcode only, no separator")
            << 3 << std::vector<std::vector<std::string>>{{kFirst.data}, {kSecond.data}};
    }

    void dataFormatOptionDecidesTheColumns() {
        QFETCH(int, option);
        QFETCH(std::vector<std::vector<std::string>>, lines);
        createWindows();
        config_->ScannerOptionGroup->setValue(option);
        Wedge->SendTimerTimer();
        QCOMPARE(keyboard_->transcript(), typed(lines, '\t', 13));
    }

    void unitWithoutTimeStampsTypesTheBarcodeAlone() {
        unit_.device.setParameter(cs1504::parameter::StoreTimeStamps, 0);
        createWindows();
        Wedge->SendTimerTimer();
        QCOMPARE(keyboard_->transcript(), typed({{kFirst.data}, {kSecond.data}}, '\t', 13));
        QCOMPARE(config_->ScannerOptionGroup->value(), 3);
    }

    void barcodeHoldingTheListDelimiterIsTypedAsScanned_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("fieldSeparator");
        QTest::addColumn<std::vector<std::string>>("fields");
        // The list's delimiter is the first character of the field separator text, which the
        // user may choose: the time and date texts may hold it, too.
        const Scan scan = {"x;y.z:!Q", 2025, 1, 31, 23, 59, 58};
        for (const char* delimiter : {";", ".", ":"}) {
            QTest::addRow("barcode, time and date, list delimiter %s", delimiter)
                << 0 << delimiter << std::vector<std::string>{scan.data, scan.time(), scan.date()};
            QTest::addRow("barcode and time, list delimiter %s", delimiter)
                << 1 << delimiter << std::vector<std::string>{scan.data, scan.time()};
            QTest::addRow("barcode and date, list delimiter %s", delimiter)
                << 2 << delimiter << std::vector<std::string>{scan.data, scan.date()};
            QTest::addRow("barcode only, list delimiter %s", delimiter)
                << 3 << delimiter << std::vector<std::string>{scan.data};
        }
    }

    void barcodeHoldingTheListDelimiterIsTypedAsScanned() {
        QFETCH(int, option);
        QFETCH(QString, fieldSeparator);
        QFETCH(std::vector<std::string>, fields);
        unit_.device.barcodes = {
            {0x03, "x;y.z:!Q", cs1504::packTimeStamp(2025, 1, 31, 23, 59, 58)}};
        createWindows();
        config_->ScannerOptionGroup->setValue(option);
        config_->FieldSepEdit->setText(fieldSeparator);
        config_->TransDelCheckBox->setChecked(true);
        Wedge->SendTimerTimer();
        // The barcode whole, then time and date: x;y.z:!Q Tab 23:59:58 Tab 31.01.2025 Enter.
        QCOMPARE(keyboard_->transcript(), typed({fields}, '\t', 13));
        QVERIFY(unit_.device.barcodes.empty());
    }

    void theMainWindowShowsTheTransferWithoutTakingTheFocus() {
        // The configuration window is its dialog: it goes first, in cleanup().
        main_ = std::make_unique<TMainForm>(transferWindowsData());
        TMainForm& main = *main_;
        createWindows(kKnownScanner, &main);
        main.showMinimized();
        // The user works in another window; the barcodes are typed into it.
        QLineEdit target;
        target.show();
        target.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&target));
        QStringList messages, titles;
        connect(main.KeyStatus, &QStatusBar::messageChanged, this,
                [&](const QString& message) { messages << message; });
        bool activeThroughout = true;
        connect(&main, &QWidget::windowTitleChanged, this, [&](const QString& title) {
            titles << title;
            activeThroughout = activeThroughout && QApplication::activeWindow() == &target;
        });
        Wedge->SendTimerTimer();
        // The count of the barcodes read, then the typing; afterwards the main window shows
        // how it ended, under its title again.
        QCOMPARE(messages, (QStringList{" Scanner wird gelesen, Barcodes: 0",
                                        " Scanner wird gelesen, Barcodes: 1",
                                        " Scanner wird gelesen, Barcodes: 2",
                                        " Barcodes werden getippt: 2", " 2 Barcodes getippt"}));
        QCOMPARE(titles, (QStringList{"Scanner wird gelesen, Barcodes: 0 - Lorvant",
                                      "Scanner wird gelesen, Barcodes: 1 - Lorvant",
                                      "Scanner wird gelesen, Barcodes: 2 - Lorvant",
                                      "Barcodes werden getippt: 2 - Lorvant",
                                      "              Q&Z Lorvant"}));
        QCOMPARE(main.KeyStatusText->text(), QString("   Konfiguriert für CS1504"));
        // The desktop says it too, in its corner, once.
        QCOMPARE(notifications_, QStringList{"2 Barcodes getippt|"});
        // The target window kept the keyboard focus throughout.
        QCOMPARE(QApplication::activeWindow(), &target);
        QVERIFY(activeThroughout);
        QCOMPARE(keyboard_->transcript(), typed({{kFirst.data, kFirst.time(), kFirst.date()},
                                                 {kSecond.data, kSecond.time(), kSecond.date()}},
                                                '\t', 13));
    }

    // What the unit says of itself comes after the keys, never before: a box would take the
    // focus from the target.
    void theUnitsHealthIsToldAfterTheTyping() {
        unit_.device.lowBattery = true;
        createWindows();
        std::vector<size_t> keysBefore;
        setMessageBoxHandler([&](const MessageBoxRequest&) {
            keysBefore.push_back(keyboard_->events().size());
            return QMessageBox::Ok;
        });
        Wedge->SendTimerTimer();
        QCOMPARE(keysBefore.size(), size_t(1));
        QVERIFY(keysBefore[0] > 0);
        QCOMPARE(keysBefore[0], keyboard_->events().size());
        QCOMPARE(notifications_.size(), 1);
        QVERIFY2(notifications_[0].startsWith("2 Barcodes getippt|") &&
                     notifications_[0].contains("Batterie"),
                 qPrintable(notifications_[0]));
    }

    void clockSynchronisedAndUnitClearedAfterTheTyping() {
        createWindows();
        config_->SynchDateTimeCheckBox->setChecked(true);
        config_->TransDelCheckBox->setChecked(true);
        Wedge->SendTimerTimer();
        QCOMPARE(keyboard_->transcript(), typed({{kFirst.data, kFirst.time(), kFirst.date()},
                                                 {kSecond.data, kSecond.time(), kSecond.date()}},
                                                '\t', 13));
        QCOMPARE(keyboard_->storedAtEnd, (std::vector<size_t>{2}));  // cleared only afterwards
        QVERIFY(unit_.device.barcodes.empty());
        const std::string clock(unit_.device.clock.begin(), unit_.device.clock.end());
        QCOMPARE(clock, clockBytes(kNow));
        QCOMPARE(receive_->ListBoxAll->rowCount(), 0);
        QVERIFY(boxes_->shown().empty());
        // What left the unit as keystrokes alone stays in the history.
        QString notice;
        const auto history =
            SqliteHistory::open(dir_.filePath("history.sqlite").toStdString(), notice);
        QVERIFY2(history, qPrintable(notice));
        const auto receptions = history->receptions(-1, 0);
        QCOMPARE(receptions.size(), size_t(1));
        QCOMPARE(receptions[0].delivered, HistoryDelivery::Typed);
        const auto rows = history->rows(receptions[0].id);
        QCOMPARE(rows.size(), size_t(2));
        QCOMPARE(rows[1].barcode, std::string(kSecond.data));
    }

    void emptyUnitTypesNothingAndStillSetsTheClockAndClears() {
        unit_.device.barcodes.clear();
        createWindows();
        config_->SynchDateTimeCheckBox->setChecked(true);
        config_->TransDelCheckBox->setChecked(true);
        Wedge->SendTimerTimer();
        QVERIFY(keyboard_->events().empty());
        QCOMPARE(std::string(unit_.device.clock.begin(), unit_.device.clock.end()),
                 clockBytes(kNow));
        QCOMPARE(commandsSent(cs1504::Command::ClearBarcodes), 1);
        QVERIFY(boxes_->shown().empty());
    }

    void typingThatFailsKeepsTheBarcodesAndSaysSo() {
        main_ = std::make_unique<TMainForm>(transferWindowsData());
        createWindows(kKnownScanner, main_.get());
        // Under the message the main window tells the outcome, not the typing.
        QStringList underTheBox;
        setMessageBoxHandler([&](const MessageBoxRequest& request) {
            underTheBox << main_->windowTitle() + "|" + main_->KeyStatus->currentMessage();
            return request.defaultButton == QMessageBox::NoButton ? QMessageBox::Ok
                                                                  : request.defaultButton;
        });
        config_->TransDelCheckBox->setChecked(true);
        keyboard_->failTransfers(true, "Keine Tastatur f\xFCr Wayland.");
        Wedge->SendTimerTimer();
        QCOMPARE(underTheBox,
                 QStringList{"              Q&Z Lorvant| Nicht alle Barcodes getippt"});
        QCOMPARE(notifications_,
                 QStringList{"Nicht alle Barcodes getippt|Keine Tastatur für Wayland."});
        boxes_.reset();
        boxes_ = std::make_unique<MessageBoxRecorder>();
        Wedge->SendTimerTimer();
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        QCOMPARE(commandsSent(cs1504::Command::ClearBarcodes), 0);
        QCOMPARE(boxes_->shown().size(), size_t(1));
        QCOMPARE(boxes_->shown()[0].caption, QString(" Übertragungsfehler"));
        // The output's own reason comes last.
        QVERIFY2(boxes_->shown()[0].text.endsWith("gelöscht.\n\nKeine Tastatur für Wayland."),
                 qPrintable(boxes_->shown()[0].text));
        // Once keys go out again, the next transfer types them all and clears the unit.
        keyboard_->failTransfers(false);
        Wedge->SendTimerTimer();
        QVERIFY(unit_.device.barcodes.empty());
    }

    // Where no key can be grabbed (Wayland), the page tells how to bind the wedge commands
    // instead; they arrive as the hotkeys do, and the hotkey fields keep their values.
    void withoutKeyGrabsThePageTellsHowToBindTheCommands() {
        createWindows();
        QVERIFY(config_->WedgeCommandsNote->isHidden());
        destroyTransferWindows(config_, receive_, clock_);
        CommandHotkeys commands;
        setGlobalHotkeys(&commands);
        createWindows();
        QVERIFY(!config_->WedgeCommandsNote->isHidden());
        const QString note = config_->WedgeCommandsNote->text();
        for (const char* part : {" --send\n", " --erase\n", "Tastatur → Eigene Tastenkürzel",
                                 "Systemeinstellungen → Kurzbefehle", "bindsym"})
            QVERIFY2(note.contains(QString::fromUtf8(part)), part);
        QCOMPARE(config_->SendHotkeyEdit->text(), QString("Alt+Ctrl+S"));
        commands.deliverCommand(66);
        QVERIFY(Wedge->SendTimer.isActive());
        unit_.library->OpenScannerPort(0);
        commands.deliverCommand(99);
        QCOMPARE(commandsSent(cs1504::Command::ClearBarcodes), 1);
        setGlobalHotkeys(hotkeys_.get());
    }

    void sendHotkeyIsNotTakenWhileATransferShowsAMessage() {
        createWindows();
        keyboard_->failTransfers(true);
        bool timerStarted = true;
        setMessageBoxHandler([&](const MessageBoxRequest&) {
            // The user presses the send hotkey again while the message is up.
            hotkeys_->press(3, 'S');
            timerStarted = Wedge->SendTimer.isActive();
            return QMessageBox::Ok;
        });
        Wedge->SendTimerTimer();
        setMessageBoxHandler({});
        QVERIFY(!timerStarted);
        QCOMPARE(commandsSent(cs1504::Command::UploadBarcodes), 1);
        // Afterwards it is taken again.
        QVERIFY(hotkeys_->press(3, 'S'));
        QVERIFY(Wedge->SendTimer.isActive());
    }

    void clearHotkeyIsNotTakenWhileATransferRuns() {
        // Typing can take long (a desktop asking the user's permission, thousands of keys);
        // the barcodes read and not yet typed stay on the scanner, whether the typing then
        // succeeds or fails.
        createWindows();
        keyboard_->whileTyping = [this] { QVERIFY(hotkeys_->press(3, 'D')); };
        keyboard_->failTransfers(true);
        Wedge->SendTimerTimer();
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        QCOMPARE(boxes_->shown().size(), size_t(1));
        keyboard_->failTransfers(false);
        Wedge->SendTimerTimer();
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        // Once the message says the typing failed, the user may clear the scanner.
        keyboard_->whileTyping = {};
        keyboard_->failTransfers(true);
        setMessageBoxHandler([this](const MessageBoxRequest&) {
            hotkeys_->press(3, 'D');
            return QMessageBox::Ok;
        });
        Wedge->SendTimerTimer();
        setMessageBoxHandler({});
        QVERIFY(unit_.device.barcodes.empty());
    }

    void sendHotkeyIsNotTakenWhileTheReceiveWindowIsOpen() {
        createWindows();
        receive_->show();
        QVERIFY(hotkeys_->press(3, 'S'));
        QVERIFY(!Wedge->SendTimer.isActive());
        receive_->hide();
        QVERIFY(hotkeys_->press(3, 'S'));
        QVERIFY(Wedge->SendTimer.isActive());
    }

    void unknownScannerTypesNothingAndKeepsTheBarcodes() {
        createWindows("0000000000000001;X;Y\r\n");
        config_->TransDelCheckBox->setChecked(true);
        Wedge->SendTimerTimer();
        QVERIFY(keyboard_->events().empty());
        QCOMPARE(boxes_->shown().size(), size_t(1));
        QCOMPARE(boxes_->shown()[0].text, QString("Überprüfen Sie die Konfiguration !"));
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        QCOMPARE(commandsSent(cs1504::Command::ClearBarcodes), 0);
        QCOMPARE(receive_->ListBoxAll->rowCount(), 0);
    }

    void unitNotAnsweringTypesNothingAndKeepsTheBarcodes() {
        unit_.device.connected = false;
        createWindows();
        config_->TransDelCheckBox->setChecked(true);
        Wedge->SendTimerTimer();
        QVERIFY(keyboard_->events().empty());
        QCOMPARE(commandsSent(cs1504::Command::ClearBarcodes), 0);
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        QCOMPARE(receive_->ListBoxAll->rowCount(), 0);
        // The notification tells why, as the reading's message does.
        QCOMPARE(notifications_.size(), 1);
        QCOMPARE(notifications_[0].section('|', 0, 0),
                 QString("Nichts getippt: der Scanner wurde nicht ganz gelesen"));
        QVERIFY(!notifications_[0].section('|', 1).isEmpty());
    }

    void unreadableTimeStampTypesNothingAndKeepsTheBarcodes() {
        // 31 February: the time stamp text does not read as a date.
        unit_.device.barcodes.push_back(
            {0x03, "LAST", cs1504::packTimeStamp(2026, 2, 31, 9, 0, 0)});
        createWindows();
        config_->TransDelCheckBox->setChecked(true);
        Wedge->SendTimerTimer();
        QCOMPARE(boxes_->shown().size(), size_t(1));
        QCOMPARE(boxes_->shown()[0].icon, QMessageBox::Warning);
        // The rows read before the bad one are not typed either: the next transfer reads
        // them again, and they would arrive twice.
        QVERIFY(keyboard_->events().empty());
        QCOMPARE(unit_.device.barcodes.size(), size_t(3));
        QCOMPARE(receive_->ListBoxAll->rowCount(), 0);
    }

    void portThatCannotBeOpenedIsReportedAndNothingElseHappens() {
        unit_.line->portAvailable = false;
        createWindows();
        config_->SynchDateTimeCheckBox->setChecked(true);
        config_->TransDelCheckBox->setChecked(true);
        Wedge->SendTimerTimer();
        QCOMPARE(boxes_->shown().size(), size_t(1));
        QVERIFY(boxes_->shown()[0].text.startsWith("Port kann nicht intialisiert werden\n"));
        QCOMPARE(boxes_->shown()[0].caption, QString("Kommunikations Fehler!!"));
        QCOMPARE(boxes_->shown()[0].icon, QMessageBox::Warning);
        QCOMPARE(boxes_->shown()[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(keyboard_->events().empty());
        QCOMPARE(unit_.device.barcodes.size(), size_t(2));
        QCOMPARE(unit_.device.clock, (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(notifications_.size(), 1);
        QVERIFY2(notifications_[0].startsWith("Nichts getippt: der Scanner-Port ist nicht "
                                              "geöffnet|Port kann nicht intialisiert werden\n"),
                 qPrintable(notifications_[0]));

        // The calls made: reset and open, nothing after, not even a close.
        ScriptedScannerLibrary scripted;
        scripted.openResult = -4;
        setScannerLibrary(&scripted);
        config_->cbPortID->setCurrentIndex(2);
        Wedge->SendTimerTimer();
        QCOMPARE(scripted.calls, (std::vector<std::string>{"Reset", "Open 2"}));
        setScannerLibrary(unit_.library.get());
    }
};

QTEST_MAIN(KeyboardWedgeTest)
#include "test_keyboard_wedge.moc"
