#pragma once

#include <QMainWindow>

class ProgramData;
class QFrame;
class TConfigForm;
class THistoryForm;
class TInfoForm;
class TPassForm;
class TReceiveForm;
class QLabel;
class QStatusBar;
class PictureButton;
class PictureList;

// The main window: three picture buttons, a menu and a one-line status bar. Closing it, by
// the menu, SpeedButton1 or the close box, ends the program.
class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    // Shows the state of `data` (the registered scanners) and starts its receptions.
    explicit TMainForm(ProgramData& data, QWidget* parent = nullptr);
    // The windows its commands open.
    void setDialogs(TConfigForm* config, TReceiveForm* receive, TPassForm* password,
                    TInfoForm* info);
    void setHistoryWindow(THistoryForm* history) { history_ = history; }
    ~TMainForm() override;

    QFrame* Panel1 = nullptr;
    PictureButton* SpeedButton1 = nullptr;
    PictureButton* RecvButton = nullptr;
    PictureButton* ScanChangeButton = nullptr;
    QStatusBar* KeyStatus = nullptr;
    QLabel* KeyStatusText = nullptr;
    PictureList* ButtonLMDBitmapList = nullptr;
    QAction* Empfangen1 = nullptr;
    QAction* Verlauf1 = nullptr;
    QAction* Ende1 = nullptr;
    QAction* Konfiguration1 = nullptr;
    QAction* Info1 = nullptr;

    // The pictures of ButtonLMDBitmapList that RecvButton shows, by their index there.
    enum class RecvPicture : int { Warning = 0, CS1504 = 1, Opticon = 2 };
    int recvPicture() const { return recvPicture_; }
    void setRecvPicture(RecvPicture picture);
    // The status bar's background colour.
    void setStatusColor(const QColor& color);
    QColor statusColor() const;

    // While the keyboard wedge works: `text` in the status bar and, so that the taskbar shows
    // it while the window is minimised, in the title. Neither takes the keyboard focus from
    // the application the barcodes go to. The end gives the title back and leaves the
    // transfer's `outcome` in the status bar (the main window status when empty), until the
    // next transfer or a minute has passed.
    void showWedgeActivity(const QString& text);
    void endWedgeActivity(const QString& outcome = {});

    void Empfangen1Click();
    // Empfangen1Click, or while a wedge transfer reads, its cancel.
    void RecvButtonClick();
    // The history window; without a history (it could not be opened at the start) a message.
    void Verlauf1Click();
    void ScanChangeButtonClick();
    void Ende1Click();
    void Konfiguration1Click();
    void Info1Click();

  signals:
    // The configuration window was closed: a setting may have changed.
    void configurationClosed();

  private:
    void createPanel();
    void createStatusBar();
    void createMenu();
    int recvPicture_ = 0;
    ProgramData& data_;
    TConfigForm* config_ = nullptr;
    TReceiveForm* receive_ = nullptr;
    TPassForm* password_ = nullptr;
    TInfoForm* info_ = nullptr;
    THistoryForm* history_ = nullptr;
};

// The main window status: whether a scanner is registered, and of which kind the first one
// is, shown in the status bar and the buttons.
class ScannerRegistry;
void showScannerStatus(TMainForm& main, const ScannerRegistry& scanners);

// The background colours the program uses.
QColor mainWindowColor();
QColor tooltipColor();
