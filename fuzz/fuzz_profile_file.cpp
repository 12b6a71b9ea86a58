// The profile (INI) file: any file content, then writes of strings, integers and booleans
// under names taken from the file (in other cases too) or from the input. A key written
// reads back what the reading rules make of its value, before and after saving and
// reloading; a refused write is one the rules cannot store; every line the writes did not
// touch stays byte for byte; and integers read as documented.
#include <algorithm>
#include <fstream>
#include <vector>

#include "formats/profile_file.h"
#include "formats/text_lines.h"
#include "fuzz/fuzz_support.h"
#include "text/cp1252.h"

namespace {

constexpr std::string_view kBlanks = " \t\v\f";

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// What reading makes of a stored value: blanks around it go, then one pair of equal
// enclosing quotes, and it is cut to 2047 characters.
std::string readingOf(std::string_view value) {
    value = trim(value);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, ProfileFile::kMaxValueLength));
}

bool storableName(std::string_view name) {
    return !name.empty() && trim(name).size() == name.size() &&
           name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool storable(std::string_view section, std::string_view key, std::string_view value) {
    return storableName(section) && storableName(key) && key.find('=') == std::string_view::npos &&
           !key.starts_with('[') &&
           value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// The decimal or hexadecimal integer rules, written out plainly.
std::optional<int32_t> referenceInteger(std::string_view text) {
    for (std::string_view prefix : {"$", "0x", "0X"}) {
        if (!text.starts_with(prefix)) continue;
        text.remove_prefix(prefix.size());
        if (text.empty()) return std::nullopt;
        uint64_t value = 0;
        for (char c : text) {
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return std::nullopt;
            value = value * 16 + static_cast<uint64_t>(digit);
            if (value > 0xFFFFFFFFu) return std::nullopt;
        }
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    bool negative = false;
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    } else if (text.starts_with('-')) {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<int32_t>(value);
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The length of the longest common subsequence of two line lists.
size_t commonLines(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<size_t> row(b.size() + 1, 0), next(b.size() + 1, 0);
    for (size_t i = a.size(); i-- > 0;) {
        for (size_t j = b.size(); j-- > 0;)
            next[j] = a[i] == b[j] ? row[j + 1] + 1 : std::max(row[j], next[j + 1]);
        std::swap(row, next);
    }
    return row[0];
}

// Names that the file holds, so writes meet existing sections and keys.
struct Names {
    std::vector<std::string> sections, keys;
};

Names namesIn(const std::vector<std::string>& lines) {
    Names names;
    for (const std::string& line : lines) {
        const std::string_view text = trim(line);
        if (text.starts_with('[') && text.rfind(']') != std::string_view::npos) {
            names.sections.emplace_back(trim(text.substr(1, text.rfind(']') - 1)));
        } else if (const size_t equals = line.find('='); equals != std::string::npos) {
            names.keys.emplace_back(trim(std::string_view(line).substr(0, equals)));
        }
    }
    return names;
}

std::string pickName(FuzzInput& input, const std::vector<std::string>& known) {
    const unsigned how = input.pick(4);
    if (how == 3 || known.empty()) return input.text(40);
    std::string name = known[input.pick(static_cast<unsigned>(known.size()))];
    if (how == 1) name = cp1252::toUpper(name);
    if (how == 2)
        for (char& c : name) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return name;
}

struct Written {
    std::string section, key, expected;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const size_t contentSize = (input.byte() | input.byte() << 8) % 1500;
    const std::string content = input.bytes(contentSize);
    const std::string path = fuzzScratchDirectory() + "LVconfig.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    ProfileFile profile(path);
    const std::vector<std::string> original = splitLines(content);
    const Names names = namesIn(original);

    std::vector<Written> written;
    size_t writes = 0;
    for (int count = 0; count < 12 && !input.empty(); ++count) {
        const std::string section = pickName(input, names.sections);
        const std::string key = pickName(input, names.keys);
        const unsigned kind = input.pick(4);
        std::string value;
        bool done = false;
        if (kind == 0) {
            const auto number = static_cast<int32_t>(input.byte() | input.byte() << 8 |
                                                     input.byte() << 16 | input.byte() << 24);
            value = std::to_string(number);
            done = profile.writeInteger(section, key, number);
            if (done) FUZZ_CHECK(profile.readInteger(section, key, number ^ 1) == number);
        } else if (kind == 1) {
            const bool on = input.flag();
            value = on ? "1" : "0";
            done = profile.writeBool(section, key, on);
            if (done) FUZZ_CHECK(profile.readBool(section, key, !on) == on);
        } else {
            value = kind == 3 ? std::string(input.pick(3) * 1000 + 40, 'v') + input.text()
                              : input.text();
            done = profile.writeString(section, key, value);
        }
        FUZZ_CHECK(done == storable(section, key, value));
        if (!done) continue;
        ++writes;
        const Written entry{section, key, readingOf(value)};
        FUZZ_CHECK(profile.readString(section, key, "\x01 missing") == entry.expected);
        // A later write of the same name (in any case) replaces the earlier one.
        std::erase_if(written, [&entry](const Written& w) {
            return cp1252::toUpper(w.section) == cp1252::toUpper(entry.section) &&
                   cp1252::toUpper(w.key) == cp1252::toUpper(entry.key);
        });
        written.push_back(entry);
    }
    // Every key keeps its last value in memory, and on disk after a reload.
    for (const Written& w : written)
        FUZZ_CHECK(profile.readString(w.section, w.key, "\x01 missing") == w.expected);
    std::string error;
    FUZZ_CHECK(profile.save(&error));
    const std::string saved = fileBytes(path);
    const ProfileFile reloaded(path);
    for (const Written& w : written)
        FUZZ_CHECK(reloaded.readString(w.section, w.key, "\x01 missing") == w.expected);
    FUZZ_CHECK(reloaded.save(&error));
    FUZZ_CHECK(fileBytes(path) == saved);

    // Each write changes one line or adds a key line (and its section line): all other
    // lines stay, in their order, byte for byte.
    const std::vector<std::string> lines = splitLines(saved);
    FUZZ_CHECK(saved == joinLines(lines));
    FUZZ_CHECK(lines.size() <= original.size() + 2 * writes);
    FUZZ_CHECK(commonLines(original, lines) + writes >= original.size());
    if (writes == 0) FUZZ_CHECK(lines == original);

    // Integers: as the rules say, for any text.
    const std::string text = input.text(20);
    FUZZ_CHECK(parseProfileInteger(text) == referenceInteger(text));
    return 0;
}
