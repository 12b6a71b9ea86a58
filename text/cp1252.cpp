#include "text/cp1252.h"

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

// Decodes one UTF-8 sequence at `i`, advancing it. A malformed sequence (a stray or missing
// continuation byte, an overlong form, a surrogate, a value past U+10FFFF) decodes as
// U+FFFD and is passed over up to the first byte that cannot continue it.
char32_t nextUtf8(std::string_view s, size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t c = 0;
    // The range the second byte must lie in; it is what rules out the overlong forms,
    // the surrogates and the values past U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        c = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        c = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0xFFFD;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size()) return 0xFFFD;
        const auto next = static_cast<unsigned char>(s[i]);
        if (next < (k == 0 ? low : 0x80) || next > (k == 0 ? high : 0xBF)) return 0xFFFD;
        c = (c << 6) | (next & 0x3F);
        ++i;
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

std::string toFileSystemName(std::string_view name) {
#ifdef _WIN32
    return std::string(name);
#else
    return toUtf8(name);
#endif
}

std::string fromFileSystemName(std::string_view fileSystemName) {
#ifdef _WIN32
    return std::string(fileSystemName);
#else
    return fromUtf8(fileSystemName);
#endif
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
