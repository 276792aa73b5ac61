// The TCP/IP port: connecting and remembering the address. Sending and receiving are in
// TcpBackend.cpp.

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/NumberText.h"
#include "port/IOComm.h"
#include "port/OpenFailureText.h"
#include "port/PortLimits.h"
#include "port/RememberedTcpText.h"
#include "port/SystemCalls.h"
#include "port/TimedIo.h"

namespace kestrel {

namespace {

// How often a caller waiting for a connection is told it still waits.
constexpr int kConnectProgressMs = 50;

bool IsNumericHost(const std::string& host) {
    return !host.empty() && host.find_first_not_of("0123456789.") == std::string::npos;
}

// The IPv4 address of a host text: dotted numbers (never looked up as a name), else the name
// looked up.
bool HostAddress(const std::string& host, in_addr* address) {
    if (IsNumericHost(host)) {
        return inet_aton(host.c_str(), address) != 0;
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

// Connects the non-blocking socket within `limitMs`; 0 or the error code. `waiting`,
// when given, is called before the wait and about every kConnectProgressMs during it.
int ConnectWithinLimit(SystemCalls& sys, int fd, const sockaddr_in& peer, int limitMs,
                       const std::function<void()>& waiting) {
    if (sys.Connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        return 0;
    }
    if (errno != EINPROGRESS) {
        return errno;
    }
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (waiting) {
            waiting();
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count();
        if (elapsed >= limitMs) {
            return ETIMEDOUT;
        }
        const int left = limitMs - static_cast<int>(elapsed);
        short revents = 0;
        const int ready = WaitForDescriptor(
            sys, fd, POLLOUT, waiting ? std::min(left, kConnectProgressMs) : left, &revents);
        if (ready < 0) {
            return errno;
        }
        if (ready > 0) {
            break;
        }
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (sys.GetSocketOption(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        return errno;
    }
    return error;
}

}  // namespace

long IOComm::OpenTcp() {
    const std::string address = ResolveTcpPort(m_port);
    if (address.find(':') == std::string::npos) {
        return 0;
    }
    if (m_socket >= 0) {
        if (address == m_connectedAddress) {
            return 1;
        }
        CloseSocket();  // a new address never inherits the connection to another one
    }
    const std::optional<HostAndPort> target = SplitHostAndPort(address);
    in_addr hostAddress{};
    if (!target || !HostAddress(target->host, &hostAddress)) {
        return 0;
    }
    SystemCalls& sys = Sys();
    const int fd = KeepAboveStandardStreams(
        sys, sys.Socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd < 0) {
        return 0;
    }
    m_peer = sockaddr_in{};
    m_peer.sin_family = AF_INET;
    m_peer.sin_port = htons(target->port);
    m_peer.sin_addr = hostAddress;
    std::function<void()> waiting;
    if (m_onConnectWait) {
        waiting = [this, &address] { m_onConnectWait(address); };
    }
    const int limitMs = static_cast<int>(std::min<uint32_t>(m_connectLimitMs, INT32_MAX));
    const int error = ConnectWithinLimit(sys, fd, m_peer, limitMs, waiting);
    if (error != 0) {
        sys.Close(fd);
        m_socket = kInvalidSocket;
        RecordFailure(kOpenFailedText, error);
        if (error == ECONNREFUSED) {
            m_lastError += " (" + address + " refused the connection)";
        } else if (error == ETIMEDOUT) {
            m_lastError += " (" + address + " did not accept the connection within " +
                           (limitMs >= 1000 && limitMs % 1000 == 0
                                ? std::to_string(limitMs / 1000) + " seconds)"
                                : std::to_string(limitMs) + " ms)");
        }
        return 0;
    }
    m_socket = fd;
    m_connectedAddress = address;
    RememberTcpAddress(address);
    const int reuse = 1;
    sys.SetSocketOption(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    // A Ventrix start byte goes out alone: without this, the rest of its packet would wait in
    // the queue for the printer's (delayed) acknowledgement of that byte.
    const int noDelay = 1;
    sys.SetSocketOption(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
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

}  // namespace kestrel
