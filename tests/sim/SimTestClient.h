// Test helpers for the simulator: a server on its own thread, a TCP client of the printer side
// and of the control channel, and bounded waits. Every wait gives up after kReplyWait.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimServer.h"
#include "sim/StatusBits.h"

namespace kestrel::testing {

inline constexpr std::chrono::milliseconds kReplyWait{2000};
// Long enough for several ticket phases; still bounded.
inline constexpr std::chrono::milliseconds kTicketWait{5000};

// Options for a test server: free loopback ports, short phases.
SimOptions TestOptions();

// A simulator serving on a thread of the test until the object goes away.
class SimRunner {
  public:
    explicit SimRunner(const SimOptions& options);
    ~SimRunner();
    bool Started() const { return m_started; }
    const std::string& Error() const { return m_error; }
    std::string TcpAddress() const { return m_server.TcpAddress(); }
    std::string ControlAddress() const { return m_server.ControlAddress(); }

  private:
    SimServer m_server;
    std::string m_error;
    bool m_started = false;
    std::thread m_thread;
};

// A byte stream client over TCP or over any open descriptor (a pseudo-terminal).
class StreamClient {
  public:
    StreamClient() = default;
    explicit StreamClient(int fd) : m_fd(fd) {}
    ~StreamClient();
    StreamClient(const StreamClient&) = delete;
    StreamClient& operator=(const StreamClient&) = delete;

    bool Connect(const std::string& address);
    void Close();
    bool Send(const std::vector<uint8_t>& bytes);
    bool SendText(const std::string& text);
    // The next complete Ventrix packet (or null packet), skipping nothing; nullopt on time-out
    // or when the bytes at the front are not a packet.
    std::optional<std::vector<uint8_t>> ReadVentrixPacket(
        std::chrono::milliseconds wait = kReplyWait);
    std::optional<std::vector<uint8_t>> ReadSerialPacket(
        std::chrono::milliseconds wait = kReplyWait);
    // Exactly `count` bytes, or nullopt on time-out.
    std::optional<std::vector<uint8_t>> ReadBytes(size_t count,
                                                  std::chrono::milliseconds wait = kReplyWait);
    std::optional<std::string> ReadLine(std::chrono::milliseconds wait = kReplyWait);
    // True when the peer closes the stream within the wait (bytes before that are dropped).
    bool WaitClosed(std::chrono::milliseconds wait = kReplyWait);
    const std::vector<uint8_t>& Pending() const { return m_pending; }

  private:
    // Reads what arrives within the wait into m_pending; false on time-out or close.
    bool Fill(std::chrono::steady_clock::time_point deadline);

    int m_fd = -1;
    bool m_closed = false;
    std::vector<uint8_t> m_pending;
};

// The control channel: one command, one answer line.
class ControlClient {
  public:
    bool Connect(const std::string& address) { return m_stream.Connect(address); }
    std::string Command(const std::string& line);

  private:
    StreamClient m_stream;
};

// The value of "name=value" in a status answer, or "" when absent.
std::string StatusField(const std::string& statusAnswer, const std::string& name);

// A Ventrix request as the console frames it: start byte, type with sequence bits, length, CRC.
std::vector<uint8_t> ConsolePacket(uint8_t type, const std::vector<uint8_t>& payload = {},
                                   int sequence = 0);
// The monitor's Clear-all after framing.
std::vector<uint8_t> ClearAllPacket(int sequence);

// The five status bytes of a status packet, found as the console finds them: after the third
// "|" counted from the packet's first byte. nullopt when the packet does not hold them.
std::optional<PrinterStatus> ReadStatusBytes(const std::vector<uint8_t>& packet);
// True when the packet's CRC-16/KERMIT (low byte first) matches its bytes.
bool VentrixCrcMatches(const std::vector<uint8_t>& packet);

// Polls `condition` until it holds or the wait runs out.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds wait = kReplyWait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace kestrel::testing
