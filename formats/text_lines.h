#pragma once

#include <string>
#include <string_view>
#include <vector>

// Lines of the program's text files. CR LF, a lone CR or a lone LF ends a line; a last line
// without an ending is a line too, and a final line ending adds no empty line after it.
std::vector<std::string> splitLines(std::string_view text);

// Every line followed by CR LF, the last one included.
std::string joinLines(const std::vector<std::string>& lines);
