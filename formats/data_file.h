#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The data file: the scanner record (when chosen) and one line per barcode, each ended by
// CR LF, in Windows-1252.

// What a save does with a data file that exists; the number is the one the settings file
// stores (DataFile/SaveOption).
enum class SaveOption : int32_t { Overwrite = 0, Append = 1 };

// The name with the counter put before its extension: "Data.txt", 7 -> "Data_7.txt". The
// extension starts at the last '.', unless a '\', '/' or ':' follows it (then the dot lies in
// a folder name and the counter goes at the end).
std::string counterFileName(const std::string& name, int counter);

// The bytes one save writes.
std::string dataFileBlock(const std::string& scannerRecord, bool withScannerRecord,
                          const std::vector<std::string>& rows);

// Writes `bytes` to the file at `path`, creating it when missing: appended after its
// content, or replacing it (the file then holds exactly `bytes`). The data are on the disk
// when it returns true; on false `reason` says why in German and the file holds what it
// held before.
//
// Whatever ends the program meanwhile, the file holds its old or its new content, never a
// mixture: a replacement is written to a temporary file beside it ("<name>.lvtmp") that then
// takes its place (a link is followed; a device, a pipe or a file with several names is
// written where it is; so is a file in a folder that takes no new file). An append is one
// write, with an undo record beside the file ("<name>.lvundo", the file's length before it)
// for as long as it runs: should the append be cut short, recoverDataFile or the next save
// to that file takes it back. Two running copies appending to the same file take turns.
bool writeDataFile(const std::string& path, const std::string& bytes, bool append,
                   std::string& reason);

// The file at `path` is there and holds at least one byte (a link is followed).
bool dataFileHoldsData(const std::string& path);

// Takes back an append to the file at `path` that did not finish (the program was ended or
// the power cut while it ran), so the file holds what it held before that save.
void recoverDataFile(const std::string& path);
