// The lost connection: the errors that mean it, the printer that stopped taking bytes, and the
// wait for the output to leave.
#include "port/ConnectionLoss.h"

#include <cerrno>

#include "port/IOComm.h"
#include "port/OpenFailureText.h"
#include "port/PortBackend.h"

namespace kestrel {

namespace {

constexpr uint32_t kLeaveWaitMs = 10;
constexpr uint32_t kMillisecondsPerSecond = 1000;

}  // namespace

bool IsConnectionGone(bool tcp, int error) {
    if (error == EIO || error == ENXIO || error == ENODEV || error == EBADF) {
        return true;
    }
    return tcp && (error == EPIPE || error == ECONNRESET || error == ENOTCONN);
}

void IOComm::MarkConnectionLost(const char* prefix, int error) {
    RecordFailure(prefix, error);
    m_lastError +=
        m_kind == KindTcp ? " (the printer closed the connection)" : " (the device has gone)";
    m_connectionLost = true;
}

bool IOComm::CheckForStall(int queued) {
    if (!m_stall.Stalled(queued, m_clock.GetTickCount(), m_stallLimitMs)) {
        return false;
    }
    RecordFailure(kOutputFailedText, ETIMEDOUT);
    const uint32_t seconds = m_stallLimitMs / kMillisecondsPerSecond;
    m_lastError += " (the printer took nothing for " +
                   (seconds > 0 ? std::to_string(seconds) + " seconds"
                                : std::to_string(m_stallLimitMs) + " ms") +
                   ")";
    m_connectionLost = true;
    return true;
}

int IOComm::WaitForOutputToLeave() {
    for (;;) {
        if (!IsOpen()) {
            return 0;
        }
        errno = 0;
        const int queued = Backend().QueuedOutput();
        if (queued < 0 && IsConnectionGone(m_kind == KindTcp, errno)) {
            MarkConnectionLost(kInputPendingFailedText, errno);
        }
        if (queued <= 0 || m_connectionLost || CheckForStall(queued)) {
            return queued > 0 ? queued : 0;
        }
        m_clock.Sleep(kLeaveWaitMs);
    }
}

}  // namespace kestrel
