#include "sim/Wire.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace kestrel {

Wire::Wire(int fd, Kind kind, std::string name, WrittenHandler onWritten)
    : m_fd(fd), m_kind(kind), m_name(std::move(name)), m_onWritten(std::move(onWritten)) {}

Wire::~Wire() {
    if (m_kind == Kind::Socket && m_fd >= 0) {
        close(m_fd);
    }
}

bool Wire::Send(std::span<const uint8_t> bytes) {
    if (m_queue.size() + bytes.size() > kMaxQueuedOutput) {
        m_dropped += bytes.size();
        return true;
    }
    m_queue.insert(m_queue.end(), bytes.begin(), bytes.end());
    return Flush();
}

bool Wire::Flush() {
    while (!m_queue.empty()) {
        const ssize_t written = m_kind == Kind::Socket
                                    ? send(m_fd, m_queue.data(), m_queue.size(), MSG_NOSIGNAL)
                                    : write(m_fd, m_queue.data(), m_queue.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        const auto count = static_cast<size_t>(written);
        if (m_onWritten) {
            m_onWritten(std::span<const uint8_t>(m_queue.data(), count));
        }
        m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<long>(count));
    }
    return true;
}

WireRead Wire::Read(uint8_t* buffer, size_t size, size_t& count) {
    for (;;) {
        const ssize_t got = read(m_fd, buffer, size);
        if (got > 0) {
            count = static_cast<size_t>(got);
            return WireRead::Data;
        }
        if (got == 0) {
            return WireRead::Closed;
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK ? WireRead::NothingYet : WireRead::Closed;
    }
}

}  // namespace kestrel
