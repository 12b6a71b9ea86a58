#include "platform/program_dir.h"

namespace {
std::string& storedDirectory() {
    static std::string directory = "./";
    return directory;
}
}  // namespace

const std::string& programDirectory() {
    return storedDirectory();
}

void setProgramDirectory(std::string directory) {
    if (directory.empty()) directory = ".";
    if (directory.back() != '/' && directory.back() != '\\') directory += '/';
    storedDirectory() = std::move(directory);
}
