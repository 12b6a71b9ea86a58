#include "core/main_window_state.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace {
bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Moves `at` past a run of digits; returns how many there were.
size_t skipDigits(const std::string& text, size_t& at) {
    const size_t start = at;
    while (at < text.size() && isDigit(text[at])) ++at;
    return at - start;
}

void skipBlanks(const std::string& text, size_t& at) {
    while (at < text.size() && text[at] == ' ') ++at;
}

bool skipSign(const std::string& text, size_t& at) {
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
        return true;
    }
    return false;
}
}  // namespace

bool readDecimalNumber(const std::string& text, char decimalSeparator, double& value) {
    size_t at = 0;
    skipBlanks(text, at);
    const size_t numberStart = at;
    skipSign(text, at);
    size_t digits = skipDigits(text, at);
    if (at < text.size() && text[at] == decimalSeparator) {
        ++at;
        digits += skipDigits(text, at);
    }
    if (digits == 0) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        skipSign(text, at);
        if (skipDigits(text, at) == 0) return false;
    }
    const size_t numberEnd = at;
    skipBlanks(text, at);
    if (at != text.size()) return false;
    std::string normalised = text.substr(numberStart, numberEnd - numberStart);
    for (char& c : normalised)
        if (c == decimalSeparator) c = '.';
    // from_chars, unlike strtod, ignores the process locale and takes no leading '+'.
    if (normalised[0] == '+') normalised.erase(0, 1);
    const auto result =
        std::from_chars(normalised.data(), normalised.data() + normalised.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: infinity or zero, with the number's sign.
        const bool tiny = normalised.find("e-") != std::string::npos ||
                          normalised.find("E-") != std::string::npos;
        value = tiny ? 0.0 : HUGE_VAL;
        if (normalised[0] == '-') value = -value;
    }
    return true;
}

MainWindowState mainWindowStateFor(bool hasRows, const std::string& firstSerialNumber,
                                   char decimalSeparator) {
    if (!hasRows) return MainWindowState::NoScanner;
    const std::string leading = firstSerialNumber.substr(0, 5);
    if (leading.empty()) return MainWindowState::Unchanged;
    double value = 0;
    if (!readDecimalNumber(leading, decimalSeparator, value)) return MainWindowState::CS1504;
    return value > 1 ? MainWindowState::CS1504 : MainWindowState::ChangePort;
}
