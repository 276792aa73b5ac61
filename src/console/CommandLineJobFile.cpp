#include "console/CommandLineJobFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrel {

bool CheckJobFile(const std::string& name, std::string* error) {
    if (name.empty()) {
        *error = "No ticket file was named after \"file:\".";
        return false;
    }
    if (name.size() >= kJobFileNameLimit) {
        *error = "The ticket file name after \"file:\" is too long (" +
                 std::to_string(name.size()) + " characters; at most " +
                 std::to_string(kJobFileNameLimit - 1) + ").";
        return false;
    }
    // Non-blocking, so a FIFO named here cannot hang the open.
    const int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = "Cannot open the ticket file \"" + name + "\": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    close(fd);
    if (!regular) {
        *error = "The ticket file \"" + name + "\" is not a regular file.";
        return false;
    }
    return true;
}

}  // namespace kestrel
