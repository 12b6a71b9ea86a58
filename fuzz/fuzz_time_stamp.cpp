// Time stamps from the scanner to the barcode line: four stamp bytes become the library's
// time stamp text, which the reception decodes into a date and time. Any stamp decodes to
// exactly its fields when they form a real date and time, and is refused otherwise; any
// text either decodes to a real date and time, which reads the same when written out
// again, or is refused with the caller's value left as it was.
#include <cstring>

#include "formats/reception.h"
#include "fuzz/fuzz_support.h"
#include "scanner/cs1504_codec.h"
#include "scanner/cs1504_library.h"
#include "testing/cs1504_device.h"
#include "testing/memory_transport.h"
#include "text/clock.h"
#include "text/date_time_format.h"

namespace {

const LocalDateTime kUntouched{1234, 5, 6, 7, 8, 9, 10};

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool realDateAndTime(int year, int month, int day, int hour, int minute, int second) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || year < 1 || year > 9999) return false;
    const int inMonth = month == 2 && isLeapYear(year) ? 29 : days[month - 1];
    return day <= inMonth && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 &&
           second >= 0 && second <= 59;
}

std::string stampText(const LocalDateTime& v) {
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d    %02d/%02d/%02d", v.hour, v.minute, v.second,
                  v.month, v.day, v.year % 100);
    return text;
}

void decodedFormatsStay() {
    FUZZ_CHECK(dateTimeFormat().shortDateFormat == "DD.MM.YYYY");
    FUZZ_CHECK(dateTimeFormat().dateSeparator == '/' && dateTimeFormat().timeSeparator == ':');
}

void stampDecodesToItsFields(Cs1504Library& library, const uint8_t* bytes) {
    char text[kTimeStampTextCapacity];
    FUZZ_CHECK(library.FormatTimeStamp(bytes, text, kTimeStampTextCapacity) == 0);
    const cs1504::TimeStampFields f = cs1504::unpackTimeStamp(cs1504::timeStampFromBytes(bytes));
    LocalDateTime value = kUntouched;
    const bool real = realDateAndTime(f.year, f.month, f.day, f.hour, f.minute, f.second);
    FUZZ_CHECK(decodeTimeStampText(text, value) == real);
    if (!real) {
        FUZZ_CHECK(value == kUntouched);
        return;
    }
    FUZZ_CHECK(value == (LocalDateTime{f.year, f.month, f.day, f.hour, f.minute, f.second, 0}));
    decodedFormatsStay();
    char expected[40];
    std::snprintf(expected, sizeof expected, "%02d.%02d.%04d", f.day, f.month, f.year);
    FUZZ_CHECK(formatShortDate(value) == expected);
    std::snprintf(expected, sizeof expected, "%02d:%02d:%02d", f.hour, f.minute, f.second);
    FUZZ_CHECK(formatLongTime(value) == expected);
}

void anyTextDecodesToARealDate(std::string_view text) {
    LocalDateTime value = kUntouched;
    if (!decodeTimeStampText(text, value)) {
        FUZZ_CHECK(value == kUntouched);
        return;
    }
    decodedFormatsStay();
    FUZZ_CHECK(realDateAndTime(value.year, value.month, value.day, value.hour, value.minute,
                               value.second));
    FUZZ_CHECK(value.millisecond == 0);
    // Two-digit years name the hundred years from 1976 on (the test clock says 2026).
    if (value.year < 1976 || value.year > 2075) return;
    LocalDateTime again = kUntouched;
    FUZZ_CHECK(decodeTimeStampText(stampText(value), again));
    FUZZ_CHECK(again == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool clockSet = [] {
        setClock([] { return LocalDateTime{2026, 12, 7, 10, 0, 0, 0}; });
        return true;
    }();
    (void)clockSet;
    static cs1504::Device unit;
    static Cs1504Library library(memoryPortOpener(unit));
    dateTimeFormat() = DateTimeFormat{};
    if (size >= 4) stampDecodesToItsFields(library, data);
    anyTextDecodesToARealDate(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
