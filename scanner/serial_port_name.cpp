#include "scanner/serial_port_name.h"

#include <cstdlib>

std::string scannerPortDevice(int portIndex) {
    if (portIndex < 0 || portIndex > 15) return {};
    const std::string number = std::to_string(portIndex + 1);
#ifdef _WIN32
    return "COM" + number;
#else
    const char* configured = std::getenv(("LORVANT_COM" + number).c_str());
    if (configured && *configured) return configured;
    return "/dev/ttyUSB" + std::to_string(portIndex);
#endif
}
