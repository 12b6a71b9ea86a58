#include "formats/profile_file.h"

#include <algorithm>
#include <charconv>

#include "formats/file_bytes.h"
#include "formats/text_lines.h"
#include "text/cp1252.h"

namespace {

constexpr std::string_view kBlanks = " \t\v\f";
constexpr size_t npos = std::string_view::npos;

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return cp1252::toUpper(x) == cp1252::toUpper(y);
           });
}

std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (!line.starts_with('[')) return std::nullopt;
    const size_t close = line.rfind(']');
    if (close == npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    size_t valueStart;
};

std::optional<KeyLine> keyLine(std::string_view line) {
    const size_t equals = line.find('=');
    if (equals == npos) return std::nullopt;
    const size_t valueStart = line.find_first_not_of(kBlanks, equals + 1);
    return KeyLine{trim(line.substr(0, equals)), std::min(valueStart, line.size())};
}

// Windows hands the value over as a C string and drops one pair of enclosing quotes.
std::string_view plainValue(std::string_view value) {
    value = trim(value.substr(0, value.find('\0')));
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (quoted) value = value.substr(1, value.size() - 2);
    return value.substr(0, ProfileFile::kMaxValueLength);
}

bool hasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != npos;
}

bool isStorableName(std::string_view name) {
    return !name.empty() && trim(name).size() == name.size() && !hasLineBreakOrNul(name);
}

bool isStorable(std::string_view section, std::string_view key, std::string_view value) {
    return isStorableName(section) && isStorableName(key) && key.find('=') == npos &&
           !key.starts_with('[') && !hasLineBreakOrNul(value);
}

template <typename Number>
std::optional<Number> wholeNumber(std::string_view text, int base) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

}  // namespace

std::optional<int32_t> parseProfileInteger(std::string_view text) {
    for (std::string_view prefix : {"$", "0x", "0X"}) {
        if (!text.starts_with(prefix)) continue;
        const auto pattern = wholeNumber<uint32_t>(text.substr(prefix.size()), 16);
        if (!pattern) return std::nullopt;
        return static_cast<int32_t>(*pattern);
    }
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-')) return std::nullopt;
    }
    return wholeNumber<int32_t>(text, 10);
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {
    bool missing = false;
    const auto bytes = readFileBytes(path_, &missing);
    if (bytes) lines_ = splitLines(*bytes);
    unreadable_ = !bytes && !missing;
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const size_t line = findKey(findSection(section), key);
    if (line == npos) return std::string(defaultValue);
    const std::string_view text = lines_[line];
    return std::string(plainValue(text.substr(keyLine(text)->valueStart)));
}

int32_t ProfileFile::readInteger(std::string_view section, std::string_view key,
                                 int32_t defaultValue) const {
    return parseProfileInteger(readString(section, key, "")).value_or(defaultValue);
}

bool ProfileFile::readBool(std::string_view section, std::string_view key,
                           bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool ProfileFile::writeString(std::string_view section, std::string_view key,
                              std::string_view value) {
    if (!isStorable(section, key, value)) return false;
    const size_t header = findSection(section);
    if (header == npos) {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::string(key) + "=" + std::string(value));
        return true;
    }
    if (const size_t line = findKey(header, key); line != npos) {
        // Windows writes the line anew, keeping only the name as the file spells it.
        lines_[line] = std::string(keyLine(lines_[line])->key) + "=" + std::string(value);
        return true;
    }
    const auto at = lines_.begin() + static_cast<std::ptrdiff_t>(lastContentLine(header) + 1);
    lines_.insert(at, std::string(key) + "=" + std::string(value));
    return true;
}

bool ProfileFile::writeInteger(std::string_view section, std::string_view key, int32_t value) {
    return writeString(section, key, std::to_string(value));
}

bool ProfileFile::writeBool(std::string_view section, std::string_view key, bool value) {
    return writeString(section, key, value ? "1" : "0");
}

bool ProfileFile::save(std::string* error) const {
    if (unreadable_) {
        if (error) *error = "the file could not be read, so writing it would lose its content";
        return false;
    }
    return writeFileAtomically(path_, joinLines(lines_), error);
}

size_t ProfileFile::findSection(std::string_view section) const {
    for (size_t line = 0; line < lines_.size(); ++line) {
        const auto name = sectionName(lines_[line]);
        if (name && sameName(*name, section)) return line;
    }
    return npos;
}

size_t ProfileFile::sectionEnd(size_t header) const {
    size_t line = header + 1;
    while (line < lines_.size() && !sectionName(lines_[line])) ++line;
    return line;
}

size_t ProfileFile::findKey(size_t header, std::string_view key) const {
    if (header == npos) return npos;
    const size_t end = sectionEnd(header);
    for (size_t line = header + 1; line < end; ++line) {
        const auto entry = keyLine(lines_[line]);
        if (entry && sameName(entry->key, key)) return line;
    }
    return npos;
}

size_t ProfileFile::lastContentLine(size_t header) const {
    size_t last = header;
    const size_t end = sectionEnd(header);
    for (size_t line = header + 1; line < end; ++line) {
        if (!trim(lines_[line]).empty()) last = line;
    }
    return last;
}
