#pragma once

#include <string>
#include <vector>

// The data file: the scanner record (when chosen) and one line per barcode, each ended by
// CR LF, in Windows-1252.

// The name with the counter put before its extension: "Data.txt", 7 -> "Data_7.txt". The
// extension starts at the last '.', unless a '\', '/' or ':' follows it (then the dot lies in
// a folder name and the counter goes at the end).
std::string counterFileName(const std::string& name, int counter);

// The bytes one save writes.
std::string dataFileBlock(const std::string& scannerRecord, bool withScannerRecord,
                          const std::vector<std::string>& rows);

// Writes `bytes` to the file at `path`, creating it when missing: appended after its
// content, or replacing it (the file then holds exactly `bytes`). The data are on the disk
// when it returns true; on false `reason` says why in German.
bool writeDataFile(const std::string& path, const std::string& bytes, bool append,
                   std::string& reason);
