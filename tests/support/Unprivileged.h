// Runs a check as an ordinary user, so tests of read-only folders also mean something when the
// test runs as root (root writes through any permission bits). As root the folder is handed to
// "nobody" and the check runs in a child process under that identity.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace kestrel::testing {

inline constexpr uid_t kNobody = 65534;

// Returns what `check` returns (0 meaning success), or -1 when the child could not run it.
inline int RunUnprivileged(const std::string& folder, const std::function<int()>& check) {
    if (geteuid() != 0) {
        return check();
    }
    const auto chownAll = [&](uid_t owner) {
        if (lchown(folder.c_str(), owner, owner) != 0) {
            return false;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (lchown(entry.path().c_str(), owner, owner) != 0) {
                return false;
            }
        }
        return true;
    };
    if (!chownAll(kNobody)) {
        return -1;
    }
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
            _exit(255);
        }
        _exit(check());
    }
    int status = 0;
    const bool waited = child > 0 && waitpid(child, &status, 0) == child;
    chownAll(0);
    if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) == 255) {
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace kestrel::testing
