// The Windows side of the file layers, run under Wine against the Win32 API it implements:
// the settings file as the Windows profile functions make it, the safe replace of a file,
// appends to the data file, and the parameter file held by one program alone.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/data_file.h"
#include "formats/file_bytes.h"
#include "formats/parameter_file.h"
#include "formats/profile_file.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class Folder {
  public:
    explicit Folder(const std::string& name)
        : path_((fs::temp_directory_path() / ("lorvant-windows-" + name)).string()) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

void putBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string bytesOf(const std::string& path) {
    return readFileBytes(path).value_or("(unreadable)");
}

struct Write {
    const char* section;
    const char* key;
    const char* value;
};

// The same writes through the Windows profile functions. (Wine writes a file back in a
// layout of its own, blank lines and blanks in section lines dropped, where the program keeps
// every other line as it stood; files in the program's own layout come out the same.)
void writeThroughWindows(const std::string& path, const std::vector<Write>& writes) {
    for (const Write& write : writes)
        REQUIRE(WritePrivateProfileStringA(write.section, write.key, write.value, path.c_str()));
    // Windows keeps the file in a cache; this call writes it out.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

void writeThroughProfileFile(const std::string& path, const std::vector<Write>& writes) {
    ProfileFile profile(path);
    for (const Write& write : writes)
        REQUIRE(profile.writeString(write.section, write.key, write.value));
    REQUIRE(profile.save());
}

// Both from the same start, byte for byte.
void compareWrites(const std::string& start, const std::vector<Write>& writes) {
    Folder folder("profile");
    const std::string ours = folder.file("ours.ini");
    const std::string windows = folder.file("windows.ini");
    if (!start.empty()) {
        putBytes(ours, start);
        putBytes(windows, start);
    }
    writeThroughProfileFile(ours, writes);
    writeThroughWindows(windows, writes);
    CHECK(bytesOf(ours) == bytesOf(windows));
}

}  // namespace

TEST_CASE("the settings file is written as the Windows profile functions write it") {
    SUBCASE("a new file") {
        compareWrites("", {{"DataFile", "TransMode", "1"},
                           {"DataFile", "FieldSeparator", ";"},
                           {"ScannerOptions", "Port", "0"},
                           {"SendOptions", "SendHot", "Alt+Ctrl+S"},
                           {"DataFile", "TransMode", "0"}});
    }
    SUBCASE("a file in the program's own layout: keys in other case, new keys and sections") {
        compareWrites("[DataFile]\r\ntransmode=1\r\nFieldSeparator=;\r\n[Other]\r\nx=1\r\n",
                      {{"DataFile", "TransMode", "0"},
                       {"datafile", "NewKey", "abc"},
                       {"Other", "y", "2"},
                       {"Missing", "Key", "Value"},
                       {"OTHER", "X", "3"}});
    }
    SUBCASE("values with blanks, quotes and Windows-1252 letters") {
        compareWrites("", {{"PersData", "Name",
                            "Lager S\xFC"
                            "d"},
                           {"PersData", "Quoted", "\"a b\""},
                           {"PersData", "Blank", ""}});
    }
}

TEST_CASE("the settings file reads as the Windows profile functions read it") {
    Folder folder("profile-read");
    const std::string path = folder.file("read.ini");
    putBytes(path,
             "[DataFile]\r\n  TransMode =  1 \r\nQuoted=\"a b\"\r\nSingle='x'\r\n"
             "Odd=\"a\r\n[datafile]\r\nTransMode=2\r\n[ Lager ]\r\nKey=\xFC\r\n");
    const ProfileFile profile(path);
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"DataFile", "TransMode"}, {"DATAFILE", "transmode"}, {"DataFile", "Quoted"},
        {"DataFile", "Single"},    {"DataFile", "Odd"},       {"DataFile", "Missing"},
        {"Lager", "Key"},          {"LAGER", "KEY"}};
    for (const auto& [section, key] : keys) {
        char buffer[256] = {};
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "(default)", buffer, sizeof buffer,
                                 path.c_str());
        CAPTURE(section);
        CAPTURE(key);
        CHECK(profile.readString(section, key, "(default)") == std::string(buffer));
    }
}

TEST_CASE("a safe replace leaves the new file whole and no temporary file") {
    Folder folder("replace");
    const std::string path = folder.file("LVconfig.ini");
    putBytes(path, "old content\r\n");
    std::string reason;
    REQUIRE_MESSAGE(writeFileAtomically(path, "new content\r\n", &reason), reason);
    CHECK(bytesOf(path) == "new content\r\n");
    CHECK_FALSE(fs::exists(temporaryFileFor(path)));
    // A file another program holds open without sharing stays as it was, and says so.
    const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    CHECK_FALSE(writeFileAtomically(path, "third\r\n", &reason));
    CHECK_FALSE(reason.empty());
    CloseHandle(held);
    CHECK(bytesOf(path) == "new content\r\n");
    CHECK_FALSE(fs::exists(temporaryFileFor(path)));
}

TEST_CASE("appends to the data file add each block once, after what is there") {
    Folder folder("append");
    const std::string path = folder.file("Data.txt");
    putBytes(path, "4006381333931;12:00:00;01.12.2026\r\n");
    std::string reason;
    REQUIRE_MESSAGE(writeDataFile(path, "A;1\r\n", true, reason), reason);
    REQUIRE_MESSAGE(writeDataFile(path, "B;2\r\n", true, reason), reason);
    CHECK(bytesOf(path) == "4006381333931;12:00:00;01.12.2026\r\nA;1\r\nB;2\r\n");
    // Overwriting replaces it all.
    REQUIRE_MESSAGE(writeDataFile(path, "C;3\r\n", false, reason), reason);
    CHECK(bytesOf(path) == "C;3\r\n");
}

TEST_CASE("the parameter file is held by one program alone and keeps its 400 bytes") {
    Folder folder("parameters");
    const std::string path = folder.file("Param.dat");
    ParameterFile first;
    REQUIRE(first.open(path));
    const std::string image(400, '\x5A');
    REQUIRE(first.writeImage(image));
    // A second running copy cannot open it, nor can any other program read it meanwhile.
    ParameterFile second;
    CHECK_FALSE(second.open(path));
    const HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(other == INVALID_HANDLE_VALUE);
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    CHECK(first.readImage(1000) == image);
    // A shorter image later leaves the rest of the 400 bytes.
    REQUIRE(first.writeImage(std::string(10, '\x01')));
    CHECK(first.readImage(1000) == std::string(10, '\x01') + std::string(390, '\x5A'));
}
