#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/scanner_parameters.h"
#include "core/scanner_registry.h"
#include "core/settings.h"

class ProfileFile;
class ReceptionHistory;

// What the program keeps for a run: the settings, the registered scanners, and the values a
// reception leaves for the save and the erase. The windows show and edit it; it is loaded at
// the start of the run and written at its end, from and to the files in the program
// directory (LVconfig.ini, LVserial.dat).
class ProgramData {
  public:
    ProgramData();
    ~ProgramData();
    ProgramData(const ProgramData&) = delete;
    ProgramData& operator=(const ProgramData&) = delete;

    Settings settings;
    ScannerRegistry scanners;
    // The scanner parameters offered, and the parameter file (Param.dat) they are kept in.
    ScannerParameters parameters;
    // Where each listed reception is recorded before anything is erased; none when the
    // history could not be opened.
    ReceptionHistory* history = nullptr;
    // The serial number text of the scanner identified last, and its scanner record (lines
    // of ID, separator character, name and CR LF, Windows-1252).
    std::string identifiedSerial;
    std::string scannerRecord;
    // Columns per barcode line of the data format shown last.
    int32_t columnCount = 0;

    // Called after a part of the program other than the configuration window changed a
    // setting (a reception from a scanner without time stamps sets the data format), so
    // that the window shows it.
    std::function<void()> settingsChanged;
    void changeDataFormat(DataFormat format);

    // The settings file of the program directory `directory` (ending in its separator); a
    // missing key takes its default, the data file "Data.txt" in `dataDirectory`. The
    // scanner list is read from there too.
    void loadSettings(const std::string& directory, const std::string& dataDirectory);
    // Every key written back (see writeSettingsTo); false (with the reason) when the file
    // could not be.
    bool saveSettings(std::string* error);
    std::string settingsPath() const;

    // The counter the next counted data file gets, not yet handed out: the larger of this
    // run's and the settings file's (another running copy may have handed out numbers).
    int32_t nextFileCounter() const;
    // The counter for the next counted data file, advanced and written to the settings file
    // at once: after a power cut a number handed out again would overwrite a saved file
    // whose barcodes have left the scanner.
    int32_t takeFileCounter();

    ScannerRegistry::LoadReport loadScanners();
    ScannerRegistry::SaveResult saveScanners(std::string* error) const;
    std::string scannersPath() const;
    std::string parametersPath() const;

  private:
    std::string directory_;
    std::unique_ptr<ProfileFile> settingsFile_;
};
