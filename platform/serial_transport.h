#pragma once

#include <QString>
#include <memory>

#include "scanner/transport.h"

// The scanner's serial line on a real port (QSerialPort): 9600 baud, 8 data bits, odd
// parity, 1 stop bit, no flow control, DTR as the unit's wake line. Ports are named as
// scannerPortDevice() resolves them.
std::unique_ptr<PortOpener> serialPortOpener();

// The message when port index `portIndex` cannot be opened: "Port kann nicht intialisiert
// werden", and a line that names the device and what is wrong with it: not there (and which
// device the port stands for), this user may not use it (and the group to join), or it is
// held by another program.
QString portOpenFailureText(int portIndex);
