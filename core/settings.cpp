#include "core/settings.h"

#include <algorithm>
#include <array>
#include <limits>
#include <type_traits>

#include "formats/profile_file.h"

namespace {

// One key of the settings file: where it stands, and how it reads into and writes from its
// field. The defaults are those of the Settings value the reading starts from.
struct SettingsKey {
    const char* section;
    const char* name;
    void (*read)(const ProfileFile&, const SettingsKey&, Settings&);
    bool (*write)(const Settings&, const SettingsKey&, ProfileFile&);
};

// The field a key reads into: a member of Settings, or a function that finds one inside a
// member (a hotkey's parts).
template <auto Field>
auto& fieldOf(Settings& settings) {
    if constexpr (std::is_member_object_pointer_v<decltype(Field)>)
        return settings.*Field;
    else
        return Field(settings);
}
template <auto Field>
const auto& fieldOf(const Settings& settings) {
    return fieldOf<Field>(const_cast<Settings&>(settings));
}

template <auto Field>
SettingsKey textKey(const char* section, const char* name) {
    return {section, name,
            [](const ProfileFile& file, const SettingsKey& key, Settings& settings) {
                std::string& text = fieldOf<Field>(settings);
                text = file.readString(key.section, key.name, text);
            },
            [](const Settings& settings, const SettingsKey& key, ProfileFile& file) {
                return file.writeString(key.section, key.name, fieldOf<Field>(settings));
            }};
}

template <auto Field>
SettingsKey boolKey(const char* section, const char* name) {
    return {section, name,
            [](const ProfileFile& file, const SettingsKey& key, Settings& settings) {
                bool& value = fieldOf<Field>(settings);
                value = file.readBool(key.section, key.name, value);
            },
            [](const Settings& settings, const SettingsKey& key, ProfileFile& file) {
                return file.writeBool(key.section, key.name, fieldOf<Field>(settings));
            }};
}

// What numbers a key takes: any, or the choices of a radio group or of a drop-down list.
enum class Range { Any, RadioGroup, List };

template <auto Field, Range Kind = Range::Any, int32_t Choices = 0>
SettingsKey numberKey(const char* section, const char* name) {
    return {section, name,
            [](const ProfileFile& file, const SettingsKey& key, Settings& settings) {
                auto& field = fieldOf<Field>(settings);
                const auto fallback = static_cast<int32_t>(field);
                int32_t value = file.readInteger(key.section, key.name, fallback);
                if (Kind != Range::Any && value < 0) value = fallback;
                if (Kind == Range::List && value >= Choices) value = fallback;
                if (Kind == Range::RadioGroup && value >= Choices) value = Choices - 1;
                field = static_cast<std::remove_reference_t<decltype(field)>>(value);
            },
            [](const Settings& settings, const SettingsKey& key, ProfileFile& file) {
                return file.writeInteger(key.section, key.name,
                                         static_cast<int32_t>(fieldOf<Field>(settings)));
            }};
}

// A key the program's files did not always have: written only once it is set (not 0), or
// when the file holds it already. A number outside 0 to `Max` reads as the nearer end.
template <auto Field, int32_t Max = std::numeric_limits<int32_t>::max()>
SettingsKey addedNumberKey(const char* section, const char* name) {
    return {section, name,
            [](const ProfileFile& file, const SettingsKey& key, Settings& settings) {
                int32_t& field = fieldOf<Field>(settings);
                field = std::clamp(file.readInteger(key.section, key.name, field), 0, Max);
            },
            [](const Settings& settings, const SettingsKey& key, ProfileFile& file) {
                const int32_t value = fieldOf<Field>(settings);
                if (value == 0 && file.readString(key.section, key.name, "").empty()) return true;
                return file.writeInteger(key.section, key.name, value);
            }};
}

int32_t& sendModifiers(Settings& settings) {
    return settings.sendHotkey.modifiers;
}
int32_t& sendKey(Settings& settings) {
    return settings.sendHotkey.key;
}
std::string& sendText(Settings& settings) {
    return settings.sendHotkey.text;
}
int32_t& clearModifiers(Settings& settings) {
    return settings.clearHotkey.modifiers;
}
int32_t& clearKey(Settings& settings) {
    return settings.clearHotkey.key;
}
std::string& clearText(Settings& settings) {
    return settings.clearHotkey.text;
}

// Every key once, in the order the program writes them. The key is "V_Key" in SendOptions
// but "V_key" in ClrOptions; "Mod" stands in both.
const std::array<SettingsKey, 22>& settingsKeys() {
    using S = Settings;
    static const std::array<SettingsKey, 22> keys = {
        textKey<&S::dataFile>("DataFile", "PathAndName"),
        numberKey<&S::saveOption, Range::RadioGroup, 2>("DataFile", "SaveOption"),
        boolKey<&S::counterActive>("DataFile", "CounterActive"),
        numberKey<&S::fileCounter>("DataFile", "FileCounter"),
        textKey<&S::fieldSeparator>("DataFile", "FieldSeparator"),
        boolKey<&S::scannerRecordFirst>("DataFile", "ScanRecToFile"),
        numberKey<&S::transferMode, Range::RadioGroup, 2>("DataFile", "TransMode"),
        numberKey<&S::port, Range::List, 16>("ScannerOptions", "Port"),
        numberKey<&S::dataFormat, Range::RadioGroup, 4>("ScannerOptions", "DataFormat"),
        boolKey<&S::eraseAfterTransfer>("ScannerOptions", "TransDel"),
        boolKey<&S::synchroniseClock>("ScannerOptions", "SynchDateTime"),
        numberKey<&S::wedgeSeparator, Range::List, int32_t(kWedgeSeparators.size())>("SendOptions",
                                                                                     "FieldSep"),
        numberKey<&S::wedgeTerminator, Range::List, int32_t(kWedgeTerminators.size())>(
            "SendOptions", "RecTerm"),
        textKey<sendText>("SendOptions", "SendHot"),
        numberKey<sendModifiers>("SendOptions", "Mod"),
        numberKey<sendKey>("SendOptions", "V_Key"),
        addedNumberKey<&S::linePauseMs, kMaxLinePauseMs>("SendOptions", "LinePause"),
        addedNumberKey<&S::keyPauseMs, kMaxKeyPauseMs>("SendOptions", "KeyPause"),
        textKey<clearText>("ClrOptions", "ClrHot"),
        numberKey<clearModifiers>("ClrOptions", "Mod"),
        numberKey<clearKey>("ClrOptions", "V_key"),
        addedNumberKey<&S::historyKeepDays>("History", "KeepDays"),
    };
    return keys;
}

}  // namespace

Settings readSettingsFrom(const ProfileFile& file, const Settings& defaults) {
    Settings settings = defaults;
    for (const SettingsKey& key : settingsKeys()) key.read(file, key, settings);
    return settings;
}

bool writeSettingsTo(const Settings& settings, ProfileFile& file) {
    bool written = true;
    for (const SettingsKey& key : settingsKeys())
        written = key.write(settings, key, file) && written;
    return written;
}
