#pragma once

#include <QString>
#include <functional>

// A short message the desktop shows for a few seconds in its corner, through its notification
// service (org.freedesktop.Notifications on the session bus). Each one replaces the program's
// previous one, so a row of transfers leaves one message, not a pile. Where the desktop has
// no such service (or no session bus), nothing is shown and nothing waits: the call is sent
// and its answer taken whenever it comes.
void notifyDesktop(const QString& summary, const QString& body);

// Sends the messages elsewhere instead (tests record them, and keep the session bus, which
// is made once per process, out of their way); an empty one goes back to the desktop's.
using DesktopNotifier = std::function<void(const QString& summary, const QString& body)>;
void setDesktopNotifier(DesktopNotifier notifier);
