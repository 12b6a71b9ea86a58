#pragma once

#include <functional>

class ProgramData;
struct AfterTransfer;

// After a transfer, as afterTransfer decided: the scanner's clock set to the PC's time (a
// clock that is not set stays unreported), then the scanner cleared, but only the unit the
// reception came from; a unit that does not answer, or another one on the cable, is
// reported and keeps its barcodes. `status` shows each step before it runs.
void finishTransfer(const ProgramData& data, const AfterTransfer& after,
                    const std::function<void(const char*)>& status = {});
