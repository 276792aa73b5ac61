// The TCP/IP port: connecting, remembering the address, sending and receiving.

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>

#include "port/IOComm.h"
#include "port/PortLimits.h"
#include "port/RememberedTcpText.h"
#include "port/SocketWait.h"
#include "port/SystemCalls.h"

namespace kestrel {

namespace {

constexpr size_t kPortDigitsMax = 5;
constexpr int kIoFlags = MSG_NOSIGNAL | MSG_DONTWAIT;

// The IPv4 address of a host text: dotted numbers, else the name looked up.
bool HostAddress(const std::string& host, in_addr* address) {
    if (inet_pton(AF_INET, host.c_str(), address) == 1) {
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) {
        return false;
    }
    *address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

bool IsDecimal(const std::string& text) {
    return !text.empty() && text.size() <= kPortDigitsMax &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

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

long IOComm::OpenTcp() {
    const std::string address = ResolveTcpPort(m_port);
    const size_t colon = address.rfind(':');
    if (colon == std::string::npos) {
        return 0;
    }
    const std::string host = address.substr(0, colon);
    const std::string port = address.substr(colon + 1);
    if (m_socket != 0 && m_socket != kInvalidSocket) {
        return 1;
    }
    in_addr hostAddress{};
    if (!IsDecimal(port) || !HostAddress(host, &hostAddress)) {
        return 0;
    }
    SystemCalls& sys = Sys();
    const int fd =
        KeepAboveStandardStreams(sys, sys.Socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd < 0) {
        return 0;
    }
    m_peer = sockaddr_in{};
    m_peer.sin_family = AF_INET;
    m_peer.sin_port = htons(static_cast<uint16_t>(std::atoi(port.c_str())));
    m_peer.sin_addr = hostAddress;
    if (sys.Connect(fd, reinterpret_cast<const sockaddr*>(&m_peer), sizeof m_peer) != 0) {
        sys.Close(fd);
        m_socket = kInvalidSocket;
        m_error = 1;
        return 0;
    }
    m_socket = fd;
    RememberTcpAddress(address);
    const int reuse = 1;
    sys.SetSocketOption(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    SetTimeouts(kSocketTimeoutFloor, 0);
    m_error = 0;
    return 1;
}

void IOComm::RememberTcpAddress(const std::string& address) {
    const std::unique_ptr<SettingsKey> key = OpenSettingsKey();
    if (!key) {
        return;
    }
    uint8_t value[kRememberedTcpSize]{};
    key->ReadBinary(kRememberedTcpValue, value, sizeof value);
    if (AddRememberedTcpAddress(value, address) != RememberResult::AlreadyKnown) {
        key->SetBinary(kRememberedTcpValue, value, sizeof value);
    }
}

int IOComm::WriteTcp(const uint8_t* bytes, int count, uint32_t* written) {
    if (!WaitSocket(Sys(), m_socket, POLLOUT, m_timeouts.WriteTotalTimeoutConstant)) {
        return 0;
    }
    const ssize_t sent = Sys().Send(m_socket, bytes, static_cast<size_t>(count), kIoFlags);
    if (sent < 0) {
        return 0;
    }
    *written = static_cast<uint32_t>(sent);
    return 1;
}

int IOComm::ReadTcp(uint8_t* buffer, int size, uint32_t* count) {
    *count = 0;
    if (!WaitSocket(Sys(), m_socket, POLLIN, m_timeouts.ReadTotalTimeoutConstant)) {
        return 0;
    }
    const ssize_t received = Sys().Recv(m_socket, buffer, static_cast<size_t>(size), kIoFlags);
    if (received <= 0) {
        return 0;  // failed, or the peer closed the connection
    }
    *count = static_cast<uint32_t>(received);
    return 1;
}

}  // namespace kestrel
