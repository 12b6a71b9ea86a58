// The Windows side of the file layers and the Win32 backends, run under Wine against the
// Win32 API it implements: the settings file as the Windows profile functions make it, the
// safe replace of a file, appends to the data file, the parameter file held by one program
// alone; and, on the X server scripts/test-windows.sh starts, typing into a Win32 edit
// control and hotkeys pressed on the keyboard. Started as "--save-loop FILE" or
// "--append-loop FILE" it is the helper that the kill tests end part way.
#define DOCTEST_CONFIG_IMPLEMENT
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
#include "platform/win32/win32_global_hotkeys.h"
#include "platform/win32/win32_keyboard_output.h"
#include "text/cp1252.h"

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

namespace {

// Lets the window system's messages through for `ms` milliseconds, or until `done` says so.
template <typename Done>
bool pumpUntil(Done done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    }
    return true;
}

// A Win32 edit control in a window of its own, with the keyboard focus.
HWND focusedEdit() {
    const HWND edit = CreateWindowExW(
        0, L"EDIT", L"",
        WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, 0, 0, 600,
        200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!edit) return nullptr;
    SetForegroundWindow(edit);
    SetFocus(edit);
    if (!pumpUntil([&] { return GetFocus() == edit; }, 5000)) return nullptr;
    // Until the X server has given the window the focus too.
    pumpUntil([] { return false; }, 300);
    return edit;
}

// Presses keys on the X server as a user would, through XTEST (xdotool, a program of the
// machine Wine runs on, which Wine starts as such).
bool pressOnTheXServer(const std::string& keys) {
    std::string command = "Z:\\usr\\bin\\xdotool mousemove 100 100 key " + keys;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::wstring textOf(HWND window) {
    std::wstring text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

}  // namespace

// On the X server the script starts, with the keyboard layout it names: a barcode line as the
// wedge types it (the characters, Tab between the fields, Enter at the end) arrives exactly
// in a Win32 edit control with the focus. "@" is an AltGr key on the German layout, "Ä" a key
// there and no key on the US one (it then goes out as a Unicode key event).
TEST_CASE("a barcode line typed through the Win32 backend arrives in an edit control") {
    const char* layout = std::getenv("LORVANT_WINDOWS_LAYOUT");
    if (!layout) {
        MESSAGE("no X server with a known layout: not typed");
        return;
    }
    CAPTURE(layout);
    const HWND edit = focusedEdit();
    REQUIRE(edit != nullptr);
    const std::string barcode = "K\xC4SE-42@xyz!";
    Win32KeyboardOutput output;
    output.beginTransfer(barcode, {vk::Tab, vk::Return});
    for (const char c : barcode) output.typeCharacter(c);
    output.pressVirtualKey(vk::Tab);
    for (const char c : std::string("08:14:37")) output.typeCharacter(c);
    output.pressVirtualKey(vk::Return);
    CHECK(output.endTransfer());

    const std::wstring expected = L"K\u00C4SE-42@xyz!\t08:14:37\r\n";
    pumpUntil([&] { return textOf(edit) == expected; }, 5000);
    const std::wstring typed = textOf(edit);
    std::string shown;
    for (const wchar_t c : typed) shown += c < 0x80 ? char(c) : '?';
    CAPTURE(shown);
    CHECK(typed == expected);
    DestroyWindow(edit);
}

// A hotkey registered through the Win32 backend arrives as its id when its keys are pressed
// on the keyboard (a Wine window has the focus: Wine sees only the keys its windows get).
TEST_CASE("a hotkey registered through the Win32 backend arrives as its id") {
    if (!std::getenv("LORVANT_WINDOWS_LAYOUT")) {
        MESSAGE("no X server: no keys pressed");
        return;
    }
    const HWND edit = focusedEdit();
    REQUIRE(edit != nullptr);
    Win32GlobalHotkeys hotkeys;
    std::vector<int> arrived;
    hotkeys.setHandler([&](HotkeyId id) { arrived.push_back(id); });
    const HotkeyModifiers altCtrl = HotkeyModifiers(HotkeyModifier::Alt).with(HotkeyModifier::Ctrl);
    REQUIRE(hotkeys.registerHotkey(kSendHotkeyId, altCtrl, VirtualKey{'S'}));
    REQUIRE(hotkeys.registerHotkey(kClearHotkeyId, altCtrl, VirtualKey{'D'}));
    REQUIRE(pressOnTheXServer("ctrl+alt+s"));
    CHECK(pumpUntil([&] { return arrived.size() == 1; }, 5000));
    REQUIRE(pressOnTheXServer("ctrl+alt+d"));
    CHECK(pumpUntil([&] { return arrived.size() == 2; }, 5000));
    // A key without its modifiers is no hotkey; it reaches the window.
    REQUIRE(pressOnTheXServer("s"));
    CHECK(pumpUntil([&] { return textOf(edit) == L"s"; }, 5000));
    CHECK(arrived == std::vector<int>{kSendHotkeyId, kClearHotkeyId});
    // Unregistered, the combination reaches the window instead.
    hotkeys.unregisterHotkey(kSendHotkeyId);
    REQUIRE(pressOnTheXServer("ctrl+alt+s"));
    pumpUntil([] { return false; }, 500);
    CHECK(arrived.size() == 2);
    DestroyWindow(edit);
}

namespace {

// The helper's two contents: a save leaves the one or the other, whole.
std::string saveContent(int n) {
    return std::string(200000, n % 2 ? 'B' : 'A') + "\r\n";
}
constexpr char kBlock[] = "4006381333931;12:00:00;01.12.2026\r\n";
constexpr int kBlockRows = 2000;

// Saves, or appends a block of rows, until it is ended.
int runLoop(const std::string& mode, const std::string& path) {
    std::string block;
    for (int i = 0; i < kBlockRows; ++i) block += kBlock;
    for (int n = 0;; ++n) {
        std::string reason;
        if (mode == "--save-loop") writeFileAtomically(path, saveContent(n), &reason);
        if (mode == "--append-loop") writeDataFile(path, block, true, reason);
    }
}

// Starts `copies` of this program as the helper, lets them work for `ms` milliseconds and
// ends them as the task manager would.
bool killedAfter(const std::string& mode, const std::string& path, DWORD ms, int copies = 1) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" " + mode + " \"" + path + "\"";
    std::vector<PROCESS_INFORMATION> started;
    for (int i = 0; i < copies; ++i) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::string line = command;
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process))
            started.push_back(process);
    }
    Sleep(ms);
    for (const PROCESS_INFORMATION& process : started) {
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return int(started.size()) == copies;
}

}  // namespace

// A save ended at any moment leaves the old file or the new one, whole, and the next save
// works; an append ended at any moment is taken back by the next save, so the file holds
// whole blocks only, also when two copies append at once.
TEST_CASE("saves and appends killed part way leave whole files") {
    Folder folder("killed");
    const std::string settings = folder.file("LVconfig.ini");
    const std::string data = folder.file("Data.txt");
    for (int round = 0; round < 6; ++round) {
        CAPTURE(round);
        // What the file holds before the helper starts: nothing yet, then the last round's
        // save. A helper that Wine has not started far enough to finish a save leaves that.
        const std::string before = round == 0 ? "(unreadable)" : "after\r\n";
        REQUIRE(killedAfter("--save-loop", settings, 150 + 37 * round));
        const std::string left = bytesOf(settings);
        INFO("left: " << left.size() << " bytes, starting " << left.substr(0, 8));
        CHECK((left == before || left == saveContent(0) || left == saveContent(1)));
        std::string reason;
        CHECK_MESSAGE(writeFileAtomically(settings, "after\r\n", &reason), reason);
        CHECK(bytesOf(settings) == "after\r\n");

        fs::remove(data);
        // Two running copies appending at once take turns under the file's lock.
        REQUIRE(killedAfter("--append-loop", data, 150 + 37 * round, 2));
        recoverDataFile(data);
        const std::string rows = readFileBytes(data).value_or("");
        const size_t blockSize = std::string(kBlock).size() * kBlockRows;
        CHECK(rows.size() % blockSize == 0);
        std::string whole;
        while (whole.size() < rows.size()) whole += kBlock;
        CHECK((rows == whole));
    }
}

int main(int argc, char** argv) {
    if (argc == 3 &&
        (std::string(argv[1]) == "--save-loop" || std::string(argv[1]) == "--append-loop"))
        return runLoop(argv[1], argv[2]);
    doctest::Context context(argc, argv);
    return context.run();
}
