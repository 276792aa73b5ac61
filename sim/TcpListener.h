// Listening TCP sockets for the console's connection and the control channel (IPv4).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// Parses "HOST:PORT" (HOST a dotted IPv4 address or "localhost", PORT 0-65535).
bool ParseTcpAddress(std::string_view text, std::string& host, uint16_t& port, std::string& error);

// A non-blocking listening socket on the address; -1 with a message in `error` on failure.
int OpenTcpListener(std::string_view address, std::string& error);

// Accepts one waiting connection as a non-blocking socket; -1 when none is waiting.
int AcceptConnection(int listenerFd, std::string& peer);

// "127.0.0.1:40123": the address a socket is bound to.
std::string LocalAddress(int fd);

}  // namespace kestrel
