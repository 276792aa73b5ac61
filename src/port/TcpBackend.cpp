#include "port/TcpBackend.h"

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cerrno>

#include "port/IOComm.h"
#include "port/SocketWait.h"
#include "port/SystemCalls.h"

namespace kestrel {

namespace {

constexpr int kIoFlags = MSG_NOSIGNAL | MSG_DONTWAIT;
constexpr int kPendingNotReady = -2;

// Waits for `events` on a socket within the socket form of `timeoutValue`.
bool WaitSocket(SystemCalls& sys, int fd, short events, uint32_t timeoutValue) {
    pollfd entry{fd, events, 0};
    const timespec limit = SocketWaitLimit(timeoutValue);
    int result = 0;
    do {
        result = sys.Poll(&entry, 1, &limit);
    } while (result < 0 && errno == EINTR);
    return result > 0 && (entry.revents & (events | POLLHUP | POLLERR)) != 0;
}

}  // namespace

int TcpBackend::WriteRaw(const uint8_t* bytes, int count, uint32_t* written) {
    if (!WaitSocket(m_port.Sys(), m_port.m_socket, POLLOUT,
                    m_port.m_timeouts.WriteTotalTimeoutConstant)) {
        errno = EAGAIN;  // not writable in time: the connection may still be there
        return 0;
    }
    const ssize_t sent =
        m_port.Sys().Send(m_port.m_socket, bytes, static_cast<size_t>(count), kIoFlags);
    if (sent < 0) {
        return 0;
    }
    *written = static_cast<uint32_t>(sent);
    return 1;
}

int TcpBackend::ReadRaw(uint8_t* buffer, int size, uint32_t* count) {
    *count = 0;
    if (!WaitSocket(m_port.Sys(), m_port.m_socket, POLLIN,
                    m_port.m_timeouts.ReadTotalTimeoutConstant)) {
        return 0;
    }
    const ssize_t received =
        m_port.Sys().Recv(m_port.m_socket, buffer, static_cast<size_t>(size), kIoFlags);
    if (received == 0 && size > 0) {
        errno = ECONNRESET;  // readable with nothing to read: the printer closed its end
        return 0;
    }
    if (received < 0) {
        return 0;
    }
    *count = static_cast<uint32_t>(received);
    return 1;
}

int TcpBackend::ReadAvailable(uint8_t* buffer, int /*wanted*/, int capacity, uint32_t* count) {
    return ReadRaw(buffer, capacity, count);  // one receive takes whatever has arrived
}

int TcpBackend::IsReady() {
    return m_port.m_socket >= 0 ? 1 : 0;
}

int TcpBackend::QueuedOutput() {
    if (m_port.m_socket < 0) {
        return 0;
    }
    // Bytes not yet sent. Not SIOCOUTQ, which also counts bytes the peer has not yet
    // acknowledged: a draining wait on it would wait for the printer's delayed ACK.
    int queued = 0;
    return m_port.Sys().Ioctl(m_port.m_socket, SIOCOUTQNSD, &queued) == 0 ? queued : -1;
}

int TcpBackend::InputPending(int queued) {
    if (m_port.m_socket < 0) {
        return 0;
    }
    return queued >= 0 ? queued : kPendingNotReady;
}

}  // namespace kestrel
