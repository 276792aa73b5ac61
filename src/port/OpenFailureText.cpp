#include "port/OpenFailureText.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace kestrel {

namespace {

constexpr size_t kGroupBufferSize = 16384;

std::string GroupName(gid_t group) {
    std::vector<char> buffer(kGroupBufferSize);
    struct group entry {};
    struct group* found = nullptr;
    if (getgrgid_r(group, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
        return found->gr_name;
    }
    return "number " + std::to_string(group);
}

bool UserIsInGroup(gid_t group) {
    if (getegid() == group) {
        return true;
    }
    const int count = getgroups(0, nullptr);
    if (count <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int filled = getgroups(count, groups.data());
    return filled > 0 &&
           std::find(groups.begin(), groups.begin() + filled, group) != groups.begin() + filled;
}

std::string RefusedText(const std::string& path, const struct stat& info, bool terminal) {
    std::string text = " (access to " + path + " was refused";
    if (terminal) {
        const std::string group = GroupName(info.st_gid);
        text += UserIsInGroup(info.st_gid)
                    ? "; it belongs to group " + group + ", of which this user is a member"
                    : "; it belongs to group " + group + ", of which this user is not a member";
    }
    return text + ")";
}

}  // namespace

std::string OpenFailureExplanation(const std::string& path, int error, bool terminal) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return "";
    }
    if (error == EACCES || error == EPERM) {
        return RefusedText(path, info, terminal);
    }
    if (error == EBUSY) {
        return " (" + path + " is in use by another program)";
    }
    return "";
}

}  // namespace kestrel
