#include "SimTestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "sim/TcpListener.h"
#include "status/Crc16.h"
#include "status/SerialPacket.h"
#include "status/StatusPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel::testing {
namespace {

constexpr uint64_t kTestPhaseMs = 20;

std::optional<std::vector<uint8_t>> TakeFront(std::vector<uint8_t>& pending, int length) {
    std::vector<uint8_t> front(pending.begin(), pending.begin() + length);
    pending.erase(pending.begin(), pending.begin() + length);
    return front;
}

}  // namespace

SimOptions TestOptions() {
    SimOptions options;
    options.tcpAddress = "127.0.0.1:0";
    options.controlAddress = "127.0.0.1:0";
    options.printer.phaseMilliseconds = kTestPhaseMs;
    return options;
}

SimRunner::SimRunner(const SimOptions& options)
    : m_server(
          options, [](const std::string&) {}, [](const std::string&) {}) {
    m_started = m_server.Open(m_error);
    if (m_started) {
        m_thread = std::thread([this] { m_server.Run(); });
    }
}

SimRunner::~SimRunner() {
    if (m_thread.joinable()) {
        m_server.RequestStop();
        m_thread.join();
    }
}

StreamClient::~StreamClient() {
    Close();
}

void StreamClient::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

bool StreamClient::Connect(const std::string& address) {
    Close();
    std::string host;
    uint16_t port = 0;
    std::string error;
    if (!ParseTcpAddress(address, host, port, error)) {
        return false;
    }
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &socketAddress.sin_addr);
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_closed = false;
    m_pending.clear();
    return m_fd >= 0 && connect(m_fd, reinterpret_cast<const sockaddr*>(&socketAddress),
                                sizeof socketAddress) == 0;
}

bool StreamClient::Send(const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = write(m_fd, bytes.data() + sent, bytes.size() - sent);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool StreamClient::SendText(const std::string& text) {
    return Send(std::vector<uint8_t>(text.begin(), text.end()));
}

bool StreamClient::Fill(std::chrono::steady_clock::time_point deadline) {
    if (m_closed || m_fd < 0) {
        return false;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
        return false;
    }
    pollfd entry{m_fd, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
        return false;
    }
    uint8_t buffer[4096];
    const ssize_t n = read(m_fd, buffer, sizeof buffer);
    if (n <= 0) {
        m_closed = n == 0 || errno != EAGAIN;
        return !m_closed;
    }
    m_pending.insert(m_pending.end(), buffer, buffer + n);
    return true;
}

std::optional<std::vector<uint8_t>> StreamClient::ReadVentrixPacket(
    std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const PacketScan scan =
            ScanVentrixPacket(m_pending.data(), static_cast<int>(m_pending.size()));
        if (scan.status == PacketScanStatus::NullPacket ||
            scan.status == PacketScanStatus::Complete) {
            return TakeFront(m_pending, scan.length);
        }
        if (scan.status != PacketScanStatus::NeedMore || !Fill(deadline)) {
            return std::nullopt;
        }
    }
}

std::optional<std::vector<uint8_t>> StreamClient::ReadSerialPacket(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const PacketScan scan =
            ScanSerialPacket(m_pending.data(), static_cast<int>(m_pending.size()));
        if (scan.status == PacketScanStatus::Complete) {
            return TakeFront(m_pending, scan.length);
        }
        if (scan.status != PacketScanStatus::NeedMore || !Fill(deadline)) {
            return std::nullopt;
        }
    }
}

std::optional<std::vector<uint8_t>> StreamClient::ReadBytes(size_t count,
                                                            std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (m_pending.size() < count) {
        if (!Fill(deadline)) {
            return std::nullopt;
        }
    }
    return TakeFront(m_pending, static_cast<int>(count));
}

std::optional<std::string> StreamClient::ReadLine(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        for (size_t i = 0; i < m_pending.size(); ++i) {
            if (m_pending[i] == '\n') {
                const auto line = TakeFront(m_pending, static_cast<int>(i + 1));
                return std::string(line->begin(), line->end() - 1);
            }
        }
        if (!Fill(deadline)) {
            return std::nullopt;
        }
    }
}

bool StreamClient::WaitClosed(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!m_closed) {
        if (!Fill(deadline) && !m_closed) {
            return false;
        }
        m_pending.clear();
    }
    return true;
}

std::string ControlClient::Command(const std::string& line) {
    if (!m_stream.SendText(line + "\n")) {
        return "(send failed)";
    }
    return m_stream.ReadLine().value_or("(no answer)");
}

std::string StatusField(const std::string& statusAnswer, const std::string& name) {
    const std::string key = " " + name + "=";
    const size_t start = statusAnswer.find(key);
    if (start == std::string::npos) {
        return "";
    }
    const size_t valueStart = start + key.size();
    return statusAnswer.substr(valueStart, statusAnswer.find(' ', valueStart) - valueStart);
}

std::vector<uint8_t> ConsolePacket(uint8_t type, const std::vector<uint8_t>& payload,
                                   int sequence) {
    const int count = 2 + static_cast<int>(payload.size());
    std::vector<uint8_t> buffer(static_cast<size_t>(count + kVentrixFramingBytes), 0);
    buffer[0] = kVentrixStartByte;
    buffer[1] = type;
    std::copy(payload.begin(), payload.end(), buffer.begin() + 2);
    SequenceState state;
    state.m_sequenceNumber = sequence;
    buffer.resize(static_cast<size_t>(FrameVentrixPacket(buffer.data(), count, state)));
    return buffer;
}

std::vector<uint8_t> ClearAllPacket(int sequence) {
    const std::string text = "0^C|^^C|j|^";
    return ConsolePacket(static_cast<uint8_t>(text[0]),
                         std::vector<uint8_t>(text.begin() + 1, text.end()), sequence);
}

std::optional<PrinterStatus> ReadStatusBytes(const std::vector<uint8_t>& packet) {
    return kestrel::ReadStatusBytes(packet.data(), static_cast<int>(packet.size()));
}

bool VentrixCrcMatches(const std::vector<uint8_t>& packet) {
    if (packet.size() < static_cast<size_t>(kVentrixMinimumLength)) {
        return false;
    }
    const size_t covered = packet.size() - 2;
    const uint16_t crc = Crc16Kermit(0, static_cast<int16_t>(covered), packet.data());
    return packet[covered] == (crc & 0xFF) && packet[covered + 1] == (crc >> 8);
}

}  // namespace kestrel::testing
