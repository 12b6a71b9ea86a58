#include "testing/cs1504_unit_file.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <sstream>

namespace cs1504 {

namespace {

constexpr std::array<std::pair<std::string_view, uint8_t>, 9> codeTypeNames = {{
    {"code39", 0x01},
    {"code128", 0x03},
    {"d25", 0x04},
    {"itf", 0x06},
    {"upca", 0x08},
    {"ean8", 0x0A},
    {"ean13", 0x0B},
    {"ean128", 0x0F},
    {"code39ascii", 0x13},
}};

struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Splits off the first word; `rest` keeps everything after the one blank that ends it.
std::string_view firstWord(std::string_view& rest) {
    const size_t end = rest.find(' ');
    const std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return word;
}

// A non-negative number, decimal or 0x hexadecimal.
std::optional<int> number(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (!text.empty() && text[0] == '-') return {};
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return {};
    return value;
}

std::optional<DateTime> dateTime(std::string_view date, std::string_view time) {
    DateTime value;
    char rest = 0;
    const std::string both = std::string(date) + ' ' + std::string(time);
    if (std::sscanf(both.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &value.year, &value.month,
                    &value.day, &value.hour, &value.minute, &value.second, &rest) != 6)
        return {};
    return value;
}

bool inRange(int value, int low, int high) {
    return value >= low && value <= high;
}

std::optional<std::array<uint8_t, 8>> serialNumber(std::string_view hex) {
    if (hex.size() != 16) return {};
    std::array<uint8_t, 8> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = number("0x" + std::string(hex.substr(2 * i, 2)));
        if (!byte) return {};
        bytes[i] = static_cast<uint8_t>(*byte);
    }
    return bytes;
}

std::optional<std::string> unescaped(std::string_view text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x') return {};
        const auto byte = number("0x" + std::string(text.substr(i + 2, 2)));
        if (!byte) return {};
        bytes += static_cast<char>(*byte);
        i += 3;
    }
    return bytes;
}

std::string escaped(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        // Blanks at either end would not survive an editor.
        const bool edgeBlank = byte == ' ' && (i == 0 || i + 1 == bytes.size());
        if (byte < 0x20 || byte > 0x7E || byte == '\\' || edgeBlank) {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            text += code;
        } else {
            text += static_cast<char>(byte);
        }
    }
    return text;
}

std::optional<bool> yesNo(std::string_view word, std::string_view yes, std::string_view no) {
    if (word == yes) return true;
    if (word == no) return false;
    return {};
}

// Reads one entry; returns a description of what is wrong with it, or nothing.
class EntryReader {
  public:
    explicit EntryReader(Device& device) : device_(device) {}

    std::optional<std::string> read(std::string_view key, std::string_view rest) {
        if (key == "barcode") return barcode(rest);
        const std::string_view value = trimmed(rest);
        if (key == "serial") return serial(value);
        if (key == "software") return software(value);
        if (key == "timestamps")
            return flag(value, "on", "off", [this](bool on) {
                device_.setParameter(parameter::StoreTimeStamps, on ? 1 : 0);
            });
        if (key == "parameter") return parameterEntry(value);
        if (key == "clock") return clock(value);
        if (key == "clock-lost")
            return flag(value, "yes", "no", [this](bool lost) { device_.clockLost = lost; });
        if (key == "battery")
            return flag(value, "low", "ok", [this](bool low) { device_.lowBattery = low; });
        if (key == "connected")
            return flag(value, "yes", "no", [this](bool yes) { device_.connected = yes; });
        if (key == "awake") return flag(value, "yes", "no", [](bool) {});
        return "unknown entry \"" + std::string(key) + "\"";
    }

  private:
    template <typename Apply>
    std::optional<std::string> flag(std::string_view value, std::string_view yes,
                                    std::string_view no, Apply apply) {
        const auto on = yesNo(value, yes, no);
        if (!on) return "expected " + std::string(yes) + " or " + std::string(no);
        apply(*on);
        return {};
    }

    std::optional<std::string> serial(std::string_view value) {
        const auto bytes = serialNumber(value);
        if (!bytes) return "a serial number is 16 hexadecimal digits";
        device_.serialNumber = *bytes;
        return {};
    }

    std::optional<std::string> software(std::string_view value) {
        if (value.size() != 8) return "a software version is 8 characters";
        device_.softwareVersion = std::string(value);
        return {};
    }

    std::optional<std::string> parameterEntry(std::string_view value) {
        const auto code = number(firstWord(value));
        const auto setting = number(trimmed(value));
        if (!code || !setting || !inRange(*code, 0, 255) || !inRange(*setting, 0, 255))
            return "expected a parameter code and value, 0-255";
        device_.setParameter(static_cast<uint8_t>(*code), static_cast<uint8_t>(*setting));
        return {};
    }

    std::optional<std::string> clock(std::string_view value) {
        const std::string_view date = firstWord(value);
        const auto when = dateTime(date, trimmed(value));
        if (!when || !inRange(when->year, 2000, 2099) || !inRange(when->month, 1, 12) ||
            !inRange(when->day, 1, 31) || !inRange(when->hour, 0, 23) ||
            !inRange(when->minute, 0, 59) || !inRange(when->second, 0, 59))
            return "expected a clock as YYYY-MM-DD hh:mm:ss";
        device_.clock = {
            static_cast<uint8_t>(when->second), static_cast<uint8_t>(when->minute),
            static_cast<uint8_t>(when->hour),   static_cast<uint8_t>(when->day),
            static_cast<uint8_t>(when->month),  static_cast<uint8_t>(when->year - 2000)};
        return {};
    }

    std::optional<std::string> barcode(std::string_view rest) {
        const auto type = codeTypeFromName(firstWord(rest));
        if (!type) return "unknown code type";
        const std::string_view date = firstWord(rest);
        const std::string_view time = firstWord(rest);
        const auto stamp = dateTime(date, time);
        // Every value the four stamp bytes can hold has a written form.
        if (!stamp || !inRange(stamp->year, 2000, 2063) || !inRange(stamp->month, 0, 15) ||
            !inRange(stamp->day, 0, 31) || !inRange(stamp->hour, 0, 31) ||
            !inRange(stamp->minute, 0, 63) || !inRange(stamp->second, 0, 63))
            return "expected a time stamp as YYYY-MM-DD hh:mm:ss";
        const auto data = unescaped(rest.substr(0, rest.find_last_not_of('\r') + 1));
        if (!data) return "a bad \\x escape in the barcode";
        if (data->size() > kMaxStoredBarcode)
            return "a barcode is at most " + std::to_string(kMaxStoredBarcode) + " bytes";
        device_.barcodes.push_back({*type, *data,
                                    packTimeStamp(stamp->year, stamp->month, stamp->day,
                                                  stamp->hour, stamp->minute, stamp->second)});
        return {};
    }

    Device& device_;
};

}  // namespace

std::optional<uint8_t> codeTypeFromName(std::string_view name) {
    for (const auto& [known, code] : codeTypeNames)
        if (name == known) return code;
    const auto code = number(name);
    if (!code || !inRange(*code, 0, 255)) return {};
    return static_cast<uint8_t>(*code);
}

std::string codeTypeName(uint8_t codeType) {
    for (const auto& [name, code] : codeTypeNames)
        if (code == codeType) return std::string(name);
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", codeType);
    return text;
}

bool readUnitFile(std::string_view text, Device& device, std::string& error) {
    EntryReader reader(device);
    int lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++lineNumber;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (trimmed(line).empty() || line.front() == '#') continue;
        const std::string_view key = firstWord(line);
        if (auto problem = reader.read(key, line)) {
            error = "line " + std::to_string(lineNumber) + ": " + *problem;
            return false;
        }
    }
    if (device.uploadResponseSize() > kMaxResponseBytes) {
        error = "more barcodes than the unit's memory holds";
        return false;
    }
    return true;
}

std::string writeUnitFile(const Device& device) {
    std::ostringstream out;
    char line[96];
    out << "serial ";
    for (uint8_t byte : device.serialNumber) {
        std::snprintf(line, sizeof line, "%02x", byte);
        out << line;
    }
    out << "\nsoftware " << device.softwareVersion << '\n';
    out << "battery " << (device.lowBattery ? "low" : "ok") << '\n';
    out << "connected " << (device.connected ? "yes" : "no") << '\n';
    out << "awake " << (device.sessionOpen() ? "yes" : "no") << '\n';
    const auto& c = device.clock;
    std::snprintf(line, sizeof line, "clock %04d-%02d-%02d %02d:%02d:%02d\n", 2000 + c[5], c[4],
                  c[3], c[2], c[1], c[0]);
    out << line << "clock-lost " << (device.clockLost ? "yes" : "no") << '\n';
    for (const auto& [code, value] : device.parameters())
        out << "parameter " << int(code) << ' ' << int(value) << '\n';
    for (const StoredBarcode& barcode : device.barcodes) {
        const TimeStampFields f = unpackTimeStamp(barcode.stamp);
        std::snprintf(line, sizeof line, "%04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day,
                      f.hour, f.minute, f.second);
        out << "barcode " << codeTypeName(barcode.codeType) << ' ' << line << ' '
            << escaped(barcode.data) << '\n';
    }
    return out.str();
}

}  // namespace cs1504
