// The vantor-sim program run by a test, its traffic recorded (--record) when a record file is
// named, and the bytes it received read back from the record file. Its control channel takes
// fault commands.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"
#include "support/LoopbackListener.h"

namespace kestrel::testing {

class SimProcess {
  public:
    // Starts the simulator on a free loopback port (or at `tcpAddress`), recording into
    // `recordPath` when one is given, with a pseudo-terminal linked at `ptyLink` when one is
    // given.
    explicit SimProcess(const std::string& program, const std::string& recordPath = "",
                        const std::string& ptyLink = "",
                        const std::string& tcpAddress = "127.0.0.1:0")
        : m_process(program, Arguments(recordPath, ptyLink, tcpAddress)) {
        // The first lines say where it listens: "tcp ADDRESS", "pty LINK -> DEVICE", "control".
        while (const auto line = m_process.ReadLine(std::chrono::milliseconds(5000))) {
            if (line->rfind("tcp ", 0) == 0) {
                m_tcpAddress = line->substr(4);
            } else if (line->rfind("control ", 0) == 0) {
                m_controlAddress = line->substr(8);
                break;
            }
        }
    }
    ~SimProcess() { m_process.Stop(); }

    bool Started() const { return !m_tcpAddress.empty(); }
    const std::string& TcpAddress() const { return m_tcpAddress; }

    // One control command; its one-line answer, or "" when there was none.
    std::string Control(const std::string& command) const {
        const int fd = ConnectTo(m_controlAddress);
        if (fd < 0) {
            return "";
        }
        const std::string line = command + "\n";
        send(fd, line.data(), line.size(), MSG_NOSIGNAL);
        std::string answer;
        char c = 0;
        pollfd entry{fd, POLLIN, 0};
        while (poll(&entry, 1, kAnswerWaitMs) > 0 && recv(fd, &c, 1, 0) == 1 && c != '\n') {
            answer += c;
        }
        close(fd);
        return answer;
    }

  private:
    static constexpr int kAnswerWaitMs = 2000;

    static int ConnectTo(const std::string& address) {
        const size_t colon = address.rfind(':');
        if (colon == std::string::npos) {
            return -1;
        }
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(static_cast<uint16_t>(std::stoi(address.substr(colon + 1))));
        inet_pton(AF_INET, address.substr(0, colon).c_str(), &peer.sin_addr);
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }

    static ChildProcess::Options Arguments(const std::string& recordPath,
                                           const std::string& ptyLink,
                                           const std::string& tcpAddress) {
        ChildProcess::Options options;
        options.args = {"--tcp", tcpAddress};
        if (!recordPath.empty()) {
            options.args.push_back("--record");
            options.args.push_back(recordPath);
        }
        if (!ptyLink.empty()) {
            options.args.push_back("--pty");
            options.args.push_back(ptyLink);
        }
        return options;
    }

    ChildProcess m_process;
    std::string m_tcpAddress;
    std::string m_controlAddress;
};

// The recorded lines of one direction ("rx": received from the console, "tx": sent to it),
// their bytes in order.
inline std::vector<uint8_t> RecordedBytes(const std::string& recordPath,
                                          const std::string& direction) {
    std::ifstream file(recordPath);
    std::vector<uint8_t> bytes;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string seconds;
        std::string seen;
        fields >> seconds >> seen;
        if (seconds.empty() || seconds[0] == '#' || seen != direction) {
            continue;
        }
        std::string pair;
        while (fields >> pair) {
            bytes.push_back(static_cast<uint8_t>(std::stoul(pair, nullptr, 16)));
        }
    }
    return bytes;
}

// Splits received bytes into Ventrix packets by their length bytes (start, type, length, ...);
// a tail that is not a whole packet is returned as a packet of its own.
inline std::vector<std::vector<uint8_t>> SplitVentrixPackets(const std::vector<uint8_t>& bytes) {
    std::vector<std::vector<uint8_t>> packets;
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t length = at + 2 < bytes.size() ? bytes[at + 2] : bytes.size() - at;
        const size_t end = length == 0 || at + length > bytes.size() ? bytes.size() : at + length;
        packets.emplace_back(bytes.begin() + static_cast<long>(at),
                             bytes.begin() + static_cast<long>(end));
        at = end;
    }
    return packets;
}

// The received packets once `count` whole ones are in the record (or what is there when the
// wait runs out).
inline std::vector<std::vector<uint8_t>> WaitForVentrixPackets(const std::string& recordPath,
                                                               size_t count,
                                                               std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        std::vector<std::vector<uint8_t>> packets =
            SplitVentrixPackets(RecordedBytes(recordPath, "rx"));
        const bool whole = packets.size() > count ||
                           (packets.size() == count &&
                            (count == 0 || (packets.back().size() >= 3 &&
                                            packets.back().size() == packets.back()[2])));
        if (whole || std::chrono::steady_clock::now() >= deadline) {
            return packets;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// A loopback address nobody listens on: a port bound, read and released.
inline std::string RefusingLoopbackAddress() {
    uint16_t port = 0;
    close(ListenOnLoopback(0, &port));
    return "127.0.0.1:" + std::to_string(port);
}

}  // namespace kestrel::testing
