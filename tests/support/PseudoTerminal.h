// A pseudo-terminal pair for tests that need a real tty: the far end (master) stands for the
// printer, the near end (slave) is the port under test.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace kestrel::testing {

class PseudoTerminal {
  public:
    PseudoTerminal() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
            return;
        }
        char name[128];
        if (ptsname_r(m_master, name, sizeof name) == 0) {
            m_slavePath = name;
        }
    }
    ~PseudoTerminal() {
        if (m_master >= 0) {
            close(m_master);
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Ok() const { return m_master >= 0 && !m_slavePath.empty(); }
    int Master() const { return m_master; }
    // The device path of the near end, e.g. /dev/pts/3.
    const std::string& SlavePath() const { return m_slavePath; }
    // Opens the near end; the caller closes it.
    int OpenSlave() const { return open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC); }

  private:
    int m_master = -1;
    std::string m_slavePath;
};

}  // namespace kestrel::testing
