// A listening socket on the loopback interface, standing for the printer in TCP/IP tests.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "port/PeerReader.h"
#include "support/LoopbackListener.h"

namespace kestrel::testing {

class LoopbackPrinter {
  public:
    LoopbackPrinter() { m_listener = ListenOnLoopback(4, &m_port); }
    ~LoopbackPrinter() {
        CloseConnection();
        close(m_listener);
    }

    uint16_t Port() const { return m_port; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

    bool Accept() {
        pollfd entry{m_listener, POLLIN, 0};
        if (poll(&entry, 1, 2000) <= 0) {
            return false;
        }
        m_connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        return m_connection >= 0;
    }
    void CloseConnection() {
        if (m_connection >= 0) {
            close(m_connection);
            m_connection = -1;
        }
    }
    std::string Receive(size_t expected) { return ReadFromPeer(m_connection, expected); }
    // Reads and drops everything until the port closes the connection.
    void DrainUntilClosed() {
        char sink[256 * 1024];
        while (recv(m_connection, sink, sizeof sink, 0) > 0) {
        }
    }
    bool Send(const std::string& text) {
        return send(m_connection, text.data(), text.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(text.size());
    }

  private:
    int m_listener = -1;
    int m_connection = -1;
    uint16_t m_port = 0;
};

}  // namespace kestrel::testing
