#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "scanner/cs1504_library.h"

class StoppableLine;

// The scanner on its port for one command: the configured port (COM1 ... COM16, as the
// window program resolves them) or a device named by --port, through the CS1504 library on
// the real serial line. The line gives up at once when a signal arrives (cli/interruption.h).
class ScannerPort {
  public:
    ScannerPort(int configuredPort, std::optional<std::string> device);
    // Closes the port, putting the unit to sleep.
    ~ScannerPort();
    ScannerPort(const ScannerPort&) = delete;
    ScannerPort& operator=(const ScannerPort&) = delete;

    // Opens the port: 0, or the exit status after the message on standard error: 5 when a
    // running Lorvant holds the port (it is not opened a second time), 1 when it cannot be
    // opened otherwise.
    int open();

    Cs1504Library& scanner() { return library_; }
    // The index the library opens (the configured port; any for a named device).
    int portIndex() const { return index_; }
    // The device, as the user may look for it.
    QString deviceName() const;

    // After a signal: stops the unit's answer where the line can (DTR low for over a second),
    // and puts the unit to sleep if it answers.
    void stopAfterInterruption();

  private:
    int reportHolder() const;

    int index_;
    std::optional<std::string> device_;
    StoppableLine* line_ = nullptr;  // the open line, owned by the library
    Cs1504Library library_;
};
