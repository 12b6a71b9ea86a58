#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/parameter_table.h"

class ParameterFile;
class ScannerLibrary;

// What the scanner made of the sixteen parameters of one write or read, item by item.
struct ParameterExchange {
    std::vector<int> refused;     // the unit answered, but would not
    std::vector<int> unanswered;  // nothing came back
    bool allFine() const { return refused.empty() && unanswered.empty(); }
    // Not one item answered: no scanner on the line.
    bool noConnection() const;
    // Every item that did not go through, in list order.
    std::vector<int> items() const;
    // A refused item is one the unit keeps while it holds barcodes (length, time stamps).
    bool refusedWhileStored(const ParameterTable& table) const;
};

// The scanner parameters the configuration offers: sixteen choices (on or off), written to
// and read from the scanner, and kept in the parameter file with the table they come from.
class ScannerParameters {
  public:
    ScannerParameters();
    ~ScannerParameters();
    ScannerParameters(const ScannerParameters&) = delete;
    ScannerParameters& operator=(const ScannerParameters&) = delete;

    // Codes and the values last saved or loaded.
    ParameterTable table;
    // What the user chose for items 0-15 (the check list).
    std::array<bool, kParameterItemCount> chosen{};
    // The choices as the table holds them.
    void chooseFromTable();

    // Opens the parameter file for the run (made empty when missing), starting again from
    // the built-in table. False when it cannot
    // be opened or another running copy holds it; saving then writes nothing.
    bool openFile(const std::string& path);
    bool fileOpen() const;
    const std::string& filePath() const { return path_; }
    // The choices into the table, the table into the file. False when it was not written.
    bool save();
    // The file's table (as far as it goes) over the built-in one, and the choices from it.
    void load();

    // Sends every choice to the scanner on `port`.
    ParameterExchange writeTo(ScannerLibrary& scanner, int32_t port) const;
    // Reads every item from the scanner on `port`; an item it delivers sets its choice.
    ParameterExchange readFrom(ScannerLibrary& scanner, int32_t port);

  private:
    std::unique_ptr<ParameterFile> file_;
    std::string path_;
};

// A factory reset clears the unit's barcodes along with its settings. First: how many it
// holds (negative: no answer). The port is left open only when it holds none, to go on
// with the reset at once.
int32_t barcodesBeforeFactoryReset(ScannerLibrary& scanner, int32_t port);
// Restores the factory settings of the scanner on `port`; `reopen` after the user was
// asked (the port was not held meanwhile). False when the unit did not answer.
bool restoreFactoryDefaults(ScannerLibrary& scanner, int32_t port, bool reopen);
