#include "system/program_dir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifndef LORVANT_INSTALLED_DATA_FOLDER
#define LORVANT_INSTALLED_DATA_FOLDER "../share/lorvant"
#endif

namespace fs = std::filesystem;

namespace {
std::string& storedDirectory() {
    static std::string directory = "./";
    return directory;
}
std::string& storedHistoryDirectory() {
    static std::string directory;
    return directory;
}

std::string& storedDataDirectory() {
    static std::string directory = "./";
    return directory;
}

std::string withSlash(std::string directory) {
    // (Returning "./" rather than assigning "." keeps g++ 12 from a bogus -Wrestrict.)
    if (directory.empty()) return "./";
    if (directory.back() != '/' && directory.back() != '\\') directory += '/';
    return directory;
}

#ifndef _WIN32
bool isDirectory(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

std::string homeDirectory() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/";
}

std::string configHome() {
    // A relative XDG_CONFIG_HOME is invalid and is ignored, as the XDG base directories say.
    const char* configured = std::getenv("XDG_CONFIG_HOME");
    if (configured && configured[0] == '/') return configured;
    return withSlash(homeDirectory()) + ".config";
}

std::string dataHome() {
    const char* configured = std::getenv("XDG_DATA_HOME");
    if (configured && configured[0] == '/') return configured;
    return withSlash(homeDirectory()) + ".local/share";
}

// Creates `directory` and any missing level above it, each for the user alone (0700, as
// the XDG base directories ask for the configuration folder). Returns the system's reason
// when a level cannot be made, or something that is not a folder stands in the way.
std::string createDirectory(const std::string& directory) {
    fs::path made;
    for (const fs::path& part : fs::path(directory)) {
        made /= part;
        if (part.empty() || isDirectory(made.string())) continue;
        if (::mkdir(made.c_str(), 0700) == 0) continue;
        const int error = errno;
        if (error == EEXIST && isDirectory(made.string())) continue;  // made meanwhile
        return std::generic_category().message(error == EEXIST ? ENOTDIR : error);
    }
    return {};
}
#endif
}  // namespace

const std::string& programDirectory() {
    return storedDirectory();
}

const std::string& dataDirectory() {
    return storedDataDirectory();
}

const std::string& historyDirectory() {
    return storedHistoryDirectory();
}

void setProgramDirectory(std::string directory) {
    storedDirectory() = withSlash(std::move(directory));
    storedDataDirectory() = storedDirectory();
    storedHistoryDirectory() = storedDirectory();
}

bool isInstalledProgram(const std::string& executableDirectory) {
#ifndef _WIN32
    return isDirectory(withSlash(executableDirectory) + LORVANT_INSTALLED_DATA_FOLDER);
#else
    (void)executableDirectory;
    return false;
#endif
}

const char* installedDataFolder() {
    return LORVANT_INSTALLED_DATA_FOLDER;
}

std::string locateProgramFiles(const std::string& executableDirectory,
                               const std::string& documentsDirectory) {
#ifndef _WIN32
    if (isInstalledProgram(executableDirectory)) {
        storedDirectory() = withSlash(withSlash(configHome()) + "lorvant");
        storedDataDirectory() =
            withSlash(isDirectory(documentsDirectory) ? documentsDirectory : homeDirectory());
        storedHistoryDirectory() = withSlash(withSlash(dataHome()) + "lorvant");
        return createDirectory(storedDirectory());
    }
#else
    (void)documentsDirectory;
#endif
    setProgramDirectory(executableDirectory);
    return {};
}
