#include "text/date_time_format.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "text/clock.h"

DateTimeFormat& dateTimeFormat() {
    static DateTimeFormat format;
    return format;
}

namespace {

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string number(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Splits at `separator` into numbers of digits only (blanks around each allowed).
bool splitNumbers(std::string_view text, char separator, std::vector<int>& numbers,
                  std::vector<size_t>* digitCounts = nullptr) {
    numbers.clear();
    while (true) {
        const size_t end = text.find(separator);
        const std::string_view part = trim(text.substr(0, end));
        if (part.empty() || part.size() > 9) return false;
        int value = 0;
        for (char c : part) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + (c - '0');
        }
        numbers.push_back(value);
        if (digitCounts) digitCounts->push_back(part.size());
        if (end == std::string_view::npos) return true;
        text.remove_prefix(end + 1);
    }
}

}  // namespace

std::string formatDateTime(std::string_view pattern, const LocalDateTime& v,
                           const DateTimeFormat& format) {
    std::string out;
    bool afterHour = false;
    for (size_t i = 0; i < pattern.size();) {
        const char c = lower(pattern[i]);
        size_t run = 1;
        while (i + run < pattern.size() && lower(pattern[i + run]) == c) ++run;
        switch (c) {
            case 'd':
                out += number(v.day, run >= 2 ? 2 : 1);
                break;
            case 'm':
                out += afterHour ? number(v.minute, run >= 2 ? 2 : 1)
                                 : number(v.month, run >= 2 ? 2 : 1);
                break;
            case 'y':
                out += run >= 3 ? number(v.year, 4) : number(v.year % 100, 2);
                break;
            case 'h':
                out += number(v.hour, run >= 2 ? 2 : 1);
                break;
            case 'n':
                out += number(v.minute, run >= 2 ? 2 : 1);
                break;
            case 's':
                out += number(v.second, run >= 2 ? 2 : 1);
                break;
            case '/':
                out += std::string(run, format.dateSeparator);
                break;
            case ':':
                out += std::string(run, format.timeSeparator);
                break;
            default:
                out.append(pattern.substr(i, run));
                break;
        }
        if (c != ':' && c != ' ') afterHour = (c == 'h');
        i += run;
    }
    return out;
}

std::string formatShortDate(const LocalDateTime& value) {
    return formatDateTime(dateTimeFormat().shortDateFormat, value);
}

std::string formatLongTime(const LocalDateTime& value) {
    return formatDateTime(dateTimeFormat().longTimeFormat, value);
}

bool parseShortDate(std::string_view text, LocalDateTime& date) {
    // The order of day, month and year follows the first letters of the short date format.
    std::string order;
    for (char c : dateTimeFormat().shortDateFormat) {
        const char l = lower(c);
        if ((l == 'd' || l == 'm' || l == 'y') && order.find(l) == std::string::npos) order += l;
    }
    if (order.size() != 3) order = "mdy";
    std::vector<int> numbers;
    std::vector<size_t> digits;
    if (!splitNumbers(trim(text), dateTimeFormat().dateSeparator, numbers, &digits) ||
        numbers.size() != 3)
        return false;
    int day = 0, month = 0, year = 0;
    size_t yearDigits = 0;
    for (size_t k = 0; k < 3; ++k) {
        if (order[k] == 'd') day = numbers[k];
        if (order[k] == 'm') month = numbers[k];
        if (order[k] == 'y') year = numbers[k], yearDigits = digits[k];
    }
    if (yearDigits <= 2) {
        const int windowStart = currentDateTime().year - 50;
        year += windowStart / 100 * 100;
        if (year < windowStart) year += 100;
    }
    if (month < 1 || month > 12 || year < 1 || year > 9999 || day < 1 ||
        day > daysInMonth(year, month))
        return false;
    date.year = year;
    date.month = month;
    date.day = day;
    return true;
}

bool parseTime(std::string_view text, LocalDateTime& time) {
    text = trim(text);
    int pm = -1;
    if (text.size() >= 2) {
        const std::string tail{lower(text[text.size() - 2]), lower(text.back())};
        if (tail == "am" || tail == "pm") {
            pm = tail == "pm";
            text = trim(text.substr(0, text.size() - 2));
        }
    }
    std::vector<int> numbers;
    if (!splitNumbers(text, dateTimeFormat().timeSeparator, numbers) || numbers.size() < 2 ||
        numbers.size() > 3)
        return false;
    int hour = numbers[0];
    const int minute = numbers[1];
    const int second = numbers.size() == 3 ? numbers[2] : 0;
    if (pm >= 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59) return false;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    time.millisecond = 0;
    return true;
}
