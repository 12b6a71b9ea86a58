#include "formats/parameter_table.h"

#include <cstring>

const std::array<const char*, kParameterItemCount> kParameterItemTexts = {
    "Code 39",
    "Code 39 Full ASCI",
    "Code 39 Check Digit",
    "Code 39 Transmit Check Digit ",
    "Code 128",
    "EAN  128",
    "Konvertiere EAN8 nach EAN13",
    "I2of5",
    "I2of5 check Digit",
    "Transmit I2of5 check Digit",
    "D2of5",
    "Lautstärke eingeschaltet.",
    "Autom. löschen nach Übertragung.",
    "Zeit/Datums Stempel speichern.",
    "Max. BC Länge markiert=30 / demarkiert=15 ",
    "Redundante Barcodes unterdrückern.",
};

ParameterTable builtInParameterTable() {
    static constexpr ParameterEntry kBuiltIn[kParameterItemCount] = {
        {31, 1}, {54, 0}, {46, 0}, {45, 0}, {8, 1},  {52, 1}, {42, 0}, {58, 1},
        {65, 0}, {64, 0}, {57, 0}, {2, 1},  {15, 0}, {35, 1}, {34, 1}, {4, 0}};
    ParameterTable table{};
    for (int i = 0; i < kParameterItemCount; ++i) table[i] = kBuiltIn[i];
    return table;
}

uint8_t parameterValueByte(int32_t code, bool checked) {
    if (code == kMaxLengthParameter) return checked ? 30 : 15;
    return checked ? 1 : 0;
}

bool parameterChecked(int32_t code, uint8_t value) {
    return code == kMaxLengthParameter ? value == 30 : value != 0;
}

std::string parameterTableImage(const ParameterTable& table) {
    std::string image;
    image.reserve(kParameterFileSize);
    auto put = [&image](int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8) image += static_cast<char>((u >> shift) & 0xFF);
    };
    for (const auto& entry : table) {
        put(entry.code);
        put(entry.value);
    }
    return image;
}

void readParameterTableImage(std::string_view image, ParameterTable& table) {
    // The file is the table's memory image: copy byte for byte, as far as the file goes.
    uint8_t raw[kParameterFileSize];
    const std::string current = parameterTableImage(table);
    std::memcpy(raw, current.data(), kParameterFileSize);
    std::memcpy(raw, image.data(), std::min(image.size(), kParameterFileSize));
    for (int i = 0; i < kParameterTableSize; ++i) {
        auto get = [&raw](size_t at) {
            uint32_t u = 0;
            for (int k = 3; k >= 0; --k) u = (u << 8) | raw[at + k];
            return static_cast<int32_t>(u);
        };
        table[i].code = get(i * 8);
        table[i].value = get(i * 8 + 4);
    }
}
