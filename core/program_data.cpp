#include "core/program_data.h"

#include <algorithm>

#include "formats/profile_file.h"
#include "text/cp1252.h"

ProgramData::ProgramData() = default;
ProgramData::~ProgramData() = default;

std::string ProgramData::settingsPath() const {
    return directory_ + "LVconfig.ini";
}
std::string ProgramData::scannersPath() const {
    return directory_ + "LVserial.dat";
}

std::string ProgramData::parametersPath() const {
    return directory_ + "Param.dat";
}

void ProgramData::loadSettings(const std::string& directory, const std::string& dataDirectory) {
    directory_ = directory;
    // A new run: nothing received yet.
    identifiedSerial.clear();
    scannerRecord.clear();
    columnCount = 0;
    settingsFile_ = std::make_unique<ProfileFile>(settingsPath());
    Settings defaults;
    defaults.dataFile = cp1252::fromFileSystemName(dataDirectory) + "Data.txt";
    settings = readSettingsFrom(*settingsFile_, defaults);
    // Earlier versions stored the default name as the file system spells it; such a name
    // (valid UTF-8 with letters beyond ASCII) would no longer lead to its folder.
    const std::string asText = cp1252::fromUtf8(settings.dataFile);
    if (asText != settings.dataFile && cp1252::toFileSystemName(asText) == settings.dataFile)
        settings.dataFile = asText;
}

bool ProgramData::saveSettings(std::string* error) {
    if (!settingsFile_) return true;
    writeSettingsTo(settings, *settingsFile_);
    return settingsFile_->save(error);
}

int32_t ProgramData::nextFileCounter() const {
    if (!settingsFile_) return settings.fileCounter;
    const ProfileFile onDisk(settingsFile_->path());
    return std::max(settings.fileCounter,
                    onDisk.readInteger("DataFile", "FileCounter", settings.fileCounter));
}

int32_t ProgramData::takeFileCounter() {
    settings.fileCounter = nextFileCounter();
    const int32_t counter = settings.fileCounter++;
    // Quietly: leaving the program reports a settings file that cannot be written.
    saveSettings(nullptr);
    return counter;
}

void ProgramData::changeDataFormat(DataFormat format) {
    settings.dataFormat = format;
    if (settingsChanged) settingsChanged();
}

ScannerRegistry::LoadReport ProgramData::loadScanners() {
    return scanners.load(scannersPath());
}

ScannerRegistry::SaveResult ProgramData::saveScanners(std::string* error) const {
    return scanners.save(scannersPath(), error);
}
