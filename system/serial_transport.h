#pragma once

#include <QString>
#include <memory>

#include "scanner/transport.h"

// The scanner's serial line on a real port (QSerialPort): 9600 baud, 8 data bits, odd
// parity, 1 stop bit, no flow control, DTR as the unit's wake line. Ports are named as
// scannerPortDevice() resolves them.
std::unique_ptr<PortOpener> serialPortOpener();
// The same line on the device `device` (a path), whatever port index is opened.
std::unique_ptr<PortOpener> serialDeviceOpener(std::string device);

// The message when port index `portIndex` cannot be opened: "Port kann nicht intialisiert
// werden", and a line that names the device and what is wrong with it: not there (and which
// device the port stands for), this user may not use it (and the group to join), or it is
// held by another program.
QString portOpenFailureText(int portIndex);
// The same for the device `device` named by its path, which stands for no port.
QString deviceOpenFailureText(const std::string& device);
