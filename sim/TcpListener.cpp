#include "sim/TcpListener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/NumberText.h"

namespace kestrel {
namespace {

constexpr int kListenBacklog = 4;

std::string FormatAddress(const sockaddr_in& address) {
    char host[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &address.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(address.sin_port));
}

}  // namespace

bool ParseTcpAddress(std::string_view text, std::string& host, uint16_t& port, std::string& error) {
    const std::optional<HostAndPort> split = SplitHostAndPort(text);
    if (!split) {
        error = "'" + std::string(text) + "' is not HOST:PORT";
        return false;
    }
    host = split->host;
    if (host == "localhost") {
        host = "127.0.0.1";
    }
    in_addr probe{};
    if (inet_pton(AF_INET, host.c_str(), &probe) != 1) {
        error = "'" + host + "' is not an IPv4 address";
        return false;
    }
    port = split->port;
    return true;
}

int OpenTcpListener(std::string_view address, std::string& error) {
    std::string host;
    uint16_t port = 0;
    if (!ParseTcpAddress(address, host, port, error)) {
        return -1;
    }
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &socketAddress.sin_addr);

    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        return -1;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&socketAddress), sizeof socketAddress) != 0 ||
        listen(fd, kListenBacklog) != 0) {
        error = "cannot listen on " + std::string(address) + ": " + std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

int AcceptConnection(int listenerFd, std::string& peer) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    const int fd = accept4(listenerFd, reinterpret_cast<sockaddr*>(&address), &size,
                           SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd >= 0) {
        peer = FormatAddress(address);
    }
    return fd;
}

std::string LocalAddress(int fd) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return "?";
    }
    return FormatAddress(address);
}

}  // namespace kestrel
