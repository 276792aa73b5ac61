#include "port/OpenFailureText.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
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

std::string UserName(uid_t user) {
    std::vector<char> buffer(kGroupBufferSize);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
        return found->pw_name;
    }
    return "number " + std::to_string(user);
}

std::string ModeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%03o", static_cast<unsigned>(mode & 0777));
    return text;
}

// A terminal's owning group matters only when the group may read and write it: then joining
// the group is the cure, otherwise only its owner gets in.
std::string TerminalAccessText(const struct stat& info) {
    if ((info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) {
        return "; only its owner, " + UserName(info.st_uid) + ", may open it (mode " +
               ModeText(info.st_mode) + ")";
    }
    const std::string group = GroupName(info.st_gid);
    if (UserIsInGroup(info.st_gid)) {
        return "; it belongs to group " + group + ", of which this user is a member";
    }
    return "; it belongs to group " + group +
           ", of which this user is not a member; join it with \"sudo usermod -a -G " + group +
           " " + UserName(geteuid()) + "\", then log out and in again";
}

std::string RefusedText(const std::string& path, const struct stat& info, bool terminal) {
    return " (access to " + path + " was refused" + (terminal ? TerminalAccessText(info) : "") +
           ")";
}

// What a node that is not a character device is, in words.
const char* NodeKindText(mode_t mode) {
    if (S_ISREG(mode)) {
        return "a regular file";
    }
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    return "an unknown kind of file";
}

bool IsNotADeviceError(int error) {
    return error == ENODEV || error == EISDIR || error == ENXIO;
}

// " (PATH is a regular file, not a device)" and the like; "" for a character device or a path
// that does not exist.
std::string NotADeviceExplanation(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return "";
    }
    const bool link = S_ISLNK(info.st_mode);
    if ((link && stat(path.c_str(), &info) != 0) || S_ISCHR(info.st_mode)) {
        return "";
    }
    return " (" + path + " is " + (link ? "a symbolic link to " : "") + NodeKindText(info.st_mode) +
           ", not a device)";
}

}  // namespace

std::string OpenFailureExplanation(const std::string& path, int error, bool terminal) {
    if (IsNotADeviceError(error)) {
        const std::string text = NotADeviceExplanation(path);
        if (!text.empty()) {
            return text;
        }
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return error == ENOENT ? " (" + path + " does not exist)" : "";
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
