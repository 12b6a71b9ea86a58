#include "ui/qt_text.h"

#include <QList>

#include "text/cp1252.h"

QString fromCp1252(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes)
        out += QChar(static_cast<char16_t>(cp1252::toUnicode(static_cast<unsigned char>(b))));
    return out;
}

std::string toCp1252(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (const auto c : text.toUcs4()) out += cp1252::fromUnicode(static_cast<char32_t>(c));
    return out;
}
