#pragma once

#include <string>
#include <string_view>
#include <vector>

// A row of fields joined by a delimiter character, without escaping, as the scanner list
// and the receive list keep their rows.
//
// Field 0 is the text before the first delimiter (the whole row if there is none); field n
// lies between the n-th and the (n+1)-th delimiter, or runs to the end of the row; a field
// beyond the last delimiter reads as empty.
std::string delimitedField(std::string_view row, char delimiter, int n);

// Replaces field n, first appending delimiters until the row has n of them.
void setDelimitedField(std::string& row, char delimiter, int n, std::string_view text);

// The fields joined by `separator` (a text, perhaps longer than one character), none before
// the first or after the last.
std::string joinFields(const std::vector<std::string>& fields, std::string_view separator);
