#pragma once

#include <X11/Xlib.h>

// Xlib reports protocol errors through one process-wide handler whose default ends the
// program. The backends' own connections must survive a refused grab or a key the server
// rejects, so their errors are counted here instead; errors of any other connection go
// on to the handler that was installed before.
namespace x11errors {

void watch(Display* display);
void unwatch(Display* display);
// The number of errors on `display` since the last call. Call XSync first so the
// server's answers to earlier requests have arrived.
int takeErrorCount(Display* display);

}  // namespace x11errors
