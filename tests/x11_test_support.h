#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "x11_test_xlib.h"

// What the tests that type or grab keys on a real X server need: a private Xvfb, its
// keyboard layout, a client window that records what it receives, and keys pressed
// through XTEST as the user would press them.

// An Xvfb of the test's own, on a display number it picks itself.
class XvfbServer {
  public:
    ~XvfbServer();
    static bool available();
    // Starts the server and waits until it accepts connections. False on failure.
    bool start();
    QString display() const { return display_; }
    QByteArray displayName() const { return display_.toLatin1(); }
    // Sets the keyboard layout with setxkbmap ("de", "us"). False on failure.
    bool setLayout(const QString& layout) const;

  private:
    QProcess process_;
    QString display_;
};

// One key press that reached the recording window, translated as the client sees it.
struct RecordedKey {
    unsigned int state = 0;  // modifier state of the press
    unsigned int keycode = 0;
    QString text;
    // When the server took the press, in milliseconds of its clock (the event's time).
    uint32_t time = 0;
};

// The x11_key_recorder client: a focused window that reports every key press.
class KeyRecorder {
  public:
    ~KeyRecorder();
    // Starts the client on `display` and waits until its window has the focus.
    bool start(const QString& display);
    // Reads what the client reported so far.
    const std::vector<RecordedKey>& keys();
    QString text();
    void clear();

  private:
    QProcess process_;
    QByteArray pending_;
    std::vector<RecordedKey> keys_;
};
