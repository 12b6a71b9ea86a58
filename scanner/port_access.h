#pragma once

#include <optional>
#include <string>

// A scanner port whose device is there but that this process may not open for reading and
// writing. `group` names the group whose members may (the device's own group, "dialout" on
// Debian and Ubuntu); it is empty when joining a group would not help.
struct PortAccessDenied {
    std::string device;
    std::string group;
};

// Nothing when the device of port index `portIndex` (0-15, COM1-COM16) is missing or may be
// opened; always nothing on Windows.
std::optional<PortAccessDenied> portAccessDenied(int portIndex);
