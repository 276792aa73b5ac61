#include "port/SerialBackend.h"

#include <sys/ioctl.h>

#include "port/DebugMode.h"
#include "port/IOComm.h"
#include "port/PortLimits.h"
#include "port/SystemCalls.h"
#include "port/TimedIo.h"

namespace kestrel {

namespace {
// What InputPending says when the output queue cannot be read.
constexpr int kPendingUnknown = 200;
}  // namespace

int SerialBackend::WriteRaw(const uint8_t* bytes, int count, uint32_t* written) {
    return WriteWithTimeouts(m_port.Sys(), static_cast<int>(m_port.m_handle), bytes, count,
                             m_port.m_timeouts, written);
}

int SerialBackend::ReadRaw(uint8_t* buffer, int size, uint32_t* count) {
    return ReadWithTimeouts(m_port.Sys(), static_cast<int>(m_port.m_handle), buffer, size,
                            m_port.m_timeouts, count);
}

int SerialBackend::ReadAvailable(uint8_t* buffer, int wanted, int capacity, uint32_t* count) {
    return ReadWithTimeouts(m_port.Sys(), static_cast<int>(m_port.m_handle), buffer, wanted,
                            m_port.m_timeouts, count, capacity);
}

int SerialBackend::IsReady() {
    if (m_port.m_handshake == HandshakeHardware) {
        return ModemStatusReady();
    }
    if (m_port.m_handshake == HandshakeXonXoff) {
        int queued = 0;
        return m_port.Sys().Ioctl(static_cast<int>(m_port.m_handle), TIOCOUTQ, &queued) == 0 ? 1
                                                                                             : 0;
    }
    return 1;
}

int SerialBackend::ModemStatusReady() {
    SystemCalls& sys = m_port.Sys();
    int lines = 0;
    if (sys.Ioctl(static_cast<int>(m_port.m_handle), TIOCMGET, &lines) != 0) {
        ++m_port.m_statusFailures;
        if (m_port.m_statusFailures < kFailuresBeforeReopen) {
            return 0;
        }
        m_port.ReopenAfterBackOff(m_port.m_statusRetryDelay);
        if (!m_port.IsOpen() ||
            sys.Ioctl(static_cast<int>(m_port.m_handle), TIOCMGET, &lines) != 0) {
            return 0;
        }
        m_port.m_statusRetryDelay = kRetryDelayStartMs;
        m_port.m_statusFailures = 0;
    }
    return (lines & TIOCM_DSR) != 0 ? 1 : 0;
}

int SerialBackend::QueuedOutput() {
    int queued = 0;
    return m_port.Sys().Ioctl(static_cast<int>(m_port.m_handle), TIOCOUTQ, &queued) == 0 ? queued
                                                                                         : -1;
}

int SerialBackend::InputPending(int queued) {
    if (queued >= 0) {
        return queued;
    }
    return (m_port.m_debugMode & kDebugPendingFailureIsEmpty) != 0 ? 0 : kPendingUnknown;
}

}  // namespace kestrel
