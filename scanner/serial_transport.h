#pragma once

#include <memory>

#include "scanner/transport.h"

// The scanner's serial line on a real port (QSerialPort): 9600 baud, 8 data bits, odd
// parity, 1 stop bit, no flow control, DTR as the unit's wake line. Ports are named as
// scannerPortDevice() resolves them.
std::unique_ptr<PortOpener> serialPortOpener();
