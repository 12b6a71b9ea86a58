#include "windows/receive_form.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QThread>
#include <QWindow>
#include <initializer_list>
#include <vector>

#include "core/barcode_reception.h"
#include "scanner/scanner_library.h"
#include "text/clock.h"
#include "text/texts.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

namespace {
// Repainting twenty times a second is plenty for the eye, and the line loses nothing by it.
constexpr int kRepaintIntervalMs = 50;
// How long a window that has just been shown may take to come up on the screen.
constexpr int kExposeWaitMs = 500;

// Drops the user's clicks and keys while it is installed on the application. Held back
// until the reading ends, a click on "Speichern" would save the new list before the user
// had seen it. The ways out go through: clicks on `cancel` (and `alsoCancel`) and the
// Escape key.
class UserInputDropper : public QObject {
  public:
    explicit UserInputDropper(std::initializer_list<QWidget*> ways) : ways_(ways) {}
    bool eventFilter(QObject* receiver, QEvent* event) override {
        for (QWidget* way : ways_) {
            if (way && receiver == way) return false;
        }
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
            event->type() == QEvent::ShortcutOverride) {
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) return false;
        }
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::TabletPress:
            case QEvent::TabletRelease:
                return true;
            default:
                return false;
        }
    }

  private:
    std::vector<QWidget*> ways_;
};

void processEventsDroppingInput(std::initializer_list<QWidget*> ways = {}) {
    UserInputDropper dropper(ways);
    QCoreApplication::instance()->installEventFilter(&dropper);
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&dropper);
}
}  // namespace

TReceiveForm::TReceiveForm(ProgramData& data, QWidget* parent) : QDialog(parent), data_(data) {
    setWindowTitle("  Daten - Empfang     ");
    setFixedSize(552, 439);
    ListBoxAll = new DelimitedListBox(this);
    ListBoxAll->setGeometry(24, 24, 505, 345);
    ListBoxAll->setSections({"Barcode", "", ""}, {200, 70, 70});
    QPalette palette = ListBoxAll->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    ListBoxAll->setPalette(palette);
    ListeSpeichernButton = new QPushButton("Speichern", this);
    ListeSpeichernButton->setGeometry(336, 384, 90, 25);
    ListeSpeichernButton->setAutoDefault(false);
    CloseButton = new QPushButton(texts::kClose, this);
    CloseButton->setGeometry(440, 384, 90, 25);
    CloseButton->setAutoDefault(false);
    ReceiveStatusBar = new QStatusBar(this);
    ReceiveStatusBar->setSizeGripEnabled(false);
    ReceiveStatusBar->setGeometry(0, 439 - 22, 552, 22);
    ReceiveStatusText = new QLabel(ReceiveStatusBar);
    ReceiveStatusBar->addWidget(ReceiveStatusText, 1);
    ReceiveProgress = new QProgressBar(ReceiveStatusBar);
    ReceiveProgress->setFixedWidth(200);
    ReceiveProgress->setAlignment(Qt::AlignCenter);
    ReceiveStatusBar->addPermanentWidget(ReceiveProgress);
    ReceiveProgress->hide();
    RepeatedText = new QLabel(ReceiveStatusBar);
    RepeatedText->setToolTip(texts::kRepeatedHint);
    ReceiveStatusBar->addPermanentWidget(RepeatedText);
    RepeatedText->hide();
    connect(ListeSpeichernButton, &QPushButton::clicked, this,
            &TReceiveForm::ListeSpeichernButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
}

QString TReceiveForm::statusText() const {
    return ReceiveStatusText->text();
}
void TReceiveForm::setStatusText(const QString& text) {
    ReceiveStatusText->setText(text);
}

void TReceiveForm::setVisible(bool visible) {
    const bool appearing = visible && !isVisible();
    QDialog::setVisible(visible);
    // Not in the show event, which comes before the window is on the screen.
    if (appearing) FormShow();
}

void TReceiveForm::FormShow() {
    GetScannerData();
}

void TReceiveForm::showOnScreen() {
    const QDeadlineTimer deadline(kExposeWaitMs);
    while (windowHandle() && !windowHandle()->isExposed() && !deadline.hasExpired()) {
        processEventsDroppingInput();
        QThread::msleep(5);
    }
    processEventsDroppingInput();
}

void TReceiveForm::showProgress(const UploadProgress& progress) {
    ReceiveProgress->setMaximum(std::max(progress.largestAnswer, 1));
    ReceiveProgress->setValue(progress.done ? ReceiveProgress->maximum()
                                            : std::min(progress.bytes, ReceiveProgress->maximum()));
    const QString shown = QString(texts::kProgressBarcodes).arg(progress.barcodes);
    if (shown != ReceiveProgress->format()) {
        ReceiveProgress->setFormat(shown);
        emit receiving(progress.barcodes);
    }
    if (progress.done) lastRepaint_.invalidate();
    letEventsThrough();
}

void TReceiveForm::letEventsThrough() {
    if (lastRepaint_.isValid() && lastRepaint_.elapsed() < kRepaintIntervalMs) return;
    lastRepaint_.start();
    processEventsDroppingInput({CloseButton, cancelControl, trayMenu});
}

void TReceiveForm::showCaptions(DataFormat option) {
    DataFormatColumns columns;
    if (!dataFormatColumns(option, columns)) return;
    ListBoxAll->setSectionCaption(1, QString::fromUtf8(columns.caption1));
    ListBoxAll->setSectionCaption(2, QString::fromUtf8(columns.caption2));
    data_.columnCount = columns.columnCount;
}

void TReceiveForm::GetScannerData() {
    if (reading_) return;  // one reading at a time, whoever asks in the middle of it
    ScannerLibrary& scanner = scannerLibrary();
    reading_ = true;
    scanner.setUploadProgressHandler(
        [this](const UploadProgress& progress) { showProgress(progress); });
    // While no bytes come, the window stays responsive all the same; "Abbrechen", Escape
    // and the close box end the reading.
    scanner.setWaitHandler([this] { letEventsThrough(); });
    CloseButton->setText(texts::kCancelReading);
    const auto finished = qScopeGuard([this, &scanner] {
        reading_ = false;
        scanner.setWaitHandler({});
        CloseButton->setText(texts::kClose);
    });
    ReceiveProgress->setRange(0, 1);
    ReceiveProgress->setValue(0);
    ReceiveProgress->setFormat(QString(texts::kProgressBarcodes).arg(0));
    ReceiveProgress->show();
    lastRepaint_.invalidate();
    if (isVisible()) showOnScreen();
    warning_ = readBarcodes();
    scanner.setUploadProgressHandler({});
    ReceiveProgress->hide();
    // What the user clicked or typed while waiting is dropped, not left for the message or
    // the window to act on once the reading is over.
    processEventsDroppingInput();
    if (!reportAfterReading) return;
    reportReadingWarning(warning_);
    reportUnitHealth(reception_.health);
    reportRecording(recorded_);
}

QString unitHealthText(const UnitHealth& health) {
    QStringList said;
    if (health.lowBattery) said << texts::kLowBattery;
    if (health.clockLost) said << texts::kClockLost;
    return said.join("\n");
}

void reportUnitHealth(const UnitHealth& health) {
    if (const QString said = unitHealthText(health); !said.isEmpty())
        showWarning(said, texts::kUnitHealthCaption);
}

void reportReadingWarning(const std::optional<TReceiveForm::ReadingWarning>& warning) {
    if (warning) showWarning(warning->text, warning->caption);
}

void reportRecording(const HistoryRecord& recorded) {
    if (!recorded.notice.empty())
        showWarning(QString::fromStdString(recorded.notice), texts::kHistoryCaption);
    if (!recorded.problem.empty())
        showWarning(QString(texts::kNotInHistory).arg(QString::fromStdString(recorded.problem)),
                    texts::kHistoryCaption);
}

void TReceiveForm::noteDelivery(HistoryDelivery delivery, const std::string& file) {
    std::string error;
    if (recorded_.id == 0 || data_.history->markDelivered(recorded_.id, delivery, file, error))
        return;
    showWarning(QString(texts::kNotInHistory).arg(QString::fromStdString(error)),
                texts::kHistoryCaption);
}

std::optional<TReceiveForm::ReadingWarning> TReceiveForm::readBarcodes() {
    ListSaved = false;
    const Settings settings = data_.settings;
    const std::string separator = effectiveFieldSeparator(settings);
    ListBoxAll->setDelimiter(separator[0]);
    showCaptions(settings.dataFormat);
    reception_ = receiveBarcodes(scannerLibrary(), settings, data_.scanners);
    // In the history before anything is saved, typed or erased.
    recorded_ = recordReception(data_.history, reception_, data_.scanners, currentDateTime());
    showReception(settings);
    return warningFor(reception_);
}

void TReceiveForm::showReception(const Settings& settings) {
    data_.identifiedSerial = reception_.serial;
    if (!reception_.serial.empty()) data_.scannerRecord = reception_.scannerRecord;
    // A scanner without time stamps: barcode only, a setting the user sees and keeps.
    if (reception_.dataFormat != settings.dataFormat) {
        data_.changeDataFormat(reception_.dataFormat);
        showCaptions(reception_.dataFormat);
    }
    ListBoxAll->clearRows();
    for (const ReceivedRow& row : reception_.rows) ListBoxAll->addRow(row.line, row.fields);
    showRepeatedRows();
    // A reception that ends before the first row leaves nothing to save: saving the empty
    // list would only overwrite the data file with nothing.
    ListeSpeichernButton->setEnabled(reception_.listed);
    if (reception_.problem == ReceptionProblem::Cancelled) setStatusText(texts::kStatusCancelled);
    if (reception_.listed && reception_.problem != ReceptionProblem::InvalidTimeStamp)
        setStatusText(QString(texts::kStatusReceived).arg(reception_.count) +
                      (reception_.health.lowBattery ? texts::kStatusLowBattery : "") +
                      (reception_.health.clockLost ? texts::kStatusClockLost : ""));
}

std::optional<TReceiveForm::ReadingWarning> TReceiveForm::warningFor(const Reception& reception) {
    switch (reception.problem) {
        case ReceptionProblem::None:
            return std::nullopt;
        case ReceptionProblem::NoConnection:
            return ReadingWarning{texts::kNoConnection, texts::kCommunicationError};
        case ReceptionProblem::UnknownScanner:
            return ReadingWarning{texts::kCheckConfiguration, texts::kNoValidScanner};
        case ReceptionProblem::SettingsNotRead:
            // Without the time stamp setting the packets cannot be split into barcode and stamp.
            return ReadingWarning{texts::kScannerSettingsNotRead, texts::kCommunicationError};
        case ReceptionProblem::InvalidTimeStamp:
            return ReadingWarning{QString(texts::kTimeStampInvalid)
                                      .arg(reception.problemBarcode)
                                      .arg(fromCp1252(reception.problemText)),
                                  texts::kReceptionError};
        case ReceptionProblem::Cancelled:
            // The user asked for it; the status says what became of the barcodes.
            return std::nullopt;
        case ReceptionProblem::Stalled:
            return ReadingWarning{texts::kReadingStalled, texts::kCommunicationError};
        case ReceptionProblem::BarcodesUnread:
            return ReadingWarning{
                QString(texts::kBarcodesUnread).arg(reception.problemBarcode).arg(reception.count),
                texts::kReceptionError};
    }
    return std::nullopt;
}

// Rows the unit's previous reception held too (it was not cleared since) are greyed, with
// their count beside the status: an appending user sees them before saving them twice.
void TReceiveForm::showRepeatedRows() {
    int repeated = 0;
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    for (size_t i = 0; i < recorded_.repeated.size(); ++i) {
        QTreeWidgetItem* item = ListBoxAll->topLevelItem(int(i));
        if (!recorded_.repeated[i] || !item) continue;
        ++repeated;
        for (int k = 0; k < ListBoxAll->columnCount(); ++k) {
            item->setForeground(k, grey);
            item->setToolTip(k, texts::kRepeatedHint);
        }
    }
    RepeatedText->setText(QString(texts::kRepeatedCount).arg(repeated));
    RepeatedText->setVisible(repeated > 0);
}

void TReceiveForm::clearList() {
    RepeatedText->hide();
    ListBoxAll->clearRows();
    reception_ = Reception{};
    recorded_ = HistoryRecord{};
}

void TReceiveForm::done(int result) {
    // Not in the middle of a reading, which would go on filling a closed window and leave the
    // scanner's barcodes to a close handler that never saw them: the reading is cancelled,
    // and the window stays open to say so.
    if (reading_) {
        scannerLibrary().CancelReading();
        return;
    }
    bool keepOpen = false;
    FormClose(keepOpen);
    if (!keepOpen) QDialog::done(result);
}
