#include "sim/PtyLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace kestrel {
namespace {

constexpr const char* kTemporaryLinkSuffix = ".vantor-sim-new";

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Where the link at `path` points, or "" when it is no symbolic link.
std::string ReadLink(const std::string& path) {
    char target[PATH_MAX];
    const ssize_t size = readlink(path.c_str(), target, sizeof target - 1);
    return size > 0 ? std::string(target, static_cast<size_t>(size)) : std::string();
}

}  // namespace

PtyLink::~PtyLink() {
    Close();
}

bool PtyLink::Open(const std::string& linkPath, std::string& error) {
    Close();
    struct stat existing {};
    if (lstat(linkPath.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        error = "'" + linkPath + "' exists and is not a symbolic link; not replacing it";
        return false;
    }
    m_linkPath = linkPath;
    if (!Reopen(error)) {
        m_linkPath.clear();
        return false;
    }
    return true;
}

bool PtyLink::Reopen(std::string& error) {
    Pair fresh;
    if (!OpenPair(fresh, error)) {
        return false;
    }
    // Link beside the final name, then rename over it, so the path never dangles.
    const std::string temporary = m_linkPath + kTemporaryLinkSuffix;
    unlink(temporary.c_str());
    if (symlink(fresh.slaveName.c_str(), temporary.c_str()) != 0 ||
        rename(temporary.c_str(), m_linkPath.c_str()) != 0) {
        error = SystemError("cannot link '" + m_linkPath + "' to " + fresh.slaveName);
        unlink(temporary.c_str());
        ClosePair(fresh);
        return false;
    }
    ClosePair(m_pair);
    m_pair = fresh;
    return true;
}

bool PtyLink::OpenPair(Pair& pair, std::string& error) {
    pair.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (pair.master < 0) {
        error = SystemError("cannot open a pseudo-terminal");
        return false;
    }
    char name[PATH_MAX];
    if (grantpt(pair.master) != 0 || unlockpt(pair.master) != 0 ||
        ptsname_r(pair.master, name, sizeof name) != 0) {
        error = SystemError("cannot prepare the pseudo-terminal");
        ClosePair(pair);
        return false;
    }
    pair.slaveName = name;
    pair.slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (pair.slave < 0 || tcgetattr(pair.slave, &settings) != 0) {
        error = SystemError("cannot open " + pair.slaveName);
        ClosePair(pair);
        return false;
    }
    cfmakeraw(&settings);
    if (tcsetattr(pair.slave, TCSANOW, &settings) != 0) {
        error = SystemError("cannot set " + pair.slaveName + " to raw mode");
        ClosePair(pair);
        return false;
    }
    return true;
}

void PtyLink::ClosePair(Pair& pair) {
    if (pair.slave >= 0) {
        close(pair.slave);
        pair.slave = -1;
    }
    if (pair.master >= 0) {
        close(pair.master);
        pair.master = -1;
    }
}

void PtyLink::Close() {
    if (!m_linkPath.empty() && !m_pair.slaveName.empty() &&
        ReadLink(m_linkPath) == m_pair.slaveName) {
        unlink(m_linkPath.c_str());
    }
    ClosePair(m_pair);
    m_pair.slaveName.clear();
    m_linkPath.clear();
}

}  // namespace kestrel
