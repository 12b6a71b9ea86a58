#include "cli/interruption.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace {

std::atomic<int> arrived{0};
std::atomic<bool> cleaningUp{false};

void onSignal(int number) {
    int none = 0;
    // A second signal: the user does not want to wait for the clean-up.
    if (!arrived.compare_exchange_strong(none, number)) ::_exit(128 + arrived.load());
}

}  // namespace

void installInterruptionHandlers() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &action, nullptr);
    // Standard output closed early (a pipe into head) is a write error to report, not an end.
    signal(SIGPIPE, SIG_IGN);
}

int interruptionSignal() {
    return arrived.load();
}

bool lineStopped() {
    return arrived.load() != 0 && !cleaningUp.load();
}

void beginCleanUp() {
    cleaningUp = true;
}

int interruptedStatus() {
    return 128 + arrived.load();
}
