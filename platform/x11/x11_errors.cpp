#include "platform/x11/x11_errors.h"

#include <map>

namespace x11errors {
namespace {

std::map<Display*, int>& errorCounts() {
    static std::map<Display*, int> counts;
    return counts;
}

XErrorHandler& previousHandler() {
    static XErrorHandler previous = nullptr;
    return previous;
}

int countError(Display* display, XErrorEvent* error) {
    const auto watched = errorCounts().find(display);
    if (watched != errorCounts().end()) {
        ++watched->second;
        return 0;
    }
    return previousHandler() ? previousHandler()(display, error) : 0;
}

void installOnce() {
    static const bool installed = [] {
        previousHandler() = XSetErrorHandler(countError);
        return true;
    }();
    (void)installed;
}

}  // namespace

void watch(Display* display) {
    installOnce();
    errorCounts()[display] = 0;
}

void unwatch(Display* display) {
    errorCounts().erase(display);
}

int takeErrorCount(Display* display) {
    const auto watched = errorCounts().find(display);
    if (watched == errorCounts().end()) return 0;
    const int count = watched->second;
    watched->second = 0;
    return count;
}

}  // namespace x11errors
