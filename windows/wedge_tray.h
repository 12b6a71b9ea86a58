#pragma once

#include <QObject>
#include <QString>

#include "windows/keyboard_wedge.h"

class QAction;
class QMenu;
class QSystemTrayIcon;
class TMainForm;

// The keyboard wedge in the desktop's system tray. In keyboard-wedge mode the main window
// starts minimised, and many desktops show a minimised window nowhere; where the desktop has
// a tray (a StatusNotifierItem host, or an X11 tray), an icon tells what the wedge is doing
// (ready, reading, typing, failed: a coloured dot and the tooltip) and its menu holds the
// wedge's commands. A click on the icon brings the main window back. Without a tray, or in
// file transfer mode, there is no icon.
class WedgeTray : public QObject {
    Q_OBJECT
  public:
    WedgeTray(const Settings& settings, KeyboardWedge& wedge, TMainForm& main);
    ~WedgeTray() override;

    // Shows the icon in keyboard-wedge mode where the desktop has a tray, hides it otherwise.
    void update();

    QAction* SendAction = nullptr;
    QAction* ClearAction = nullptr;
    QAction* CancelAction = nullptr;  // only while a reading runs
    QAction* ConfigAction = nullptr;
    QAction* QuitAction = nullptr;
    // The menu, whose clicks reach it while a reading runs (only "Abbrechen" is on then).
    QMenu* menu() const { return menu_; }

  private:
    void createMenu();
    void showState(WedgeState state, const QString& text);
    // The menu's commands, refused while the wedge reads or types.
    void whenIdle(void (TMainForm::*command)());

    const Settings& settings_;
    KeyboardWedge& wedge_;
    TMainForm& main_;
    QMenu* menu_ = nullptr;
    QSystemTrayIcon* icon_ = nullptr;
    WedgeState state_ = WedgeState::Ready;
};
