#include "sim/SimServer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "sim/ControlCommands.h"
#include "sim/TcpListener.h"

namespace kestrel {
namespace {

constexpr size_t kReadChunk = 4096;
constexpr int kMaxChunksPerWake = 64;  // then give the other descriptors a turn
constexpr int kMaxPollWaitMs = 1000;

}  // namespace

SimServer::SimServer(SimOptions options, LogSink notice, LogSink verbose)
    : m_options(std::move(options)),
      m_notice(std::move(notice)),
      m_started(std::chrono::steady_clock::now()),
      m_printer(m_options.printer, m_options.verbose ? std::move(verbose) : nullptr),
      m_control([this](std::string_view line) { return RunControlCommand(line, m_printer); }) {}

SimServer::~SimServer() {
    m_tcpWire.reset();
    m_ptyWire.reset();
    for (const int fd : {m_tcpListener, m_wakeRead, m_wakeWrite}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

uint64_t SimServer::Now() const {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - m_started)
                                     .count());
}

bool SimServer::Open(std::string& error) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = "cannot create the wake-up pipe";
        return false;
    }
    m_wakeRead = pipeFds[0];
    m_wakeWrite = pipeFds[1];
    for (const std::string& fault : m_options.faults) {
        const std::string answer = RunControlCommand(fault, m_printer);
        if (answer.rfind("ok", 0) != 0) {
            error = "--fault '" + fault + "': " + answer;
            return false;
        }
    }
    if (!m_options.recordPath.empty() && !m_recorder.Open(m_options.recordPath, error)) {
        return false;
    }
    m_tcpListener = OpenTcpListener(m_options.tcpAddress, error);
    if (m_tcpListener < 0 || !m_control.Open(m_options.controlAddress, error)) {
        return false;
    }
    if (!m_options.ptyPath.empty()) {
        if (!m_pty.Open(m_options.ptyPath, error)) {
            return false;
        }
        m_ptyWire = MakePtyWire();
    }
    return true;
}

std::unique_ptr<Wire> SimServer::MakePtyWire() {
    return std::make_unique<Wire>(m_pty.MasterFd(), Wire::Kind::PtyMaster,
                                  "pty " + m_pty.SlaveName(),
                                  [this](std::span<const uint8_t> bytes) {
                                      m_recorder.Record(RecordDirection::Sent, bytes, Now());
                                  });
}

std::string SimServer::TcpAddress() const {
    return LocalAddress(m_tcpListener);
}

std::string SimServer::ControlAddress() const {
    return m_control.Address();
}

std::string SimServer::ListeningText() const {
    std::string text = "tcp " + TcpAddress() + "\n";
    if (m_ptyWire) {
        text += "pty " + m_pty.LinkPath() + " -> " + m_pty.SlaveName() + "\n";
    }
    text += "control " + ControlAddress() + "\n";
    return text;
}

void SimServer::RequestStop() {
    m_stopRequested = true;
    const char byte = 0;
    (void)!write(m_wakeWrite, &byte, 1);
}

void SimServer::CollectPollFds(std::vector<pollfd>& fds) const {
    fds.push_back({m_wakeRead, POLLIN, 0});
    if (!m_tcpWire) {
        fds.push_back({m_tcpListener, POLLIN, 0});
    }
    for (const Wire* wire : {m_tcpWire.get(), m_ptyWire.get()}) {
        if (wire != nullptr) {
            fds.push_back(
                {wire->Fd(), static_cast<short>(POLLIN | (wire->WantsWrite() ? POLLOUT : 0)), 0});
        }
    }
    m_control.CollectPollFds(fds);
}

int SimServer::PollTimeout(uint64_t now) const {
    const uint64_t deadline = m_printer.NextDeadline();
    if (deadline == 0) {
        return kMaxPollWaitMs;
    }
    return deadline <= now ? 0
                           : static_cast<int>(std::min<uint64_t>(deadline - now, kMaxPollWaitMs));
}

void SimServer::Run() {
    std::vector<pollfd> fds;
    while (!m_stopRequested) {
        fds.clear();
        CollectPollFds(fds);
        const int ready = poll(fds.data(), fds.size(), PollTimeout(Now()));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        for (const pollfd& entry : fds) {
            if (entry.revents == 0) {
                continue;
            }
            if (entry.fd == m_wakeRead) {
                HandleWakeUp();
            } else if (entry.fd == m_tcpListener && !m_tcpWire) {
                AcceptConsole();
            } else if (m_tcpWire && entry.fd == m_tcpWire->Fd()) {
                ServeWire(m_tcpWire, entry.revents, false);
            } else if (m_ptyWire && entry.fd == m_ptyWire->Fd()) {
                ServeWire(m_ptyWire, entry.revents, true);
            }
        }
        m_control.Dispatch(fds);
        ApplyPendingDrop();
        Broadcast(m_printer.Tick(Now()));
    }
}

void SimServer::HandleWakeUp() {
    char buffer[64];
    while (read(m_wakeRead, buffer, sizeof buffer) > 0) {
    }
}

void SimServer::AcceptConsole() {
    std::string peer;
    const int fd = AcceptConnection(m_tcpListener, peer);
    if (fd < 0) {
        return;
    }
    m_tcpWire = std::make_unique<Wire>(fd, Wire::Kind::Socket, "tcp " + peer,
                                       [this](std::span<const uint8_t> bytes) {
                                           m_recorder.Record(RecordDirection::Sent, bytes, Now());
                                       });
    m_recorder.Note("connect " + m_tcpWire->Name(), Now());
}

void SimServer::ServeWire(std::unique_ptr<Wire>& wire, short events, bool isPty) {
    if ((events & POLLOUT) && !wire->Flush()) {
        DropWire(wire, isPty, "write failed");
        return;
    }
    if (!(events & (POLLIN | POLLHUP | POLLERR))) {
        return;
    }
    uint8_t buffer[kReadChunk];
    for (int chunk = 0; chunk < kMaxChunksPerWake && wire; ++chunk) {
        size_t count = 0;
        const WireRead result = wire->Read(buffer, sizeof buffer, count);
        if (result == WireRead::NothingYet) {
            return;
        }
        if (result == WireRead::Closed) {
            DropWire(wire, isPty, "closed");
            return;
        }
        OnBytes(wire, std::span<const uint8_t>(buffer, count), isPty);
    }
}

void SimServer::OnBytes(std::unique_ptr<Wire>& wire, std::span<const uint8_t> bytes, bool isPty) {
    FaultState& faults = m_printer.Faults();
    bool drop = false;
    if (faults.dropAfterBytes != kNoDrop) {
        const auto remaining = static_cast<size_t>(faults.dropAfterBytes);
        if (bytes.size() >= remaining) {
            bytes = bytes.first(remaining);
            faults.dropAfterBytes = kNoDrop;
            drop = true;
        } else {
            faults.dropAfterBytes -= static_cast<int64_t>(bytes.size());
        }
    }
    const uint64_t now = Now();
    m_recorder.Record(RecordDirection::Received, bytes, now);
    if (m_lastInput != wire.get()) {
        m_printer.ResetInput();
        m_lastInput = wire.get();
    }
    const std::vector<uint8_t> reply = m_printer.Receive(bytes, now);
    if (drop) {
        DropWire(wire, isPty, "dropped on request");
    } else if (!reply.empty() && !wire->Send(reply)) {
        DropWire(wire, isPty, "write failed");
    }
}

void SimServer::DropWire(std::unique_ptr<Wire>& wire, bool isPty, const std::string& why) {
    m_recorder.Note("disconnect " + wire->Name() + " (" + why + ")", Now());
    if (m_lastInput == wire.get()) {
        m_printer.ResetInput();
        m_lastInput = nullptr;
    }
    if (isPty) {
        wire.reset();
        ReopenPty();
        return;
    }
    wire.reset();
}

void SimServer::ReopenPty() {
    std::string error;
    if (!m_pty.Reopen(error)) {
        m_notice("pty lost: " + error);
        return;
    }
    m_ptyWire = MakePtyWire();
    m_recorder.Note("connect " + m_ptyWire->Name(), Now());
    m_notice("pty " + m_pty.LinkPath() + " -> " + m_pty.SlaveName());
}

void SimServer::ApplyPendingDrop() {
    if (m_printer.Faults().dropAfterBytes != 0) {
        return;
    }
    if (m_tcpWire) {
        DropWire(m_tcpWire, false, "dropped on request");
        m_printer.Faults().dropAfterBytes = kNoDrop;
    }
    if (m_ptyWire) {
        DropWire(m_ptyWire, true, "dropped on request");
        m_printer.Faults().dropAfterBytes = kNoDrop;
    }
}

void SimServer::Broadcast(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        return;
    }
    for (auto* wire : {&m_tcpWire, &m_ptyWire}) {
        if (*wire && !(*wire)->Send(bytes)) {
            DropWire(*wire, wire == &m_ptyWire, "write failed");
        }
    }
}

}  // namespace kestrel
