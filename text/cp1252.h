#pragma once

#include <string>
#include <string_view>

// Windows-1252, the single-byte code page of every file the program reads and writes.
// The five bytes that code page leaves undefined (81 8D 8F 90 9D) map to the control
// characters of the same value, so every byte sequence survives a round trip.
namespace cp1252 {

char32_t toUnicode(unsigned char byte);
// The byte for `c`, or `replacement` when the code page has no such character.
char fromUnicode(char32_t c, char replacement = '?');

std::string toUtf8(std::string_view bytes);
// Each character becomes its byte, or `replacement` when the code page has none; so does
// each malformed sequence (overlong forms, surrogates and stray bytes included).
std::string fromUtf8(std::string_view utf8, char replacement = '?');

// File names: the program keeps them in Windows-1252, as its files store them; the file
// system spells them in its own encoding (UTF-8, except on Windows, where the code page
// is the one these bytes are in). A character the code page lacks becomes "?".
std::string toFileSystemName(std::string_view name);
std::string fromFileSystemName(std::string_view fileSystemName);

// Upper case as the Windows rule for this code page has it: a-z, the accented letters
// and umlauts (ä -> Ä), š œ ž ÿ; ß and µ have no capital and stay.
char toUpper(char byte);
std::string toUpper(std::string_view bytes);

}  // namespace cp1252
