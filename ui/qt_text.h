#pragma once

#include <QString>
#include <string>
#include <string_view>

// Where a widget shows or takes file text: Windows-1252 bytes <-> QString.
QString fromCp1252(std::string_view bytes);
std::string toCp1252(const QString& text);
