#include "platform/TtyDevice.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace kestrel {
namespace {

// Unix98 pseudo-terminal slaves have these majors; devpts nodes are not in sysfs.
constexpr unsigned kFirstPtySlaveMajor = 136;
constexpr unsigned kLastPtySlaveMajor = 143;
constexpr const char* kTtyClassSuffix = "/tty";

}  // namespace

bool IsTtyDevice(const std::string& path, const std::string& sysfsRoot) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return false;  // errno says why
    }
    errno = ENOTTY;
    if (!S_ISCHR(info.st_mode)) {
        return false;
    }
    const unsigned deviceMajor = major(info.st_rdev);
    if (deviceMajor >= kFirstPtySlaveMajor && deviceMajor <= kLastPtySlaveMajor) {
        return true;
    }
    const std::string link = sysfsRoot + "/dev/char/" + std::to_string(deviceMajor) + ":" +
                             std::to_string(minor(info.st_rdev)) + "/subsystem";
    char target[PATH_MAX];
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0) {
        errno = ENOTTY;
        return false;
    }
    const std::string subsystem(target, static_cast<size_t>(length));
    const std::string suffix = kTtyClassSuffix;
    const bool tty =
        subsystem.size() >= suffix.size() &&
        subsystem.compare(subsystem.size() - suffix.size(), suffix.size(), suffix) == 0;
    errno = tty ? 0 : ENOTTY;
    return tty;
}

}  // namespace kestrel
