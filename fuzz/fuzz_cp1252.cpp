// The Windows-1252 codec against iconv's CP1252 table, on any bytes read as either
// Windows-1252 or UTF-8. The five bytes iconv leaves undefined (81 8D 8F 90 9D) are the
// control characters of the same value, so that every byte survives a round trip. UTF-8
// that iconv refuses (overlong forms, surrogates, values past U+10FFFF, stray or missing
// continuation bytes) gives the replacement character where iconv stops, never a
// character of the code page.
#include <iconv.h>

#include <array>
#include <cerrno>
#include <optional>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "text/cp1252.h"

namespace {

class Iconv {
  public:
    Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        FUZZ_CHECK(handle_ != reinterpret_cast<iconv_t>(-1));
    }
    ~Iconv() { iconv_close(handle_); }

    // Converts as much as iconv accepts; `consumed` tells how far that was.
    std::string convert(std::string_view in, size_t& consumed) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        std::string out(in.size() * 4 + 16, '\0');
        char* inPointer = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char* outPointer = out.data();
        size_t outLeft = out.size();
        iconv(handle_, &inPointer, &inLeft, &outPointer, &outLeft);
        consumed = in.size() - inLeft;
        out.resize(out.size() - outLeft);
        return out;
    }

  private:
    iconv_t handle_;
};

bool undefinedInIconv(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

char32_t fromUtf32(const std::string& bytes, size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[4 * i]) |
                                 static_cast<unsigned char>(bytes[4 * i + 1]) << 8 |
                                 static_cast<unsigned char>(bytes[4 * i + 2]) << 16 |
                                 static_cast<unsigned char>(bytes[4 * i + 3]) << 24);
}

// iconv's table: the byte of each code point, or nothing where CP1252 has none.
std::optional<char> iconvByteOf(char32_t c) {
    static Iconv toCp1252("CP1252", "UTF-32LE");
    const std::array<char, 4> in = {static_cast<char>(c), static_cast<char>(c >> 8),
                                    static_cast<char>(c >> 16), static_cast<char>(c >> 24)};
    size_t consumed = 0;
    const std::string out = toCp1252.convert(std::string_view(in.data(), 4), consumed);
    if (consumed != 4 || out.size() != 1) return std::nullopt;
    return out[0];
}

void bytesAgreeWithIconv(std::string_view bytes) {
    static Iconv toUtf8("UTF-8", "CP1252");
    const std::string utf8 = cp1252::toUtf8(bytes);
    std::string expected;
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (undefinedInIconv(b)) {
            expected += static_cast<char>(0xC2);
            expected += byte;
            continue;
        }
        size_t consumed = 0;
        expected += toUtf8.convert(std::string_view(&byte, 1), consumed);
        FUZZ_CHECK(consumed == 1);
    }
    FUZZ_CHECK(utf8 == expected);
    FUZZ_CHECK(cp1252::fromUtf8(utf8) == bytes);
}

// What fromUtf8 must give for text iconv reads whole, from iconv's code points.
std::string expectedFromCodePoints(const std::string& utf32, char replacement) {
    std::string out;
    for (size_t i = 0; i < utf32.size() / 4; ++i) {
        const char32_t c = fromUtf32(utf32, i);
        if (c >= 0x80 && c < 0xA0 && undefinedInIconv(static_cast<unsigned char>(c))) {
            out += static_cast<char>(c);
            continue;
        }
        out += iconvByteOf(c).value_or(replacement);
    }
    return out;
}

void utf8AgreesWithIconv(std::string_view text) {
    static Iconv toUtf32("UTF-32LE", "UTF-8");
    size_t consumed = 0;
    const std::string utf32 = toUtf32.convert(text, consumed);
    // Two replacement characters tell the replaced places from a '?' in the text.
    const std::string withA = cp1252::fromUtf8(text, '\x01');
    const std::string withB = cp1252::fromUtf8(text, '\x02');
    FUZZ_CHECK(withA.size() == withB.size());
    const std::string valid = expectedFromCodePoints(utf32, '\x01');
    const std::string validB = expectedFromCodePoints(utf32, '\x02');
    if (consumed == text.size()) {
        FUZZ_CHECK(withA == valid && withB == validB);
        return;
    }
    // iconv stopped at a malformed or unfinished sequence: up to there the same, and there
    // a replacement character.
    FUZZ_CHECK(withA.size() > valid.size());
    FUZZ_CHECK(withA.compare(0, valid.size(), valid) == 0);
    FUZZ_CHECK(withB.compare(0, validB.size(), validB) == 0);
    FUZZ_CHECK(withA[valid.size()] == '\x01' && withB[valid.size()] == '\x02');
    // No more characters than bytes: a malformed sequence is never read as more than one.
    FUZZ_CHECK(withA.size() <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    bytesAgreeWithIconv(bytes);
    utf8AgreesWithIconv(bytes);
    for (size_t i = 0; i + 3 < size; i += 4) {
        const char32_t c = static_cast<char32_t>(data[i] | data[i + 1] << 8 | data[i + 2] << 16 |
                                                 (data[i + 3] & 0x1F) << 24);
        const char expected =
            c >= 0x80 && c < 0xA0 && undefinedInIconv(static_cast<unsigned char>(c))
                ? static_cast<char>(c)
                : iconvByteOf(c).value_or('\x01');
        FUZZ_CHECK(cp1252::fromUnicode(c, '\x01') == expected);
        if (expected != '\x01' || c == 1)
            FUZZ_CHECK(cp1252::toUnicode(static_cast<unsigned char>(expected)) == c);
    }
    return 0;
}
