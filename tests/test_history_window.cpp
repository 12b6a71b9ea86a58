// The history window against the device model: a reception saved, then overwritten in its
// data file by the next one, written out again byte for byte; a reading repeated without a
// clearing marked in the receive window; the search and the clipboard; a wedge transfer in
// the history and typed again at the next press of the send hotkey.
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

#include "core/history_browser.h"
#include "file_helpers.h"
#include "platform/recording/recording_keyboard.h"
#include "scanner/cs1504_codec.h"
#include "shell_fakes.h"
#include "testing/message_box_recorder.h"
#include "transfer_windows.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "unit_fixture.h"
#include "windows/history_form.h"
#include "windows/main_form.h"

namespace {
const std::array<uint8_t, 8> kSerial = {0x00, 0x1A, 0xFF, 0x07, 0x10, 0x20, 0x30, 0x4B};
const LocalDateTime kNow = {2026, 12, 8, 9, 30, 0, 0};
const cs1504::StoredBarcode kFirst{0x0B, "4006381333931",
                                   cs1504::packTimeStamp(2026, 12, 7, 14, 5, 9)};
const cs1504::StoredBarcode kSecond{0x03, "K\xC4SE-7",
                                    cs1504::packTimeStamp(2026, 12, 7, 14, 6, 0)};
const cs1504::StoredBarcode kThird{0x0B, "9780201379624",
                                   cs1504::packTimeStamp(2026, 12, 8, 9, 0, 0)};

// Answers the file dialog with `file`.
void answerSaveDialog(const QString& file) {
    setModalHandler([file](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        if (!files) return int(QDialog::Rejected);
        files->selectFile(file);
        return int(QDialog::Accepted);
    });
}
}  // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    UnitFixture unit_;
    RecordingKeyboard keyboard_;
    std::unique_ptr<InstalledHotkeys> hotkeys_;
    std::unique_ptr<MessageBoxRecorder> boxes_;
    std::unique_ptr<TConfigForm> config_;
    std::unique_ptr<TReceiveForm> receive_;
    std::unique_ptr<TdlgTime> clock_;
    std::unique_ptr<THistoryForm> history_;

    ProgramData& data() { return transferWindowsData(); }
    QString dataPath() const { return dir_.filePath("Data.txt"); }
    void start() {
        createTransferWindows(config_, receive_, clock_);
        data().settings.dataFile = dataPath().toStdString();
        history_ = std::make_unique<THistoryForm>(data(), Wedge);
        QCOMPARE(unit_.library->OpenScannerPort(0), 0);
    }
    void receiveAndSave() {
        receive_->GetScannerData();
        receive_->ListeSpeichernButtonClick();
        QVERIFY(receive_->ListSaved);
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        unit_.setUp(dir_, {"Data.txt", "again.txt"}, kNow, kSerial);
        for (const char* file : {"history.sqlite", "history.sqlite-wal", "history.sqlite-shm"})
            QFile::remove(dir_.filePath(file));
        QVERIFY(putFile(dir_.filePath("LVserial.dat"), "001aff071020304b;AB12;Lager\r\n"));
        // Alt+Ctrl+S sends.
        QVERIFY(putFile(dir_.filePath("LVconfig.ini"),
                        "[SendOptions]\r\nSendHot=Alt+Ctrl+S\r\nMod=3\r\nV_Key=83\r\n"));
        unit_.device.barcodes = {kFirst, kSecond};
        setKeyboardOutput(&keyboard_);
        hotkeys_ = std::make_unique<InstalledHotkeys>();
        boxes_ = std::make_unique<MessageBoxRecorder>();
    }
    void cleanup() {
        setModalHandler({});
        history_.reset();
        destroyTransferWindows(config_, receive_, clock_);
        boxes_.reset();
        hotkeys_.reset();
        setKeyboardOutput(nullptr);
        keyboard_.clear();
        unit_.tearDown();
    }

    void aSavedReceptionOverwrittenByTheNextIsWrittenOutAgain() {
        start();
        receiveAndSave();
        const std::string firstSave = fileBytes(dataPath());
        QVERIFY(!receive_->RepeatedText->isVisibleTo(receive_.get()));

        // The unit was not cleared and holds one barcode more: its first two are marked.
        unit_.device.barcodes.push_back(kThird);
        receiveAndSave();
        QVERIFY(fileBytes(dataPath()) != firstSave);
        QVERIFY(receive_->RepeatedText->isVisibleTo(receive_.get()));
        QCOMPARE(receive_->RepeatedText->text(), QString("2 wiederholt"));
        QVERIFY(!receive_->ListBoxAll->topLevelItem(0)->toolTip(0).isEmpty());
        QVERIFY(receive_->ListBoxAll->topLevelItem(2)->toolTip(0).isEmpty());

        QVERIFY(history_->reload());
        QCOMPARE(history_->browser()->entries().size(), size_t(2));
        const auto* model = history_->ReceptionList->model();
        QCOMPARE(model->index(0, 2).data().toInt(), 3);  // newest first
        QCOMPARE(model->index(1, 3).data().toString(), "gespeichert in " + dataPath());
        QCOMPARE(history_->RowList->topLevelItemCount(), 3);
        QVERIFY(history_->RowList->topLevelItem(0)->text(1).endsWith("(wiederholt)"));

        // The first reception, written out from the window, is the first save byte for byte.
        history_->selectReception(1);
        answerSaveDialog(dir_.filePath("again.txt"));
        history_->SaveAsButtonClick();
        QCOMPARE(fileBytes(dir_.filePath("again.txt")), firstSave);
        QVERIFY(history_->HistoryStatusText->text().contains("again.txt"));
        QVERIFY(boxes_->shown().empty());

        // The search finds the barcode in both receptions; the clipboard gets its line.
        history_->SearchEdit->setText("4006381333931");
        history_->FindButtonClick();
        QCOMPARE(history_->browser()->entries().size(), size_t(2));
        QCOMPARE(history_->HistoryStatusText->text(), QString("2 in 2 Empfängen gefunden"));
        QVERIFY(history_->RowList->topLevelItem(0)->font(1).bold());
        QVERIFY(!history_->RowList->topLevelItem(1)->font(1).bold());
        history_->RowList->topLevelItem(0)->setSelected(true);
        history_->CopyButtonClick();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString("4006381333931;14:05:09;07.12.2026\n"));
        history_->SearchEdit->setText("400638133393");
        history_->FindButtonClick();
        QVERIFY(history_->browser()->entries().empty());
        history_->ShowAllButtonClick();
        QCOMPARE(history_->browser()->entries().size(), size_t(2));

        // Keeping is a setting of the run, written at its end.
        history_->KeepDaysEdit->setValue(30);
        QCOMPARE(data().settings.historyKeepDays, 30);
    }

    // "Datei" > "Verlauf" opens the window listed anew; without a history, a message.
    void theMainWindowOpensIt() {
        start();
        receive_->GetScannerData();
        TMainForm main(data());
        main.setHistoryWindow(history_.get());
        QList<QDialog*> shown;
        setModalHandler([&](QDialog* dialog) {
            shown << dialog;
            return int(QDialog::Rejected);
        });
        main.Verlauf1->trigger();
        QCOMPARE(shown, QList<QDialog*>{history_.get()});
        QCOMPARE(history_->browser()->entries().size(), size_t(1));
        ReceptionHistory* kept = std::exchange(data().history, nullptr);
        main.Verlauf1->trigger();
        data().history = kept;
        QCOMPARE(shown.size(), 1);
        QCOMPARE(boxes_->shown().size(), size_t(1));
        QVERIFY(boxes_->shown()[0].text.startsWith("Es gibt keinen Verlauf"));
    }

    // A file that cannot be written: the message, the file as it was.
    void aSaveAsThatFailsSaysSo() {
        start();
        receiveAndSave();
        QVERIFY(history_->reload());
        answerSaveDialog(dir_.filePath("no/such/folder/x.txt"));
        history_->SaveAsButtonClick();
        QCOMPARE(boxes_->shown().size(), size_t(1));
        QCOMPARE(boxes_->shown()[0].caption, QString(" Fehler beim Speichern"));
    }

    void aWedgeTransferIsRecordedAndTypedAgainAtTheNextSendHotkey() {
        start();
        Wedge->SendTimerTimer();
        const std::string typed = keyboard_.transcript();
        QVERIFY(typed.find("4006381333931") != std::string::npos);
        QVERIFY(history_->reload());
        QCOMPARE(history_->browser()->entries().size(), size_t(1));
        QCOMPARE(history_->browser()->entries()[0].delivered, HistoryDelivery::Typed);

        // The unit is cleared meanwhile; the reception is typed again from the history, the
        // scanner left alone.
        unit_.device.barcodes.clear();
        keyboard_.clear();
        const size_t commands = unit_.line->commands.size();
        history_->selectReception(0);
        history_->ResendButtonClick();
        QVERIFY(Wedge->resendPending());
        QVERIFY(keyboard_.events().empty());
        QVERIFY(hotkeys_->press(3, 'S'));
        QTRY_VERIFY(!Wedge->resendPending());
        QCOMPARE(keyboard_.transcript(), typed);
        QCOMPARE(unit_.line->commands.size(), commands);
        // The next press reads the scanner again.
        keyboard_.clear();
        Wedge->SendTimerTimer();
        QVERIFY(unit_.line->commands.size() > commands);
        QCOMPARE(keyboard_.transcript(), std::string());
        QVERIFY(boxes_->shown().empty());
    }

    // Pages of a long history: each reception listed once, also when one is recorded
    // between two pages.
    void pagesListEachReceptionOnce() {
        start();
        for (int i = 0; i < 5; ++i) receive_->GetScannerData();
        HistoryBrowser browser(*data().history, 2);
        browser.showAll();
        QCOMPARE(browser.entries().size(), size_t(2));
        QCOMPARE(browser.total(), int64_t(5));
        receive_->GetScannerData();
        while (browser.canLoadMore()) QVERIFY(browser.loadMore() > 0);
        std::vector<int64_t> ids;
        for (const HistoryEntry& entry : browser.entries()) ids.push_back(entry.id);
        QCOMPARE(ids, (std::vector<int64_t>{5, 4, 3, 2, 1}));
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "test_history_window.moc"
