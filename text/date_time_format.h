#pragma once

#include <string>
#include <string_view>

#include "text/local_date_time.h"

// The process-wide date and time conversion settings, the way the desktop's regional
// settings hold them: a short date pattern with its separator, a time separator and a long
// time pattern. Reading a time stamp changes them and leaves them changed for the run.
//
// Patterns use d/dd (day), m/mm (month; minutes right after an hour), yy/yyyy (year),
// h/hh (hour, 24-hour clock), n/nn (minutes), s/ss (seconds), case-insensitive; "/" stands
// for the date separator, ":" for the time separator, anything else is copied.
struct DateTimeFormat {
    std::string shortDateFormat = "dd.mm.yyyy";
    char dateSeparator = '.';
    char timeSeparator = ':';
    std::string longTimeFormat = "hh:nn:ss";
};

DateTimeFormat& dateTimeFormat();

std::string formatDateTime(std::string_view pattern, const LocalDateTime& value,
                           const DateTimeFormat& format = dateTimeFormat());
// The date in the short date format, the time of day in the long time format.
std::string formatShortDate(const LocalDateTime& value);
std::string formatLongTime(const LocalDateTime& value);

// Reads a date in the order of the short date format (day, month and year as its letters
// come), its parts split by the date separator, blanks around them allowed. A year of one or
// two digits falls in the hundred years that begin 50 years before the current year.
// Returns false for anything else or an impossible date.
bool parseShortDate(std::string_view text, LocalDateTime& date);

// Reads a time of day "h:m[:s]" with the time separator, blanks allowed around the parts, an
// optional AM/PM marker. Returns false for anything else or an impossible time.
bool parseTime(std::string_view text, LocalDateTime& time);
