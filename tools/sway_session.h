#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A headless sway of its own, for the Wayland end-to-end test and the wedge benchmark:
// a focused native Wayland terminal (foot) that records every byte it receives, and a
// second virtual keyboard (wtype) kept on the seat for the session's life: when a virtual
// keyboard is the seat's only one, the seat loses and regains its keyboard with it and the
// first key can get lost.
//
// sway refuses to run as root, so under root every process of the session runs as the
// unprivileged user nobody (setpriv --reuid=65534 --regid=65534 --clear-groups), with a
// private runtime folder (mode 700) in a folder that user owns; files it must reach (a
// program copy, a pseudo-terminal) are handed over with giveToUser().
class SwaySession {
  public:
    SwaySession();
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    // sway, swaymsg, foot, wtype and (under root) setpriv are installed.
    static bool available();
    // Starts sway (with `configLines` added to its configuration), the kept keyboard and
    // the recording terminal, and focuses the terminal. False with error() otherwise.
    bool start(const QStringList& configLines = {});
    QString error() const { return error_; }
    // A folder of the session's user, which is also its XDG_RUNTIME_DIR.
    QString folder() const { return folder_.path(); }
    // The environment of processes in the session (WAYLAND_DISPLAY, XDG_RUNTIME_DIR, HOME
    // and a UTF-8 locale, nothing of the caller's desktop).
    QProcessEnvironment environment() const { return environment_; }

    // Starts `program` in the session as its user, with `extra` added to the environment.
    void startAsUser(QProcess& process, const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& extra = {}) const;
    // Runs it to its end; the exit status, -1 when it crashed or hung.
    int runAsUser(const QString& program, const QStringList& arguments, QByteArray* out = nullptr,
                  QByteArray* err = nullptr) const;
    // Lets the session's user read and write `path` (a no-op when not root); for a device,
    // also the stale lock file a killed program of root's left for it.
    bool giveToUser(const QString& path) const;

    // swaymsg with `arguments`; false when sway reports a failure.
    bool swaymsg(const QStringList& arguments, QByteArray* out = nullptr) const;
    bool setLayout(const QString& layout) const;
    // The app_id of the window with the keyboard focus.
    QString focusedAppId() const;
    // Whether a window of `appId` is open.
    bool hasWindow(const QString& appId) const;
    // Gives the recording terminal the focus and confirms it has it: a window that opened
    // since (the program's main window) takes the focus on sway.
    bool focusTarget() const;
    // Presses keys through a virtual keyboard of wtype's (its arguments: "-M ctrl s").
    bool pressKeys(const QStringList& wtypeArguments) const;
    // Every byte the terminal received since it started.
    QByteArray received() const;

    static constexpr const char* targetAppId = "lorvant-target";

  private:
    QStringList userCommand(const QString& program, const QStringList& arguments) const;
    bool waitForFile(const QString& path, int timeoutMs) const;
    // The keyboard (wtype) and the target terminal, once sway runs; the terminal focused.
    bool startClients();

    QTemporaryDir folder_;
    QProcessEnvironment environment_;
    QProcess sway_;
    QProcess keyboard_;
    QProcess terminal_;
    QString error_;
};
