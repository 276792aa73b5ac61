// A pseudo-terminal standing in for the printer's serial port: the simulator keeps the master,
// the console opens the slave through a symbolic link at a path of the user's choice.
#pragma once

#include <string>

namespace kestrel {

class PtyLink {
  public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Opens a new pair in raw mode and points `linkPath` at its slave, replacing an existing
    // symbolic link there (never any other kind of file). Returns false with a message.
    bool Open(const std::string& linkPath, std::string& error);
    // A fresh pair behind the same link: whoever held the old slave sees it hang up, by which
    // time the link already points at the new one.
    bool Reopen(std::string& error);
    // Closes the pair and removes the link if it still points at our slave.
    void Close();

    int MasterFd() const { return m_pair.master; }
    const std::string& SlaveName() const { return m_pair.slaveName; }
    const std::string& LinkPath() const { return m_linkPath; }

  private:
    struct Pair {
        int master = -1;
        int slave = -1;  // held open so the master never reads EIO while the console is away
        std::string slaveName;
    };

    static bool OpenPair(Pair& pair, std::string& error);
    static void ClosePair(Pair& pair);

    Pair m_pair;
    std::string m_linkPath;
};

}  // namespace kestrel
