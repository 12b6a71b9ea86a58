#include "scanner/port_access.h"

#include "scanner/serial_port_name.h"

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

std::optional<PortAccessDenied> portAccessDenied(int portIndex) {
#ifndef _WIN32
    const std::string device = scannerPortDevice(portIndex);
    struct stat status {};
    if (device.empty() || ::stat(device.c_str(), &status) != 0) return std::nullopt;
    // The effective ids decide, as they do for open(); nothing is opened here, so a real
    // line sees no change on its modem lines.
    if (::faccessat(AT_FDCWD, device.c_str(), R_OK | W_OK, AT_EACCESS) == 0 || errno != EACCES)
        return std::nullopt;
    PortAccessDenied denied{device, {}};
    // Joining the group helps only when the group may read and write, and root's is no choice.
    const bool groupMayUse = (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMayUse && status.st_gid != 0) {
        if (const struct group* entry = ::getgrgid(status.st_gid); entry && entry->gr_name)
            denied.group = entry->gr_name;
    }
    return denied;
#else
    (void)portIndex;
    return std::nullopt;
#endif
}
