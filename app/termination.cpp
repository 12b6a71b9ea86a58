#include "app/termination.h"

#include <QCoreApplication>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace {
int signalPipe[2] = {-1, -1};
bool requested = false;

void onSignal(int) {
    // Only async-signal-safe work here: the event loop picks the byte up.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}
}  // namespace

void quitOnTerminationSignals(QCoreApplication& application) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [&application] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[1], &byte, 1);
        requested = true;
        application.exit(0);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool terminationRequested() {
    return requested;
}
#else
void quitOnTerminationSignals(QCoreApplication&) {}
bool terminationRequested() {
    return false;
}
#endif
