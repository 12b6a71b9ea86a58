#include "scanner/port_access.h"

#include "scanner/serial_port_name.h"

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#endif

PortProblem portProblem(int portIndex) {
    const std::string device = scannerPortDevice(portIndex);
    if (device.empty()) return {};
    PortProblem problem = deviceProblem(device);
#ifndef _WIN32
    const char* variable = std::getenv(("LORVANT_COM" + std::to_string(portIndex + 1)).c_str());
    problem.configured = variable && *variable;
#endif
    return problem;
}

PortProblem deviceProblem(const std::string& device) {
#ifndef _WIN32
    PortProblem problem;
    problem.device = device;
    if (problem.device.empty()) return problem;
    struct stat status {};
    if (::stat(problem.device.c_str(), &status) != 0) {
        problem.kind = PortProblem::Kind::Missing;
        return problem;
    }
    // The effective ids decide, as they do for open().
    if (::faccessat(AT_FDCWD, problem.device.c_str(), R_OK | W_OK, AT_EACCESS) == 0 ||
        errno != EACCES) {
        problem.kind = PortProblem::Kind::Present;
        return problem;
    }
    problem.kind = PortProblem::Kind::NotPermitted;
    // Joining the group helps only when the group may read and write, and root's is no choice.
    const bool groupMayUse = (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMayUse && status.st_gid != 0) {
        if (const struct group* entry = ::getgrgid(status.st_gid); entry && entry->gr_name)
            problem.group = entry->gr_name;
    }
    return problem;
#else
    (void)device;
    return {};
#endif
}
