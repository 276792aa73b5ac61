// Readiness and queue queries, time-outs and the break line.

#include <fcntl.h>
#include <linux/lp.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>

#include "port/DebugMode.h"
#include "port/IOComm.h"
#include "port/PortLimits.h"
#include "port/SystemCalls.h"
#include "port/TimedIo.h"

namespace kestrel {

namespace {

// What InputPending says when the output queue cannot be read, or a device is not ready.
constexpr int kPendingUnknown = 200;
constexpr int kPendingNotReady = -2;

bool IsOpenSocket(int socket) {
    return socket != 0 && socket != kInvalidSocket;
}

// Paper out, off-line (not selected) or an error (the error line is active low).
bool ParallelStatusReady(int status) {
    return (status & LP_POUTPA) == 0 && (status & LP_PSELECD) != 0 && (status & LP_PERRORP) != 0;
}

}  // namespace

int IOComm::IsReady() {
    SystemCalls& sys = Sys();
    const int fd = static_cast<int>(m_handle);
    switch (m_kind) {
        case KindDevice: {
            // Writable is ready; a hang-up or error is the device's empty status answer.
            pollfd entry{fd, POLLOUT, 0};
            const timespec now{};
            const int result = sys.Poll(&entry, 1, &now);
            if (result < 0 || (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                Close();
                return 0;
            }
            return (entry.revents & POLLOUT) != 0 ? 1 : 0;
        }
        case KindUsbPrinter:
            return 1;
        case KindTcp:
            return IsOpenSocket(m_socket) ? 1 : 0;
        case KindSerial:
            if (m_handshake == HandshakeHardware) {
                return ModemStatusReady();
            }
            if (m_handshake == HandshakeXonXoff) {
                int queued = 0;
                return sys.Ioctl(fd, TIOCOUTQ, &queued) == 0 ? 1 : 0;
            }
            return 1;
        case KindParallel: {
            int status = 0;
            return sys.Ioctl(fd, LPGETSTATUS, &status) == 0 && ParallelStatusReady(status) ? 1 : 0;
        }
        default:
            return 1;
    }
}

int IOComm::ModemStatusReady() {
    SystemCalls& sys = Sys();
    int lines = 0;
    if (sys.Ioctl(static_cast<int>(m_handle), TIOCMGET, &lines) != 0) {
        ++s_statusFailures;
        if (s_statusFailures < kFailuresBeforeReopen) {
            return 0;
        }
        ReopenAfterBackOff(s_statusRetryDelay);
        if (!IsOpen() || sys.Ioctl(static_cast<int>(m_handle), TIOCMGET, &lines) != 0) {
            return 0;
        }
        s_statusRetryDelay = kRetryDelayStartMs;
        s_statusFailures = 0;
    }
    return (lines & TIOCM_DSR) != 0 ? 1 : 0;
}

void IOComm::ReopenAfterBackOff(uint32_t& delay) {
    Close();
    m_clock.Sleep(delay);
    delay += kRetryDelayStepMs;
    Open();
    delay = std::min(delay, kRetryDelayMaxMs);
}

int IOComm::InputPending() {
    SystemCalls& sys = Sys();
    int queued = 0;
    if (m_kind == KindTcp) {
        if (!IsOpenSocket(m_socket)) {
            return 0;
        }
        // Bytes not yet sent. Not SIOCOUTQ, which also counts bytes the peer has not yet
        // acknowledged: a draining wait on it would wait for the printer's delayed ACK.
        return sys.Ioctl(m_socket, SIOCOUTQNSD, &queued) == 0 ? queued : kPendingNotReady;
    }
    if (m_handle < 0) {
        return 0;
    }
    switch (m_kind) {
        case KindParallel:
            return 0;  // a parallel write is complete when it returns
        case KindDevice:
        case KindUsbPrinter:
            return IsReady() ? 0 : kPendingNotReady;
        default:
            if (sys.Ioctl(static_cast<int>(m_handle), TIOCOUTQ, &queued) == 0) {
                return queued;
            }
            return (m_debugMode & kDebugPendingFailureIsEmpty) != 0 ? 0 : kPendingUnknown;
    }
}

int IOComm::SetTimeouts(uint32_t total, uint32_t other) {
    if (m_kind == KindTcp) {
        total = std::max(total, kSocketTimeoutFloor);
        m_timeouts.ReadTotalTimeoutConstant = total;
        m_timeouts.WriteTotalTimeoutConstant = total;
        return 1;
    }
    m_timeouts.ReadTotalTimeoutConstant = total;
    m_timeouts.WriteTotalTimeoutConstant = total;
    m_timeouts.ReadTotalTimeoutMultiplier = other;
    m_timeouts.WriteTotalTimeoutMultiplier = other;
    m_timeouts.ReadIntervalTimeout = other;
    return m_handle >= 0 ? ApplyCommTimeouts() : 1;
}

// The time-outs are kept by the read and write loops, which wait in poll; the descriptor
// itself must never block.
int IOComm::ApplyCommTimeouts() {
    SystemCalls& sys = Sys();
    const int fd = static_cast<int>(m_handle);
    const int flags = sys.Fcntl(fd, F_GETFL, 0);
    if (flags < 0) {
        return 0;
    }
    if ((flags & O_NONBLOCK) != 0) {
        return 1;
    }
    return sys.Fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 ? 1 : 0;
}

int IOComm::SetBreak() {
    return Sys().Ioctl(static_cast<int>(m_handle), TIOCSBRK, nullptr) == 0 ? 1 : 0;
}

int IOComm::ClearBreak() {
    return Sys().Ioctl(static_cast<int>(m_handle), TIOCCBRK, nullptr) == 0 ? 1 : 0;
}

}  // namespace kestrel
