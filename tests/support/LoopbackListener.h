// Listening TCP sockets on free loopback ports, for tests that play the printer's side: one that
// answers, one that never reads, and one that never answers.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::testing {

// Returns the listening socket (or -1) and its port in `port`.
inline int ListenOnLoopback(int backlog, uint16_t* port) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, backlog);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return listener;
}

// A printer that has stopped listening: a listener whose connections the kernel completes and
// fills with a few kilobytes, and that nobody ever reads.
inline int ListenWithoutReading(uint16_t* port) {
    const int listener = ListenOnLoopback(4, port);
    const int smallBuffer = 2048;
    setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &smallBuffer, sizeof smallBuffer);
    return listener;
}

// A listener whose queue of connections is full: the kernel drops further connection requests
// and retries them for about two minutes.
class FullListener {
  public:
    FullListener() {
        uint16_t port = 0;
        m_listener = ListenOnLoopback(0, &port);
        m_address = "127.0.0.1:" + std::to_string(port);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        // Fill the queue until a connection request stays unanswered.
        for (int i = 0; i < kMaxFillers; ++i) {
            const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            m_fillers.push_back(fd);
            if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                continue;
            }
            pollfd entry{fd, POLLOUT, 0};
            if (poll(&entry, 1, kUnansweredMs) == 0) {
                m_full = true;
                break;
            }
        }
    }
    ~FullListener() {
        for (const int fd : m_fillers) {
            close(fd);
        }
        close(m_listener);
    }
    bool Full() const { return m_full; }
    const std::string& Address() const { return m_address; }
    // Takes a waiting connection off the queue, when there is one, so the next request the
    // kernel retries is answered.
    void AcceptWaiting() {
        pollfd entry{m_listener, POLLIN, 0};
        if (poll(&entry, 1, 0) > 0) {
            m_fillers.push_back(accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC));
        }
    }

  private:
    static constexpr int kMaxFillers = 16;
    static constexpr int kUnansweredMs = 200;
    int m_listener = -1;
    std::vector<int> m_fillers;
    std::string m_address;
    bool m_full = false;
};

}  // namespace kestrel::testing
