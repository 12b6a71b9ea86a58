#pragma once

class QCoreApplication;

// Ends the event loops on SIGTERM, SIGINT and SIGHUP instead of dying at once, so the
// windows are destroyed as on a normal end and the settings and scanner list get saved.
void quitOnTerminationSignals(QCoreApplication& application);
// Whether such a signal came. One that comes while a message of the start is up ends that
// message's loop before the main loop runs; the start then must not run the main loop.
bool terminationRequested();
