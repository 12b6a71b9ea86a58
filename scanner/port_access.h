#pragma once

#include <string>

// What keeps the device of a scanner port from being opened, as far as can be told from
// outside: it is not there, this process may not use it, or it is there and usable (then
// another program holding it is the likely cause).
struct PortProblem {
    enum class Kind { None, Missing, NotPermitted, Present };
    Kind kind = Kind::None;
    std::string device;
    // Not permitted: the group whose members may use the device (its own group, "dialout"
    // on Debian and Ubuntu); empty when joining a group would not help.
    std::string group;
    // The device came from the environment variable LORVANT_COM<n>, not from the default.
    bool configured = false;
};

// The state of the device behind port index `portIndex` (0-15, COM1-COM16). Nothing is
// opened, so a real line sees no change on its modem lines. Kind::None for an index outside
// 0-15, and always on Windows, where the port's name tells nothing of this.
PortProblem portProblem(int portIndex);
// The same for a device named by its path (configured stays false).
PortProblem deviceProblem(const std::string& device);
