// Does one of the program's saves, for the crash test that ends it with SIGKILL part way:
//
//   crash_save_helper KIND FILE NEW [OTHER]
//
// KIND: settings (NEW holds "section<TAB>key<TAB>value" lines), scanner-list (NEW holds the
// rows), parameters (NEW is the 400-byte table image), data-overwrite, data-append (NEW is
// the block), or recover (what the program does to the data file at start; no NEW).
// With OTHER it saves NEW, then OTHER, then NEW again, and so on until it is ended; for
// data-append it appends NEW again and again. It writes one byte to its standard output
// when it is about to start, and with LORVANT_STOP_BEFORE_SAVE set it stops itself there
// first, so that a tracer can count the system calls of the save alone.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/data_file.h"
#include "formats/file_bytes.h"
#include "formats/parameter_file.h"
#include "formats/profile_file.h"
#include "formats/scanner_list.h"
#include "formats/text_lines.h"

namespace {

bool saveSettings(const std::string& path, const std::string& content) {
    ProfileFile profile(path);
    for (const std::string& line : splitLines(content)) {
        const size_t tab1 = line.find('\t');
        const size_t tab2 = line.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos) return false;
        profile.writeString(line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1),
                            line.substr(tab2 + 1));
    }
    return profile.save();
}

bool save(const std::string& kind, const std::string& path, const std::string& content,
          ParameterFile& parameters) {
    std::string reason;
    if (kind == "settings") return saveSettings(path, content);
    if (kind == "scanner-list") return saveScannerList(path, splitLines(content), &reason);
    if (kind == "parameters") return parameters.writeImage(content);
    if (kind == "data-overwrite") return writeDataFile(path, content, false, reason);
    if (kind == "data-append") return writeDataFile(path, content, true, reason);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string kind = argv[1];
    const std::string path = argv[2];
    std::vector<std::string> contents;
    for (int i = 3; i < argc; ++i) {
        const auto bytes = readFileBytes(argv[i]);
        if (!bytes) return 2;
        contents.push_back(*bytes);
    }
    // The parameter file is held open for the whole run, as the program holds it.
    ParameterFile parameters;
    if (kind == "parameters" && !parameters.open(path)) return 3;
    if (std::getenv("LORVANT_STOP_BEFORE_SAVE")) std::raise(SIGSTOP);
    if (::write(STDOUT_FILENO, "s", 1) != 1) return 4;
    if (kind == "recover") {
        recoverDataFile(path);
        return 0;
    }
    if (contents.empty()) return 2;
    if (contents.size() == 1) return save(kind, path, contents[0], parameters) ? 0 : 1;
    for (size_t round = 0;; ++round) {
        const std::string& content =
            kind == "data-append" ? contents[0] : contents[round % contents.size()];
        if (!save(kind, path, content, parameters)) return 1;
        // Saves follow each other closely, but leave a moment between them as a user would.
        ::usleep(3000);
    }
}
