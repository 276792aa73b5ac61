#include "sim/ControlChannel.h"

#include <unistd.h>

#include <algorithm>

#include "sim/TcpListener.h"

namespace kestrel {
namespace {

constexpr size_t kReadChunk = 1024;
constexpr std::string_view kTooLong = "error: line too long";
constexpr std::string_view kTooMany = "error: too many control clients\n";

}  // namespace

ControlChannel::~ControlChannel() {
    if (m_listener >= 0) {
        close(m_listener);
    }
}

bool ControlChannel::Open(std::string_view address, std::string& error) {
    m_listener = OpenTcpListener(address, error);
    return m_listener >= 0;
}

std::string ControlChannel::Address() const {
    return LocalAddress(m_listener);
}

void ControlChannel::CollectPollFds(std::vector<pollfd>& fds) const {
    if (m_listener >= 0) {
        fds.push_back({m_listener, POLLIN, 0});
    }
    for (const Client& client : m_clients) {
        fds.push_back({client.wire->Fd(),
                       static_cast<short>(POLLIN | (client.wire->WantsWrite() ? POLLOUT : 0)), 0});
    }
}

void ControlChannel::Dispatch(const std::vector<pollfd>& fds) {
    for (const pollfd& entry : fds) {
        if (entry.revents == 0) {
            continue;
        }
        if (entry.fd == m_listener) {
            AcceptClients();
            continue;
        }
        const auto client = std::find_if(m_clients.begin(), m_clients.end(),
                                         [&](const Client& c) { return c.wire->Fd() == entry.fd; });
        if (client != m_clients.end() && !ServeClient(*client, entry.revents)) {
            m_clients.erase(client);
        }
    }
}

void ControlChannel::AcceptClients() {
    std::string peer;
    for (int fd = AcceptConnection(m_listener, peer); fd >= 0;
         fd = AcceptConnection(m_listener, peer)) {
        if (m_clients.size() >= kMaxControlClients) {
            (void)!write(fd, kTooMany.data(), kTooMany.size());
            close(fd);
            continue;
        }
        Client client;
        client.wire = std::make_unique<Wire>(fd, Wire::Kind::Socket, "control " + peer, nullptr);
        m_clients.push_back(std::move(client));
    }
}

bool ControlChannel::ServeClient(Client& client, short events) {
    if (events & POLLOUT) {
        if (!client.wire->Flush()) {
            return false;
        }
    }
    if (!(events & (POLLIN | POLLHUP | POLLERR))) {
        return true;
    }
    char buffer[kReadChunk];
    size_t count = 0;
    switch (client.wire->Read(reinterpret_cast<uint8_t*>(buffer), sizeof buffer, count)) {
        case WireRead::Data:
            return TakeLines(client, std::string_view(buffer, count));
        case WireRead::NothingYet:
            return true;
        case WireRead::Closed:
            return false;
    }
    return false;
}

bool ControlChannel::TakeLines(Client& client, std::string_view bytes) {
    for (const char c : bytes) {
        if (c != '\n') {
            if (client.line.size() < kMaxControlLine) {
                client.line += c;
            } else {
                client.overlong = true;
            }
            continue;
        }
        std::string answer = client.overlong ? std::string(kTooLong) : m_handler(client.line);
        answer += '\n';
        client.line.clear();
        client.overlong = false;
        if (!client.wire->Send(
                std::span(reinterpret_cast<const uint8_t*>(answer.data()), answer.size()))) {
            return false;
        }
    }
    return true;
}

}  // namespace kestrel
