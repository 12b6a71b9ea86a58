#pragma once

class QCoreApplication;

// Ends the event loops on SIGTERM, SIGINT and SIGHUP instead of dying at once, so the
// windows are destroyed as on a normal end and the settings and scanner list get saved.
void quitOnTerminationSignals(QCoreApplication& application);
