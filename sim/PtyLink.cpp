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
    ClosePair();
    if (!OpenPair(error)) {
        return false;
    }
    // Link beside the final name, then rename over it, so the path never dangles.
    const std::string temporary = m_linkPath + kTemporaryLinkSuffix;
    unlink(temporary.c_str());
    if (symlink(m_slaveName.c_str(), temporary.c_str()) != 0 ||
        rename(temporary.c_str(), m_linkPath.c_str()) != 0) {
        error = SystemError("cannot link '" + m_linkPath + "' to " + m_slaveName);
        unlink(temporary.c_str());
        ClosePair();
        return false;
    }
    return true;
}

bool PtyLink::OpenPair(std::string& error) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_master < 0) {
        error = SystemError("cannot open a pseudo-terminal");
        return false;
    }
    char name[PATH_MAX];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, name, sizeof name) != 0) {
        error = SystemError("cannot prepare the pseudo-terminal");
        ClosePair();
        return false;
    }
    m_slaveName = name;
    m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (m_slave < 0 || tcgetattr(m_slave, &settings) != 0) {
        error = SystemError("cannot open " + m_slaveName);
        ClosePair();
        return false;
    }
    cfmakeraw(&settings);
    if (tcsetattr(m_slave, TCSANOW, &settings) != 0) {
        error = SystemError("cannot set " + m_slaveName + " to raw mode");
        ClosePair();
        return false;
    }
    return true;
}

void PtyLink::ClosePair() {
    if (m_slave >= 0) {
        close(m_slave);
        m_slave = -1;
    }
    if (m_master >= 0) {
        close(m_master);
        m_master = -1;
    }
}

void PtyLink::Close() {
    if (!m_linkPath.empty() && !m_slaveName.empty() && ReadLink(m_linkPath) == m_slaveName) {
        unlink(m_linkPath.c_str());
    }
    ClosePair();
    m_slaveName.clear();
    m_linkPath.clear();
}

}  // namespace kestrel
