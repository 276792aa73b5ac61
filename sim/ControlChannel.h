// The control channel: a TCP listener on loopback whose clients type one command a line and get
// one answer line each. Several clients may be connected at once, up to a limit.
#pragma once

#include <poll.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/Wire.h"

namespace kestrel {

inline constexpr size_t kMaxControlClients = 8;
inline constexpr size_t kMaxControlLine = 512;

class ControlChannel {
  public:
    using CommandHandler = std::function<std::string(std::string_view line)>;

    explicit ControlChannel(CommandHandler handler) : m_handler(std::move(handler)) {}
    ~ControlChannel();
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    bool Open(std::string_view address, std::string& error);
    std::string Address() const;

    // Adds the descriptors to wait on, then handles what the wait reported for them.
    void CollectPollFds(std::vector<pollfd>& fds) const;
    void Dispatch(const std::vector<pollfd>& fds);

  private:
    struct Client {
        std::unique_ptr<Wire> wire;
        std::string line;
        bool overlong = false;  // the current line is past the limit; answered at its end
    };

    void AcceptClients();
    // False when the client is gone.
    bool ServeClient(Client& client, short events);
    bool TakeLines(Client& client, std::string_view bytes);

    CommandHandler m_handler;
    int m_listener = -1;
    std::vector<Client> m_clients;
};

}  // namespace kestrel
