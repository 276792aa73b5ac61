// The simulator's event loop: one thread, one poll() over the TCP listener, the console's
// connection, the pseudo-terminal, the control channel and a wake-up pipe, with the printer's
// timers as the poll time-out. Run() may go on another thread; RequestStop() ends it from
// anywhere, a signal handler included.
#pragma once

#include <poll.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/ControlChannel.h"
#include "sim/PtyLink.h"
#include "sim/Recorder.h"
#include "sim/SimOptions.h"
#include "sim/SimPrinter.h"
#include "sim/Wire.h"

namespace kestrel {

class SimServer {
  public:
    using LogSink = std::function<void(const std::string&)>;

    // `notice` gets what a user should see while it runs (a replaced pseudo-terminal); `verbose`
    // the packet log, only with options.verbose.
    SimServer(SimOptions options, LogSink notice, LogSink verbose);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Opens the record file, the listeners and the pseudo-terminal and applies the start-up
    // faults. Returns false with a message.
    bool Open(std::string& error);
    // The lines saying where it listens: "tcp HOST:PORT", "pty PATH -> /dev/pts/N",
    // "control HOST:PORT", each ending in a line feed.
    std::string ListeningText() const;
    std::string TcpAddress() const;
    std::string ControlAddress() const;

    // Serves until RequestStop().
    void Run();
    void RequestStop();

  private:
    uint64_t Now() const;
    void CollectPollFds(std::vector<pollfd>& fds) const;
    int PollTimeout(uint64_t now) const;
    void HandleWakeUp();
    void AcceptConsole();
    void ServeWire(std::unique_ptr<Wire>& wire, short events, bool isPty);
    void OnBytes(std::unique_ptr<Wire>& wire, std::span<const uint8_t> bytes, bool isPty);
    void DropWire(std::unique_ptr<Wire>& wire, bool isPty, const std::string& why);
    void ReopenPty();
    std::unique_ptr<Wire> MakePtyWire();
    void ApplyPendingDrop();
    void Broadcast(const std::vector<uint8_t>& bytes);

    SimOptions m_options;
    LogSink m_notice;
    std::chrono::steady_clock::time_point m_started;
    SimPrinter m_printer;
    Recorder m_recorder;
    ControlChannel m_control;
    PtyLink m_pty;
    int m_tcpListener = -1;
    std::unique_ptr<Wire> m_tcpWire;
    std::unique_ptr<Wire> m_ptyWire;
    const Wire* m_lastInput = nullptr;  // the wire whose bytes the printer's framer holds
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    std::atomic<bool> m_stopRequested{false};
};

}  // namespace kestrel
