#include "ui/cp1252.h"

namespace cp1252 {
namespace {

// Unicode code points of the bytes 80-9F; the rest of the code page equals Latin-1.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`, advancing it; a malformed byte decodes as U+FFFD.
char32_t nextUtf8(std::string_view s, size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    int extra = 0;
    char32_t c = 0;
    if (lead < 0x80) return lead;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
    } else {
        return 0xFFFD;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return c;
}

}  // namespace

char32_t toUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
    return byte;
}

char fromUnicode(char32_t c, char replacement) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int k = 0; k < 32; ++k) {
        if (kHighControls[k] == c) return static_cast<char>(0x80 + k);
    }
    return replacement;
}

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) appendUtf8(out, toUnicode(static_cast<unsigned char>(b)));
    return out;
}

std::string fromUtf8(std::string_view utf8, char replacement) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) out += fromUnicode(nextUtf8(utf8, i), replacement);
    return out;
}

char toUpper(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    if (b >= 'a' && b <= 'z') return static_cast<char>(b - 0x20);
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 0x20);
    switch (b) {
        case 0x9A:
            return static_cast<char>(0x8A);  // š -> Š
        case 0x9C:
            return static_cast<char>(0x8C);  // œ -> Œ
        case 0x9E:
            return static_cast<char>(0x8E);  // ž -> Ž
        case 0xFF:
            return static_cast<char>(0x9F);  // ÿ -> Ÿ
        default:
            return byte;
    }
}

std::string toUpper(std::string_view bytes) {
    std::string out(bytes);
    for (char& b : out) b = toUpper(b);
    return out;
}

}  // namespace cp1252
