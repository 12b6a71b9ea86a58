#pragma once

#include <string>

// What the main window shows about the registered scanners. Only the first row of the
// scanner list decides, whichever scanner is connected.
enum class MainWindowState {
    NoScanner,   // the list is empty: red bar, warning picture
    CS1504,      // the first serial number reads as a number above 1
    ChangePort,  // the first serial number reads as 1 or less: close the port before a change
    Unchanged,   // the first serial number is empty: the window keeps what it shows
};

// `firstSerialNumber` is column 0 of the first row (ignored when `hasRows` is false). Its
// first five characters are read as a decimal number ("00100" is 100, "01e02" is 100 too).
// Characters that make no decimal number, such as the hexadecimal letters of "0a1b2", come
// from a serial number that is not zero, so they count as above 1.
MainWindowState mainWindowStateFor(bool hasRows, const std::string& firstSerialNumber,
                                   char decimalSeparator = '.');

// The decimal number `text` spells out with blanks around it allowed, an optional sign, an
// optional `decimalSeparator` and an optional exponent; false when it spells none.
bool readDecimalNumber(const std::string& text, char decimalSeparator, double& value);
