#pragma once

#include <QString>
#include <optional>
#include <string>

#include "core/barcode_reception.h"
#include "core/scanner_registry.h"
#include "text/local_date_time.h"

// The machine-readable output of lorvant-cli: JSON in UTF-8, the texts converted from the
// Windows-1252 the scanner and the files keep them in.

// A local date and time in ISO 8601 with the offset from UTC it has in the system's time
// zone on that day: "2026-03-12T08:14:37+01:00".
QString isoLocalTime(const LocalDateTime& time);

// One JSON object a line for each row of `reception`, from the unit `entry` names: barcode,
// time (null from a unit that keeps no time stamps), type (the code type's number), serial,
// id, name.
std::string receptionJsonLines(const Reception& reception,
                               const std::optional<ScannerRegistry::Entry>& entry);

// A Windows-1252 text as a QString.
QString fromCp1252Text(const std::string& bytes);
