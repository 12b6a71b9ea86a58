#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A Windows profile (INI) file, read and written with the rules of the Windows profile
// functions: "[Section]" lines, "Key=Value" lines below them, names matched without regard to
// case (ASCII and Windows-1252 letters). The file is read once when the object is made and
// kept as lines in memory; writes change those lines, and save() writes them back at once.
//
// Reading a line: blanks around section names, keys and values are ignored; for a section
// line the name runs to its last ']'. A value enclosed in a pair of equal quotes (' or ")
// loses them, and the value is cut at a NUL byte and to 2047 characters. Lines before the
// first section and lines without '=' belong to no key. The first matching section, and in
// it the first matching key, counts.
//
// Writing a key: an existing key line becomes "Key=Value", the key as spelled in the file
// (whatever its case), without the blanks that stood around it and around '='; a new key
// goes right after the last non-blank line of its section; a missing section is added, with
// the key, at the end of the file. All other lines stay byte for byte. Lines are written
// with CR LF.
class ProfileFile {
  public:
    static constexpr size_t kMaxValueLength = 2047;

    // Reads the file at `path`; a missing or unreadable file gives an empty profile.
    explicit ProfileFile(std::string path);

    const std::string& path() const { return path_; }

    // The value, or `defaultValue` when the key is missing.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // The value read by parseProfileInteger, or `defaultValue` when the key is missing or
    // its value is not such an integer (empty included).
    int32_t readInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // The value read as an integer, non-zero meaning true.
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Each returns false, changing nothing, when the entry cannot be stored so that it reads
    // back: an empty name, a name with surrounding blanks, a key with '=' or starting with
    // '[', or a line break or NUL anywhere.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInteger(std::string_view section, std::string_view key, int32_t value);
    bool writeBool(std::string_view section, std::string_view key, bool value);

    // Writes all lines back (see writeFileAtomically). Refuses, too, when the file existed
    // but could not be read, as writing would lose its content. On failure `error` (when
    // given) gets the reason.
    bool save(std::string* error = nullptr) const;

  private:
    size_t findSection(std::string_view section) const;
    size_t sectionEnd(size_t header) const;
    size_t findKey(size_t header, std::string_view key) const;
    size_t lastContentLine(size_t header) const;

    std::string path_;
    std::vector<std::string> lines_;
    bool unreadable_ = false;
};

// An integer as a profile value holds it: decimal with an optional '+' or '-' in the range
// of a signed 32-bit integer, or one to eight significant hexadecimal digits after "0x", "0X"
// or "$" (taken as the 32-bit pattern, so "$FFFFFFFF" is -1; no sign). Anything else, such as
// "12abc", "2147483648", "-$10" or an empty text, is no integer.
std::optional<int32_t> parseProfileInteger(std::string_view text);
