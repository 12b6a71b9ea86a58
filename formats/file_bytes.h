#pragma once

#include <optional>
#include <string>
#include <string_view>

// Whole-file access for the program's own files, kept as bytes.

// The content of the file at `path`, or nothing when it cannot be opened or read. When
// `missing` is given it tells whether the failure was simply that no such file exists.
std::optional<std::string> readFileBytes(const std::string& path, bool* missing = nullptr);

// Replaces the file at `path` with `bytes` so that it is never left half written: the bytes
// go to a temporary file beside it, reach the disk, and only then the temporary file is
// renamed over the old one. An existing file keeps its permissions. Two running copies
// saving the same file at once take turns, so it ends up whole from one of them. On failure
// the old file is untouched, no temporary file is left, and `reason` (when given) says what
// went wrong, `errorNumber` its error number.
bool writeFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* reason = nullptr, int* errorNumber = nullptr);

// Brings the directory entries of the folder holding `path` to the disk: without it a
// power cut right after creating or renaming a file could still lose its entry.
void flushDirectoryOf(const std::string& path);

// The name of the temporary file that writeFileAtomically uses for `path`.
std::string temporaryFileFor(const std::string& path);
