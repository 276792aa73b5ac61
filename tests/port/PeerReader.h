// Reads what the port sent from the far end of a pseudo-terminal or socket, waiting a little
// for it to arrive (bounded: at most 100 waits of 50 ms).
#pragma once

#include <poll.h>
#include <unistd.h>

#include <string>

namespace kestrel::testing {

inline std::string ReadFromPeer(int fd, size_t expected) {
    std::string text;
    for (int round = 0; round < 100 && text.size() < expected; ++round) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, 50) > 0) {
            char buffer[4096];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            text.append(buffer, static_cast<size_t>(n));
        }
    }
    return text;
}

}  // namespace kestrel::testing
