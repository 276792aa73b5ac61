// Readiness and queue queries (by the port's backend), the reopen back-off, time-outs and the
// break line.

#include <fcntl.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>

#include "port/ConnectionLoss.h"
#include "port/IOComm.h"
#include "port/OpenFailureText.h"
#include "port/PortBackend.h"
#include "port/PortLimits.h"
#include "port/SystemCalls.h"

namespace kestrel {

int IOComm::IsReady() {
    return Backend().IsReady();
}

void IOComm::ReopenAfterBackOff(uint32_t& delay) {
    Close();
    m_clock.Sleep(delay);
    delay += kRetryDelayStepMs;
    Open();
    delay = std::min(delay, kRetryDelayMaxMs);
}

int IOComm::InputPending() {
    if (!IsOpen() || m_connectionLost) {
        return 0;
    }
    errno = 0;
    const int queued = Backend().QueuedOutput();
    // A queue that cannot be read because the device has gone, or that the printer no longer
    // empties, ends the draining waits at once instead of making each of them wait in full.
    if (queued < 0 && IsConnectionGone(m_kind == KindTcp, errno)) {
        MarkConnectionLost(kInputPendingFailedText, errno);
        return 0;
    }
    if (CheckForStall(queued)) {
        return 0;
    }
    return Backend().InputPending(queued);
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
    if (m_handle == m_nonBlockingHandle) {
        return 1;  // the read tick changes time-outs for every byte: no call when nothing changes
    }
    const int fd = static_cast<int>(m_handle);
    const int flags = sys.Fcntl(fd, F_GETFL, 0);
    if (flags < 0) {
        return 0;
    }
    if ((flags & O_NONBLOCK) == 0 && sys.Fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        return 0;
    }
    m_nonBlockingHandle = m_handle;
    return 1;
}

int IOComm::SetBreak() {
    return Sys().Ioctl(static_cast<int>(m_handle), TIOCSBRK, nullptr) == 0 ? 1 : 0;
}

int IOComm::ClearBreak() {
    return Sys().Ioctl(static_cast<int>(m_handle), TIOCCBRK, nullptr) == 0 ? 1 : 0;
}

}  // namespace kestrel
